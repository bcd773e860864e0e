#pragma once
// Helpers the tests share: scratch folders, whole-file reads and writes, waiting with a deadline.
#include <windows.h>

#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "framework/Paths.h"
#include "framework/String.h"

// A fresh, empty folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const CString& Path() const { return m_path; }  // no trailing backslash
    CString operator/(const CString& name) const { return m_path + L"\\" + name; }

private:
    CString m_path;
};

// Makes `folder` the current directory for the owner's lifetime, then puts the previous one back.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const CString& folder);
    ~CurrentDirectory() { SetCurrentDirectoryW(m_previous.c_str()); }

private:
    CString m_previous;
};

// A setting Wine applies to one program alone (its key under HKCU\Software\Wine\AppDefaults, with
// `subKey` below it when given), as long as this object lives; a null `value` sets nothing.
class WineProgramSetting {
public:
    WineProgramSetting(const wchar_t* program, const wchar_t* subKey, const wchar_t* name, const wchar_t* value);
    ~WineProgramSetting();
    WineProgramSetting(const WineProgramSetting&) = delete;
    WineProgramSetting& operator=(const WineProgramSetting&) = delete;

private:
    CString m_key;
};

// The names in a folder, sorted; none when it is not there.
std::vector<CString> FolderNames(const CString& folder);
// Removes a file or a folder tree; quiet when it is not there.
void RemoveTree(const CString& path);

bool IsFolder(const CString& path);
std::string ReadBytes(const CString& path);  // empty when missing
std::string ReadAll(HANDLE file);              // what is left to read, to its end
void WriteBytes(const CString& path, const std::string& bytes);
// Writes `text` as UTF-16 with its byte order mark, so that any name in it reads back whole.
void WriteUtf16(const CString& path, const CString& text);
// How often `part` stands in `text`.
size_t Occurrences(const std::string& text, const std::string& part);

// The full path of the module of file name `name` that process `processId` has loaded, or empty.
CString LoadedModule(DWORD processId, const wchar_t* name);

// The folder of the running test executable, without a trailing backslash.
inline CString ExecutableFolder()
{
    return FolderOf(ProgramPath());
}

// Starts program `path` with `arguments` in the program's folder, its output going to `output` (an
// inheritable handle) or nowhere, on `desktop` ("station\\desktop") or this one; an empty handle
// when it cannot start.
CHandle StartProgram(const CString& path, const CString& arguments = CString(), HANDLE output = nullptr,
                     const wchar_t* desktop = nullptr);

// The exit code of `process` once it has ended, or -1 when it is still running after `timeoutMs`
// (and it is ended, so that nothing it holds outlasts the test).
long ExitCodeWithin(const CHandle& process, DWORD timeoutMs);

// Runs this thread's messages until `condition` holds or `timeoutMs` has passed; whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// The live handles of process `processId`, value to the number of its object type, from the system's
// list of handles (Wine reports no handle counts for a process); once two readings 20 ms apart agree
// (at most about a second), since a thread that is just ending still holds its handle.
using HandleTable = std::map<ULONG_PTR, int>;
HandleTable LiveHandlesOf(DWORD processId);

// Wide strings and rectangles in test messages, as text.
std::ostream& operator<<(std::ostream& out, const CString& text);
inline void PrintTo(const CString& text, std::ostream* out)
{
    *out << text;
}
std::ostream& operator<<(std::ostream& out, const RECT& rect);

// The value the tool repairs, DalPSRFeatureEnable of a display adapter, the first unless named (its
// key made when missing): set as a DWORD or as text, read back as a DWORD (-1 when absent or of another type).
void SetRepairValue(DWORD value, const wchar_t* instance = L"0000");
void SetRepairText(const wchar_t* text);
long long RepairValue(const wchar_t* instance = L"0000");
// A value of the tests' own beside it in the first adapter's key. Wine rebuilds the adapters' keys
// whenever a program opens the display, and every value in them goes: a mark gone says that happened.
void MarkAdapterKey();
bool AdapterKeyMarked();
// The backup of the values the repair changed, in the log folder.
CString RepairBackupPath();

// The folder for all users' program data (C:\\ProgramData), without a trailing backslash.
CString ProgramDataFolder();
// The tool's log file, whole (empty when there is none).
std::string ToolLog();
// How many records of the tool's log hold `text`.
size_t LogRecords(const wchar_t* text);
// What follows the fixed text in each of the log's records of the failed repair command, in order.
std::vector<CString> RepairFailureRecords();

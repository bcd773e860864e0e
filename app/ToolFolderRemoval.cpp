#include "app/ToolFolderRemoval.h"

#include <vector>

#include "companion/FeedbackAbi.h"
#include "framework/Handle.h"
#include "framework/Paths.h"
#include "framework/String.h"

namespace {
// The package's read-me, a name no other program uses, so it can go with the tool.
constexpr wchar_t kReadMeName[] = L"PalluxAMD屏闪修复工具使用说明.txt";

CString Quoted(const CString& path)
{
    return L"\"" + path + L"\"";
}

// What the tool brings into its folder: the program (under whatever name it was started with),
// the companion library, that library's settings and the read-me. Empty for a path without a folder.
std::vector<CString> ToolFilesBeside(const CString& programPath)
{
    const CString folder = FolderOf(programPath);
    if (folder.IsEmpty() || folder.size() + 1 == programPath.size()) return {};
    return {programPath, folder + L"\\" + kCompanionLibraryName, folder + L"\\QueltoFeedbackInformation.ini",
            folder + L"\\" + kReadMeName};
}

// Attributes of a file of its own name, neither a folder nor a link of any kind: the only thing a
// deletion may touch.
bool IsPlainFile(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

bool IsPlainFile(const CString& path)
{
    return IsPlainFile(GetFileAttributesW(path.c_str()));
}

// A folder the removal may take away once it is empty: not a junction or mount point, whose
// removal would take away the user's link, and never a drive's root.
bool IsRemovableFolder(const CString& folder)
{
    const DWORD attributes = GetFileAttributesW(folder.c_str());
    return !IsDriveRoot(folder) && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Deletes one of the tool's files now. DeleteFileW refuses a folder and removes a link itself,
// never what it leads to. True when the name is gone.
bool DeleteToolFile(const CString& path)
{
    if (DeleteFileW(path.c_str())) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    // Read-only, as some unpackers and copies from a disc leave it.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return IsPlainFile(attributes) && (attributes & FILE_ATTRIBUTE_READONLY) &&
           SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) && DeleteFileW(path.c_str());
}

// The interpreter's command line that deletes `files` after the tool has ended, and then `folder`
// if it is empty by then (no folder when that is empty).
CString ToolRemovalCommandLine(const CString& interpreterPath, const std::vector<CString>& files,
                               const CString& folder)
{
    CString command = L"timeout /t 3 /nobreak >nul";
    for (const CString& file : files) {
        // del given a folder deletes the files in it: the name is touched only while it is still
        // no folder (also none that a link makes of it) when its turn comes.
        command += L" & (if not exist " + Quoted(file + L"\\*") + L" del /f /q " + Quoted(file) + L")";
    }
    // rmdir without /s removes the folder only when it is empty: anything of the user's keeps it.
    if (!folder.empty()) command += L" & rmdir " + Quoted(folder);
    // /S: everything between the outer quotes reaches the interpreter exactly as written. /V:OFF:
    // a "!" in the path stays a "!" even where the registry turns delayed expansion on.
    return Quoted(interpreterPath) + L" /D /V:OFF /S /C \"" + command + L"\"";
}
}  // namespace

BOOL ScheduleToolFolderRemoval()
{
    const CString program = ProgramPath();
    const std::vector<CString> files = ToolFilesBeside(program);
    if (files.empty()) return FALSE;
    // The program cannot go before it has ended, so the interpreter deletes it afterwards. It
    // expands %NAME% even inside quotes, and a quote would end the quoting early: such a path keeps
    // every file where it is, rather than leave a tool without its library.
    if (program.find_first_of(L"%\"") != CString::npos) return FALSE;
    std::vector<CString> waiting{program};
    // The rest goes now, from here (the library was unloaded with the window); what is still held
    // open waits for the interpreter too.
    for (size_t i = 1; i < files.size(); ++i)
        if (!DeleteToolFile(files[i]) && IsPlainFile(files[i])) waiting.push_back(files[i]);
    const CString folder = FolderOf(program);
    CString commandLine =
        ToolRemovalCommandLine(SystemInterpreterPath(), waiting, IsRemovableFolder(folder) ? folder : CString());

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    // Started in the system folder, so the tool's folder is not held open as a working directory.
    const CString systemFolder = SystemFolder();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        systemFolder.c_str(), &startup, &process))
        return FALSE;
    CHandle processHandle(process.hProcess);
    CHandle threadHandle(process.hThread);
    return TRUE;
}

BOOL ScheduleToolRemovalAtRestart()
{
    const CString program = ProgramPath();
    const std::vector<CString> files = ToolFilesBeside(program);
    if (files.empty()) return FALSE;
    BOOL all = TRUE;
    // Windows works through the list in order: the files first, so the folder can be empty by then.
    for (const CString& file : files)
        if (IsPlainFile(file) && !MoveFileExW(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) all = FALSE;
    // A folder that still holds anything then is left where it is.
    const CString folder = FolderOf(program);
    if (IsRemovableFolder(folder) && !MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) all = FALSE;
    return all;
}

#include "support/TestSupport.h"

#include <shlobj.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <utility>

#include "framework/Encoding.h"
#include "framework/RegKey.h"

namespace {

// Written out here rather than taken from the tool, so that a wrong key in the tool shows.
CString AdapterKey(const wchar_t* instance)
{
    return CString(L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\") + instance;
}
const wchar_t kRepairValueName[] = L"DalPSRFeatureEnable";

void SetAdapterValue(const wchar_t* name, DWORD type, const void* data, DWORD size, const wchar_t* instance = L"0000")
{
    CRegKey key;
    if (key.Create(HKEY_LOCAL_MACHINE, AdapterKey(instance).c_str(), KEY_SET_VALUE | KEY_WOW64_64KEY) != ERROR_SUCCESS ||
        RegSetValueExW(key.Get(), name, 0, type, static_cast<const BYTE*>(data), size) != ERROR_SUCCESS)
        throw std::runtime_error("cannot set the adapter's value");
}

long long AdapterValue(const wchar_t* name, const wchar_t* instance)
{
    DWORD value = 0, size = sizeof value;
    return RegGetValueW(HKEY_LOCAL_MACHINE, AdapterKey(instance).c_str(), name, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY,
                        nullptr, &value, &size) == ERROR_SUCCESS
               ? static_cast<long long>(value)
               : -1;
}

constexpr wchar_t kTestMark[] = L"PalluxTestMark";

HandleTable HandlesNow(DWORD processId)
{
    HandleTable live;
    std::vector<char> buffer(1 << 16);
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(SystemHandleInformation, buffer.data(), ULONG(buffer.size()), nullptr)) ==
           NTSTATUS(0xC0000004L))  // STATUS_INFO_LENGTH_MISMATCH
        buffer.resize(buffer.size() * 2);
    const auto* all = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(buffer.data());
    for (ULONG i = 0; status >= 0 && i < all->Count; ++i)
        if (all->Handle[i].OwnerPid == processId) live[all->Handle[i].HandleValue] = all->Handle[i].ObjectType;
    return live;
}
}  // namespace

ScratchFolder::ScratchFolder()
{
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);  // with its trailing backslash
    for (;;) {
        m_path = temp + (L"pallux-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(counter++));
        if (CreateDirectoryW(m_path.c_str(), nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot make a scratch folder");
    }
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(m_path);
}

CurrentDirectory::CurrentDirectory(const CString& folder)
{
    wchar_t previous[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, previous);
    m_previous = previous;
    SetCurrentDirectoryW(folder.c_str());
}

WineProgramSetting::WineProgramSetting(const wchar_t* program, const wchar_t* subKey, const wchar_t* name,
                                       const wchar_t* value)
{
    if (value == nullptr) return;
    m_key = CString(L"Software\\Wine\\AppDefaults\\") + program;
    const CString key = *subKey != L'\0' ? m_key + L"\\" + subKey : m_key;
    if (RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, value,
                        static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
        throw std::runtime_error("cannot set a program's Wine setting");
}

WineProgramSetting::~WineProgramSetting()
{
    if (!m_key.empty()) RegDeleteTreeW(HKEY_CURRENT_USER, m_key.c_str());
}

std::vector<CString> FolderNames(const CString& folder)
{
    std::vector<CString> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found))
        if (CString(found.cFileName) != L"." && CString(found.cFileName) != L"..") names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveTree(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        for (const CString& name : FolderNames(path)) RemoveTree(path + L"\\" + name);
        RemoveDirectoryW(path.c_str());
    } else {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
    }
}

bool IsFolder(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const CString& path)
{
    CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? ReadAll(file.Get()) : std::string();
}

std::string ReadAll(HANDLE file)
{
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    return bytes;
}

void WriteBytes(const CString& path, const std::string& bytes)
{
    CHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr));
    if (!file) throw std::runtime_error("cannot write a test file");
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw std::runtime_error("short write of a test file");
}

void WriteUtf16(const CString& path, const CString& text)
{
    WriteBytes(path, "\xFF\xFE" + std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)));
}

size_t Occurrences(const std::string& text, const std::string& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

CString LoadedModule(DWORD processId, const wchar_t* name)
{
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && Module32FirstW(snapshot.Get(), &entry); more; more = Module32NextW(snapshot.Get(), &entry))
        if (_wcsicmp(entry.szModule, name) == 0) return entry.szExePath;
    return CString();
}

CHandle StartProgram(const CString& path, const CString& arguments, HANDLE output, const wchar_t* desktop)
{
    CString commandLine = L"\"" + path + L"\" " + arguments;
    // A program that crashes ends at once instead of waiting in the crash dialog (under Wine, its
    // debugger); the started program inherits this.
    SetErrorMode(GetErrorMode() | SEM_NOGPFAULTERRORBOX);
    // Its output, and that of any debugger a crash starts, goes nowhere: nothing it leaves running
    // holds on to this program's output.
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const CHandle nowhere(CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                      &inheritable, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nowhere.Get();
    if (output != nullptr) startup.hStdOutput = startup.hStdError = output;
    startup.lpDesktop = const_cast<wchar_t*>(desktop);
    PROCESS_INFORMATION started{};
    const CString folder = path.substr(0, path.rfind(L'\\'));
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(), &startup,
                        &started))
        return CHandle();
    CHandle thread(started.hThread);
    return CHandle(started.hProcess);
}

long ExitCodeWithin(const CHandle& process, DWORD timeoutMs)
{
    DWORD exitCode = DWORD(-1);
    if (WaitForSingleObject(process.Get(), timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process.Get(), &exitCode);
    else TerminateProcess(process.Get(), exitCode);
    return long(exitCode);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (condition()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                                  QS_ALLINPUT);
    }
}

std::ostream& operator<<(std::ostream& out, const CString& text)
{
    return out << CodePageFromWide(CP_UTF8, text);
}

std::ostream& operator<<(std::ostream& out, const RECT& rect)
{
    return out << "(" << rect.left << ", " << rect.top << ")-(" << rect.right << ", " << rect.bottom << ")";
}

void SetRepairValue(DWORD value, const wchar_t* instance)
{
    SetAdapterValue(kRepairValueName, REG_DWORD, &value, sizeof value, instance);
}

void SetRepairText(const wchar_t* text)
{
    SetAdapterValue(kRepairValueName, REG_SZ, text, static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

long long RepairValue(const wchar_t* instance)
{
    return AdapterValue(kRepairValueName, instance);
}

void MarkAdapterKey()
{
    const DWORD mark = 1;
    SetAdapterValue(kTestMark, REG_DWORD, &mark, sizeof mark);
}

bool AdapterKeyMarked()
{
    return AdapterValue(kTestMark, L"0000") == 1;
}

CString ProgramDataFolder()
{
    wchar_t data[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, data, CSIDL_COMMON_APPDATA, FALSE);
    return data;
}

CString RepairBackupPath()
{
    return ProgramDataFolder() + L"\\ToolLog\\屏闪修复工具-备份.reg";
}

std::string ToolLog()
{
    return ReadBytes(ProgramDataFolder() + L"\\ToolLog\\屏闪修复工具.txt");
}

size_t LogRecords(const wchar_t* text)
{
    return Occurrences(ToolLog(), CodePageFromWide(936, text));
}

std::vector<CString> RepairFailureRecords()
{
    const std::string failure = CodePageFromWide(936, L"执行修改 DalPSRFeatureEnable 修复屏闪命令失败");
    const std::string log = ToolLog();
    std::vector<CString> details;
    for (size_t at = log.find(failure); at != std::string::npos; at = log.find(failure, at + 1)) {
        const size_t from = at + failure.size();
        details.push_back(WideFromCodePage(936, log.substr(from, log.find("\r\n", from) - from)));
    }
    return details;
}

HandleTable LiveHandlesOf(DWORD processId)
{
    HandleTable now = HandlesNow(processId), before;
    for (int reading = 0; reading < 50 && now != before; ++reading) {
        Sleep(20);
        before = std::exchange(now, HandlesNow(processId));
    }
    return now;
}

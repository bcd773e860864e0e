#include "ToolDriver.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <stdexcept>

#include "framework/RegKey.h"
#include "res/resource.h"

namespace {

const wchar_t kLibraryName[] = L"QueltoFeedbackInformation.dll";
const wchar_t kAdapterKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0000";
const wchar_t kToolDefaultsKey[] = L"Software\\Wine\\AppDefaults\\RapimendPalluxAMDFlashScreenRepair.exe";

void SetScreenDpi(DWORD dpi)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
}

struct Search {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == search->processId && IsWindowVisible(hwnd)) search->found.push_back(hwnd);
    return TRUE;
}

void SendMouse(DWORD flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

}  // namespace

ScopedToolWindowsVersion::ScopedToolWindowsVersion(const wchar_t* version)
{
    if (version == nullptr) return;
    CRegKey key;
    const DWORD bytes = static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t));
    if (key.Create(HKEY_CURRENT_USER, kToolDefaultsKey, KEY_SET_VALUE) != ERROR_SUCCESS ||
        RegSetValueExW(key.Get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), bytes) != ERROR_SUCCESS)
        throw std::runtime_error("cannot set the tool's Windows version");
    m_set = true;
}

ScopedToolWindowsVersion::~ScopedToolWindowsVersion()
{
    if (!m_set) return;
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kToolDefaultsKey, L"Version");
    RegDeleteKeyW(HKEY_CURRENT_USER, kToolDefaultsKey);
}

ToolRun::ToolRun(const ToolSetup& setup) : m_windowsVersion(setup.windowsVersion)
{
    m_folder = m_scratch / setup.folderName;
    CreateDirectoryW(m_folder.c_str(), nullptr);
    const CString built = ExecutableFolder();
    if (!CopyFileW((built + L"\\" + setup.program).c_str(), (m_folder + L"\\RapimendPalluxAMDFlashScreenRepair.exe").c_str(),
                   FALSE))
        throw std::runtime_error("the built tool is missing");
    if (setup.withLibrary) {
        if (!CopyFileW((built + L"\\" + setup.library).c_str(), (m_folder + L"\\" + kLibraryName).c_str(), FALSE))
            throw std::runtime_error("the built companion library is missing");
        const CString settings = L"[Library]\r\nOpenPages=0\r\n" + setup.libraryKeys + L"\r\n[Journal]\r\nPath=" +
                                 JournalPath() + L"\r\n" + setup.librarySettings + L"\r\n";
        // UTF-16 with its mark, so any folder name reads back whole.
        std::string bytes = "\xFF\xFE";
        bytes.append(reinterpret_cast<const char*>(settings.data()), settings.size() * sizeof(wchar_t));
        WriteBytes(m_folder + L"\\QueltoFeedbackInformation.ini", bytes);
    }
    SetScreenDpi(setup.dpi);

    CString commandLine = L"\"" + m_folder + L"\\RapimendPalluxAMDFlashScreenRepair.exe\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, m_scratch.Path().c_str(),
                        &startup, &process))
        throw std::runtime_error("the tool did not start");
    m_process.Reset(process.hProcess);
    CHandle thread(process.hThread);
    m_processId = process.dwProcessId;
}

ToolRun::~ToolRun()
{
    Kill();
    SetScreenDpi(96);
}

void ToolRun::Kill()
{
    if (!m_process) return;
    if (WaitForSingleObject(m_process.Get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(m_process.Get(), 99);
        WaitForSingleObject(m_process.Get(), 10000);
    }
}

std::vector<CString> ToolRun::FolderContents() const
{
    std::vector<CString> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((m_folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const CString name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<HWND> ToolRun::VisibleWindows() const
{
    Search search{m_processId, {}};
    EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND ToolRun::WindowWithControl(int id, DWORD timeoutMs) const
{
    HWND result = nullptr;
    WaitUntil(
        [&] {
            for (HWND window : VisibleWindows()) {
                HWND control = GetDlgItem(window, id);
                if (control != nullptr) {
                    result = window;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    if (result != nullptr) WaitUntilSettled(result);
    return result;
}

void ToolRun::WaitUntilSettled(HWND window) const
{
    // A window just shown may still be placed (a prompt is centred after it shows) and Wine may
    // still be handing it the focus; a click then goes astray, as a hand's would not. Settled: the
    // tool waits for input and the window has kept its place for a while.
    WaitForInputIdle(m_process.Get(), 5000);
    CRect last;
    GetWindowRect(window, &last);
    DWORD stableSince = GetTickCount();
    WaitUntil(
        [&] {
            CRect now;
            if (!GetWindowRect(window, &now)) return true;
            if (now != last) {
                last = now;
                stableSince = GetTickCount();
            }
            HWND foreground = GetForegroundWindow();
            DWORD owner = 0;
            GetWindowThreadProcessId(foreground, &owner);
            return owner == m_processId && GetTickCount() - stableSince >= 500;
        },
        5000);
}

HWND ToolRun::MainPanel(DWORD timeoutMs) const
{
    return WindowWithControl(IDC_REPAIR, timeoutMs);
}

HWND ToolRun::Prompt(DWORD timeoutMs) const
{
    return WindowWithControl(IDC_PROMPT_OK, timeoutMs);
}

HWND ToolRun::ProgressPrompt(DWORD timeoutMs) const
{
    return WindowWithControl(IDC_STATE_TEXT, timeoutMs);
}

HWND ToolRun::FeedbackDialog(DWORD timeoutMs) const
{
    return WindowWithControl(IDC_SOLVED, timeoutMs);
}

HWND ToolRun::PromptSaying(const wchar_t* text, DWORD timeoutMs) const
{
    HWND found = nullptr;
    WaitUntil(
        [&] {
            HWND prompt = Prompt(0);
            if (prompt == nullptr || WindowText(GetDlgItem(prompt, IDC_PROMPT_TEXT)) != text) return false;
            found = prompt;
            return true;
        },
        timeoutMs);
    return found;
}

long ToolRun::CloseAsUser()
{
    HWND panel = MainPanel();
    if (panel == nullptr) return -1;
    ClickControl(panel, IDC_CLOSE);
    HWND feedback = FeedbackDialog();
    if (feedback == nullptr) return -1;
    ClickControl(feedback, IDC_FEEDBACK_CLOSE);
    return WaitForExit();
}

bool ToolRun::HasLoaded(const wchar_t* moduleName) const
{
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, m_processId));
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && Module32FirstW(snapshot.Get(), &entry); more;
         more = Module32NextW(snapshot.Get(), &entry))
        if (_wcsicmp(entry.szModule, moduleName) == 0) return true;
    return false;
}

CHandle ToolRun::RunningChild() const
{
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ParentProcessID == m_processId && entry.th32ProcessID != m_processId)
            return CHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    }
    return CHandle();
}

long ToolRun::WaitForExit(DWORD timeoutMs)
{
    if (WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(m_process.Get(), &code);
    return static_cast<long>(code);
}

std::vector<std::string> ToolRun::JournalLines(const char* exportName) const
{
    std::vector<std::string> lines;
    const std::string journal = ReadBytes(JournalPath());
    const std::string needle = std::string("\t") + exportName;
    size_t start = 0;
    while (start < journal.size()) {
        size_t end = journal.find('\n', start);
        if (end == std::string::npos) end = journal.size();
        const std::string line = journal.substr(start, end - start);
        const size_t at = line.find(needle);
        if (at != std::string::npos) {
            const size_t after = at + needle.size();
            if (after == line.size() || line[after] == '\t' || line[after] == '\r') lines.push_back(line);
        }
        start = end + 1;
    }
    return lines;
}

std::string JournalField(const std::string& line, const char* name)
{
    const std::string key = std::string("\t") + name + "=";
    const size_t at = line.find(key);
    if (at == std::string::npos) return std::string();
    const size_t start = at + key.size();
    return line.substr(start, line.find_first_of("\t\r", start) - start);
}

// Wine's desktop hears of every cursor warp from the X server and then moves the cursor there
// itself, as if a hand had moved the mouse; under load that echo can come a second or more late,
// after the next warp, and put the cursor back where an earlier warp had it. So a move counts once
// the cursor has stayed put for a while, and every button event is sent right after the cursor has
// been put on its point again (a warp to where the cursor is makes no echo).
void MoveCursorTo(POINT point)
{
    SetCursorPos(point.x, point.y);
    ULONGLONG stableSince = GetTickCount64();
    WaitUntil(
        [&] {
            POINT at;
            if (!GetCursorPos(&at) || at.x != point.x || at.y != point.y) {
                SetCursorPos(point.x, point.y);
                stableSince = GetTickCount64();
            }
            return GetTickCount64() - stableSince >= 250;
        },
        5000);
}

void ClickAt(POINT point)
{
    MoveCursorTo(point);
    for (const bool down : {true, false}) {
        SetCursorPos(point.x, point.y);
        SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
        WaitUntil([&] { return ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0) == down; }, 2000);
    }
}

CRect ClientRectOnScreen(HWND window)
{
    CRect rect;
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ClickWindow(HWND window, POINT offset)
{
    const CRect rect = ClientRectOnScreen(window);
    if (offset.x < 0) offset = POINT{rect.Width() / 2, rect.Height() / 2};
    ClickAt(POINT{rect.left + offset.x, rect.top + offset.y});
}

void ClickControl(HWND dialog, int id)
{
    ClickWindow(GetDlgItem(dialog, id));
}

void PressKey(WORD key)
{
    PressKeys({key});
}

void PressKeys(std::initializer_list<WORD> keys)
{
    std::vector<INPUT> input;
    for (const WORD key : keys) {
        INPUT down{};
        down.type = INPUT_KEYBOARD;
        down.ki.wVk = key;
        input.push_back(down);
    }
    for (auto key = keys.end(); key != keys.begin();) {
        INPUT up{};
        up.type = INPUT_KEYBOARD;
        up.ki.wVk = *--key;
        up.ki.dwFlags = KEYEVENTF_KEYUP;
        input.push_back(up);
    }
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

CString WindowText(HWND window)
{
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

bool IsShown(HWND window)
{
    return window != nullptr && IsWindowVisible(window);
}

CRect ControlRect(HWND dialog, int id)
{
    CRect rect;
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::ostream& operator<<(std::ostream& out, const RECT& rect)
{
    return out << "(" << rect.left << ", " << rect.top << ")-(" << rect.right << ", " << rect.bottom << ")";
}

long long ReadRepairValue()
{
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kAdapterKey, L"DalPSRFeatureEnable", RRF_RT_ANY | RRF_SUBKEY_WOW6464KEY, &type,
                     &value, &size) != ERROR_SUCCESS ||
        type != REG_DWORD)
        return -1;
    return value;
}

void WriteRepairValue(DWORD value)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kAdapterKey, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot open the adapter key");
    RegSetValueExW(key, L"DalPSRFeatureEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

std::string ReadToolLog()
{
    wchar_t data[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, data, CSIDL_COMMON_APPDATA, FALSE);
    return ReadBytes(CString(data) + L"\\ToolLog\\屏闪修复工具.txt");
}

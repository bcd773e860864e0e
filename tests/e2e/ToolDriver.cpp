#include "ToolDriver.h"

#include <shlobj.h>

#include <stdexcept>

#include "support/WindowProbe.h"

namespace {

const wchar_t kLibraryName[] = L"QueltoFeedbackInformation.dll";
const wchar_t kAdapterKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0000";
constexpr int kRepairButton = 1012;
constexpr int kPromptOk = 1006;
constexpr int kProgressLabel = 1000;
constexpr int kSolvedButton = 1002;

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

}  // namespace

ToolRun::ToolRun(const ToolSetup& setup)
{
    m_folder = m_scratch / setup.folderName;
    CreateDirectoryW(m_folder.c_str(), nullptr);
    const CString built = ExecutableFolder();
    if (!CopyFileW((built + L"\\" + setup.program).c_str(), (m_folder + L"\\RapimendPalluxAMDFlashScreenRepair.exe").c_str(),
                   FALSE))
        throw std::runtime_error("the built tool is missing");
    if (setup.withLibrary) {
        CopyFileW((built + L"\\" + kLibraryName).c_str(), (m_folder + L"\\" + kLibraryName).c_str(), FALSE);
        const CString settings = L"[Library]\r\nOpenPages=0\r\n[Journal]\r\nPath=" + JournalPath() + L"\r\n" +
                                 setup.librarySettings + L"\r\n";
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
    return WindowWithControl(kRepairButton, timeoutMs);
}

HWND ToolRun::Prompt(DWORD timeoutMs) const
{
    return WindowWithControl(kPromptOk, timeoutMs);
}

HWND ToolRun::ProgressPrompt(DWORD timeoutMs) const
{
    return WindowWithControl(kProgressLabel, timeoutMs);
}

HWND ToolRun::FeedbackDialog(DWORD timeoutMs) const
{
    return WindowWithControl(kSolvedButton, timeoutMs);
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

void ClickAt(POINT point)
{
    // Each step is seen by the system before the next, as a hand's would be.
    SendMouseTo(point);
    Sleep(50);
    SendMouseButton(true);
    SendMouseButton(false);
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
    INPUT input[2]{};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
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

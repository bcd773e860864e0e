#include "StartedProgram.h"

#include <winternl.h>

#include <functional>
#include <utility>

namespace {

struct WindowSearch {
    DWORD processId;
    std::function<bool(HWND)> matches;
    HWND found;
};

bool IsMainPanel(HWND hwnd)
{
    if (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) return false;
    const HWND owner = GetWindow(hwnd, GW_OWNER);
    return owner != nullptr && GetWindow(owner, GW_OWNER) == nullptr;
}

BOOL CALLBACK Match(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(hwnd, &processId);
    if (processId != search->processId || !IsWindowVisible(hwnd) || !search->matches(hwnd)) return TRUE;
    search->found = hwnd;
    return FALSE;
}

// Reading every window's text asks Wine's server about each window; asked every millisecond, the
// server is kept busy enough to slow the program being watched.
constexpr DWORD kShowingPollMs = 10;

bool ShowsText(HWND window, int controlId, const wchar_t* text)
{
    const HWND control = GetDlgItem(window, controlId);
    wchar_t shown[1024] = {};
    return control != nullptr && GetWindowTextW(control, shown, ARRAYSIZE(shown)) > 0 && wcscmp(shown, text) == 0;
}

CString ObjectTypeOf(HANDLE handle)
{
    alignas(8) BYTE buffer[512] = {};
    ULONG length = 0;
    if (NtQueryObject(handle, ObjectTypeInformation, buffer, sizeof buffer, &length) < 0) return L"?";
    const auto* type = reinterpret_cast<const PUBLIC_OBJECT_TYPE_INFORMATION*>(buffer);
    return CString(type->TypeName.Buffer, type->TypeName.Length / sizeof(wchar_t));
}

}  // namespace

CStartedProgram::CStartedProgram(const CString& path, const CString& arguments)
{
    CString commandLine = L"\"" + path + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    const CString folder = path.substr(0, path.find_last_of(L'\\'));
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
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, folder.c_str(),
                        &startup, &started))
        return;
    m_process.Reset(started.hProcess);
    CHandle thread(started.hThread);
    m_id = started.dwProcessId;
}

CStartedProgram::~CStartedProgram()
{
    End();
}

HWND CStartedProgram::FindVisibleWindow(WindowToFind what) const
{
    return FindVisibleWindow([what](HWND hwnd) { return what == WindowToFind::AnyWindow || IsMainPanel(hwnd); });
}

HWND CStartedProgram::FindVisibleWindow(const std::function<bool(HWND)>& matches) const
{
    WindowSearch search{m_id, matches, nullptr};
    if (Started()) EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND CStartedProgram::WaitForVisibleWindow(WindowToFind what, DWORD timeoutMs) const
{
    return WaitForWindow([&] { return FindVisibleWindow(what); }, timeoutMs);
}

HWND CStartedProgram::WaitForWindowShowing(int controlId, const wchar_t* text, DWORD timeoutMs) const
{
    return WaitForWindow(
        [&] { return FindVisibleWindow([&](HWND hwnd) { return ShowsText(hwnd, controlId, text); }); }, timeoutMs,
        kShowingPollMs);
}

HWND CStartedProgram::WaitForWindow(const std::function<HWND()>& find, DWORD timeoutMs, DWORD pollMs) const
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (const HWND found = find()) return found;
        // A program that has ended shows nothing more.
        if (!Started() || WaitForSingleObject(m_process.Get(), pollMs) != WAIT_TIMEOUT) return nullptr;
        if (GetTickCount64() >= deadline) return nullptr;
    }
}

bool CStartedProgram::WaitForExit(DWORD timeoutMs) const
{
    return Started() && WaitForSingleObject(m_process.Get(), timeoutMs) == WAIT_OBJECT_0;
}

void CStartedProgram::End()
{
    if (!Started()) return;
    TerminateProcess(m_process.Get(), 1);
    WaitForSingleObject(m_process.Get(), 10000);
    m_process.Close();
}

HandleTable LiveHandlesOf(DWORD processId)
{
    HandleTable live;
    const CHandle process(OpenProcess(PROCESS_DUP_HANDLE, FALSE, processId));
    if (!process) return live;
    // The table is filled from its lowest free value, so a long run of empty values ends it.
    int emptyInARow = 0;
    for (ULONG_PTR value = 4; emptyInARow < 1024; value += 4) {
        HANDLE copy = nullptr;
        if (!DuplicateHandle(process.Get(), reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                             DUPLICATE_SAME_ACCESS)) {
            ++emptyInARow;
            continue;
        }
        const CHandle owned(copy);
        emptyInARow = 0;
        live[value] = ObjectTypeOf(copy);
    }
    return live;
}

HandleTable SettledLiveHandlesOf(DWORD processId)
{
    HandleTable now = LiveHandlesOf(processId), before;
    for (int reading = 0; reading < 50 && now != before; ++reading) {
        Sleep(20);
        before = std::exchange(now, LiveHandlesOf(processId));
    }
    return now;
}

std::vector<std::string> HandlesOnlyIn(const HandleTable& these, const HandleTable& those)
{
    std::vector<std::string> listed;
    for (const auto& [value, type] : these)
        if (those.count(value) == 0) listed.push_back(std::to_string(value) + ":" + std::string(type.begin(), type.end()));
    return listed;
}

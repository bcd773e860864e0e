#include "StartedProgram.h"

namespace {

struct WindowSearch {
    DWORD processId;
    WindowToFind what;
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
    if (processId != search->processId || !IsWindowVisible(hwnd)) return TRUE;
    if (search->what == WindowToFind::MainPanel && !IsMainPanel(hwnd)) return TRUE;
    search->found = hwnd;
    return FALSE;
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
    WindowSearch search{m_id, what, nullptr};
    if (Started()) EnumWindows(&Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND CStartedProgram::WaitForVisibleWindow(WindowToFind what, DWORD timeoutMs) const
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (const HWND found = FindVisibleWindow(what)) return found;
        // A program that has ended shows nothing more.
        if (!Started() || WaitForSingleObject(m_process.Get(), 1) != WAIT_TIMEOUT) return nullptr;
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

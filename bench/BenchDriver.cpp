#include "BenchDriver.h"

#include "res/resource.h"

namespace {
struct Search {
    DWORD processId;
    const std::function<bool(HWND)>* matches;
    HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<Search*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsWindowVisible(window) || !(*search->matches)(window)) return TRUE;
    search->found = window;
    return FALSE;
}

void SendButton(DWORD flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}
}  // namespace

BenchProgram::BenchProgram(const CString& path)
{
    CString commandLine = L"\"" + path + L"\"";
    const CString folder = path.substr(0, path.rfind(L'\\'));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &started))
        return;
    m_process.Reset(started.hProcess);
    CHandle thread(started.hThread);
    m_id = started.dwProcessId;
}

BenchProgram::~BenchProgram()
{
    if (!m_process) return;
    TerminateProcess(m_process.Get(), 1);
    WaitForSingleObject(m_process.Get(), 10000);
}

namespace {
HWND VisibleWindowOf(DWORD processId, const std::function<bool(HWND)>& matches)
{
    Search search{processId, &matches, nullptr};
    EnumWindows(&Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
}  // namespace

HWND BenchProgram::WaitForWindow(const std::function<bool(HWND)>& matches, DWORD timeoutMs) const
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (m_process) {
        if (const HWND found = VisibleWindowOf(m_id, matches)) return found;
        if (WaitForSingleObject(m_process.Get(), 1) != WAIT_TIMEOUT || GetTickCount64() >= deadline) break;
    }
    return nullptr;
}

WaitingLoad::WaitingLoad() : m_thread(CreateThread(nullptr, 0, &WaitingLoad::Look, this, 0, nullptr)) {}

WaitingLoad::~WaitingLoad()
{
    m_stop = true;
    if (m_thread) WaitForSingleObject(m_thread.Get(), INFINITE);
}

DWORD WINAPI WaitingLoad::Look(LPVOID self)
{
    // This program's own windows: it has none, as the measured program has none yet that matches.
    const std::function<bool(HWND)> never = [](HWND) { return false; };
    while (!static_cast<WaitingLoad*>(self)->m_stop) {
        VisibleWindowOf(GetCurrentProcessId(), never);
        Sleep(1);
    }
    return 0;
}

bool IsMainPanel(HWND window)
{
    if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) return false;
    const HWND owner = GetWindow(window, GW_OWNER);
    return owner != nullptr && GetWindow(owner, GW_OWNER) == nullptr;
}

bool ShowsText(HWND window, int id, const wchar_t* text)
{
    wchar_t shown[1024] = {};
    const HWND control = GetDlgItem(window, id);
    return control != nullptr && GetWindowTextW(control, shown, ARRAYSIZE(shown)) > 0 && wcscmp(shown, text) == 0;
}

std::function<bool(HWND)> PromptSaying(const wchar_t* text)
{
    return [text](HWND window) { return ShowsText(window, IDC_PROMPT_TEXT, text); };
}

void ClickControl(HWND dialog, int id)
{
    // A window just shown may still be placed and handed the focus, and Wine's desktop echoes a
    // cursor warp late: click once the window has held its place in the foreground and the cursor
    // has stayed on the point for a while, and put it there again for each button event.
    RECT rect{}, last{};
    for (ULONGLONG until = GetTickCount64() + 5000, still = GetTickCount64(); GetTickCount64() < until; Sleep(10)) {
        GetWindowRect(GetDlgItem(dialog, id), &rect);
        if (!EqualRect(&rect, &last) || GetForegroundWindow() != dialog) still = GetTickCount64();
        last = rect;
        if (GetTickCount64() - still >= 300) break;
    }
    const POINT target{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    for (ULONGLONG until = GetTickCount64() + 5000, still = 0; GetTickCount64() < until; Sleep(10)) {
        POINT at{};
        if (!GetCursorPos(&at) || at.x != target.x || at.y != target.y) {
            SetCursorPos(target.x, target.y);
            still = GetTickCount64();
        } else if (GetTickCount64() - still >= 250) {
            break;
        }
    }
    for (const DWORD flags : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
        SetCursorPos(target.x, target.y);
        SendButton(flags);
        Sleep(20);
    }
}

size_t LiveHandleCount(DWORD processId)
{
    const CHandle process(OpenProcess(PROCESS_DUP_HANDLE, FALSE, processId));
    size_t count = 0;
    // The table is filled from its lowest free value, so a long run of empty values ends it.
    for (ULONG_PTR value = 4, emptyInARow = 0; process && emptyInARow < 1024; value += 4) {
        HANDLE copy = nullptr;
        if (!DuplicateHandle(process.Get(), reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                             DUPLICATE_SAME_ACCESS)) {
            ++emptyInARow;
            continue;
        }
        const CHandle owned(copy);
        emptyInARow = 0;
        ++count;
    }
    return count;
}

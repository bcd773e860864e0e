#include "mainwnd/MouseHook.h"

#include <atomic>
#include <cstdlib>

#include "framework/Handle.h"

namespace {
// One hook per process, whichever object installed it.
std::atomic<HWND> g_target{nullptr};
std::atomic<HHOOK> g_hook{nullptr};
CHandle g_thread;
DWORD g_threadId = 0;

LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM wParam, LPARAM lParam)
{
    // Only posts: the event's structure (lParam) does not outlive this call, so it is not passed on.
    if (code >= 0 && wParam == WM_LBUTTONDOWN) {
        HWND target = g_target.load();
        if (target != nullptr) PostMessageW(target, WM_HOOK_LBUTTONDOWN, WM_LBUTTONDOWN, 0);
    }
    return CallNextHookEx(g_hook.load(), code, wParam, lParam);
}

struct StartSignal {
    HANDLE installed;
    bool ok;
};

DWORD WINAPI HookThreadProc(LPVOID param)
{
    auto* start = static_cast<StartSignal*>(param);
    MSG msg;
    PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // the queue exists before we report
    HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, &LowLevelMouseProc, GetModuleHandleW(nullptr), 0);
    g_hook.store(hook);
    start->ok = hook != nullptr;
    SetEvent(start->installed);
    if (hook == nullptr) return 1;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    UnhookWindowsHookEx(hook);
    g_hook.store(nullptr);
    return 0;
}

void StopHookThread()
{
    if (!g_thread) return;
    PostThreadMessageW(g_threadId, WM_QUIT, 0, 0);
    WaitForSingleObject(g_thread.Get(), 5000);
    g_thread.Reset();
    g_threadId = 0;
}

// The exit(0) paths of the start-up checks destroy no window: the hook goes with the process's
// own clean-up then.
struct RemoveAtExit {
    RemoveAtExit() { std::atexit(&StopHookThread); }
};
}  // namespace

CMouseHook::CMouseHook()
{
    g_target.store(nullptr);
}

CMouseHook::~CMouseHook()
{
    Uninstall();
}

BOOL CMouseHook::SetTarget(HWND hWnd)
{
    if (hWnd == nullptr) return FALSE;
    g_target.store(hWnd);
    return TRUE;
}

BOOL CMouseHook::Install()
{
    static RemoveAtExit registerOnce;
    if (g_thread) return g_hook.load() != nullptr;
    CHandle installed(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!installed) return FALSE;
    StartSignal start{installed.Get(), false};
    g_thread.Reset(CreateThread(nullptr, 0, &HookThreadProc, &start, 0, &g_threadId));
    if (!g_thread) return FALSE;
    WaitForSingleObject(installed.Get(), INFINITE);
    if (!start.ok) {
        WaitForSingleObject(g_thread.Get(), INFINITE);
        g_thread.Reset();
        return FALSE;
    }
    return TRUE;
}

void CMouseHook::Uninstall()
{
    StopHookThread();
}

bool CMouseHook::IsInstalled()
{
    return g_hook.load() != nullptr;
}

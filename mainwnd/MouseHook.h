#pragma once
// The low-level mouse hook of the main window: every left-button press on the desktop is posted to
// the target window as WM_HOOK_LBUTTONDOWN.
//
// A low-level hook makes every mouse event of the whole desktop wait for the thread that installed
// it, and the system silently drops a hook that keeps it waiting. So the hook lives on a small
// thread of its own that does nothing but pump messages, never on the user-interface thread,
// which can be busy in a modal prompt or a paint.
#include <windows.h>

// A left button press seen by the hook; wParam is WM_LBUTTONDOWN.
constexpr UINT WM_HOOK_LBUTTONDOWN = WM_USER + 1000;  // 0x7E8

class CMouseHook {
public:
    CMouseHook();  // clears the process-wide target and hook, as a new main window starts afresh
    ~CMouseHook();
    CMouseHook(const CMouseHook&) = delete;
    CMouseHook& operator=(const CMouseHook&) = delete;

    // FALSE for a null window.
    BOOL SetTarget(HWND hWnd);
    // Starts the hook thread and installs the hook there; TRUE once the hook is in place.
    BOOL Install();
    // Removes the hook and ends its thread; harmless when none is installed.
    void Uninstall();

    static bool IsInstalled();
};

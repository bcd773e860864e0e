#pragma once
// The repair engine: runs the registry change on a worker thread and reports to a window with
// WM_CLOSE_EXECUTE_PROMPT and then WM_REPAIR_RESULT. It creates no window and shows nothing.
#include <windows.h>

#include "framework/String.h"
#include "repair/CommandRunner.h"

class CFlashScreenRepair {
public:
    CFlashScreenRepair();
    // An engine that runs `command` in place of the repair command, as `runner` says; for tests of
    // the reporting.
    explicit CFlashScreenRepair(CString command, CommandRunnerSetup runner = CommandRunnerSetup());

    // FALSE for a null window, which leaves the notify window as it was.
    BOOL SetNotifyWindow(HWND hWnd);
    HWND GetNotifyWindow() const { return m_hNotifyWnd; }

    // Starts a detached worker that runs DoRepair; FALSE (and a log record) when it cannot start.
    BOOL StartRepairThread();
    static DWORD WINAPI RepairThreadProc(LPVOID param);

    // The worker's body. TRUE only when the command ran, exited with 0 and the value reads back as
    // the DWORD 0. Each message is sent and handled before the next step; a failure is logged last,
    // after WM_REPAIR_RESULT was handled.
    BOOL DoRepair();

    // TRUE only on Windows 10 (version 10.0), read from the process environment block.
    BOOL CheckSystemVersion();

    // Restarts Windows at once, closing running programs without asking them. TRUE when the
    // restart was requested and accepted; FALSE when it was not (nothing then restarts).
    BOOL RestartSystem();

private:
    HWND m_hNotifyWnd = nullptr;
    CString m_strCommand;
    CommandRunnerSetup m_runner;
};

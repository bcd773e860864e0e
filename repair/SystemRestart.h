#pragma once
// Restarting Windows at once: enable the shutdown privilege, then force the restart without asking
// running programs. The system calls go through a table so the refusals can be tested; the tool
// always uses SystemRestartCalls().
#include <windows.h>

struct RestartCalls {
    BOOL(WINAPI* openProcessToken)(HANDLE process, DWORD access, PHANDLE token);
    BOOL(WINAPI* lookupPrivilegeValue)(LPCWSTR system, LPCWSTR name, PLUID luid);
    BOOL(WINAPI* adjustTokenPrivileges)(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState, DWORD length,
                                        PTOKEN_PRIVILEGES previousState, PDWORD returnLength);
    DWORD(WINAPI* getLastError)();
    BOOL(WINAPI* exitWindowsEx)(UINT flags, DWORD reason);
};

const RestartCalls& SystemRestartCalls();

// TRUE when Windows accepted the restart request; FALSE when the privilege could not be enabled or
// the request was refused (then nothing restarts).
BOOL RequestRestart(const RestartCalls& calls);

#include "repair/SystemRestart.h"

#include "framework/Handle.h"
#include "repair/FlashScreenRepair.h"

const RestartCalls& SystemRestartCalls()
{
    static const RestartCalls calls = {&OpenProcessToken, &LookupPrivilegeValueW, &AdjustTokenPrivileges,
                                       &GetLastError, &ExitWindowsEx};
    return calls;
}

BOOL RequestRestart(const RestartCalls& calls)
{
    HANDLE rawToken = nullptr;
    if (!calls.openProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &rawToken)) return FALSE;
    const CHandle token(rawToken);

    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!calls.lookupPrivilegeValue(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) return FALSE;

    // Succeeds even when the account lacks the privilege; the last error then says ERROR_NOT_ALL_ASSIGNED.
    const BOOL adjusted =
        calls.adjustTokenPrivileges(token.Get(), FALSE, &privileges, sizeof privileges, nullptr, nullptr);
    if (!adjusted || calls.getLastError() != ERROR_SUCCESS) return FALSE;

    return calls.exitWindowsEx(EWX_REBOOT | EWX_FORCE, 0) ? TRUE : FALSE;
}

BOOL CFlashScreenRepair::RestartSystem()
{
    return RequestRestart(SystemRestartCalls());
}

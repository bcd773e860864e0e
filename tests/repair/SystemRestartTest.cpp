// The restart's decisions with the system calls replaced: Wine's token is always elevated and never
// refuses the privilege, so the refusals are played here. The real call runs in a scratch prefix.
#include <gtest/gtest.h>

#include "framework/Handle.h"
#include "repair/SystemRestart.h"

namespace {

// What the fake system does, and what it was asked.
struct FakeSystem {
    bool tokenOpens = true;
    bool privilegeKnown = true;
    bool adjustSucceeds = true;
    DWORD lastErrorAfterAdjust = ERROR_SUCCESS;
    bool exitAccepted = true;

    DWORD tokenAccess = 0;
    HANDLE token = nullptr;
    TOKEN_PRIVILEGES adjustedTo{};
    int exitCalls = 0;
    UINT exitFlags = 0;
    DWORD exitReason = 99;
    LUID shutdownLuid{};
};
FakeSystem fake;

BOOL WINAPI FakeOpenProcessToken(HANDLE, DWORD access, PHANDLE token)
{
    fake.tokenAccess = access;
    if (!fake.tokenOpens) return FALSE;
    // A real handle, so the test sees whether the token is closed.
    fake.token = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    *token = fake.token;
    return TRUE;
}

BOOL WINAPI FakeLookupPrivilegeValue(LPCWSTR, LPCWSTR name, PLUID luid)
{
    if (!fake.privilegeKnown) return FALSE;
    if (lstrcmpW(name, SE_SHUTDOWN_NAME) != 0) return FALSE;
    *luid = fake.shutdownLuid;
    return TRUE;
}

BOOL WINAPI FakeAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state, DWORD, PTOKEN_PRIVILEGES,
                                      PDWORD)
{
    EXPECT_EQ(token, fake.token);
    EXPECT_FALSE(disableAll);
    fake.adjustedTo = *state;
    return fake.adjustSucceeds;
}

DWORD WINAPI FakeGetLastError()
{
    return fake.lastErrorAfterAdjust;
}

BOOL WINAPI FakeExitWindowsEx(UINT flags, DWORD reason)
{
    ++fake.exitCalls;
    fake.exitFlags = flags;
    fake.exitReason = reason;
    return fake.exitAccepted;
}

const RestartCalls kFakeCalls = {&FakeOpenProcessToken, &FakeLookupPrivilegeValue, &FakeAdjustTokenPrivileges,
                                 &FakeGetLastError, &FakeExitWindowsEx};

bool TokenWasClosed()
{
    DWORD flags = 0;
    return fake.token == nullptr || !GetHandleInformation(fake.token, &flags);
}

TEST(SystemRestart, EnablesTheShutdownPrivilegeThenForcesARestartAndEveryRefusalGivesFalse)
{
    struct Case {
        const char* what;
        void (*arrange)();
    } cases[] = {
        {"nothing refused", [] {}},
        {"token cannot be opened", [] { fake.tokenOpens = false; }},
        {"privilege name unknown", [] { fake.privilegeKnown = false; }},
        {"adjusting fails", [] { fake.adjustSucceeds = false; fake.lastErrorAfterAdjust = ERROR_ACCESS_DENIED; }},
        {"account lacks the privilege", [] { fake.lastErrorAfterAdjust = ERROR_NOT_ALL_ASSIGNED; }},
        {"restart refused", [] { fake.exitAccepted = false; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fake = FakeSystem{};
        LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &fake.shutdownLuid);
        c.arrange();
        const bool refused = !fake.tokenOpens || !fake.privilegeKnown || !fake.adjustSucceeds ||
                             fake.lastErrorAfterAdjust != ERROR_SUCCESS;
        EXPECT_EQ(RequestRestart(kFakeCalls), !refused && fake.exitAccepted);
        EXPECT_EQ(fake.exitCalls, refused ? 0 : 1);
        EXPECT_TRUE(TokenWasClosed());
        if (refused) continue;
        EXPECT_EQ(fake.tokenAccess, DWORD(TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY));
        ASSERT_EQ(fake.adjustedTo.PrivilegeCount, 1u);
        EXPECT_EQ(fake.adjustedTo.Privileges[0].Luid.LowPart, fake.shutdownLuid.LowPart);
        EXPECT_EQ(fake.adjustedTo.Privileges[0].Luid.HighPart, fake.shutdownLuid.HighPart);
        EXPECT_EQ(fake.adjustedTo.Privileges[0].Attributes, DWORD(SE_PRIVILEGE_ENABLED));
        EXPECT_EQ(fake.exitFlags, UINT(EWX_REBOOT | EWX_FORCE));
        EXPECT_EQ(fake.exitReason, 0u);
    }
}

}  // namespace

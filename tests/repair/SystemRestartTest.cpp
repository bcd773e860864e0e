// The restart's decisions with the system calls replaced: Wine's token is always elevated and never
// refuses the privilege, so the refusals are played here. The real call runs in a scratch prefix.
#include <gtest/gtest.h>

#include "repair/SystemRestart.h"

namespace {

// What the fake system does, and what it was asked.
struct FakeSystem {
    bool tokenOpens = true, privilegeKnown = true, adjustSucceeds = true, exitAccepted = true;
    DWORD lastErrorAfterAdjust = ERROR_SUCCESS;

    DWORD tokenAccess = 0;
    HANDLE token = nullptr;  // a real handle, so the test sees whether it is closed
    TOKEN_PRIVILEGES adjustedTo{};
    int exitCalls = 0;
    UINT exitFlags = 0;
    DWORD exitReason = 99;
    LUID shutdownLuid{};
} fake;

BOOL WINAPI FakeOpenProcessToken(HANDLE, DWORD access, PHANDLE token)
{
    fake.tokenAccess = access;
    if (fake.tokenOpens) *token = fake.token = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return fake.tokenOpens;
}

BOOL WINAPI FakeLookupPrivilegeValue(LPCWSTR, LPCWSTR name, PLUID luid)
{
    *luid = fake.shutdownLuid;
    return fake.privilegeKnown && lstrcmpW(name, SE_SHUTDOWN_NAME) == 0;
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

TEST(SystemRestart, EnablesTheShutdownPrivilegeThenForcesARestartAndEveryRefusalGivesFalse)
{
    const RestartCalls fakeCalls = {&FakeOpenProcessToken, &FakeLookupPrivilegeValue, &FakeAdjustTokenPrivileges,
                                    &FakeGetLastError, &FakeExitWindowsEx};
    const struct {
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
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake = FakeSystem{};
        LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &fake.shutdownLuid);
        c.arrange();
        const bool refused = !fake.tokenOpens || !fake.privilegeKnown || !fake.adjustSucceeds ||
                             fake.lastErrorAfterAdjust != ERROR_SUCCESS;
        EXPECT_EQ(RequestRestart(fakeCalls), !refused && fake.exitAccepted);
        EXPECT_EQ(fake.exitCalls, refused ? 0 : 1);
        DWORD flags = 0;
        EXPECT_TRUE(fake.token == nullptr || !GetHandleInformation(fake.token, &flags)) << "the token stayed open";
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

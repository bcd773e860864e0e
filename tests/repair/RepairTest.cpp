// The command runner with real processes, the repair engine reporting to a window with the prefix's
// real registry, and the restart's decisions with the system calls replaced.
#include <gtest/gtest.h>

#include <memory>

#include "framework/Handle.h"
#include "repair/CommandRunner.h"
#include "repair/FlashScreenRepair.h"
#include "repair/RepairMessages.h"
#include "repair/RepairTarget.h"
#include "repair/SystemRestart.h"
#include "support/CurrentDirectory.h"
#include "support/TestSupport.h"

namespace {

CString Quoted(const CString& path)
{
    return L"\"" + path + L"\"";
}

CString HelperPath()
{
    return ExecutableFolder() + L"\\child_helper.exe";
}

struct Outcome {
    CommandEnd end = CommandEnd::NotStarted;
    DWORD exitCode = 1234;  // unless the run Exited
    CString output;
};

Outcome RunWith(const CString& command, const CommandRunnerSetup& setup = {})
{
    Outcome run;
    run.end = RunCommand(command, run.output, run.exitCode, setup);
    return run;
}

TEST(CommandRunner, OnlyTheSystemInterpreterRunsAndItGetsExactlyTheCommandAndOnlyThePipe)
{
    ScratchFolder downloads;
    std::vector<CString> planted;
    for (const CString& folder : {downloads.Path(), ExecutableFolder()}) {
        for (const wchar_t* name : {L"cmd.exe", L"reg.exe"}) {
            planted.push_back(folder + L"\\" + name);
            ASSERT_TRUE(CopyFileW(HelperPath().c_str(), planted.back().c_str(), FALSE));
        }
        planted.push_back(folder + L"\\reg.bat");
        WriteBytes(planted.back(), "@echo planted> \"%~f0.ran\"\r\n");
    }
    struct Unplant {
        std::vector<CString>& paths;
        ~Unplant()
        {
            for (const CString& path : paths) RemoveTree(path), RemoveTree(path + L".ran");
        }
    } unplant{planted};

    {
        const CurrentDirectory inDownloads(downloads.Path());
        SetRepairValue(1);
        const Outcome repair = RunWith(RepairCommandFor(L"0000"));
        ASSERT_EQ(repair.end, CommandEnd::Exited) << repair.output;
        EXPECT_EQ(repair.exitCode, 0u) << repair.output;
        for (const CString& path : planted)
            EXPECT_FALSE(FileExists(path + L".ran")) << "planted program ran: " << path;
        EXPECT_EQ(RepairValue(), 0) << "DalPSRFeatureEnable is not the DWORD 0";
    }

    // A plant that runs shows: as the interpreter, the planted cmd.exe says what it got and leaves
    // its marker. An inheritable handle of this process must not reach it; the pipe alone does.
    const CHandle unrelated(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(SetHandleInformation(unrelated.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT));
    const CString command = L"\"C:\\a b\\x.exe\" \"arg\" handle=" +
                            std::to_wstring(reinterpret_cast<ULONG_PTR>(unrelated.Get()));
    CommandRunnerSetup plantedInterpreter;
    plantedInterpreter.interpreterPath = planted[0];
    const Outcome standIn = RunWith(command, plantedInterpreter);
    ASSERT_EQ(standIn.end, CommandEnd::Exited);
    EXPECT_EQ(standIn.output, L"cmd /D /S /C \"" + command + L"\"\r\nnot inherited\r\n");
    EXPECT_TRUE(FileExists(planted[0] + L".ran"));
}

// Whether the process whose id the file holds has ended, or ends within a few seconds.
bool ProcessEnds(const CString& pidFile)
{
    const DWORD pid = std::strtoul(ReadBytes(pidFile).c_str(), nullptr, 10);
    const CHandle process(pid == 0 ? nullptr : OpenProcess(SYNCHRONIZE, FALSE, pid));
    return pid != 0 && (!process || WaitForSingleObject(process.Get(), 5000) == WAIT_OBJECT_0);
}

TEST(CommandRunner, WhatTheCommandLeftRunningEndsWithTheRun)
{
    ScratchFolder folder;
    const CString pidFile = folder / L"sleeper.pid";
    const CString sleeper = Quoted(HelperPath()) + L" --sleep " + Quoted(pidFile);

    // The sleeper holds the pipe (it writes through it) long after the interpreter has ended.
    ULONGLONG started = GetTickCount64();
    const Outcome left = RunWith(L"start \"\" /b " + sleeper + L" & " + Quoted(HelperPath()) + L" --await " +
                                 Quoted(pidFile) + L" & echo done");
    ASSERT_EQ(left.end, CommandEnd::Exited);
    EXPECT_LT(GetTickCount64() - started, 30000u) << "the run waited for what the command left behind";
    EXPECT_NE(left.output.find(L"sleeping"), CString::npos) << left.output;
    EXPECT_NE(left.output.find(L"done"), CString::npos) << left.output;
    EXPECT_TRUE(ProcessEnds(pidFile));

    // An interpreter that never ends is ended at the limit, with everything it started.
    DeleteFileW(pidFile.c_str());
    CommandRunnerSetup shortLimit;
    shortLimit.timeLimitMs = 2000;
    started = GetTickCount64();
    const Outcome hung = RunWith(sleeper, shortLimit);
    EXPECT_EQ(hung.end, CommandEnd::TimedOut);
    EXPECT_GE(GetTickCount64() - started, 2000u);
    EXPECT_LT(GetTickCount64() - started, 30000u);
    EXPECT_TRUE(ProcessEnds(pidFile));
}

// A message-only window on the test's thread, so the engine's messages are handled inside DoRepair.
using Messages = std::vector<std::pair<UINT, WPARAM>>;
Messages g_received;

LRESULT CALLBACK RecordMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != WM_CLOSE_EXECUTE_PROMPT && message != WM_REPAIR_RESULT)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    g_received.emplace_back(message, wParam);
    return 0;
}

using Window = std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)>;

Window NotifyWindow()
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &RecordMessage;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"PalluxTestNotify";
    RegisterClassW(&windowClass);  // already registered by an earlier window: fine
    g_received.clear();
    return Window(CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  windowClass.hInstance, nullptr),
                  &DestroyWindow);
}

Messages Reported(WPARAM result)
{
    return {{WM_CLOSE_EXECUTE_PROMPT, 0}, {WM_REPAIR_RESULT, result}};
}

TEST(RepairEngine, RepairTurnsTheValueIntoTheDwordZeroAndReportsSuccessWithoutLogging)
{
    for (void (*arrange)() : {+[] { SetRepairValue(1); }, +[] { SetRepairText(L"1"); }}) {
        arrange();
        const size_t recordsBefore = RepairFailureRecords();
        const Window window = NotifyWindow();
        CFlashScreenRepair engine;
        ASSERT_TRUE(engine.SetNotifyWindow(window.get()));
        EXPECT_TRUE(engine.DoRepair());
        EXPECT_EQ(g_received, Reported(kRepairSucceeded));
        EXPECT_EQ(RepairValue(), 0);
        EXPECT_EQ(RepairFailureRecords(), recordsBefore);
    }
}

TEST(RepairEngine, EveryFailureIsReportedAsFailureAndLoggedOnceWithItsReason)
{
    ScratchFolder folder;
    CommandRunnerSetup noInterpreter;
    noInterpreter.interpreterPath = folder / L"missing-cmd.exe";
    CommandRunnerSetup shortLimit;
    shortLimit.timeLimitMs = 1000;

    // Where the command fails, the value is the DWORD 0 already: only the command's own outcome
    // tells the failure.
    const struct {
        const char* what;
        CString command;
        CommandRunnerSetup runner;
        void (*arrange)();
        const wchar_t* detail;  // what follows the fixed text, in part
    } cases[] = {
        {"reg refuses", L"reg add \"HKEY_NO_SUCH_ROOT\\Pallux\" /v x /d 0 /f", {}, [] { SetRepairValue(0); },
         L"（退出代码 "},
        {"exit 0, value untouched", L"rem", {}, [] { SetRepairValue(1); }, L"REG_DWORD 1）"},
        {"exit 0, value of another type", L"rem", {}, [] { SetRepairText(L"0"); }, L"类型 1 的值）"},
        {"time limit", Quoted(HelperPath()) + L" --sleep " + Quoted(folder / L"pid"), shortLimit,
         [] { SetRepairValue(0); }, L"（超过时限仍未结束，已终止）"},
        {"no interpreter", L"rem", noInterpreter, [] { SetRepairValue(0); }, L"（命令未能运行）"},
    };
    for (const auto& failure : cases) {
        SCOPED_TRACE(failure.what);
        failure.arrange();
        const size_t recordsBefore = RepairFailureRecords();
        const Window window = NotifyWindow();
        CFlashScreenRepair engine(failure.command, failure.runner);
        ASSERT_TRUE(engine.SetNotifyWindow(window.get()));
        EXPECT_FALSE(engine.DoRepair());
        EXPECT_EQ(g_received, Reported(kRepairFailed));
        CString detail;
        EXPECT_EQ(RepairFailureRecords(&detail), recordsBefore + 1);
        // No interpreter, no reason to give; otherwise the reason is in the record.
        EXPECT_TRUE(*failure.detail ? detail.find(failure.detail) != CString::npos : detail.empty()) << detail;
    }
    SetRepairValue(0);
}

// The fake system: what it refuses and what it was asked. Wine's token is always elevated and never
// refuses the privilege, so the refusals are played; the real restart runs end to end.
struct FakeSystem {
    bool tokenOpens = true, privilegeKnown = true, adjustSucceeds = true, exitAccepted = true;
    DWORD lastErrorAfterAdjust = ERROR_SUCCESS;
    HANDLE token = nullptr;  // a real handle, so the test sees whether it is closed
    bool privilegeEnabled = false;
    int exitCalls = 0;
    UINT exitFlags = 0;
} fake;

BOOL WINAPI FakeOpenProcessToken(HANDLE, DWORD access, PHANDLE token)
{
    if (!fake.tokenOpens || !(access & TOKEN_ADJUST_PRIVILEGES)) return FALSE;
    *token = fake.token = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    return TRUE;
}

BOOL WINAPI FakeLookupPrivilegeValue(LPCWSTR, LPCWSTR name, PLUID luid)
{
    return fake.privilegeKnown && lstrcmpW(name, SE_SHUTDOWN_NAME) == 0 &&
           LookupPrivilegeValueW(nullptr, name, luid);
}

BOOL WINAPI FakeAdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state, DWORD, PTOKEN_PRIVILEGES,
                                      PDWORD)
{
    LUID shutdown{};
    LookupPrivilegeValueW(nullptr, SE_SHUTDOWN_NAME, &shutdown);
    fake.privilegeEnabled = token == fake.token && !disableAll && state->PrivilegeCount == 1 &&
                            state->Privileges[0].Luid.LowPart == shutdown.LowPart &&
                            state->Privileges[0].Luid.HighPart == shutdown.HighPart &&
                            state->Privileges[0].Attributes == SE_PRIVILEGE_ENABLED;
    return fake.adjustSucceeds;
}

DWORD WINAPI FakeGetLastError()
{
    return fake.lastErrorAfterAdjust;
}

BOOL WINAPI FakeExitWindowsEx(UINT flags, DWORD)
{
    ++fake.exitCalls;
    fake.exitFlags = flags;
    return fake.exitAccepted;
}

TEST(SystemRestart, EnablesTheShutdownPrivilegeThenForcesARestartAndEveryRefusalGivesFalse)
{
    const RestartCalls fakeCalls = {&FakeOpenProcessToken, &FakeLookupPrivilegeValue, &FakeAdjustTokenPrivileges,
                                    &FakeGetLastError, &FakeExitWindowsEx};
    const struct {
        const char* what;
        void (*arrange)();
        int exitCalls;
        BOOL result;
    } cases[] = {
        {"nothing refused", [] {}, 1, TRUE},
        {"token cannot be opened", [] { fake.tokenOpens = false; }, 0, FALSE},
        {"privilege name unknown", [] { fake.privilegeKnown = false; }, 0, FALSE},
        {"adjusting fails", [] { fake.adjustSucceeds = false; }, 0, FALSE},
        {"account lacks the privilege", [] { fake.lastErrorAfterAdjust = ERROR_NOT_ALL_ASSIGNED; }, 0, FALSE},
        {"restart refused", [] { fake.exitAccepted = false; }, 1, FALSE},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fake = FakeSystem{};
        c.arrange();
        EXPECT_EQ(RequestRestart(fakeCalls), c.result);
        ASSERT_EQ(fake.exitCalls, c.exitCalls);
        DWORD flags = 0;
        EXPECT_TRUE(fake.token == nullptr || !GetHandleInformation(fake.token, &flags)) << "the token stayed open";
        if (c.exitCalls == 0) continue;
        EXPECT_TRUE(fake.privilegeEnabled);
        EXPECT_EQ(fake.exitFlags, UINT(EWX_REBOOT | EWX_FORCE)) << "not a forced restart";
    }
}

}  // namespace

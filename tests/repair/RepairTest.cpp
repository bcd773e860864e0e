// The repair engine with real processes and the prefix's real registry, and the restart's decisions
// with the system calls replaced.
#include <gtest/gtest.h>


#include "framework/Encoding.h"
#include "framework/Handle.h"
#include "repair/CommandRunner.h"
#include "repair/FlashScreenRepair.h"
#include "repair/RepairTarget.h"
#include "repair/SystemRestart.h"
#include "support/TestSupport.h"

namespace {

CString Quoted(const CString& path)
{
    return L"\"" + path + L"\"";
}

const CString kHelper = ExecutableFolder() + L"\\child_helper.exe";

// Whether the process whose id the file holds has ended, or ends within a few seconds.
bool ProcessEnds(const CString& pidFile)
{
    const DWORD pid = std::strtoul(ReadBytes(pidFile).c_str(), nullptr, 10);
    const CHandle process(pid == 0 ? nullptr : OpenProcess(SYNCHRONIZE, FALSE, pid));
    return pid != 0 && (!process || WaitForSingleObject(process.Get(), 5000) == WAIT_OBJECT_0);
}

TEST(RepairEngine, OnlyTheSystemsProgramsRunAndOnlyTheDwordZeroCountsAndEveryFailureIsLoggedOnceWithItsReason)
{
    // cmd.exe, reg.exe and reg.bat in the current folder and beside the program, where a search
    // for the bare names would find them first. A plant that runs leaves "<its path>.ran".
    ScratchFolder downloads;
    std::vector<CString> planted;
    for (const CString& folder : {downloads.Path(), ExecutableFolder()}) {
        for (const wchar_t* name : {L"cmd.exe", L"reg.exe"}) {
            planted.push_back(folder + L"\\" + name);
            ASSERT_TRUE(CopyFileW(kHelper.c_str(), planted.back().c_str(), FALSE));
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
    const CurrentDirectory inDownloads(downloads.Path());

    const CString kRepairCommand = RepairCommandFor(L"0000");
    ASSERT_EQ(kRepairCommand.find(L"\"" + SystemFolder() + L"\\reg.exe\" add "), 0u) << "reg not by its full path";
    CommandRunnerSetup noInterpreter;
    noInterpreter.interpreterPath = downloads / L"missing-cmd.exe";
    CommandRunnerSetup shortLimit;
    shortLimit.timeLimitMs = 2000;
    // A start that fails before the interpreter runs, as Wine's and an anti-virus's refusals do.
    const auto failing = [](const wchar_t* step, int attempts, DWORD error) {
        CommandRunnerSetup runner;
        runner.failAt = step;
        runner.failingAttempts = attempts;
        runner.failError = error;
        return runner;
    };
    const CString sleeper = Quoted(kHelper) + L" --sleep ", leftPid = downloads / L"left.pid",
                  overranPid = downloads / L"overran.pid", ranFile = downloads / L"ran.txt";
    const DWORD kLimitAndGrace = shortLimit.timeLimitMs + kPipeGraceMs + 1500;
    // A repair that works leaves the DWORD 0 and no record (detail null), from text as from a DWORD
    // and also when the command leaves a process running that holds the pipe. Where the command
    // fails, the value is the DWORD 0 already: only the command's own outcome tells the failure.
    const struct {
        const char* what;
        CString command;
        CommandRunnerSetup runner;
        void (*arrange)();
        const wchar_t* detail;  // what follows the fixed text in the record, in part
        const wchar_t* retryNote = nullptr;  // the note of a start that ran only after failed attempts
        DWORD withinMs = 30000;
    } cases[] = {
        {"text 1 repaired", kRepairCommand, {}, [] { SetRepairText(L"1"); }, nullptr},
        {"repaired, a process left running", L"start \"\" /b " + sleeper + Quoted(leftPid) + L" & " +
             Quoted(kHelper) + L" --await " + Quoted(leftPid) + L" & " + kRepairCommand, {},
         [] { SetRepairValue(1); }, nullptr},
        {"reg refuses", SystemReg() + L" add \"HKEY_NO_SUCH_ROOT\\Pallux\" /v x /d 0 /f", {}, [] { SetRepairValue(0); },
         L"（退出代码 "},
        {"exit 0, value untouched", L"rem", {}, [] { SetRepairValue(1); }, L"REG_DWORD 1）"},
        {"exit 0, value of another type", L"rem", {}, [] { SetRepairText(L"0"); }, L"类型 1 的值）"},
        {"time limit", sleeper + Quoted(overranPid), shortLimit, [] { SetRepairValue(0); },
         L"child_helper.exe）", nullptr, kLimitAndGrace},
        {"time limit, the pipe held outside the job",
         Quoted(kHelper) + L" --give-stdout " + std::to_wstring(GetCurrentProcessId()), shortLimit,
         [] { SetRepairValue(0); }, L"（超过时限仍未结束，已终止：", nullptr, kLimitAndGrace},
        {"no interpreter, tried once", L"rem", noInterpreter, [] { SetRepairValue(0); },
         L"0000（命令未能运行：CreateProcessW 失败，错误 2）"},
        {"started at the third attempt", kRepairCommand, failing(L"ResumeThread", 2, ERROR_INTERNAL_ERROR),
         [] { SetRepairValue(1); }, nullptr,
         L"0000 命令第 1 次未能运行（ResumeThread 失败，错误 1359），第 2 次未能运行（ResumeThread 失败，错误 1359），"
         L"第 3 次已运行"},
        {"never started", kRepairCommand, failing(L"CreateProcessW", 3, ERROR_INTERNAL_ERROR), [] { SetRepairValue(1); },
         L"（命令未能运行：CreateProcessW 失败，错误 1359，共尝试 3 次）"},
        {"blocked by policy, tried once", kRepairCommand,
         failing(L"AssignProcessToJobObject", 1, ERROR_ACCESS_DISABLED_BY_POLICY), [] { SetRepairValue(1); },
         L"（命令未能运行：AssignProcessToJobObject 失败，错误 1260）"},
        {"exit code unread, never run again", L"echo ran>>" + Quoted(ranFile), failing(L"GetExitCodeProcess", 3, 6),
         [] { SetRepairValue(0); }, L"（命令已运行，但无法读取退出代码：GetExitCodeProcess 失败，错误 6）"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        c.arrange();
        const size_t recordsBefore = RepairFailureRecords().size();
        const std::string logBefore = ToolLog();
        CFlashScreenRepair engine(c.command, c.runner);
        const ULONGLONG started = GetTickCount64();
        EXPECT_EQ(engine.DoRepair(), c.detail == nullptr);
        EXPECT_LT(GetTickCount64() - started, c.withinMs) << "the run waited for what the command left behind";
        const std::vector<CString> records = RepairFailureRecords();
        EXPECT_EQ(records.size(), recordsBefore + (c.detail != nullptr ? 1 : 0));
        const std::string notes = ToolLog().substr(logBefore.size());
        const std::string note = c.retryNote != nullptr ? CodePageFromWide(936, c.retryNote) : "次已运行";
        EXPECT_EQ(notes.find(note) != std::string::npos, c.retryNote != nullptr) << notes;
        if (c.detail == nullptr) {
            EXPECT_EQ(RepairValue(), 0) << "DalPSRFeatureEnable is not the DWORD 0";
            continue;
        }
        const CString detail = records.empty() ? CString(L"(no record)") : records.back();
        EXPECT_NE(detail.find(c.detail), CString::npos) << detail;
    }
    EXPECT_EQ(ReadBytes(ranFile), "ran\r\n") << "a command that ran was run again";
    SetRepairValue(0);
    for (const CString& pidFile : {leftPid, overranPid}) EXPECT_TRUE(ProcessEnds(pidFile)) << pidFile << ": still runs";
    for (const CString& path : planted) EXPECT_EQ(ReadBytes(path + L".ran"), "") << "planted program ran: " << path;

    // As the interpreter, the planted cmd.exe says what it got. An inheritable handle of this
    // process must not reach it, the pipe alone does; and of the environment, only the system's
    // folders.
    const CHandle unrelated(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(SetHandleInformation(unrelated.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT));
    const CString command = L"\"C:\\a b\\x.exe\" \"arg\" handle=" +
                            std::to_wstring(reinterpret_cast<ULONG_PTR>(unrelated.Get()));
    CommandRunnerSetup plantedInterpreter;
    plantedInterpreter.interpreterPath = planted[0];
    CString output;
    const CommandRun run = RunCommand(command, output, plantedInterpreter);
    ASSERT_EQ(run.end, CommandEnd::Exited);
    const CString header = L"cmd /D /S /C \"" + command + L"\"\r\nnot inherited\r\n";
    ASSERT_EQ(output.substr(0, header.size()), header);
    // Its environment names the system's folders, and nothing of this process's own (TEMP, say).
    EXPECT_NE(output.find(L"\r\nPATH=" + SystemFolder() + L"\r\n"), CString::npos) << output;
    EXPECT_NE(output.find(L"\r\nComSpec=" + SystemFolder() + L"\\cmd.exe\r\n"), CString::npos) << output;
    EXPECT_EQ(output.find(L"\r\nTEMP="), CString::npos) << output;
}

// The fake system: what it refuses and what it was asked. Wine's token is always elevated and never
// refuses the privilege, so the refusals are played; the real restart runs end to end.
struct FakeSystem {
    bool tokenOpens = true, adjustSucceeds = true, exitAccepted = true;
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
    const RestartCalls fakeCalls = {&FakeOpenProcessToken, &LookupPrivilegeValueW, &FakeAdjustTokenPrivileges,
                                    &FakeGetLastError, &FakeExitWindowsEx};
    const struct {
        const char* what;
        void (*arrange)();
        int exitCalls;
        BOOL result;
    } cases[] = {
        {"nothing refused", [] {}, 1, TRUE},
        {"token cannot be opened", [] { fake.tokenOpens = false; }, 0, FALSE},
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

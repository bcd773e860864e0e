// The command runner with real processes, the prefix's real registry and real files.
#include <gtest/gtest.h>

#include "RepairTestSupport.h"
#include "framework/Encoding.h"
#include "framework/Handle.h"
#include "repair/CommandRunner.h"
#include "repair/RepairTarget.h"
#include "support/CurrentDirectory.h"

namespace {

constexpr DWORD kAnyFailure = ~DWORD(0);

struct Outcome {
    CommandEnd end;
    DWORD exitCode;  // 1234 unless the run Exited
    CString output;  // after what it held before
};

Outcome RunWith(const CString& command, const CommandRunnerSetup& setup = {}, const CString& before = L"")
{
    Outcome run{CommandEnd::NotStarted, 1234, before};
    run.end = RunCommand(command, run.output, run.exitCode, setup);
    return run;
}

CString Quoted(const CString& path)
{
    return L"\"" + path + L"\"";
}

// Wine's GetProcessHandleCount always says 0, so count the handle values that are open.
size_t HandleCount()
{
    const size_t count = LiveHandlesOf(GetCurrentProcessId()).size();
    EXPECT_GT(count, 0u) << "no handle count to compare";
    return count;
}

// Whether the process whose id the file holds has ended, or ends within a few seconds.
bool ProcessEnds(const CString& pidFile)
{
    const DWORD pid = std::strtoul(ReadBytes(pidFile).c_str(), nullptr, 10);
    if (pid == 0) return false;
    const CHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    return !process || WaitForSingleObject(process.Get(), 5000) == WAIT_OBJECT_0;
}

TEST(CommandRunner, CommandsRunToTheirEndAndAppendTheirOutputAndOnlyThoseThatFitRun)
{
    ScratchFolder folder;
    const CString spaced = folder / L"a b";
    ASSERT_TRUE(CreateDirectoryW(spaced.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(HelperPath().c_str(), (spaced + L"\\x.exe").c_str(), FALSE));
    WriteBytes(spaced + L"\\x.txt", "quoted path ran\r\n");
    const size_t fits = kCommandLineChars - 1 - CString(L"cmd /D /S /C \"\"").size();
    const CString longest = L"rem " + CString(fits - 4, L'a');

    const struct {
        CString command;
        CommandEnd end;
        DWORD exitCode;           // kAnyFailure: not 0
        const wchar_t* appended;  // nullptr: some message, whatever it says
    } cases[] = {
        {L"rem nothing to say", CommandEnd::Exited, 0, L""},
        {L"exit 5", CommandEnd::Exited, 5, L""},
        // The stand-in that the test prefix has in place of the system's timeout.
        {L"timeout /t 0 /nobreak", CommandEnd::Exited, 0, L""},
        {L"timeout /t soon", CommandEnd::Exited, 1, nullptr},
        {L"reg add \"HKEY_NO_SUCH_ROOT\\Pallux\" /v x /d 0 /f", CommandEnd::Exited, kAnyFailure, nullptr},
        // Quotes at both ends of the command belong to it; the interpreter must not take them.
        {Quoted(spaced + L"\\x.exe") + L" --emit " + Quoted(spaced + L"\\x.txt"), CommandEnd::Exited, 0,
         L"quoted path ran\r\n"},
        // The longest command that fits runs; one that does not fit fails whole instead of being cut.
        {longest, CommandEnd::Exited, 0, L""},
        {longest + L"a", CommandEnd::NotStarted, 1234, L""},
    };
    for (const auto& c : cases) {
        const Outcome run = RunWith(c.command, {}, L"before|");
        ASSERT_EQ(run.end, c.end) << c.command;
        if (c.exitCode == kAnyFailure) EXPECT_NE(run.exitCode, 0u) << c.command << run.output;
        else EXPECT_EQ(run.exitCode, c.exitCode) << c.command << run.output;
        ASSERT_EQ(run.output.substr(0, 7), L"before|") << c.command;
        if (c.appended != nullptr) EXPECT_EQ(run.output.substr(7), c.appended) << c.command;
        else EXPECT_GT(run.output.size(), 7u) << c.command << ": its message did not arrive";
    }
    CString ignored;
    EXPECT_TRUE(ExecuteCommand(L"exit 5", ignored)) << "the interpreter ran to its end";
    EXPECT_FALSE(ExecuteCommand(longest + L"a", ignored));
}

TEST(CommandRunner, InterpreterGetsExactlyTheCommandAndOnlyThePipe)
{
    ScratchFolder folder;
    CommandRunnerSetup standIn;
    standIn.interpreterPath = folder / L"cmd.exe";
    ASSERT_TRUE(CopyFileW(HelperPath().c_str(), standIn.interpreterPath.c_str(), FALSE));
    // An inheritable handle of this process that the child must not receive.
    const CHandle unrelated(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(SetHandleInformation(unrelated.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT));
    wchar_t handle[32];
    swprintf(handle, 32, L"handle=%llx", static_cast<unsigned long long>(reinterpret_cast<ULONG_PTR>(unrelated.Get())));

    const CString command = L"\"C:\\a b\\x.exe\" \"arg\" " + CString(handle);
    const Outcome run = RunWith(command, standIn);
    ASSERT_EQ(run.end, CommandEnd::Exited);
    EXPECT_EQ(run.output, L"cmd /D /S /C \"" + command + L"\"\r\nnot inherited\r\n");
    EXPECT_EQ(run.exitCode, 0u);
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
    EXPECT_EQ(hung.exitCode, 1234u);
    EXPECT_TRUE(ProcessEnds(pidFile));
}

TEST(CommandRunner, InterpreterThatCannotStartGivesFalseAndNoRunLeaksAHandle)
{
    ScratchFolder folder;
    const CString marker = folder / L"ran.txt";
    const CString command = L"echo x> \"" + marker + L"\"";
    CommandRunnerSetup missing;
    missing.interpreterPath = folder / L"missing-cmd.exe";
    ASSERT_EQ(RunWith(command, missing).end, CommandEnd::NotStarted);  // warms up
    CString output;
    ASSERT_TRUE(ExecuteCommand(L"echo warm", output));

    const size_t handlesBefore = HandleCount();
    for (int i = 0; i < 10; ++i) {
        const Outcome run = RunWith(command, missing, L"kept");
        EXPECT_EQ(run.end, CommandEnd::NotStarted);
        EXPECT_EQ(run.output, L"kept");
        EXPECT_EQ(run.exitCode, 1234u);
    }
    EXPECT_FALSE(FileExists(marker));
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(ExecuteCommand(L"echo again", output));
    EXPECT_EQ(HandleCount(), handlesBefore) << "runs leaked handles";
}

TEST(CommandRunner, LongOutputArrivesWholeAndInOrderAfterEarlierText)
{
    ScratchFolder folder;
    // About 10 KB of numbered Chinese lines, with a double-byte character straddling the first
    // 4095-byte read; a helper writes them unchanged, all at once.
    std::string content;
    for (int line = 0; content.size() < 4080; ++line)
        content += "\xD0\xDE\xB8\xB4 " + std::to_string(line) + "\r\n";  // "修复 n"
    content.resize(4094, '.');
    content += "\xC6\xC1";  // "屏" in GBK, split by the first read
    for (int line = 0; content.size() < 10000; ++line)
        content += "\xD0\xDE\xB8\xB4 " + std::to_string(line) + "\r\n";
    WriteBytes(folder / L"long.txt", content);

    const Outcome run = RunWith(Quoted(HelperPath()) + L" --emit " + folder / L"long.txt", {}, L"earlier text|");
    ASSERT_EQ(run.end, CommandEnd::Exited);
    EXPECT_EQ(run.exitCode, 0u);
    const CString expected = L"earlier text|" + WideFromCodePage(936, content);
    EXPECT_TRUE(run.output == expected) << run.output.size() << " characters, expected " << expected.size();
}

TEST(CommandRunner, ProgramsPlantedBesideTheToolOrInTheCurrentFolderNeverRun)
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

    // The plants work: run as an interpreter, a planted cmd.exe leaves its marker.
    CommandRunnerSetup plantedInterpreter;
    plantedInterpreter.interpreterPath = planted[0];
    ASSERT_EQ(RunWith(L"rem", plantedInterpreter).end, CommandEnd::Exited);
    ASSERT_TRUE(FileExists(planted[0] + L".ran"));
    DeleteFileW((planted[0] + L".ran").c_str());

    CurrentDirectory inDownloads(downloads.Path());
    SetRepairValue(1);
    const Outcome repair = RunWith(kRepairCommand);
    ASSERT_EQ(repair.end, CommandEnd::Exited) << repair.output;
    EXPECT_EQ(repair.exitCode, 0u) << repair.output;
    for (const CString& path : planted) EXPECT_FALSE(FileExists(path + L".ran")) << "planted program ran: " << path;
    EXPECT_EQ(RepairValue(), 0) << "DalPSRFeatureEnable is not the DWORD 0";
}

}  // namespace

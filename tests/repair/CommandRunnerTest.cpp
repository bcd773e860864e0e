// The command runner with real processes, the prefix's real registry and real files.
#include <gtest/gtest.h>

#include "RepairTestSupport.h"
#include "framework/Encoding.h"
#include "framework/Handle.h"
#include "repair/CommandRunner.h"
#include "repair/RepairTarget.h"
#include "support/CurrentDirectory.h"
#include "support/TestSupport.h"

namespace {

const CString kFailingReg = L"reg add \"HKEY_NO_SUCH_ROOT\\Pallux\" /v x /d 0 /f";
constexpr DWORD kAnyFailure = ~DWORD(0);

// Wine's GetProcessHandleCount always says 0, so count the handle values that are open.
DWORD HandleCount()
{
    DWORD count = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    EXPECT_GT(count, 0u) << "no handle count to compare";
    return count;
}

CString Quoted(const CString& path)
{
    return L"\"" + path + L"\"";
}

TEST(CommandRunner, CommandsRunToTheirEndAndAppendTheirOutput)
{
    ScratchFolder folder;
    const CString spaced = folder / L"a b";
    ASSERT_TRUE(CreateDirectoryW(spaced.c_str(), nullptr));
    ASSERT_TRUE(CopyFileW(HelperPath().c_str(), (spaced + L"\\x.exe").c_str(), FALSE));
    WriteBytes(spaced + L"\\x.txt", "quoted path ran\r\n");

    struct Case {
        CString command;
        DWORD exitCode;           // kAnyFailure: not 0
        const wchar_t* appended;  // nullptr: some message, whatever it says
    } cases[] = {
        {L"rem nothing to say", 0, L""},
        {L"exit 5", 5, L""},
        // The stand-in that the test prefix has in place of the system's timeout.
        {L"timeout /t 0 /nobreak", 0, L""},
        {L"timeout /t soon", 1, nullptr},
        {kFailingReg, kAnyFailure, nullptr},
        // Quotes at both ends of the command belong to it; the interpreter must not take them.
        {Quoted(spaced + L"\\x.exe") + L" --emit " + Quoted(spaced + L"\\x.txt"), 0, L"quoted path ran\r\n"},
    };
    for (const Case& run : cases) {
        CString output = L"before|";
        DWORD exitCode = 1234;
        ASSERT_EQ(RunCommand(run.command, output, exitCode), CommandEnd::Exited) << run.command;
        if (run.exitCode == kAnyFailure)
            EXPECT_NE(exitCode, 0u) << run.command << output;
        else
            EXPECT_EQ(exitCode, run.exitCode) << run.command << output;
        ASSERT_EQ(output.substr(0, 7), L"before|") << run.command;
        if (run.appended != nullptr)
            EXPECT_EQ(output.substr(7), run.appended) << run.command;
        else
            EXPECT_GT(output.size(), 7u) << run.command << ": its message did not arrive";
    }
    CString ignored;
    EXPECT_TRUE(ExecuteCommand(L"exit 5", ignored)) << "the interpreter ran to its end";
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
    CString output;
    DWORD exitCode = 1;
    ASSERT_EQ(RunCommand(command, output, exitCode, standIn), CommandEnd::Exited);
    EXPECT_EQ(output, L"cmd /D /S /C \"" + command + L"\"\r\nnot inherited\r\n");
    EXPECT_EQ(exitCode, 0u);
}

TEST(CommandRunner, WhatTheCommandLeftRunningEndsWithTheRun)
{
    ScratchFolder folder;
    const CString pidFile = folder / L"sleeper.pid";
    const CString sleeper = Quoted(HelperPath()) + L" --sleep " + Quoted(pidFile);

    // The sleeper holds the pipe (it writes through it) long after the interpreter has ended.
    CString output;
    DWORD exitCode = 1;
    ULONGLONG started = GetTickCount64();
    ASSERT_EQ(RunCommand(L"start \"\" /b " + sleeper + L" & " + Quoted(HelperPath()) + L" --await " +
                             Quoted(pidFile) + L" & echo done",
                         output, exitCode),
              CommandEnd::Exited);
    EXPECT_LT(GetTickCount64() - started, 30000u) << "the run waited for what the command left behind";
    EXPECT_NE(output.find(L"sleeping"), CString::npos) << output;
    EXPECT_NE(output.find(L"done"), CString::npos) << output;
    EXPECT_TRUE(ProcessEnds(ReadBytes(pidFile)));

    // An interpreter that never ends is ended at the limit, with everything it started.
    DeleteFileW(pidFile.c_str());
    CommandRunnerSetup shortLimit;
    shortLimit.timeLimitMs = 2000;
    output.clear();
    exitCode = 1234;
    started = GetTickCount64();
    EXPECT_EQ(RunCommand(sleeper, output, exitCode, shortLimit), CommandEnd::TimedOut);
    const ULONGLONG took = GetTickCount64() - started;
    EXPECT_GE(took, 2000u);
    EXPECT_LT(took, 30000u);
    EXPECT_EQ(exitCode, 1234u);
    EXPECT_TRUE(ProcessEnds(ReadBytes(pidFile)));
}

TEST(CommandRunner, InterpreterThatCannotStartGivesFalseAndNoRunLeaksAHandle)
{
    ScratchFolder folder;
    const CString marker = folder / L"ran.txt";
    const CString command = L"echo x> \"" + marker + L"\"";
    CommandRunnerSetup missing;
    missing.interpreterPath = folder / L"missing-cmd.exe";
    CString output;
    DWORD exitCode = 1234;
    ASSERT_EQ(RunCommand(command, output, exitCode, missing), CommandEnd::NotStarted);  // warms up
    ASSERT_TRUE(ExecuteCommand(L"echo warm", output));

    output = L"kept";
    const DWORD handlesBefore = HandleCount();
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(RunCommand(command, output, exitCode, missing), CommandEnd::NotStarted);
        EXPECT_EQ(output, L"kept");
        EXPECT_EQ(exitCode, 1234u);
    }
    EXPECT_FALSE(FileExists(marker));
    CString ran;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(ExecuteCommand(L"echo again", ran));
    EXPECT_EQ(HandleCount(), handlesBefore) << "runs leaked handles";
}

TEST(CommandRunner, CommandLineThatDoesNotFitFailsWholeInsteadOfBeingCut)
{
    ScratchFolder folder;
    const CString marker = folder / L"ran.txt";
    const CString prefix = L"echo x> \"" + marker + L"\" & rem ";
    const size_t fits = kCommandLineChars - 1 - CString(L"cmd /D /S /C \"\"").size();

    CString output;
    CString longest = prefix + CString(fits - prefix.size(), L'a');
    EXPECT_TRUE(ExecuteCommand(longest, output)) << "the longest command that fits must run";
    EXPECT_TRUE(FileExists(marker));

    DeleteFileW(marker.c_str());
    EXPECT_FALSE(ExecuteCommand(longest + L"a", output));
    EXPECT_FALSE(FileExists(marker)) << "a command that does not fit must not run at all";
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

    CString output = L"earlier text|";
    DWORD exitCode = 1;
    ASSERT_EQ(RunCommand(Quoted(HelperPath()) + L" --emit " + folder / L"long.txt", output, exitCode),
              CommandEnd::Exited);
    EXPECT_EQ(exitCode, 0u);
    const CString expected = L"earlier text|" + WideFromCodePage(936, content);
    EXPECT_TRUE(output == expected) << output.size() << " characters, expected " << expected.size();
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
            for (const CString& path : paths) {
                DeleteFileW(path.c_str());
                DeleteFileW((path + L".ran").c_str());
            }
        }
    } unplant{planted};

    // The plants work: run as an interpreter, a planted cmd.exe leaves its marker.
    CommandRunnerSetup plantedInterpreter;
    plantedInterpreter.interpreterPath = planted[0];
    CString output;
    DWORD exitCode = 1;
    ASSERT_EQ(RunCommand(L"rem", output, exitCode, plantedInterpreter), CommandEnd::Exited);
    ASSERT_TRUE(FileExists(planted[0] + L".ran"));
    DeleteFileW((planted[0] + L".ran").c_str());

    CurrentDirectory inDownloads(downloads.Path());
    SetPsrValue(1);
    ASSERT_EQ(RunCommand(kRepairCommand, output, exitCode), CommandEnd::Exited) << output;
    EXPECT_EQ(exitCode, 0u) << output;
    for (const CString& path : planted)
        EXPECT_FALSE(FileExists(path + L".ran")) << "planted program ran: " << path;
    DWORD value = 7;
    ASSERT_TRUE(ReadPsrValue(value)) << "DalPSRFeatureEnable is missing or not a DWORD";
    EXPECT_EQ(value, 0u);
}

}  // namespace

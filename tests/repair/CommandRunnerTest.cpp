// The command runner with real processes, the prefix's real registry and real files.
#include <gtest/gtest.h>

#include <algorithm>

#include "RepairTestSupport.h"
#include "framework/Encoding.h"
#include "framework/Handle.h"
#include "repair/CommandRunner.h"
#include "repair/FlashScreenRepair.h"
#include "support/TestSupport.h"

namespace {

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

TEST(CommandRunner, RepairCommandSetsTheValueToDwordZero)
{
    SetPsrValue(1);
    CString output;
    DWORD exitCode = 99;
    ASSERT_TRUE(ExecuteCommand(kRepairCommand, output, exitCode)) << output;
    EXPECT_EQ(exitCode, 0u) << output;
    DWORD value = 7;
    ASSERT_TRUE(ReadPsrValue(value)) << "DalPSRFeatureEnable is missing or not a DWORD";
    EXPECT_EQ(value, 0u);
}

TEST(CommandRunner, FailingRegRunsToItsEndWithItsExitCodeAndMessage)
{
    CString output = L"before|";
    DWORD exitCode = 0;
    ASSERT_TRUE(ExecuteCommand(L"reg add \"HKEY_NO_SUCH_ROOT\\Pallux\" /v x /d 0 /f", output, exitCode));
    EXPECT_NE(exitCode, 0u);
    ASSERT_GT(output.size(), 7u) << "reg's message did not arrive";
    EXPECT_EQ(output.substr(0, 7), L"before|");

    // The short form keeps its contract: the interpreter ran, so TRUE.
    CString ignored;
    EXPECT_TRUE(ExecuteCommand(L"exit 5", ignored));
    DWORD code = 0;
    EXPECT_TRUE(ExecuteCommand(L"exit 5", ignored, code));
    EXPECT_EQ(code, 5u);
}

TEST(CommandRunner, SilentCommandLeavesOutputAsItWas)
{
    CString output = L"unchanged";
    DWORD exitCode = 1;
    EXPECT_TRUE(ExecuteCommand(L"rem nothing to say", output, exitCode));
    EXPECT_EQ(output, L"unchanged");
    EXPECT_EQ(exitCode, 0u);
}

TEST(CommandRunner, InterpreterThatCannotStartGivesFalseStartsNothingAndLeaksNoHandle)
{
    ScratchFolder folder;
    const CString marker = folder / L"ran.txt";
    const CString command = L"echo x> \"" + marker + L"\"";
    CString warmUp;
    DWORD warmUpCode = 0;
    ASSERT_FALSE(ExecuteCommandWith(L"C:\\no\\such\\cmd.exe", command, warmUp, warmUpCode));

    const DWORD handlesBefore = HandleCount();
    for (int i = 0; i < 20; ++i) {
        CString output = L"kept";
        DWORD exitCode = 1234;
        EXPECT_FALSE(ExecuteCommandWith(folder / L"missing-cmd.exe", command, output, exitCode));
        EXPECT_EQ(output, L"kept");
        EXPECT_EQ(exitCode, 1234u);
    }
    EXPECT_EQ(HandleCount(), handlesBefore) << "a failed start leaked handles";
    EXPECT_FALSE(FileExists(marker));
}

TEST(CommandRunner, RunsLeakNoHandle)
{
    CString output;
    ASSERT_TRUE(ExecuteCommand(L"echo warm", output));
    const DWORD handlesBefore = HandleCount();
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(ExecuteCommand(L"echo again", output));
    EXPECT_EQ(HandleCount(), handlesBefore);
}

TEST(CommandRunner, CommandLineThatDoesNotFitFailsWholeInsteadOfBeingCut)
{
    ScratchFolder folder;
    const CString marker = folder / L"ran.txt";
    const CString prefix = L"echo x> \"" + marker + L"\" & rem ";
    const size_t fits = kCommandLineChars - 1 - CString(L"cmd /D /C ").size();

    CString output;
    CString longest = prefix + CString(fits - prefix.size(), L'a');
    EXPECT_TRUE(ExecuteCommand(longest, output)) << "the longest command that fits must run";
    EXPECT_TRUE(FileExists(marker));

    DeleteFileW(marker.c_str());
    CString tooLong = longest + L"a";
    EXPECT_FALSE(ExecuteCommand(tooLong, output));
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
    ASSERT_TRUE(CopyFileW((ExecutableFolder() + L"\\child_helper.exe").c_str(), (folder / L"emit.exe").c_str(), FALSE));

    CString output = L"earlier text|";
    DWORD exitCode = 1;
    ASSERT_TRUE(ExecuteCommand(folder / L"emit.exe --emit " + folder / L"long.txt", output, exitCode));
    EXPECT_EQ(exitCode, 0u);
    const CString expected = L"earlier text|" + WideFromCodePage(936, content);
    const auto firstDifference = std::mismatch(output.begin(), output.end(), expected.begin(), expected.end());
    EXPECT_TRUE(output == expected) << "output (" << output.size() << " characters, expected " << expected.size()
                                    << ") first differs at " << (firstDifference.first - output.begin()) << ": "
                                    << CString(firstDifference.first, std::min(firstDifference.first + 40, output.end()));
}

// Copies of a program that leaves a marker when run, placed where a careless runner would look.
class PlantedPrograms {
public:
    explicit PlantedPrograms(const std::vector<CString>& folders)
    {
        const CString marker = ExecutableFolder() + L"\\child_helper.exe";
        for (const CString& folder : folders) {
            for (const wchar_t* name : {L"cmd.exe", L"reg.exe"}) {
                const CString path = folder + L"\\" + name;
                if (!CopyFileW(marker.c_str(), path.c_str(), FALSE)) throw std::runtime_error("cannot plant");
                m_planted.push_back(path);
            }
            const CString batch = folder + L"\\reg.bat";
            WriteBytes(batch, "@echo planted> \"%~f0.ran\"\r\n");
            m_planted.push_back(batch);
        }
    }
    ~PlantedPrograms()
    {
        for (const CString& path : m_planted) {
            DeleteFileW(path.c_str());
            DeleteFileW((path + L".ran").c_str());
        }
    }
    std::vector<CString> Ran() const
    {
        std::vector<CString> ran;
        for (const CString& path : m_planted)
            if (FileExists(path + L".ran")) ran.push_back(path);
        return ran;
    }
    const std::vector<CString>& Paths() const { return m_planted; }

private:
    std::vector<CString> m_planted;
};

class CurrentDirectory {
public:
    explicit CurrentDirectory(const CString& folder)
    {
        wchar_t previous[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, previous);
        m_previous = previous;
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentDirectory() { SetCurrentDirectoryW(m_previous.c_str()); }

private:
    CString m_previous;
};

TEST(CommandRunner, ProgramsPlantedBesideTheToolOrInTheCurrentFolderNeverRun)
{
    ScratchFolder downloads;
    PlantedPrograms planted({downloads.Path(), ExecutableFolder()});

    // The plants work: started directly, a planted cmd.exe leaves its marker.
    {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION created{};
        CString line = L"cmd";
        ASSERT_TRUE(CreateProcessW(planted.Paths()[0].c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   nullptr, &startup, &created));
        CHandle process(created.hProcess), thread(created.hThread);
        WaitForSingleObject(process.Get(), 10000);
        ASSERT_TRUE(FileExists(planted.Paths()[0] + L".ran"));
        DeleteFileW((planted.Paths()[0] + L".ran").c_str());
    }

    CurrentDirectory inDownloads(downloads.Path());
    SetPsrValue(1);
    CString output;
    DWORD exitCode = 1;
    ASSERT_TRUE(ExecuteCommand(kRepairCommand, output, exitCode)) << output;
    EXPECT_EQ(exitCode, 0u) << output;
    for (const CString& path : planted.Ran()) ADD_FAILURE() << "planted program ran: " << path;
    DWORD value = 7;
    ASSERT_TRUE(ReadPsrValue(value));
    EXPECT_EQ(value, 0u);
}

}  // namespace

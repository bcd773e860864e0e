// The front end: the INI switch, forced records, the log folder, and the one process-wide instance.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "log/LogSave.h"
#include "support/TestSupport.h"

namespace {

// A front end over a scratch base folder, optionally with a "logCfg.ini" of the given content.
struct FrontEnd {
    ScratchFolder base;
    CString Base() const { return base.Path() + L"\\"; }
    CString LogFile() const { return base / L"ToolLog\\test.txt"; }
    void WriteConfig(const std::string& content) { WriteBytes(base / L"logCfg.ini", content); }
};

TEST(LogConfig, ProfileIntegerNeverWrapsIntoOne)
{
    // A value that wraps to 1 in 32 bits must not switch printing on; huge values saturate.
    EXPECT_NE(ParseProfileInteger(L"4294967297"), 1);
    EXPECT_EQ(ParseProfileInteger(L"99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseProfileInteger(L"-99999999999999999999"), INT_MIN);
    EXPECT_EQ(ParseProfileInteger(L"+-1"), 0);
}

TEST(LogConfig, PrintSwitchTurnsOnOnlyForOneAndForcedRecordsAlwaysGo)
{
    struct Case {
        const char* content;  // null: no "logCfg.ini" at all
        bool on;
    } cases[] = {
        {"[Log]\r\nprint=1\r\n", true},       {"[Log]\r\nprint=01\r\n", true},
        {"[Log]\r\nprint=+1\r\n", true},      {"[Log]\r\nprint = 1 \r\n", true},
        {"[Log]\r\nprint=2\r\n", false},      {"[Log]\r\nprint=0\r\n", false},
        {"[Log]\r\nprint=-1\r\n", false},     {"[Log]\r\nprint=yes\r\n", false},
        {"[Log]\r\nother=1\r\n", false},      {"[Other]\r\nprint=1\r\n", false},
        {nullptr, false},
    };
    for (const Case& c : cases) {
        const char* name = c.content ? c.content : "no file";
        FrontEnd fe;
        if (c.content) fe.WriteConfig(c.content);
        CLogSave log(fe.Base());
        EXPECT_EQ(log.IsPrintOn(), c.on) << name;
        EXPECT_EQ(log.GetLogDir(), fe.Base() + L"ToolLog\\");
        EXPECT_TRUE(IsFolder(fe.base / L"ToolLog"));

        log.WriteLog("plain", "test.txt", false);
        EXPECT_EQ(CountOccurrences(ReadBytes(fe.LogFile()), "   plain\r\n"), c.on ? 1u : 0u) << name;
        log.WriteLog("forced", "test.txt", true);
        EXPECT_EQ(CountOccurrences(ReadBytes(fe.LogFile()), "   forced\r\n"), 1u) << name;
    }
}

TEST(LogConfig, PlainFileNamedToolLogDropsRecordsHarmlessly)
{
    FrontEnd fe;
    WriteBytes(fe.base / L"ToolLog", "not a folder");
    CLogSave log(fe.Base());
    log.WriteLog("lost", "test.txt", true);
    log.WriteLog("lost again", "test.txt", true);
    EXPECT_EQ(ReadBytes(fe.base / L"ToolLog"), "not a folder");
    EXPECT_FALSE(IsFolder(fe.base / L"ToolLog"));
}

TEST(LogConfig, ConfigIsReadOnceWhenBuilt)
{
    FrontEnd fe;
    fe.WriteConfig("[Log]\r\nprint=1\r\n");
    CLogSave log(fe.Base());
    fe.WriteConfig("[Log]\r\nprint=0\r\n");
    log.WriteLog("still printed", "test.txt", false);
    EXPECT_EQ(CountOccurrences(ReadBytes(fe.LogFile()), "   still printed\r\n"), 1u);
}

TEST(LogConfig, InstanceIsOneObjectEvenWhenThreadsArriveTogether)
{
    constexpr int kThreads = 8;
    std::vector<CLogSave*> seen(kThreads, nullptr);
    HANDLE start = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            WaitForSingleObject(start, INFINITE);
            seen[i] = &CLogSave::GetInstance();
        });
    SetEvent(start);
    for (auto& t : threads) t.join();
    CloseHandle(start);

    for (CLogSave* instance : seen) EXPECT_EQ(instance, seen[0]);
    EXPECT_EQ(seen[0]->GetLogDir(), CommonAppDataBase() + L"ToolLog\\");
    EXPECT_TRUE(IsFolder(CommonAppDataBase() + L"ToolLog"));
}

}  // namespace

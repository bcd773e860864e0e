// The front end: the INI switch, read once, forced records and the log folder. That the one
// process-wide instance writes under the common application data is the repair engine's tests' part.
#include <gtest/gtest.h>

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
        {"[Log]\r\nprint=4294967297\r\n", false},  // 1 when wrapped into 32 bits
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
        // Read once, when built: a change afterwards changes nothing.
        fe.WriteConfig(c.on ? "[Log]\r\nprint=0\r\n" : "[Log]\r\nprint=1\r\n");

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

}  // namespace

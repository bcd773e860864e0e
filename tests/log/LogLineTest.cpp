// The bytes of a log line: stamp, three blanks, text in code page 936, CR LF.
#include <gtest/gtest.h>

#include "log/LogLine.h"

namespace {

SYSTEMTIME At(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second, WORD ms)
{
    SYSTEMTIME time{};
    time.wYear = year;
    time.wMonth = month;
    time.wDay = day;
    time.wHour = hour;
    time.wMinute = minute;
    time.wSecond = second;
    time.wMilliseconds = ms;
    return time;
}

const SYSTEMTIME kStampTime = At(2021, 12, 6, 1, 5, 9, 42);
const std::string kStamp = "[2021-12-06 01:05:09 042ms]   ";

TEST(LogLine, StoresChineseTextInCodePage936)
{
    // "创建屏闪修复线程失败" in GBK.
    const std::string gbk = "\xB4\xB4\xBD\xA8\xC6\xC1\xC9\xC1\xD0\xDE\xB8\xB4\xCF\xDF\xB3\xCC\xCA\xA7\xB0\xDC";
    EXPECT_EQ(FormatLogLine(kStampTime, L"创建屏闪修复线程失败"), kStamp + gbk + "\r\n");
}

TEST(LogLine, PadsEveryStampField)
{
    EXPECT_EQ(FormatLogLine(At(987, 1, 2, 3, 4, 5, 6), L"x"), "[0987-01-02 03:04:05 006ms]   x\r\n");
    EXPECT_EQ(FormatLogLine(At(2030, 12, 31, 23, 59, 59, 999), L""), "[2030-12-31 23:59:59 999ms]   \r\n");
}

TEST(LogLine, LineFeedBecomesCrLfAndCarriageReturnStays)
{
    EXPECT_EQ(FormatLogLine(kStampTime, L"a\nb"), kStamp + "a\r\nb\r\n");
    EXPECT_EQ(FormatLogLine(kStampTime, L"a\rb"), kStamp + "a\rb\r\n");
    EXPECT_EQ(FormatLogLine(kStampTime, L"a\r\nb"), kStamp + "a\r\r\nb\r\n");
    EXPECT_EQ(FormatLogLine(kStampTime, L"\n"), kStamp + "\r\n\r\n");
}

TEST(LogLine, CharacterOutsideCodePage936BecomesQuestionMarkAndTheRestStays)
{
    // Thai ko kai and an emoji (a surrogate pair) have no GBK form, and no look-alike may stand in.
    EXPECT_EQ(FormatLogLine(kStampTime, L"a\u0E01b"), kStamp + "a?b\r\n");
    const std::string out = FormatLogLine(kStampTime, L"x\U0001F600\u5C4F");
    EXPECT_EQ(out.substr(0, kStamp.size() + 1), kStamp + "x");
    EXPECT_NE(out.find("\xC6\xC1\r\n"), std::string::npos) << "the character after the unmappable one was lost";
    EXPECT_EQ(out.find('\0'), std::string::npos);
}

}  // namespace

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

TEST(LogLine, StampTextInCodePage936AndLineEnds)
{
    const SYSTEMTIME at = At(2021, 12, 6, 1, 5, 9, 42);
    const std::string stamp = "[2021-12-06 01:05:09 042ms]   ";
    const struct {
        SYSTEMTIME time;
        const wchar_t* text;
        std::string line;
    } cases[] = {
        // "创建屏闪修复线程失败" in GBK.
        {at, L"创建屏闪修复线程失败",
         stamp + "\xB4\xB4\xBD\xA8\xC6\xC1\xC9\xC1\xD0\xDE\xB8\xB4\xCF\xDF\xB3\xCC\xCA\xA7\xB0\xDC\r\n"},
        {At(987, 1, 2, 3, 4, 5, 6), L"x", "[0987-01-02 03:04:05 006ms]   x\r\n"},
        {At(2030, 12, 31, 23, 59, 59, 999), L"", "[2030-12-31 23:59:59 999ms]   \r\n"},
        // A line feed becomes CR LF; a carriage return stays.
        {at, L"a\nb", stamp + "a\r\nb\r\n"},
        {at, L"a\rb", stamp + "a\rb\r\n"},
        {at, L"a\r\nb", stamp + "a\r\r\nb\r\n"},
        {at, L"\n", stamp + "\r\n\r\n"},
        // Thai ko kai has no GBK form, and no look-alike may stand in.
        {at, L"a\u0E01b", stamp + "a?b\r\n"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatLogLine(c.time, c.text), c.line);

    // Neither may an emoji (a surrogate pair) take the character after it with it.
    const std::string out = FormatLogLine(at, L"x\U0001F600\u5C4F");
    EXPECT_EQ(out.substr(0, stamp.size() + 1), stamp + "x");
    EXPECT_NE(out.find("\xC6\xC1\r\n"), std::string::npos) << "the character after the unmappable one was lost";
    EXPECT_EQ(out.find('\0'), std::string::npos);
}

}  // namespace

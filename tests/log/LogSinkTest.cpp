// The close-after-every-record sink on real files: appending, rotation, threads, hex records.
#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <thread>
#include <vector>

#include "log/LogLine.h"
#include "log/LogSaveCloseFile.h"
#include "support/TestSupport.h"

namespace {

constexpr size_t kStampLength = 30;  // "[yyyy-mm-dd hh:mm:ss mmmms]   "

struct Sink {
    ScratchFolder folder;
    CLogSaveCloseFile sink{folder.Path() + L"\\"};
    CString File(const CString& name = L"test.txt") const { return folder / name; }
};

// Splits a log file into its lines (without CR LF) and checks each stamp's shape.
std::vector<std::string> Lines(const std::string& bytes)
{
    static const std::regex stamp(R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \d{3}ms\]   )");
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t end = bytes.find("\r\n"); end != std::string::npos; end = bytes.find("\r\n", from)) {
        lines.push_back(bytes.substr(from, end - from));
        from = end + 2;
    }
    EXPECT_EQ(from, bytes.size()) << "the file does not end with a whole line";
    for (const std::string& line : lines) EXPECT_TRUE(std::regex_search(line, stamp)) << line;
    return lines;
}

std::string TextOf(const std::string& line)
{
    return line.size() >= kStampLength ? line.substr(kStampLength) : std::string();
}

TEST(LogSink, FirstRecordCreatesTheFileAndLaterOnesAppend)
{
    Sink s;
    WriteBytes(s.File(L"kept.txt"), "earlier content\r\n");
    s.sink.WriteText("one", "kept.txt");
    s.sink.WriteText("two", "kept.txt");
    const std::string kept = ReadBytes(s.File(L"kept.txt"));
    EXPECT_EQ(kept.substr(0, 17), "earlier content\r\n");

    s.sink.WriteText("", "new.txt");
    s.sink.WriteText("\xC6\xC1\xC9\xC1", "new.txt");  // GBK text arrives as it is
    const auto lines = Lines(ReadBytes(s.File(L"new.txt")));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), kStampLength) << "an empty text is the stamp and its three blanks";
    EXPECT_EQ(TextOf(lines[1]), "\xC6\xC1\xC9\xC1");
    EXPECT_EQ(Lines(kept.substr(17)).size(), 2u);
}

TEST(LogSink, ChineseFileNameInTheAnsiCodePage)
{
    Sink s;
    // "屏闪修复工具.txt" in GBK, the tool's own log file.
    s.sink.WriteText("x", "\xC6\xC1\xC9\xC1\xD0\xDE\xB8\xB4\xB9\xA4\xBE\xDF.txt");
    EXPECT_EQ(Lines(ReadBytes(s.File(L"屏闪修复工具.txt"))).size(), 1u);
}

TEST(LogSink, MissingSubfolderLosesTheRecordAndCreatesNothing)
{
    Sink s;
    s.sink.WriteText("lost", "nowhere\\test.txt");
    EXPECT_FALSE(FileExists(s.folder / L"nowhere"));
    s.sink.WriteText("kept", "test.txt");  // the sink stays usable
    EXPECT_EQ(Lines(ReadBytes(s.File())).size(), 1u);
}

TEST(LogSink, HexRecords)
{
    Sink s;
    const unsigned char bytes[] = {0x00, 0x7F, 0x80};
    s.sink.WriteHex(bytes, 3, "test.txt");
    s.sink.WriteHex(bytes, 0, "test.txt");
    s.sink.WriteHex(bytes, -1, "test.txt");
    const auto lines = Lines(ReadBytes(s.File()));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(TextOf(lines[0]), "00 7F 80 ");
    EXPECT_EQ(TextOf(lines[1]), "");
    EXPECT_EQ(TextOf(lines[2]), "");
}

TEST(LogSink, RotationPastTheThreshold)
{
    Sink s;
    const std::string text = "record";
    const long long lineLength = static_cast<long long>(kStampLength + text.size() + 2);

    // A record that ends exactly on the threshold stays in place.
    WriteBytes(s.File(), std::string(static_cast<size_t>(kLogSizeThreshold - lineLength), 'a'));
    s.sink.WriteText(text.c_str(), "test.txt");
    EXPECT_EQ(FileSize(s.File()), kLogSizeThreshold);
    EXPECT_FALSE(FileExists(s.File(L"test.txtbak")));

    // One byte more: the record is written whole, then the file becomes the backup.
    s.sink.WriteText(text.c_str(), "test.txt");
    EXPECT_FALSE(FileExists(s.File()));
    const std::string backup = ReadBytes(s.File(L"test.txtbak"));
    ASSERT_EQ(static_cast<long long>(backup.size()), kLogSizeThreshold + lineLength);
    EXPECT_EQ(TextOf(Lines(backup.substr(static_cast<size_t>(kLogSizeThreshold))).at(0)), text);

    // The next record starts a new file; a second move replaces the first backup.
    s.sink.WriteText("fresh", "test.txt");
    EXPECT_EQ(Lines(ReadBytes(s.File())).size(), 1u);
    WriteBytes(s.File(), std::string(static_cast<size_t>(kLogSizeThreshold), 'b'));
    s.sink.WriteText("second", "test.txt");
    const std::string second = ReadBytes(s.File(L"test.txtbak"));
    EXPECT_EQ(second[0], 'b');
    EXPECT_EQ(TextOf(Lines(second.substr(static_cast<size_t>(kLogSizeThreshold))).at(0)), "second");
    EXPECT_FALSE(FileExists(s.File()));
}

TEST(LogSink, EightThreadsLoseAndInterleaveNothing)
{
    Sink s;
    constexpr int kThreads = 8;
    constexpr int kRecords = 1000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&s, t] {
            for (int r = 0; r < kRecords; ++r) {
                const std::string text = "thread " + std::to_string(t) + " record " + std::to_string(r);
                s.sink.WriteText(text.c_str(), "test.txt");
            }
        });
    for (auto& thread : threads) thread.join();

    const auto lines = Lines(ReadBytes(s.File()));
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kRecords));
    std::set<std::string> texts;
    std::vector<int> next(kThreads, 0);
    for (const std::string& line : lines) {
        const std::string text = TextOf(line);
        texts.insert(text);
        int thread = -1, record = -1;
        ASSERT_EQ(std::sscanf(text.c_str(), "thread %d record %d", &thread, &record), 2) << text;
        ASSERT_TRUE(thread >= 0 && thread < kThreads) << text;
        EXPECT_EQ(record, next[thread]++) << "records of one thread out of order";
    }
    EXPECT_EQ(texts.size(), static_cast<size_t>(kThreads * kRecords));
}

}  // namespace

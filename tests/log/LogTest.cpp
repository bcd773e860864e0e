// Both sinks, as the selector makes them, on real files: the code page, links, the move to the
// backup, and several processes writing one file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <regex>

#include "framework/Handle.h"
#include "log/LogFileAccess.h"
#include "log/LogSave.h"
#include "support/TestSupport.h"

namespace {

// The texts of a log file's lines; each line must carry a well-formed stamp and end with CR LF.
std::vector<std::string> Texts(const std::string& bytes)
{
    static const std::regex stamp(R"(^\[\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2} \d{3}ms\]   )");
    std::vector<std::string> texts;
    size_t from = 0;
    for (size_t end = bytes.find("\r\n"); end != std::string::npos; from = end + 2, end = bytes.find("\r\n", from)) {
        const std::string line = bytes.substr(from, end - from);
        EXPECT_TRUE(std::regex_search(line, stamp)) << line;
        texts.push_back(line.size() >= 30 ? line.substr(30) : line);
    }
    EXPECT_EQ(from, bytes.size()) << "the file does not end with a whole line";
    return texts;
}

class LogSinks : public ::testing::TestWithParam<int> {
protected:
    std::unique_ptr<CLogBase> Make(const ScratchFolder& in, long long maxSize = kLogSizeThreshold) const
    {
        return MakeLogSink(GetParam(), in.Path() + L"\\", maxSize);
    }
};

INSTANTIATE_TEST_SUITE_P(Selector, LogSinks, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 1 ? "KeepOpen" : "CloseEach"; });

TEST_P(LogSinks, NameAndTextAreCodePage936WhateverTheSystemCodePage)
{
    // The second ctest entry runs this under code page 1252; it must really have that code page.
    if (const char* expected = std::getenv("PALLUX_EXPECT_ACP")) {
        ASSERT_EQ(GetACP(), UINT(std::atoi(expected)));
    }
    ScratchFolder folder;
    // "创建屏闪修复线程失败" to "屏闪修复工具.txt", in code page 936 as the tool hands them over.
    const char text[] = "\xB4\xB4\xBD\xA8\xC6\xC1\xC9\xC1\xD0\xDE\xB8\xB4\xCF\xDF\xB3\xCC\xCA\xA7\xB0\xDC";
    WriteBytes(folder / L"屏闪修复工具.txt", "earlier\r\n");
    Make(folder)->WriteText(text, "\xC6\xC1\xC9\xC1\xD0\xDE\xB8\xB4\xB9\xA4\xBE\xDF.txt");
    const std::string bytes = ReadBytes(folder / L"屏闪修复工具.txt");
    EXPECT_EQ(bytes.substr(0, 9), "earlier\r\n") << "an earlier record was lost";
    EXPECT_EQ(Texts(bytes.substr(9)), std::vector<std::string>{text});
}

// Wine makes no junction or symbolic link (CreateSymbolicLinkW does nothing there and
// FSCTL_SET_REPARSE_POINT is unsupported), so the attribute query plays one; the hard link is real.
enum class Link { None, Folder, File, HardLink } g_playedLink = Link::None;

bool PlayLink(HANDLE handle, DWORD& attributes)
{
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)) return false;
    attributes = basic.FileAttributes;
    if (g_playedLink == (attributes & FILE_ATTRIBUTE_DIRECTORY ? Link::Folder : Link::File))
        attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return true;
}

TEST_P(LogSinks, WritesNothingThroughALink)
{
    SetLogAttributeQuery(&PlayLink);
    for (Link link : {Link::Folder, Link::File, Link::HardLink}) {
        ScratchFolder logFolder, elsewhere;
        const CString logFile = logFolder / L"test.txt";
        const CString target = link == Link::HardLink ? elsewhere / L"target.txt" : logFile;
        if (link != Link::Folder) WriteBytes(target, "kept\r\n");
        ASSERT_TRUE(link != Link::HardLink || CreateHardLinkW(logFile.c_str(), target.c_str(), nullptr));

        g_playedLink = link;
        const auto sink = Make(logFolder);
        sink->WriteText("through a link", "test.txt");
        EXPECT_EQ(ReadBytes(target), link == Link::Folder ? "" : "kept\r\n") << int(link);

        g_playedLink = Link::None;  // a real folder again: the same sink writes
        sink->WriteText("plain", "other.txt");
        EXPECT_EQ(Texts(ReadBytes(logFolder / L"other.txt")), std::vector<std::string>{"plain"}) << int(link);
    }
    SetLogAttributeQuery(nullptr);
}

TEST_P(LogSinks, MovesToBackupOnlyWhenLongerThanItsLimit)
{
    ScratchFolder folder;
    const CString file = folder / L"test.txt", backup = folder / L"test.txtbak";
    WriteBytes(backup, "older backup\r\n");
    // A record is its 30-byte stamp, its text and CR LF: "first" and "edge" fill the limit exactly.
    const auto sink = Make(folder, (30 + 5 + 2) + (30 + 4 + 2));
    sink->WriteText("first", "test.txt");
    sink->WriteText("edge", "test.txt");
    EXPECT_EQ(ReadBytes(backup), "older backup\r\n") << "moved at the limit, not past it";
    // Written whole, then moved over the older backup; the next record starts a new file.
    sink->WriteText("over", "test.txt");
    EXPECT_EQ(Texts(ReadBytes(backup)), (std::vector<std::string>{"first", "edge", "over"}));
    sink->WriteText("fresh", "test.txt");
    EXPECT_EQ(Texts(ReadBytes(file)), std::vector<std::string>{"fresh"});
}

TEST_P(LogSinks, ThreeProcessesOnOneFileUnderTwoSpellingsRotateAndLoseNothing)
{
    // Each writes "p<n> r<i>" alternately to "test.txt" and "TEST.TXT"; the about 23000 bytes move
    // to the backup once, so the file and its backup hold every line, each whole.
    constexpr int kProcesses = 3, kRecords = 200, kMaxSize = 15000;
    ScratchFolder folder;
    const CString startName = L"Local\\pallux-log-test-start-" + std::to_wstring(GetCurrentProcessId());
    CHandle start(CreateEventW(nullptr, TRUE, FALSE, startName.c_str()));
    std::vector<CHandle> children;
    for (int p = 0; p < kProcesses; ++p) {
        children.push_back(StartProgram(ExecutableFolder() + L"\\log_test_writer.exe",
                                        std::to_wstring(GetParam()) + L" \"" + folder.Path() + L"\" test.txt " +
                                            std::to_wstring(kRecords) + L" p" + std::to_wstring(p) + L" " +
                                            std::to_wstring(kMaxSize) + L" " + startName));
        ASSERT_TRUE(children.back());
    }
    SetEvent(start.Get());
    for (const CHandle& child : children) ASSERT_EQ(ExitCodeWithin(child, 50000), 0);

    EXPECT_GT(ReadBytes(folder / L"test.txtbak").size(), size_t(kMaxSize));
    EXPECT_LE(ReadBytes(folder / L"test.txt").size(), size_t(kMaxSize));
    std::map<std::string, std::vector<int>> records, expected;
    static const std::regex shape(R"(^(p\d) r(\d+)$)");
    for (const wchar_t* name : {L"test.txtbak", L"test.txt"}) {
        for (const std::string& text : Texts(ReadBytes(folder / name))) {
            std::smatch match;
            if (std::regex_match(text, match, shape)) records[match[1]].push_back(std::stoi(match[2]));
            else ADD_FAILURE() << "torn or mixed line: " << text;
        }
    }
    for (int p = 0; p < kProcesses; ++p)
        for (int r = 0; r < kRecords; ++r) expected["p" + std::to_string(p)].push_back(r);
    EXPECT_EQ(records, expected);
}

}  // namespace

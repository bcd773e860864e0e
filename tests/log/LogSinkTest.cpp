// Both sinks, as the selector makes them, on real files: appending, code page, links, rotation,
// threads and processes writing together; what the keep-open sink holds, and appending a whole line
// or nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "LogTestSupport.h"
#include "framework/Handle.h"
#include "framework/LiveCount.h"
#include "log/LogAppend.h"
#include "log/LogFileAccess.h"
#include "log/LogSave.h"
#include "log/LogSaveOpenFile.h"
#include "support/TestSupport.h"

namespace {

class LogSinks : public ::testing::TestWithParam<int> {
protected:
    std::unique_ptr<CLogBase> Make(long long maxSize = kLogSizeThreshold) const
    {
        return MakeLogSink(GetParam(), folder.Path() + L"\\", maxSize);
    }
    CString File(const CString& name) const { return folder / name; }

    ScratchFolder folder;
};

INSTANTIATE_TEST_SUITE_P(Selector, LogSinks, ::testing::Values(0, 1),
                         [](const auto& info) { return info.param == 1 ? "KeepOpen" : "CloseEach"; });

TEST_P(LogSinks, FirstRecordCreatesTheFileAndLaterOnesAppend)
{
    const auto sink = Make();
    EXPECT_EQ(dynamic_cast<CLogSaveOpenFile*>(sink.get()) != nullptr, GetParam() == 1);
    WriteBytes(File(L"kept.txt"), "earlier\r\n");
    sink->WriteText("one", "kept.txt");
    const unsigned char bytes[] = {0x00, 0x7F, 0x80};
    sink->WriteHex(bytes, 3, "kept.txt");
    sink->WriteHex(bytes, 0, "kept.txt");
    const std::string kept = ReadBytes(File(L"kept.txt"));
    EXPECT_EQ(kept.substr(0, 9), "earlier\r\n");
    EXPECT_EQ(TextsOf(Lines(kept.substr(9))), (std::vector<std::string>{"one", "00 7F 80 ", ""}));

    // A folder that does not exist, or a name leading out of the log folder, loses the record.
    sink->WriteText("lost", "nowhere\\test.txt");
    sink->WriteText("lost", "..\\escaped.txt");
    EXPECT_FALSE(FileExists(File(L"nowhere")));
    EXPECT_FALSE(FileExists(File(L"..\\escaped.txt")));
}

TEST_P(LogSinks, NameAndTextAreCodePage936WhateverTheSystemCodePage)
{
    // The second ctest entry runs this under code page 1252; it must really have that code page.
    if (const char* expected = std::getenv("PALLUX_EXPECT_ACP")) {
        ASSERT_EQ(GetACP(), UINT(std::atoi(expected)));
    }
    // "创建屏闪修复线程失败" to "屏闪修复工具.txt", in code page 936 as the tool hands them over.
    const char text[] = "\xB4\xB4\xBD\xA8\xC6\xC1\xC9\xC1\xD0\xDE\xB8\xB4\xCF\xDF\xB3\xCC\xCA\xA7\xB0\xDC";
    Make()->WriteText(text, "\xC6\xC1\xC9\xC1\xD0\xDE\xB8\xB4\xB9\xA4\xBE\xDF.txt");
    EXPECT_EQ(TextsOf(Lines(ReadBytes(File(L"屏闪修复工具.txt")))), std::vector<std::string>{text});
}

// Wine makes no junction or symbolic link (CreateSymbolicLinkW does nothing there and
// FSCTL_SET_REPARSE_POINT is unsupported), so the attribute query plays one; the hard link is real.
enum class Link { None, Folder, File, HardLink };
Link g_playedLink = Link::None;

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
        if (link == Link::HardLink) CreateHardLinkW(logFile.c_str(), target.c_str(), nullptr);

        g_playedLink = link;
        const auto sink = MakeLogSink(GetParam(), logFolder.Path() + L"\\");
        sink->WriteText("through a link", "test.txt");
        EXPECT_EQ(ReadBytes(target), link == Link::Folder ? "" : "kept\r\n") << int(link);
        EXPECT_EQ(FileExists(logFile), link != Link::Folder) << int(link);

        g_playedLink = Link::None;  // a real folder again: the same sink writes
        sink->WriteText("plain", "other.txt");
        EXPECT_EQ(Lines(ReadBytes(logFolder / L"other.txt")).size(), 1u) << int(link);
    }
    SetLogAttributeQuery(nullptr);
}

TEST_P(LogSinks, MovesToBackupOnlyWhenLongerThan6020000Bytes)
{
    for (long long sizeAfter : {6020000LL, 6020001LL}) {
        ScratchFolder logFolder;
        const CString file = logFolder / L"test.txt", backup = logFolder / L"test.txtbak";
        WriteBytes(backup, "older backup\r\n");
        const auto sink = MakeLogSink(GetParam(), logFolder.Path() + L"\\");
        sink->WriteText("first", "test.txt");  // the keep-open sink now holds the file
        AppendBytes(file, std::string(size_t(sizeAfter - FileSize(file) - (30 + 4 + 2)), 'x'));
        sink->WriteText("edge", "TEST.txt");  // stamp, "edge", CR LF

        if (sizeAfter == 6020000) {
            EXPECT_EQ(FileSize(file), 6020000);
            EXPECT_EQ(ReadBytes(backup), "older backup\r\n");
            continue;
        }
        // Written whole, then moved over the older backup; the next record starts a new file.
        EXPECT_FALSE(FileExists(file));
        const std::string moved = ReadBytes(backup);
        EXPECT_EQ(moved.size(), 6020001u);
        EXPECT_EQ(TextOf(moved.substr(0, moved.find("\r\n"))), "first");
        EXPECT_EQ(moved.substr(moved.size() - 9), "   edge\r\n");
        sink->WriteText("fresh", "test.txt");
        EXPECT_EQ(TextsOf(Lines(ReadBytes(file))), std::vector<std::string>{"fresh"});
    }
}

TEST_P(LogSinks, EightThreadsOnNewAndSharedNamesLoseAndTearNothing)
{
    const auto sink = Make();
    constexpr int kThreads = 8, kRecords = 240;
    // Even records to the thread's own new file, odd ones to one shared file under two spellings.
    auto nameOf = [](int t, int r) {
        return r % 2 == 0 ? "own" + std::to_string(t) + ".txt" : r % 4 == 1 ? "s.txt" : "S.TXT";
    };
    CHandle start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            WaitForSingleObject(start.Get(), INFINITE);
            for (int r = 0; r < kRecords; ++r)
                sink->WriteText(("t" + std::to_string(t) + " r" + std::to_string(r)).c_str(), nameOf(t, r).c_str());
        });
    SetEvent(start.Get());
    for (auto& thread : threads) thread.join();

    auto shared = RecordsByWriter(Lines(ReadBytes(File(L"s.txt"))));
    EXPECT_EQ(shared.size(), size_t(kThreads));
    for (int t = 0; t < kThreads; ++t) {
        const std::string writer = "t" + std::to_string(t);
        const auto own = RecordsByWriter(Lines(ReadBytes(File(L"own" + std::to_wstring(t) + L".txt"))));
        EXPECT_EQ(own, (RecordsMap{{writer, Numbers(kRecords / 2, 0, 2)}}));
        EXPECT_EQ(shared[writer], Numbers(kRecords / 2, 1, 2));
    }
}

TEST_P(LogSinks, ThreeProcessesOnOneFileUnderTwoSpellingsRotateAndLoseNothing)
{
    // Each writes its records alternately to "test.txt" and "TEST.TXT"; the about 23000 bytes move
    // to the backup once, so the file and its backup hold every line.
    constexpr int kProcesses = 3, kRecords = 200, kMaxSize = 15000;
    const CString startName = L"Local\\pallux-log-test-start-" + std::to_wstring(GetCurrentProcessId());
    CHandle start(CreateEventW(nullptr, TRUE, FALSE, startName.c_str()));
    std::vector<CHandle> children;
    for (int p = 0; p < kProcesses; ++p) {
        CString command = L"\"" + ExecutableFolder() + L"\\log_test_writer.exe\" " + std::to_wstring(GetParam()) +
                          L" \"" + folder.Path() + L"\" test.txt " + std::to_wstring(kRecords) + L" p" +
                          std::to_wstring(p) + L" " + std::to_wstring(kMaxSize) + L" " + startName;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                   &process));
        CloseHandle(process.hThread);
        children.emplace_back(process.hProcess);
    }
    SetEvent(start.Get());
    for (const CHandle& child : children) {
        DWORD code = 1;
        EXPECT_EQ(WaitForSingleObject(child.Get(), 120000), WAIT_OBJECT_0);
        EXPECT_TRUE(GetExitCodeProcess(child.Get(), &code) && code == 0);
    }

    EXPECT_GT(FileSize(File(L"test.txtbak")), kMaxSize);
    EXPECT_LE(FileSize(File(L"test.txt")), kMaxSize);
    auto lines = Lines(ReadBytes(File(L"test.txtbak")));
    for (const std::string& line : Lines(ReadBytes(File(L"test.txt")))) lines.push_back(line);
    RecordsMap expected;
    for (int p = 0; p < kProcesses; ++p) expected["p" + std::to_string(p)] = Numbers(kRecords);
    EXPECT_EQ(RecordsByWriter(lines), expected);
}

bool CanOpenAlone(const CString& path)
{
    CHandle file(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    return file.IsValid();
}

TEST(LogSaveOpenFile, HoldsOneHandlePerFileUntilItGoes)
{
    ScratchFolder folder;
    const CString a = folder / L"a.txt";
    const long before = LiveHandles(HandleKind::Kernel);
    auto sink = std::make_unique<CLogSaveOpenFile>(folder.Path() + L"\\");
    sink->WriteText("1", "a.txt");
    const long perFile = LiveHandles(HandleKind::Kernel) - before;
    EXPECT_GT(perFile, 0);
    EXPECT_FALSE(CanOpenAlone(a)) << "the file is not held between records";

    // Other spellings of the same file share its entry and its handle.
    sink->WriteText("2", "A.TXT");
    sink->WriteText("3", "sub\\..\\a.txt");
    EXPECT_EQ(LiveHandles(HandleKind::Kernel) - before, perFile);
    EXPECT_EQ(sink->GetLogFile(L"a.TXT"), sink->GetLogFile(L"A.txt"));
    sink->WriteText("4", "b.txt");
    EXPECT_EQ(LiveHandles(HandleKind::Kernel) - before, 2 * perFile);

    sink.reset();
    EXPECT_EQ(LiveHandles(HandleKind::Kernel), before);
    EXPECT_EQ(Lines(ReadBytes(a)).size(), 3u);
    EXPECT_TRUE(CanOpenAlone(a));
    EXPECT_TRUE(DeleteFileW(a.c_str()));
}

// A write that stops half way, as on a full disk; optionally another writer appends meanwhile.
CString g_otherWriterFile;
BOOL WriteHalfAndFail(HANDLE file, const void* bytes, DWORD length, DWORD* written)
{
    WriteFile(file, bytes, length / 2, written, nullptr);
    if (!g_otherWriterFile.empty()) AppendBytes(g_otherWriterFile, "other\r\n");
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

TEST(LogAppend, FailedWriteIsCutBackOnlyWhenItsBytesEndTheFile)
{
    ScratchFolder folder;
    CLogTarget target;
    ASSERT_TRUE(ResolveLogTarget(folder.Path() + L"\\", L"test.txt", target));
    CHandle file = OpenLogFile(target);
    ASSERT_TRUE(file);
    ASSERT_TRUE(AppendWhole(file.Get(), "head\r\n"));

    EXPECT_FALSE(AppendWhole(file.Get(), "0123456789", &WriteHalfAndFail));
    EXPECT_EQ(ReadBytes(target.path), "head\r\n");

    g_otherWriterFile = target.path;
    EXPECT_FALSE(AppendWhole(file.Get(), "0123456789", &WriteHalfAndFail));
    g_otherWriterFile.clear();
    EXPECT_EQ(ReadBytes(target.path), "head\r\n01234other\r\n") << "another writer's line was cut";
}

}  // namespace

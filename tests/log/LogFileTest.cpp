// What the keep-open sink holds, and appending a whole line or nothing.
#include <gtest/gtest.h>

#include "LogTestSupport.h"
#include "framework/LiveCount.h"
#include "log/LogAppend.h"
#include "log/LogSaveOpenFile.h"
#include "support/TestSupport.h"

namespace {

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

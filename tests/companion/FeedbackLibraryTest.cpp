// Loading the companion library only as a plain file of an absolute folder; the reference library's
// journal, which never writes through a link.
#include <gtest/gtest.h>

#include "Journal.h"
#include "companion/FeedbackLibrary.h"
#include "support/TestSupport.h"

namespace {

// Wine cannot make junctions or symbolic links, so a file system that has them is played: the
// attributes read by handle report a reparse point at the folder (call 1) or at the file (call 2).
int g_reparseAtCall = 0;
int g_calls = 0;
BOOL WINAPI InformationWithReparsePoint(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information)
{
    const BOOL known = GetFileInformationByHandle(handle, information);
    if (++g_calls == g_reparseAtCall) information->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return known;
}

TEST(FeedbackLibraryLoad, OnlyAPlainFileInAnAbsoluteFolderLoads)
{
    // A complete library in the current directory and in a folder below it: a loader that let the
    // system search for the name would find them.
    ScratchFolder current;
    ASSERT_TRUE(CreateDirectoryW((current / L"sub").c_str(), nullptr));
    for (const CString& folder : {current.Path(), current / L"sub"})
        ASSERT_TRUE(CopyFileW((ExecutableFolder() + L"\\" + kCompanionLibraryName).c_str(),
                              (folder + L"\\" + kCompanionLibraryName).c_str(), FALSE));
    const CurrentDirectory inCurrent(current.Path());

    // A folder without the library and one with an incomplete library are the start-up checks' cases.
    for (const wchar_t* folder : {L"", L"sub", L".\\sub", L"C:sub", L"\\sub"})
        EXPECT_EQ(CFeedbackLibrary().Load(folder), LibraryLoad::NotAbsolute) << "folder '" << CString(folder) << "'";

    // A folder at the name; a second name of the library (either of them); a link, played.
    ScratchFolder folderAtName, secondName;
    ASSERT_TRUE(CreateDirectoryW((folderAtName / kCompanionLibraryName).c_str(), nullptr));
    EXPECT_EQ(CFeedbackLibrary().Load(folderAtName.Path()), LibraryLoad::Folder);
    ASSERT_TRUE(CreateHardLinkW((secondName / kCompanionLibraryName).c_str(),
                                (current / kCompanionLibraryName).c_str(), nullptr));
    EXPECT_EQ(CFeedbackLibrary().Load(secondName.Path()), LibraryLoad::Link);
    EXPECT_EQ(CFeedbackLibrary().Load(current.Path()), LibraryLoad::Link);
    g_reparseAtCall = 1;
    g_calls = 0;
    CFeedbackLibrary linked;
    EXPECT_EQ(linked.Load(current / L"sub", &InformationWithReparsePoint), LibraryLoad::Link);
    EXPECT_TRUE(LoadedModule(GetCurrentProcessId(), kCompanionLibraryName).empty()) << "a refused library was loaded";

    EXPECT_EQ(CFeedbackLibrary().Load(current / L"sub"), LibraryLoad::Loaded) << "the same library by its absolute folder";
}

TEST(Journal, ReparsePointFolderOrFileIsNeverWritten)
{
    for (int reparseAt : {0, 1, 2}) {
        ScratchFolder folder;
        const CString journal = folder / L"QueltoFeedback\\journal.txt";
        g_reparseAtCall = reparseAt;
        g_calls = 0;
        Record(journal, L"FeedbackQuestion", {{L"tool", L"10060"}}, &InformationWithReparsePoint);
        EXPECT_EQ(g_calls, reparseAt == 1 ? 1 : 2) << reparseAt;
        EXPECT_EQ(!ReadBytes(journal).empty(), reparseAt == 0) << reparseAt;
    }
}

}  // namespace

// The tool removes itself from the folder it was started from, after it has been closed the normal
// way: its own files (its read-me among them) only, the folder only when nothing else is left in it,
// nothing beside it, never a drive's root, and nothing at all from a path the command interpreter
// would rewrite. The companion library stays loaded until the tool has ended, and yet goes with it.
#include <gtest/gtest.h>

#include "ToolDriver.h"

namespace {

struct Removal {
    const char* name;
    const wchar_t* folder;  // the folder the tool is started from
    bool userFile;          // the folder also holds a file of the user's
    bool toolFilesGo;
    wchar_t drive;          // started from the root of this drive, mapped onto the folder

    friend void PrintTo(const Removal& removal, std::ostream* out) { *out << removal.name; }
};

const Removal kRemovals[] = {
    // Blanks, brackets and "&" must reach the removal as one path: "测试" and "x" lie beside it.
    {"OddName", L"测试 工具 (1) & x", false, true, 0},
    {"SharedFolder", L"下载", true, true, 0},
    {"Percent", L"工具 %TEMP% 100%", false, false, 0},
    {"DriveRoot", L"U盘", true, true, L'P'},
};

class ToolRemoval : public testing::TestWithParam<Removal> {};

TEST_P(ToolRemoval, AfterANormalCloseOnlyTheToolsFilesGo)
{
    const Removal& removal = GetParam();
    ToolSetup setup;
    setup.folderName = removal.folder;
    setup.drive = removal.drive;
    // It records how it left the tool's process beside the folder, which a drive's root has not.
    const bool recorded = removal.drive == 0;
    if (recorded) setup.library = L"detach-recorder\\QueltoFeedbackInformation.dll";
    ToolRun tool(setup);
    const CString sentinels[] = {tool.Beside(L"测试"), tool.Beside(L"x")};
    for (const CString& sentinel : sentinels) ASSERT_TRUE(CreateDirectoryW(sentinel.c_str(), nullptr));
    // A read-me of the user's under the common name stays; the tool's own goes. Where the user
    // keeps files, folders of theirs carry the names of the tool's read-me and (once the library
    // has read them) its settings: nothing is deleted into them.
    const CString readMe = tool.Folder() + L"\\PalluxAMD屏闪修复工具使用说明.txt";
    const CString settings = tool.Folder() + L"\\QueltoFeedbackInformation.ini";
    std::vector<CString> left;
    if (removal.userFile) {
        WriteBytes(tool.Folder() + L"\\说明.txt", "the user's own");
        ASSERT_NE(tool.MainPanel(), nullptr);
        ASSERT_TRUE(DeleteFileW(settings.c_str()));
        for (const CString& folder : {readMe, settings}) {
            ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
            WriteBytes(folder + L"\\mine.txt", "the user's own");
        }
        left = {L"PalluxAMD屏闪修复工具使用说明.txt", L"QueltoFeedbackInformation.ini", L"说明.txt"};
    } else {
        WriteBytes(readMe, "the package's read-me");
    }
    const std::vector<CString> before = tool.FolderContents();

    ASSERT_EQ(tool.CloseAsUser(), 0) << "the tool did not show its panel, or did not end when closed";
    CHandle removing = tool.RunningChild();
    if (removal.toolFilesGo) {
        ASSERT_TRUE(removing) << "no removal started";
        EXPECT_TRUE(IsFolder(tool.Folder())) << "removed at once, not after a wait";
        ASSERT_EQ(WaitForSingleObject(removing.Get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
    } else {
        EXPECT_FALSE(removing) << "a removal started for a path the interpreter rewrites";
        left = before;
    }
    EXPECT_EQ(tool.FolderContents(), left);
    for (const CString& folder : {readMe, settings})
        EXPECT_EQ(ReadBytes(folder + L"\\mine.txt"), removal.userFile ? "the user's own" : "");
    EXPECT_EQ(IsFolder(tool.Folder()), !left.empty()) << "the folder itself";
    for (const CString& sentinel : sentinels) EXPECT_TRUE(IsFolder(sentinel)) << sentinel << " beside the tool went";
    if (recorded) {
        EXPECT_EQ(ReadBytes(tool.Folder() + L"-detach.txt"), "process ended") << "how the library left";
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, ToolRemoval, testing::ValuesIn(kRemovals),
                         [](const testing::TestParamInfo<Removal>& info) { return info.param.name; });

}  // namespace

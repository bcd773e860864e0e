// A release package unpacked into a folder of its own: its tool starts there and shows its panel,
// and once closed through the problem-solved question it takes its whole folder with it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ToolDriver.h"

namespace {

// Runs only from package_starts.sh, which unpacks the package and names its tool in
// PALLUX_UNPACKED_TOOL.
TEST(ReleasePackage, DISABLED_TheUnpackedToolShowsItsPanelAndLeavesNothingWhenClosed)
{
    const wchar_t* tool = _wgetenv(L"PALLUX_UNPACKED_TOOL");
    ASSERT_NE(tool, nullptr);
    ToolSetup setup;
    setup.startAt = tool;
    ToolRun started(setup);
    ASSERT_NE(started.MainPanel(30000), nullptr) << "the packaged tool did not show its panel";
    ASSERT_EQ(started.CloseAsUser(), 0) << "the tool did not end through the problem-solved question";
    EXPECT_TRUE(WaitUntil([&] { return !IsFolder(started.Folder()); }, 20000))
        << "the unpacked folder is still there, holding: " << testing::PrintToString(started.FolderContents());
}

}  // namespace

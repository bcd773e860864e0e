// A release package unpacked into a folder of its own: its tool starts there and shows its panel,
// and once closed through the problem-solved question it takes its whole folder with it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "StartedProgram.h"
#include "res/resource.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

namespace {

// Runs only from package_starts.sh, which unpacks the package and names its tool in
// PALLUX_UNPACKED_TOOL.
TEST(ReleasePackage, DISABLED_TheUnpackedToolShowsItsPanelAndLeavesNothingWhenClosed)
{
    const wchar_t* tool = _wgetenv(L"PALLUX_UNPACKED_TOOL");
    ASSERT_NE(tool, nullptr);
    const CString folder = CString(tool).substr(0, CString(tool).rfind(L'\\'));
    CStartedProgram started(tool);
    ASSERT_TRUE(started.Started()) << "cannot start " << CString(tool);
    HWND panel = started.WaitForVisibleWindow(WindowToFind::MainPanel, 30000);
    ASSERT_NE(panel, nullptr) << "the packaged tool did not show its panel";

    Settle(panel);
    ClickControl(panel, IDC_CLOSE);
    HWND question = WindowWithControl(IDC_SOLVED, 10000, started.Id());
    ASSERT_NE(question, nullptr) << "closing did not ask whether the problem was solved";
    Settle(question);
    ClickControl(question, IDC_FEEDBACK_CLOSE);
    ASSERT_TRUE(started.WaitForExit(20000));
    EXPECT_TRUE(WaitUntil([&] { return !IsFolder(folder); }, 20000))
        << "the unpacked folder is still there, holding: " << testing::PrintToString(FolderNames(folder));
}

}  // namespace

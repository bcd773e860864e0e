// A release package unpacked into a folder of its own: its tool starts there and shows its panel.
#include <gtest/gtest.h>

#include <cstdlib>

#include "StartedProgram.h"
#include "support/TestSupport.h"

namespace {

// Runs only from package_starts.sh, which unpacks the package and names its tool in
// PALLUX_UNPACKED_TOOL.
TEST(ReleasePackage, DISABLED_TheUnpackedToolShowsItsPanel)
{
    const wchar_t* tool = _wgetenv(L"PALLUX_UNPACKED_TOOL");
    ASSERT_NE(tool, nullptr);
    CStartedProgram started(tool);
    ASSERT_TRUE(started.Started()) << "cannot start " << CString(tool);
    EXPECT_NE(started.WaitForVisibleWindow(WindowToFind::MainPanel, 30000), nullptr)
        << "the packaged tool did not show its panel";
}

}  // namespace

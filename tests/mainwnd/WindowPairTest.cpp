// The main window pair as real windows under Wine: its geometry at 96, 120 and 144 DPI, its place
// on the screen, dragging by the top band with real mouse input, minimising, a missing frame, and
// every handle given back when it closes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "framework/Gdi.h"
#include "framework/Handle.h"
#include "framework/WinApp.h"
#include "mainwnd/MainWindow.h"
#include "support/PairRunner.h"
#include "support/TestSupport.h"

namespace {

CWinApp g_app;

struct PairGeometry {
    int dpi;
    CSize shell;
    CPoint contentOffset;
    CSize content;
};

// The layouts' own figures at each DPI (the 144 DPI row worked out from them by hand).
const PairGeometry kGeometry[] = {
    {96, {410, 611}, {5, 4}, {400, 600}},
    {120, {492, 733}, {6, 4}, {479, 719}},
    {144, {590, 879}, {7, 5}, {575, 863}},
};

CLayeredShellDlg* MakeMainPair()
{
    return new CRapimendPalluxAMDFlashScreenRepairDlg;
}

int ScreenDpi()
{
    CWindowDC screen(nullptr, CWindowDC::ClientArea);
    return GetDeviceCaps(screen.GetSafeHdc(), LOGPIXELSY);
}

void ExpectGeometry(const PairRunner& pair, const PairGeometry& expected)
{
    const CRect shell = pair.ShellRect();
    const CRect content = pair.ContentRect();
    EXPECT_EQ(shell.Width(), expected.shell.cx) << "at " << expected.dpi << " DPI";
    EXPECT_EQ(shell.Height(), expected.shell.cy) << "at " << expected.dpi << " DPI";
    EXPECT_EQ(content.Width(), expected.content.cx) << "at " << expected.dpi << " DPI";
    EXPECT_EQ(content.Height(), expected.content.cy) << "at " << expected.dpi << " DPI";
    EXPECT_EQ(content.left - shell.left, expected.contentOffset.x) << "at " << expected.dpi << " DPI";
    EXPECT_EQ(content.top - shell.top, expected.contentOffset.y) << "at " << expected.dpi << " DPI";
    // Centred on the primary screen, by integer halves.
    EXPECT_EQ(shell.left, GetSystemMetrics(SM_CXSCREEN) / 2 - expected.shell.cx / 2);
    EXPECT_NEAR(shell.top, GetSystemMetrics(SM_CYSCREEN) / 2 - expected.shell.cy / 2, 1);
}

TEST(WindowPair, ShowsFrameAndPanelCentredAt96Dpi)
{
    ASSERT_EQ(ScreenDpi(), 96);
    PairRunner pair(MakeMainPair);
    ExpectGeometry(pair, kGeometry[0]);
    EXPECT_EQ(GetWindow(pair.Content(), GW_OWNER), pair.Shell());

    // The panel shows its own picture: the blue band at the top, the pale panel below it.
    ASSERT_TRUE(WaitUntil([&] {
        CClientDC panelDc(pair.Content());
        const COLORREF band = GetPixel(panelDc.GetSafeHdc(), 120, 140);
        const COLORREF panel = GetPixel(panelDc.GetSafeHdc(), 10, 300);
        return GetBValue(band) > 150 && GetRValue(band) < 80 && GetRValue(panel) > 230 && GetBValue(panel) > 240;
    })) << "the panel's background is not on the screen";
    EXPECT_EQ(pair.End(), IDCANCEL);
}

// Runs only inside a child process started by GeometryFollowsTheScale, after the parent has
// set the screen's DPI for it.
TEST(WindowPair, DISABLED_GeometryAtTheDpiTheParentSet)
{
    const char* wanted = std::getenv("PALLUX_TEST_DPI");
    ASSERT_NE(wanted, nullptr);
    const int dpi = std::atoi(wanted);
    ASSERT_EQ(ScreenDpi(), dpi) << "the child did not get the DPI the parent set";
    for (const PairGeometry& geometry : kGeometry) {
        if (geometry.dpi != dpi) continue;
        PairRunner pair(MakeMainPair);
        ExpectGeometry(pair, geometry);
        pair.End();
        return;
    }
    FAIL() << "no figures for " << dpi << " DPI";
}

// Sets the screen's DPI for programs started from now on, and back to 96 at the end.
class ScreenDpiSetting {
public:
    explicit ScreenDpiSetting(DWORD dpi) { Set(dpi); }
    ~ScreenDpiSetting() { Set(96); }

private:
    static void Set(DWORD dpi)
    {
        RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
    }
};

TEST(WindowPair, GeometryFollowsTheScale)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (const int dpi : {120, 144}) {
        ScreenDpiSetting setting(static_cast<DWORD>(dpi));
        SetEnvironmentVariableW(L"PALLUX_TEST_DPI", std::to_wstring(dpi).c_str());
        CString line = L"\"" + CString(self) +
                       L"\" --gtest_also_run_disabled_tests --gtest_filter=WindowPair.DISABLED_GeometryAtTheDpiTheParentSet";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION child{};
        ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child));
        CHandle process(child.hProcess), thread(child.hThread);
        ASSERT_EQ(WaitForSingleObject(process.Get(), 60000), WAIT_OBJECT_0);
        DWORD code = 1;
        GetExitCodeProcess(process.Get(), &code);
        EXPECT_EQ(code, 0u) << "the pair's geometry is wrong at " << dpi << " DPI (see the child's output)";
    }
    SetEnvironmentVariableW(L"PALLUX_TEST_DPI", nullptr);
}

TEST(WindowPair, DraggingTheTopBandMovesBothWindowsTogether)
{
    PairRunner pair(MakeMainPair);
    const CRect shellBefore = pair.ShellRect();
    const CRect before = pair.ContentRect();

    const POINT grip{before.left + 60, before.top + 12};
    ASSERT_TRUE(pair.Drag(grip, POINT{grip.x - 70, grip.y + 45}, true))
        << "a press in the top band did not start moving the content";
    ASSERT_EQ(pair.ContentRect().left, before.left - 70) << "the content did not follow the drag";
    const CRect after = pair.ContentRect();
    const CRect shellAfter = pair.ShellRect();
    EXPECT_EQ(after.top, before.top + 45);
    EXPECT_EQ(after.Width(), before.Width());
    EXPECT_EQ(shellAfter.left, after.left - 5) << "the shell lost its offset";
    EXPECT_EQ(shellAfter.top, after.top - 4);
    EXPECT_EQ(shellAfter.Width(), shellBefore.Width()) << "the frame's size changed";
    EXPECT_EQ(shellAfter.Height(), shellBefore.Height());

    // The rightmost 86 pixels of the band belong to the window buttons: no drag there.
    EXPECT_FALSE(pair.Drag(POINT{after.right - 40, after.top + 12}, POINT{after.right + 10, after.top + 72}, false));
    EXPECT_EQ(pair.ContentRect(), after);
    EXPECT_EQ(pair.ShellRect(), shellAfter);

    // Below the band: no drag either.
    EXPECT_FALSE(pair.Drag(POINT{after.left + 60, after.top + 200}, POINT{after.left + 120, after.top + 260}, false));
    EXPECT_EQ(pair.ContentRect(), after);
    pair.End();
}

TEST(WindowPair, MinimiseAndRestoreTakeBothWindows)
{
    PairRunner pair(MakeMainPair);
    PostMessageW(pair.Shell(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(pair.Shell()) && !IsWindowVisible(pair.Content()); }, 5000))
        << "minimising the shell left the content showing";
    PostMessageW(pair.Shell(), WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(pair.Shell()) && IsWindowVisible(pair.Content()); }, 5000))
        << "restoring the shell did not bring the content back";
    pair.End();
}

// The main pair with a frame picture that is not in the program.
PairLayout WithoutFrame()
{
    PairLayout layout = kMainPairLayout;
    layout.frameImage = 4321;
    return layout;
}

class ShellWithoutFrame : public CLayeredShellDlg {
public:
    ShellWithoutFrame() : CLayeredShellDlg(WithoutFrame(), nullptr) {}

protected:
    CLayeredContentDlg* CreateContent() override { return new CPalluxAMDFlashScreenRepairDlg; }
};

TEST(WindowPair, MissingFrameEndsThePairAtOnceAndLeavesNothing)
{
    const std::vector<long> handles = LiveHandleCounts();
    {
        ShellWithoutFrame shell;
        EXPECT_EQ(shell.DoModal(), -1) << "an invisible pair must not wait for a close that cannot come";
        EXPECT_EQ(shell.m_hWnd, nullptr);
    }
    {
        PairRunner pair(MakeMainPair);
        pair.End();
    }
    EXPECT_EQ(LiveHandleCounts(), handles);
}

}  // namespace

// The main window pair as real windows under Wine: its geometry and place at 96 DPI, a missing
// frame, and every handle given back when it closes. The panel's size at other DPIs, minimising and
// dragging a pair are the end-to-end and prompt tests' part.
#include <gtest/gtest.h>

#include "framework/Gdi.h"
#include "framework/WinApp.h"
#include "mainwnd/MainWindow.h"
#include "support/PairRunner.h"
#include "support/TestSupport.h"

namespace {

CWinApp g_app;

CLayeredShellDlg* MakeMainPair()
{
    return new CRapimendPalluxAMDFlashScreenRepairDlg;
}

TEST(WindowPair, ShowsFrameAndPanelCentredAt96Dpi)
{
    CWindowDC screen(nullptr, CWindowDC::ClientArea);
    ASSERT_EQ(GetDeviceCaps(screen.GetSafeHdc(), LOGPIXELSY), 96);
    PairRunner pair(MakeMainPair);
    // 410 × 611, centred on the primary screen by integer halves.
    const CRect shell = pair.ShellRect();
    EXPECT_EQ(shell, CRect(shell.left, shell.top, shell.left + 410, shell.top + 611));
    EXPECT_EQ(shell.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 410 / 2);
    EXPECT_NEAR(shell.top, GetSystemMetrics(SM_CYSCREEN) / 2 - 611 / 2, 1);
    EXPECT_EQ(pair.ContentRect(), CRect(shell.left + 5, shell.top + 4, shell.left + 405, shell.top + 604));
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

// The main pair with a frame picture that is not in the program.
class ShellWithoutFrame : public CLayeredShellDlg {
public:
    ShellWithoutFrame() : CLayeredShellDlg(Layout(), nullptr) {}

protected:
    static PairLayout Layout()
    {
        PairLayout layout = kMainPairLayout;
        layout.frameImage = 4321;
        return layout;
    }
    std::unique_ptr<CLayeredContentDlg> CreateContent() override { return std::make_unique<CPalluxAMDFlashScreenRepairDlg>(); }
};

TEST(WindowPair, MissingFrameEndsThePairAtOnceAndLeavesNothing)
{
    const std::vector<long> handles = LiveHandleCounts();
    {
        ShellWithoutFrame shell;
        EXPECT_EQ(shell.DoModal(), -1) << "an invisible pair must not wait for a close that cannot come";
        EXPECT_EQ(shell.m_hWnd, nullptr);
    }
    PairRunner(MakeMainPair).End();
    EXPECT_EQ(LiveHandleCounts(), handles);
}

}  // namespace

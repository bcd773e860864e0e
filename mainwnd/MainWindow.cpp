#include "mainwnd/MainWindow.h"

#include "res/resource.h"

// The frame is 410 × 611 around the 400 × 600 panel; the pair centres itself on the screen.
const PairLayout kMainPairLayout = {IDD_MAIN_SHELL, IDB_MAIN_FRAME, {410, 611}, {5, 4, 5, 7}, true, FALSE, true};

namespace {
// The window buttons take the rightmost 86 pixels of the top band; that part does not drag.
constexpr int kMainDragExclusion = 86;
}

CPalluxAMDFlashScreenRepairDlg::CPalluxAMDFlashScreenRepairDlg()
    : CLayeredContentDlg(IDD_MAIN_CONTENT, IDB_MAIN_BACKGROUND, kMainDragExclusion, TRUE)
{
}

BOOL CPalluxAMDFlashScreenRepairDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!EnsureBackground()) return TRUE;
    m_bInitialized = TRUE;
    return TRUE;
}

CRapimendPalluxAMDFlashScreenRepairDlg::CRapimendPalluxAMDFlashScreenRepairDlg(CWnd* parent)
    : CLayeredShellDlg(kMainPairLayout, parent)
{
}

CLayeredContentDlg* CRapimendPalluxAMDFlashScreenRepairDlg::CreateContent()
{
    return new CPalluxAMDFlashScreenRepairDlg;
}

#include "ControlsDialog.h"

#include <commctrl.h>

#include "controls/PngResource.h"

bool ControlsDialog::Show()
{
    SetWindowPos(HWND_TOP, 200, 150, 400, 340, SWP_SHOWWINDOW);
    Repaint(m_hWnd);
    return IsWindowVisible();
}

void ControlsDialog::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, 1004, m_btnClose);
    DDX_Control(pDX, 1012, m_btnRepair);
    DDX_Control(pDX, 1016, m_btnMoreTools);
    DDX_Control(pDX, 1010, m_chkAgree);
    DDX_Control(pDX, 1013, m_stcAgreement);
    DDX_Control(pDX, 1000, m_stcStatus);
}

BOOL ControlsDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    Gdiplus::Image* background = nullptr;
    if (LoadPngResource(&background, 139)) m_pImgBackground.reset(background);

    m_btnClose.MoveWindow(368, 0, 26, 34);
    m_btnClose.SetStateImages(141, 142, 143, 144);
    m_btnRepair.MoveWindow(58, 60, 284, 85);
    m_btnRepair.SetBackgroundImage(m_pImgBackground.get());
    m_btnRepair.SetBackgroundRect(58, 240, 342, 325);
    m_btnRepair.SetHitMargins(19, 19, 19, 19);
    m_btnRepair.SetStateImages(151, 152, 153, 154);
    m_btnMoreTools.MoveWindow(45, 300, 58, 18);
    m_btnMoreTools.SetBackgroundImage(m_pImgBackground.get());
    m_btnMoreTools.SetBackgroundRect(45, 540, 103, 558);
    m_btnMoreTools.SetStateImages(192, 193, 194, 195);

    m_chkAgree.MoveWindow(8, 160, 200, 20);
    m_chkAgree.CreateFontFromParent();
    m_chkAgree.SetCheck(BST_CHECKED);
    m_stcAgreement.MoveWindow(150, 300, 240, 20);
    m_stcAgreement.CreateFontFromParent();
    m_stcAgreement.SetAlignMode(1);
    m_stcAgreement.SetTextColors(0xFF5C5C, 0xFF0000);
    m_stcStatus.MoveWindow(10, 200, 184, 40);
    m_stcStatus.CreateFontFromParent();
    m_stcStatus.SetAlignMode(1);
    return TRUE;
}

LRESULT ControlsDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) ++m_clicks[LOWORD(wParam)];
    if (message == WM_DESTROY) {
        for (CStateImageButton* button : std::initializer_list<CStateImageButton*>{&m_btnClose, &m_btnRepair, &m_btnMoreTools})
            button->ReleaseStateImages();
        m_pImgBackground.reset();
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

void ControlsTest::SetUp()
{
    // As the tool does. With the manifest linked in, the dialog's buttons are then the common
    // controls' version 6 ones, which alone know BCM_GETIDEALSIZE.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    SendMouseTo(kAway);
    ASSERT_TRUE(dialog.Create());
    SIZE ideal{};
    ASSERT_TRUE(dialog.m_chkAgree.SendMessage(BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)))
        << "the check box is no common controls 6 button";
    ASSERT_TRUE(dialog.Show());
}

void Repaint(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

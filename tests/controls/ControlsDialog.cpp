#include "ControlsDialog.h"

#include <commctrl.h>

#include "controls/PngResource.h"

ControlsDialog::ControlsDialog() : CDialog(700) {}

bool ControlsDialog::Create()
{
    return CDialog::Create(700) != FALSE;
}

bool ControlsDialog::Show(POINT at)
{
    SetWindowPos(HWND_TOP, at.x, at.y, 400, 340, SWP_SHOWWINDOW);
    UpdateWindow(m_hWnd);
    return PumpUntil([this] { return GetUpdateRect(m_hWnd, nullptr, FALSE) == FALSE; });
}

void ControlsDialog::DoDataExchange(CDataExchange* pDX)
{
    DDX_Control(pDX, 1004, m_btnClose);
    DDX_Control(pDX, 1012, m_btnRepair);
    DDX_Control(pDX, 1016, m_btnMoreTools);
    DDX_Control(pDX, 1010, m_chkAgree);
    DDX_Control(pDX, 1011, m_stcVersion);
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
    m_btnMoreTools.SetHitMargins(0, 0, 0, 0);
    m_btnMoreTools.SetStateImages(192, 193, 194, 195);

    m_chkAgree.MoveWindow(8, 160, 200, 20);
    m_chkAgree.CreateFontFromParent();
    m_chkAgree.SetCheck(BST_CHECKED);

    m_stcVersion.MoveWindow(188, 16, 160, 15);
    m_stcVersion.SetWindowText(L"1.5.21.423");
    m_stcVersion.SetBackgroundImage(m_pImgBackground.get());
    m_stcVersion.SetBackgroundRect(188, 16, 348, 31);
    m_stcVersion.CreateFontFromParent();
    m_stcVersion.SetAlignMode(1);
    m_stcVersion.SetTextColors(RGB(255, 255, 255), RGB(255, 255, 255));

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
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) ++m_clicks[LOWORD(wParam)];
        return CDialog::WindowProc(message, wParam, lParam);
    case WM_DESTROY:
        m_btnClose.ReleaseStateImages();
        m_btnRepair.ReleaseStateImages();
        m_btnMoreTools.ReleaseStateImages();
        m_pImgBackground.reset();
        return Default();
    default:
        return CDialog::WindowProc(message, wParam, lParam);
    }
}

namespace {

// Whether a button made now in `parent` runs the procedure of comctl32.dll, as version 6's do.
bool IsCommonControls6Button(HWND parent)
{
    HWND probe = CreateWindowExW(0, L"Button", L"", WS_CHILD, 0, 0, 1, 1, parent, nullptr, nullptr, nullptr);
    HMODULE owner = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(GetWindowLongPtrW(probe, GWLP_WNDPROC)), &owner);
    DestroyWindow(probe);
    return owner != nullptr && owner == GetModuleHandleW(L"comctl32.dll");
}

}  // namespace

void ControlsTest::SetUp()
{
    // As the tool does; with the manifest linked in, the dialogs' buttons and statics are then
    // the common controls' own classes.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&controls));
    SendMouseTo(kAway);
    ASSERT_TRUE(dialog.Create());
    ASSERT_TRUE(IsCommonControls6Button(dialog.m_hWnd)) << "the dialogs' buttons are not the common controls 6 ones";
    ASSERT_TRUE(dialog.Show());
}

POINT OnScreen(HWND window, POINT client)
{
    ClientToScreen(window, &client);
    return client;
}

void Repaint(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

Pixels Picture(UINT id, const RECT* part, const Pixels* under)
{
    Gdiplus::Image* raw = nullptr;
    if (!LoadPngResource(&raw, id)) return {};
    std::unique_ptr<Gdiplus::Image> image(raw);
    const RECT whole = {0, 0, static_cast<LONG>(image->GetWidth()), static_cast<LONG>(image->GetHeight())};
    return PixelsOf(*image, part != nullptr ? *part : whole, under);
}

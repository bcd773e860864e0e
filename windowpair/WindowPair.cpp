#include "windowpair/WindowPair.h"

#include <algorithm>

#include "controls/ImageDraw.h"
#include "controls/PngResource.h"
#include "framework/Gdi.h"
#include "framework/StepTimes.h"
#include "windowpair/DisplayScale.h"

// ---- content ------------------------------------------------------------------------------------

CLayeredContentDlg::CLayeredContentDlg(UINT templateId, UINT backgroundImage, int dragExclusion,
                                       BOOL inCaptionAtStart)
    : CDialog(templateId), m_bInCaption(inCaptionAtStart), m_nBackgroundImage(backgroundImage),
      m_nDragExclusion(dragExclusion)
{
}

CLayeredContentDlg::~CLayeredContentDlg() = default;

BOOL CLayeredContentDlg::EnsureBackground()
{
    return m_pImgBackground != nullptr || LoadPngResource(m_pImgBackground, m_nBackgroundImage);
}

CLayeredShellDlg* CLayeredContentDlg::Shell() const
{
    return dynamic_cast<CLayeredShellDlg*>(FromHandle(::GetWindow(m_hWnd, GW_OWNER)));
}

LRESULT CLayeredContentDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return OnEraseBkgnd(reinterpret_cast<HDC>(wParam));
    case WM_NCHITTEST:
        return OnNcHitTest(POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    case WM_MOVE:
        return OnMove();
    case WM_DESTROY:
        return OnDestroy();
    case WM_CLOSE:
        OnCloseRequest();
        return 0;
    case WM_INITDIALOG:
        m_uiState = InitialUiState();
        return CDialog::WindowProc(message, wParam, lParam);
    case WM_QUERYUISTATE:
        return m_uiState;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) KeepFocus();
        return CDialog::WindowProc(message, wParam, lParam);
    case WM_CANCELMODE:  // disabled under a prompt: the focus goes right after
        KeepFocus();
        return CDialog::WindowProc(message, wParam, lParam);
    case WM_SHOWWINDOW:
        if (!wParam) KeepFocus();
        return CDialog::WindowProc(message, wParam, lParam);
    case WM_SETFOCUS:
        return OnSetFocus();
    case WM_CHANGEUISTATE:
        OnChangeUiState(wParam);
        // The window tree's own cue state follows too, as the system keeps it for its controls.
        return Default();
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
        // High contrast or the keyboard-cue setting may have changed: every control paints afresh.
        OnChangeUiState(MAKEWPARAM(UIS_CLEAR, 0));  // clears nothing, applies the setting
        RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
        return Default();
    case WM_SYSCOMMAND:
        // Alt+Space in the panel opens the pair's system menu, the shell's (it has the About item);
        // the panel's own would offer only the system's items.
        if ((wParam & 0xFFF0) == SC_KEYMENU) {
            CLayeredShellDlg* shell = Shell();
            if (shell != nullptr && (shell->GetStyle() & WS_SYSMENU)) return shell->SendMessage(message, wParam, lParam);
        }
        return CDialog::WindowProc(message, wParam, lParam);
    case WM_SIZE: {
        const LRESULT result = Default();
        if (m_bInitialized) LayoutControls(FALSE);
        return result;
    }
    default:
        return CDialog::WindowProc(message, wParam, lParam);
    }
}

void CLayeredContentDlg::TakeStartPlace()
{
    if (!m_rcStart.IsRectEmpty()) MoveWindow(m_rcStart, FALSE);
}

BOOL CLayeredContentDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    TakeStartPlace();
    if (EnsureBackground()) {
        LayoutControls(TRUE);
        m_bInitialized = TRUE;
    }
    return FALSE;
}

void CLayeredContentDlg::ShowPanel()
{
    m_uiState = InitialUiState();
    ShowWindow(SW_SHOW);
}

void CLayeredContentDlg::OnCloseRequest()
{
    if (CLayeredShellDlg* shell = Shell()) shell->SendMessage(WM_CLOSE);
}

LRESULT CLayeredContentDlg::OnEraseBkgnd(HDC dc)
{
    const CRect client = GetClientRect();
    if (!EnsureBackground()) return TRUE;
    // Painted off screen and copied once, so the panel never shows half drawn. At its own size the
    // picture's pixels are copied; scaled, GDI+ draws it.
    CDC memory;
    if (!memory.CreateCompatibleDC(dc)) return TRUE;
    void* pixels = nullptr;
    const CBitmap surface = CreateTopDownDib(dc, SIZE{client.Width(), client.Height()}, &pixels);
    if (pixels == nullptr) return TRUE;
    CSelectObject select(memory.GetSafeHdc(), surface.Get());
    if (!CopyImageAtOwnSize(m_pImgBackground.get(), pixels, client.Width(), client.Height())) {
        Gdiplus::Graphics graphics(memory.GetSafeHdc());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        DrawWholeImage(graphics, m_pImgBackground.get(), 0, 0, client.Width(), client.Height());
    }
    BitBlt(dc, 0, 0, client.Width(), client.Height(), memory.GetSafeHdc(), 0, 0, SRCCOPY);
    MarkStep("panel background painted");
    return TRUE;
}

LRESULT CLayeredContentDlg::OnNcHitTest(POINT screenPoint)
{
    if (m_nDragExclusion < 0) return Default();
    CRect band = GetClientRect();
    ClientToScreen(reinterpret_cast<POINT*>(&band.left));
    ClientToScreen(reinterpret_cast<POINT*>(&band.right));
    band.right -= Scaled(m_nDragExclusion, m_fScale);
    band.bottom = band.top + Scaled(30, m_fScale);
    m_bInCaption = band.PtInRect(screenPoint);
    return m_bInCaption ? HTCAPTION : Default();
}

LRESULT CLayeredContentDlg::OnMove()
{
    const LRESULT result = Default();
    if (m_bInCaption) {
        if (CLayeredShellDlg* shell = Shell()) {
            const CRect rect = GetWindowRect();
            shell->FollowContent(rect.left, rect.top, rect.right, rect.bottom);
        }
    }
    return result;
}

LRESULT CLayeredContentDlg::OnDestroy()
{
    const LRESULT result = Default();
    m_pImgBackground.reset();
    return result;
}

// ---- shell --------------------------------------------------------------------------------------

namespace {
// The work area (the screen without the taskbar) of the monitor the user started the tool on: the
// one under the cursor, which has just double-clicked it.
CRect StartingWorkArea()
{
    POINT cursor{0, 0};
    GetCursorPos(&cursor);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (GetMonitorInfoW(MonitorFromPoint(cursor, MONITOR_DEFAULTTOPRIMARY), &info)) return CRect(info.rcWork);
    return CRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}
}  // namespace

CLayeredShellDlg::CLayeredShellDlg(const PairLayout& layout, CWnd* parent)
    : CDialog(layout.shellTemplate, parent), m_bMoveContent(layout.moveContentAtStart), m_layout(layout)
{
}

CLayeredShellDlg::~CLayeredShellDlg() = default;

CRect CLayeredShellDlg::ContentRectIn(const RECT& shell) const
{
    const RECT& in = m_layout.insets;
    return CRect(shell.left + Scaled(in.left, m_fScale), shell.top + Scaled(in.top, m_fScale),
                 shell.right - Scaled(in.right, m_fScale), shell.bottom - Scaled(in.bottom, m_fScale));
}

BOOL CLayeredShellDlg::OnInitDialog()
{
    MarkStep("shell dialog made");
    CDialog::OnInitDialog();
    OnInitShell();
    if (m_layout.measuresScale) m_fScale = ComputeDisplayScale();

    const double s = m_fScale;
    const CSize size(Trunc(m_layout.frame.cx * s), Trunc(m_layout.frame.cy * s));
    CRect target = GetWindowRect();
    if (m_layout.centreOnWorkArea) {
        const CRect work = StartingWorkArea();
        // Taller or wider than the work area (a small screen at a large scale), the pair keeps its
        // top edge and title band inside it, where the user can reach and drag them.
        const int left = std::max(work.left, work.left + work.Width() / 2 - Trunc(m_layout.frame.cx * s / 2));
        const int top = std::max(work.top, work.top + work.Height() / 2 - Trunc(m_layout.frame.cy * s / 2));
        target = CRect(left, top, left + size.cx, top + size.cy);
    } else {
        target.right = target.left + size.cx;
        target.bottom = target.top + size.cy;
    }

    SetWindowLongPtrW(m_hWnd, GWL_EXSTYLE, GetExStyle() ^ WS_EX_LAYERED);
    if (m_pImgShadow == nullptr && !LoadPngResource(m_pImgShadow, m_layout.frameImage)) return OnFrameFailed();
    if (!DrawFrame(GetWindowRect().TopLeft(), size)) return OnFrameFailed();
    MarkStep("shell frame drawn");

    m_pContentDlg = CreateContent();
    m_pContentDlg->m_fScale = m_fScale;
    // The content takes its place before it lays itself out; placing it moves it, and while it
    // leads, the shell follows it to its place.
    const RECT& in = m_layout.insets;
    const int left = Trunc(target.left + in.left * s), top = Trunc(target.top + in.top * s);
    m_pContentDlg->m_rcStart = CRect(left, top, left + Trunc(target.Width() - (in.left + in.right) * s),
                                     top + Trunc(target.Height() - (in.top + in.bottom) * s));
    if (!m_pContentDlg->Create(m_pContentDlg->TemplateId(), this)) return OnFrameFailed();
    MarkStep("panel made");
    // DoModal shows the pair, at once or, for one made ahead, when it runs it; the keyboard comes
    // with it.
    return FALSE;
}

void CLayeredShellDlg::ShowModalWindow()
{
    SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    if (m_pContentDlg == nullptr || m_pContentDlg->m_hWnd == nullptr) return;
    m_pContentDlg->ShowPanel();
    MarkStep("pair shown");
}

BOOL CLayeredShellDlg::OnFrameFailed()
{
    EndDialog(-1);
    return TRUE;
}

BOOL CLayeredShellDlg::DrawFrame(POINT at, SIZE size)
{
    // A 32-bit top-down DIB holds the frame with premultiplied alpha for UpdateLayeredWindow.
    CWindowDC screen(m_hWnd);
    CDC memory;
    if (!memory.CreateCompatibleDC(screen.GetSafeHdc())) return FALSE;
    void* pixels = nullptr;
    const CBitmap surface = CreateTopDownDib(screen.GetSafeHdc(), size, &pixels);
    if (pixels == nullptr) return FALSE;
    // At its own size (96 DPI) the frame is copied; scaled, GDI+ draws it smooth.
    if (!CopyImageAtOwnSize(m_pImgShadow.get(), pixels, size.cx, size.cy)) {
        Gdiplus::Bitmap canvas(size.cx, size.cy, size.cx * 4, PixelFormat32bppPARGB, static_cast<BYTE*>(pixels));
        Gdiplus::Graphics graphics(&canvas);
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        graphics.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
        graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
        DrawWholeImage(graphics, m_pImgShadow.get(), 0, 0, size.cx, size.cy);
    }
    CSelectObject select(memory.GetSafeHdc(), surface.Get());
    POINT origin{0, 0};
    SIZE extent = size;
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    return UpdateLayeredWindow(m_hWnd, screen.GetSafeHdc(), &at, &extent, memory.GetSafeHdc(), &origin, 0, &blend,
                               ULW_ALPHA);
}

LRESULT CLayeredShellDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCHITTEST:
        // The frame holds nothing to click: a hit on it belongs to the content beneath, should the
        // frame ever be stacked above its content (as Wine's display driver sometimes does).
        return HTTRANSPARENT;
    case WM_SETFOCUS:
        // The frame holds no controls: the keyboard belongs to the content, which decides what
        // Enter, Esc and Alt+F4 do. Left on the frame, Enter would end a prompt as if OK were clicked.
        if (m_pContentDlg != nullptr && m_pContentDlg->m_hWnd != nullptr && m_pContentDlg->IsWindowVisible() &&
            m_pContentDlg->IsWindowEnabled()) {
            ::SetFocus(m_pContentDlg->m_hWnd);
            return 0;
        }
        return CDialog::WindowProc(message, wParam, lParam);
    case WM_MOVE:
        return OnMove();
    case WM_DESTROY:
        return OnDestroy();
    default:
        return CDialog::WindowProc(message, wParam, lParam);
    }
}

LRESULT CLayeredShellDlg::OnMove()
{
    const LRESULT result = Default();
    if (m_bMoveContent && m_pContentDlg != nullptr && m_pContentDlg->m_hWnd != nullptr)
        m_pContentDlg->MoveWindow(ContentRectIn(GetWindowRect()), TRUE);
    return result;
}

int CLayeredShellDlg::FollowContent(int left, int top, int, int)
{
    m_bMoveContent = FALSE;
    const CRect shell = GetWindowRect();
    MoveWindow(left - Scaled(m_layout.insets.left, m_fScale), top - Scaled(m_layout.insets.top, m_fScale),
               shell.Width(), shell.Height(), TRUE);
    return 0;
}

LRESULT CLayeredShellDlg::OnDestroy()
{
    const LRESULT result = Default();
    m_pImgShadow.reset();
    // The content's window went first: owned windows are destroyed before their owner.
    m_pContentDlg.reset();
    return result;
}

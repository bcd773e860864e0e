#include "controls/StateImageButton.h"

#include <windowsx.h>

#include "controls/FocusCue.h"
#include "controls/ImageDraw.h"
#include "controls/PngResource.h"

namespace {
// The cursor must rest this long on the button before it shows its hover image.
constexpr DWORD kHoverMs = 10;
}

CStateImageButton::~CStateImageButton() = default;

BOOL CStateImageButton::SetStateImages(UINT nNormal, UINT nHover, UINT nPressed, UINT nDisabled)
{
    ReleaseStateImages();
    const UINT ids[kSlotCount] = {nNormal, nHover, nPressed, nDisabled};
    BOOL all = TRUE;
    for (int slot = 0; slot < kSlotCount; ++slot) {
        if (HasPngResource(ids[slot]))
            m_ids[slot] = ids[slot];
        else
            all = FALSE;
    }
    if (m_hWnd != nullptr) Invalidate(TRUE);
    return all;
}

void CStateImageButton::ReleaseStateImages()
{
    for (auto& image : m_images) image.reset();
    for (auto& id : m_ids) id = 0;
}

bool CStateImageButton::HasAllStateImages() const
{
    for (const UINT id : m_ids)
        if (id == 0) return false;
    return true;
}

Gdiplus::Image* CStateImageButton::ImageOf(int slot) const
{
    // A picture that does not decode is not tried again; its state shows the background alone.
    if (!m_images[slot] && m_ids[slot] != 0 && !LoadPngResource(m_images[slot], m_ids[slot])) m_ids[slot] = 0;
    return m_images[slot].get();
}

Gdiplus::Image* CStateImageButton::CurrentImage() const
{
    if (!IsWindowEnabled()) return ImageOf(kSlotDisabled);
    switch (m_nState) {
    case kNormal:
        return ImageOf(kSlotNormal);
    case kHover:
        return ImageOf(kSlotHover);
    case kPressed:
        return ImageOf(kSlotPressed);
    default:
        return nullptr;
    }
}

void CStateImageButton::PaintButton(HDC target, const RECT& area, bool trimEdge) const
{
    const CRect rect(area);
    const CRect client(0, 0, rect.Width(), rect.Height());
    CMemoryCanvas canvas;
    if (!canvas.Prepare(target, CSize(client.Width(), client.Height()))) return;
    FillSolid(canvas.GetSafeHdc(), client, RGB(255, 255, 255));
    {
        Gdiplus::Graphics graphics(canvas.GetSafeHdc());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        m_background.Draw(graphics, client);
        if (Gdiplus::Image* image = CurrentImage()) {
            const int trim = trimEdge ? 1 : 0;
            const RECT source = {0, 0, static_cast<LONG>(image->GetWidth()) - trim,
                                 static_cast<LONG>(image->GetHeight()) - trim};
            DrawImagePart(graphics, image, client, source);
        }
    }  // GDI+ has finished drawing before the cue goes on and the canvas is copied
    if (ShowsFocusCue(m_hWnd)) DrawFocusCue(canvas.GetSafeHdc(), client, true);
    canvas.CopyTo(target, rect.TopLeft());
}

void CStateImageButton::SetState(int state)
{
    if (m_nState == state) return;
    m_nState = state;
    // The paint covers the whole button, so no erase is needed.
    Invalidate(FALSE);
}

int CStateImageButton::StateAt(LPARAM lParam, bool held) const
{
    const POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (!GetClientRect().PtInRect(point)) return kNormal;
    return held ? kPressed : kHover;
}

LRESULT CStateImageButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_MOUSEMOVE: {
        const LRESULT result = Default();
        if (IsWindowEnabled()) m_tracking.Track(m_hWnd, kHoverMs);
        return result;
    }
    case WM_MOUSEHOVER:
        // A button held down since the press inside shows pressed when the cursor comes back.
        if (IsWindowEnabled()) SetState(StateAt(lParam, (wParam & MK_LBUTTON) && GetCapture() == m_hWnd));
        return Default();
    case WM_LBUTTONUP:
        // Released outside, the cursor is no longer over the button: normal, not hover.
        if (IsWindowEnabled()) SetState(StateAt(lParam, false));
        return Default();
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (IsWindowEnabled()) SetState(StateAt(lParam, true));
        return Default();
    case WM_MOUSELEAVE: {
        const LRESULT result = Default();
        if (IsWindowEnabled()) SetState(kNormal);
        m_tracking.Left();
        return result;
    }
    case BM_SETSTATE:
        // The system's button pushes itself while Space is held on it, as it does while the mouse
        // button is; let go, it shows what the cursor is over.
        if (wParam) {
            SetState(kPressed);
        } else if (m_nState == kPressed) {
            POINT cursor{};
            GetCursorPos(&cursor);
            ScreenToClient(&cursor);
            SetState(StateAt(MAKELPARAM(cursor.x, cursor.y), false));
        }
        return Default();
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE: {
        // The focus cue comes and goes with these.
        const LRESULT result = Default();
        Invalidate(FALSE);
        return result;
    }
    case WM_ENABLE: {
        // A leave that comes while the button is disabled changes nothing, and may not come at all:
        // enabling or disabling starts afresh, normal, and the next move asks for hover and leave.
        const LRESULT result = Default();
        m_tracking.Cancel(m_hWnd);
        m_nState = kNormal;
        Invalidate(FALSE);
        return result;
    }
    default:
        return CButton::WindowProc(message, wParam, lParam);
    }
}

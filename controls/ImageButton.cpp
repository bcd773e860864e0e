#include "controls/ImageButton.h"

void CImageButton::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    if (lpDIS == nullptr || !HasAllStateImages()) return;
    PaintButton(lpDIS->hDC, GetClientRect(), false);
}

void CImageButton::SetHitMargins(int left, int top, int right, int bottom)
{
    m_rcMargins = CRect(left, top, right, bottom);
}

BOOL CImageButton::IsCursorInActiveArea() const
{
    CRect active = GetClientRect();
    active.left += m_rcMargins.left;
    active.top += m_rcMargins.top;
    active.right -= m_rcMargins.right;
    active.bottom -= m_rcMargins.bottom;
    POINT cursor;
    if (!GetCursorPos(&cursor)) return FALSE;
    ScreenToClient(&cursor);
    return active.PtInRect(cursor);
}

BOOL CImageButton::IsClickInActiveArea() const
{
    return !m_bMouseRelease || IsCursorInActiveArea();
}

LRESULT CImageButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        // The whole button, with whatever images it has: a missing one is left out.
        PaintButton(reinterpret_cast<HDC>(wParam), GetClientRect(), false);
        return TRUE;
    case BM_CLICK: {
        // The system's button clicks itself with a press and a release of the mouse at its corner.
        m_bProgramClick = true;
        const LRESULT result = CStateImageButton::WindowProc(message, wParam, lParam);
        m_bProgramClick = false;
        return result;
    }
    case WM_LBUTTONUP: {
        // The click is reported while the release is handled.
        m_bMouseRelease = !m_bProgramClick;
        const LRESULT result = CStateImageButton::WindowProc(message, wParam, lParam);
        m_bMouseRelease = false;
        return result;
    }
    default:
        return CStateImageButton::WindowProc(message, wParam, lParam);
    }
}

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

LRESULT CImageButton::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND) {
        // The whole button, with whatever images it has: a missing one is left out.
        PaintButton(reinterpret_cast<HDC>(wParam), GetClientRect(), false);
        return TRUE;
    }
    return CStateImageButton::WindowProc(message, wParam, lParam);
}

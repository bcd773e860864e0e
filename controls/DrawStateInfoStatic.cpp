#include "controls/DrawStateInfoStatic.h"

namespace {

constexpr UINT_PTR kDotsTimer = 36;
constexpr UINT kDotsPeriodMs = 1000;
constexpr int kMostDots = 3;

// Layout modes 0 to 6; any other mode is single line, vertically centred, left.
UINT TextFormat(int mode)
{
    switch (mode) {
    case 2:
        return DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    case 3:
        return DT_SINGLELINE | DT_VCENTER | DT_RIGHT;
    case 4:
        return DT_WORDBREAK | DT_VCENTER;
    case 5:
        return DT_WORDBREAK | DT_VCENTER | DT_CENTER;
    case 6:
        return DT_WORDBREAK | DT_VCENTER | DT_RIGHT;
    default:
        return DT_SINGLELINE | DT_VCENTER;
    }
}

}  // namespace

void CDrawStateInfoStatic::SetStateTextColor(COLORREF cr)
{
    m_crText = cr;
    Invalidate(TRUE);
}

void CDrawStateInfoStatic::StartAnimation()
{
    SetTimer(kDotsTimer, kDotsPeriodMs);  // without a timer the text simply stays without dots
}

void CDrawStateInfoStatic::StopAnimation()
{
    KillTimer(kDotsTimer);
    m_nDots = 0;
    Invalidate(TRUE);
}

LRESULT CDrawStateInfoStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == kDotsTimer) {
        m_nDots = (m_nDots + 1) % (kMostDots + 1);
        Invalidate(TRUE);
    }
    return CSkinLabel::WindowProc(message, wParam, lParam);
}

CSkinLabel::Look CDrawStateInfoStatic::CurrentLook() const
{
    return {GetWindowText() + CString(static_cast<size_t>(m_nDots), L'.'), m_crText, RGB(255, 255, 255),
            TextFormat(m_nAlign)};
}

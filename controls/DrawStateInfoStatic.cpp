#include "controls/DrawStateInfoStatic.h"

#include <iterator>

namespace {

constexpr UINT_PTR kDotsTimer = 36;
constexpr UINT kDotsPeriodMs = 1000;
constexpr int kMostDots = 3;

// DrawText flags of layout modes 0 to 6; any other mode is single line, vertically centred, left.
constexpr UINT kFormats[] = {
    DT_SINGLELINE | DT_VCENTER,              // 0 and 1: single line, vertically centred, left
    DT_SINGLELINE | DT_VCENTER,
    DT_SINGLELINE | DT_VCENTER | DT_CENTER,  // 2: centred
    DT_SINGLELINE | DT_VCENTER | DT_RIGHT,   // 3: right
    DT_WORDBREAK | DT_VCENTER,               // 4 to 6: word-wrapped from the top, left, centred, right
    DT_WORDBREAK | DT_VCENTER | DT_CENTER,
    DT_WORDBREAK | DT_VCENTER | DT_RIGHT,
};

UINT TextFormat(int mode)
{
    return mode >= 0 && mode < static_cast<int>(std::size(kFormats)) ? kFormats[mode] : kFormats[0];
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
    const LRESULT result = CSkinLabel::WindowProc(message, wParam, lParam);
    // A screen reader hears the new text; the dots are left out of what it reads.
    if (message == WM_SETTEXT) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, m_hWnd, OBJID_CLIENT, CHILDID_SELF);
    return result;
}

CSkinLabel::Look CDrawStateInfoStatic::CurrentLook() const
{
    return {GetWindowText() + CString(static_cast<size_t>(m_nDots), L'.'), m_crText, RGB(255, 255, 255),
            TextFormat(m_nAlign)};
}

#include "controls/DrawTextStatic.h"

#include <iterator>

namespace {

// DrawText flags of layout modes 0 to 4; any other mode draws no text. The word-wrapped modes
// carry DT_VCENTER, which does nothing without DT_SINGLELINE: their text starts at the top.
constexpr UINT kFormats[] = {
    DT_WORDBREAK | DT_VCENTER,               // 0: word-wrapped, left
    DT_SINGLELINE | DT_VCENTER,              // 1: single line, vertically centred, left
    DT_SINGLELINE | DT_VCENTER | DT_CENTER,  // 2: single line, vertically centred, centred
    DT_WORDBREAK | DT_VCENTER | DT_RIGHT,    // 3: word-wrapped, right
    DT_SINGLELINE | DT_VCENTER,              // 4: as 1
};

std::optional<UINT> TextFormat(int mode)
{
    if (mode < 0 || mode >= static_cast<int>(std::size(kFormats))) return std::nullopt;
    return kFormats[mode];
}

}  // namespace

void CDrawTextStatic::SetBackColor(COLORREF cr)
{
    m_crBack = cr;
}

void CDrawTextStatic::SetTextColors(COLORREF crNormal, COLORREF crHover)
{
    m_crNormal = crNormal;
    m_crHover = crHover;
}

BOOL CDrawTextStatic::IsPointInside(int x, int y) const
{
    return GetWindowRect().PtInRect(CPoint(x, y));
}

void CDrawTextStatic::UpdateHover(int x, int y)
{
    const BOOL hover = IsPointInside(x, y);
    if (hover == m_bHover) return;
    m_bHover = hover;
    Invalidate(TRUE);
}

CSkinLabel::Look CDrawTextStatic::CurrentLook() const
{
    // A label the keyboard can reach is a link, and keeps the system's link colour under high contrast.
    const int contrastText = (GetStyle() & WS_TABSTOP) ? COLOR_HOTLIGHT : COLOR_WINDOWTEXT;
    return {m_strShown.value_or(GetWindowText()), m_bHover ? m_crHover : m_crNormal, m_crBack, TextFormat(m_nAlign),
            contrastText};
}

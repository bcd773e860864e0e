#include "controls/DrawTextStatic.h"

namespace {

// Layout modes 0 to 4; any other mode draws no text. The word-wrapped modes carry DT_VCENTER,
// which does nothing without DT_SINGLELINE: their text starts at the top.
std::optional<UINT> TextFormat(int mode)
{
    switch (mode) {
    case 0:
        return DT_WORDBREAK | DT_VCENTER;
    case 1:
    case 4:
        return DT_SINGLELINE | DT_VCENTER;
    case 2:
        return DT_SINGLELINE | DT_VCENTER | DT_CENTER;
    case 3:
        return DT_WORDBREAK | DT_VCENTER | DT_RIGHT;
    default:
        return std::nullopt;
    }
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
    return {GetWindowText(), m_bHover ? m_crHover : m_crNormal, m_crBack, TextFormat(m_nAlign)};
}

#pragma once
// A text label with a normal and a hovered text colour: the version number, the links of the main
// window, the message of the confirmation prompt. Being a plain static it takes no mouse input;
// its owner hit-tests it with screen points. Its window text is what a screen reader reads.
#include "controls/SkinLabel.h"

class CDrawTextStatic : public CSkinLabel {
public:
    void SetBackColor(COLORREF cr);
    void SetTextColors(COLORREF crNormal, COLORREF crHover);
    // Layout modes, from the next paint: 0 word-wrapped left, 1 and 4 one line vertically centred
    // left, 2 the same centred, 3 word-wrapped right; any other mode draws no text.
    void SetAlignMode(int nMode) { m_nAlign = nMode; }
    // Hovered while the screen point lies in the label's window rectangle (right and bottom edges
    // outside); repaints only when that changes.
    void UpdateHover(int x, int y);
    BOOL IsPointInside(int x, int y) const;
    // Draws `text` in place of the window text, where the artwork beside the label already shows
    // the rest of what the window text says.
    void SetShownText(const CString& text) { m_strShown = text; }

protected:
    Look CurrentLook() const override;

private:
    COLORREF m_crNormal = RGB(0, 0, 0);
    COLORREF m_crHover = RGB(0, 0, 255);
    COLORREF m_crBack = RGB(255, 255, 255);
    BOOL m_bHover = FALSE;
    int m_nAlign = 0;
    std::optional<CString> m_strShown;
};

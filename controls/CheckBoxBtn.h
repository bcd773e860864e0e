#pragma once
// The agreement check box: a real automatic check box (the system keeps and toggles the check
// state, Space included, and reports clicks) whose whole look is a frame of the check-mark strip,
// PNG 140, scaled by the display scale, followed by its text, which shows the focus cue.
#include <memory>
#include <optional>

#include "controls/ControlPaint.h"
#include "framework/Controls.h"

class CCheckBoxBtn : public CPaintedButton {
public:
    CCheckBoxBtn();
    ~CCheckBoxBtn() override;

    // Takes a copy of the owner dialog's font for the text.
    void CreateFontFromParent();
    // Draws `text` in place of the window text (which a screen reader reads), where a label beside
    // the box shows the rest of what the window text says.
    void SetShownText(const CString& text) { m_strShown = text; }

    // The owner's display scale, set before the first paint.
    float m_fScale = 1.0f;

protected:
    void OnPaint(HDC dc) override;
    void PostNcDestroy() override;

private:
    std::unique_ptr<Gdiplus::Image> m_pCheckImage;  // loaded at the first paint that finds it
    CMemoryCanvas m_canvas;  // kept from paint to paint, made again when the size changes
    CFont m_font;
    COLORREF m_crText = RGB(0, 0, 0);
    std::optional<CString> m_strShown;
};

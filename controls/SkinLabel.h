#pragma once
// What the two painted labels share: text in a copy of the dialog's font, laid out by a mode
// number, over a solid fill and an optional borrowed background slice, painted through a fresh
// memory bitmap at every paint; under high contrast the text in the system's colours on the
// system's window colour. A label the keyboard can reach (WS_TABSTOP: a link) shows the focus cue.
#include <optional>

#include "controls/ControlPaint.h"
#include "framework/Controls.h"

class CSkinLabel : public CPaintedStatic {
public:
    CSkinLabel();
    ~CSkinLabel() override;

    // Takes a copy of the owner dialog's font for the text.
    void CreateFontFromParent();
    void SetBackgroundImage(Gdiplus::Image* pImage) { m_background.SetImage(pImage); }
    void SetBackgroundRect(int left, int top, int right, int bottom) { m_background.SetRect(left, top, right, bottom); }

protected:
    struct Look {
        CString text;
        COLORREF text_colour;
        COLORREF fill;
        std::optional<UINT> format;  // DrawText flags; none: the text is not drawn
        int contrast_text = COLOR_WINDOWTEXT;  // the system colour of the text under high contrast
    };
    virtual Look CurrentLook() const = 0;

    void OnPaint(HDC dc) override;
    void PostNcDestroy() override;

private:
    CFont m_font;
    CBackgroundSlice m_background;
};

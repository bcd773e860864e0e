#pragma once
// The status label of the progress prompt: its text followed by one to three dots that grow once a
// second while the work runs.
#include "controls/SkinLabel.h"

class CDrawStateInfoStatic : public CSkinLabel {
public:
    void SetStateTextColor(COLORREF cr);
    // Layout modes, from the next paint: 0 and 1 one line vertically centred left, 2 the same
    // centred, 3 right; 4, 5 and 6 word-wrapped left, centred and right; any other mode as 0.
    void SetAlignMode(int nMode) { m_nAlign = nMode; }
    // Timer 36 of the label's own window adds a dot every second; after three it starts again.
    void StartAnimation();
    // Stops the timer and shows the text without dots.
    void StopAnimation();

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    Look CurrentLook() const override;

private:
    COLORREF m_crText = RGB(0, 0, 0);
    int m_nDots = 0;
    int m_nAlign = 0;
};

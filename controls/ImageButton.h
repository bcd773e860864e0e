#pragma once
// The large artwork buttons (repair, "更多工具", the feedback answers). They paint themselves in the
// erase as well, so the system's erase never shows, and their artwork's glow border can be kept
// out of the area where a click counts.
#include "controls/StateImageButton.h"

class CImageButton : public CStateImageButton {
public:
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

    // Insets of the active area from the client edges, in client pixels.
    void SetHitMargins(int left, int top, int right, int bottom);
    // Whether the cursor lies in the client area less the hit margins (left and top inclusive,
    // right and bottom exclusive).
    BOOL IsCursorInActiveArea() const;
    // Whether the click being reported counts, asked by the owner when BN_CLICKED arrives: one
    // made with the mouse only when the cursor is in the active area; one made with Space, Enter or
    // by a program (a screen reader's default action) wherever the cursor is.
    BOOL IsClickInActiveArea() const;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    CRect m_rcMargins;
    bool m_bMouseRelease = false;  // a release of the mouse button is being handled
    bool m_bProgramClick = false;  // BM_CLICK is being handled
};

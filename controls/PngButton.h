#pragma once
// The small chrome buttons (close, minimise, the prompts' buttons): four state images painted when
// the owner dialog asks the owner-drawn button to draw itself.
#include "controls/StateImageButton.h"

class CPngButton : public CStateImageButton {
public:
    void DrawItem(LPDRAWITEMSTRUCT lpDIS) override;

    // The owner's display scale; above 1.0 the images are drawn from their width and height less
    // one pixel, so the stretch does not smear their last row and column.
    float m_fScale = 1.0f;
};

#include "controls/PngButton.h"

void CPngButton::DrawItem(LPDRAWITEMSTRUCT lpDIS)
{
    // A button whose artwork is incomplete draws nothing rather than a wrong state.
    if (lpDIS == nullptr || !HasAllStateImages()) return;
    PaintButton(lpDIS->hDC, lpDIS->rcItem, m_fScale > 1.0f);
}

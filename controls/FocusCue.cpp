#include "controls/FocusCue.h"

#include <algorithm>

#include "controls/ControlPaint.h"

bool ShowsFocusCue(HWND control)
{
    if (control == nullptr || ::GetFocus() != control) return false;
    const HWND window = ::GetAncestor(control, GA_ROOT);
    return (::SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0;
}

bool IsHighContrast()
{
    HIGHCONTRASTW contrast{};
    contrast.cbSize = sizeof contrast;
    return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
           (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

void DrawFocusCue(HDC dc, const RECT& area, bool inset)
{
    const int dpi = std::max(96, GetDeviceCaps(dc, LOGPIXELSY));
    const int width = area.right - area.left, height = area.bottom - area.top;
    const int dot = MulDiv(1, dpi, 96);
    // Three design pixels in; a button too small for that (a prompt's ×) has it on its edge, around
    // the glyph rather than over it.
    const int gap = MulDiv(3, dpi, 96);
    const int in = inset && std::min(width, height) >= 6 * gap ? gap : 0;
    const RECT ring = {area.left + in, area.top + in, area.right - in, area.bottom - in};
    if (ring.right - ring.left < 2 * dot || ring.bottom - ring.top < 2 * dot) return;

    const bool contrast = IsHighContrast();
    const COLORREF ink = contrast ? GetSysColor(COLOR_HIGHLIGHT) : RGB(0, 0, 0);
    const COLORREF paper = contrast ? GetSysColor(COLOR_HIGHLIGHTTEXT) : RGB(255, 255, 255);
    // One dot at a time along each edge, the colours taking turns.
    int turn = 0;
    const auto dotAt = [&](int x, int y) {
        FillSolid(dc, RECT{x, y, x + dot, y + dot}, (turn++ % 2) == 0 ? ink : paper);
    };
    for (int x = ring.left; x < ring.right - dot; x += dot) dotAt(x, ring.top);
    for (int y = ring.top; y < ring.bottom - dot; y += dot) dotAt(ring.right - dot, y);
    for (int x = ring.right - dot; x > ring.left; x -= dot) dotAt(x, ring.bottom - dot);
    for (int y = ring.bottom - dot; y > ring.top; y -= dot) dotAt(ring.left, y);
}

#pragma once
// Window tests that run their windows on the test thread: real mouse input, waiting while the
// thread's windows get their messages, and what a window shows, read back pixel by pixel and
// compared with decoded artwork.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/Gdiplus.h"
#include "framework/Types.h"

// Runs this thread's messages until `condition` holds or `timeoutMs` has passed; whether it held.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Real mouse input (SendInput), in screen pixels; each returns once the system has taken it.
void SendMouseTo(POINT screen);
void SendMouseButton(bool down);

// Pixels as 0xRRGGBB, row by row.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> rgb;
    uint32_t At(int x, int y) const { return rgb[static_cast<size_t>(y) * width + x]; }
};

// What the window's client area, or the `part` of it, shows now.
Pixels CaptureClient(HWND window);
Pixels CaptureClient(HWND window, const RECT& part);
// The `part` of a decoded image laid over `under` (white where there is none), as alpha blending does.
Pixels PixelsOf(Gdiplus::Image& image, const RECT& part, const Pixels* under = nullptr);
// The share of pixels of two same-sized pictures whose channels all differ by at most `tolerance`.
double MatchShare(const Pixels& a, const Pixels& b, int tolerance = 24);
// The smallest rectangle within `area` holding every pixel that differs from `paper` by more than
// `tolerance` in a channel; empty when there is none.
CRect InkBounds(const Pixels& pixels, uint32_t paper, const RECT& area, int tolerance = 60);

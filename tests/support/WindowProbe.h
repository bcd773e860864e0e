#pragma once
// Window tests that run their windows on the test thread: real mouse input, waiting while the
// thread's windows get their messages, and what a window shows, read back and compared with
// decoded artwork.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "framework/Gdiplus.h"
#include "framework/String.h"
#include "framework/Types.h"

// Runs this thread's messages until `condition` holds or `timeoutMs` has passed; whether it held.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);

// Real mouse input (SendInput), in screen pixels; each returns once the system has taken it.
void SendMouseTo(POINT screen);
void SendMouseButton(bool down);
// Moves there, presses and releases.
void SendClick(POINT screen);
// Presses and releases `key`, with Alt held when `withAlt`.
void SendKey(WORD key, bool withAlt = false);
// A point given in the client coordinates of `window`, on the screen.
POINT OnScreen(HWND window, POINT client);
// The centre of a window's client area, on the screen.
POINT ClientCentre(HWND window);

// A window's text (of any thread's window).
CString TextOf(HWND window);

// Pixels as 0xAARRGGBB, row by row; what a window shows is opaque.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
};

// What the window's client area, or the `part` of it, shows now.
Pixels CaptureClient(HWND window, const RECT* part = nullptr);
// The `part` of a decoded image.
Pixels PixelsOf(Gdiplus::Image& image, const RECT& part);
// The pixels of PNG resource `id`, or of its `part`; none when it does not load.
Pixels Picture(UINT id, const RECT* part = nullptr);
// The share of the opaque pixels of `expected` whose channels `shown` matches within `tolerance`.
double MatchShare(const Pixels& shown, const Pixels& expected, int tolerance = 24);
// The smallest rectangle within `area` holding every pixel that is not white (beyond `tolerance`);
// empty when there is none.
CRect InkBounds(const Pixels& pixels, const RECT& area, int tolerance = 60);

#pragma once
// Window tests: real mouse and key input, finding windows and waiting until they settle, and what a
// window shows, read back and compared with decoded artwork. For windows of this process and of the
// tool started as a process of its own alike.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "framework/Gdiplus.h"
#include "framework/String.h"
#include "framework/Types.h"

// Real mouse input, in screen pixels; each returns once the system has taken it, a steady move once
// the cursor has stayed there a while.
void SendMouseTo(POINT screen, bool steady = true);
void SendMouseButton(bool down);
// Moves there, presses and releases.
void SendClick(POINT screen);
// The keys pressed in order and let go in reverse, as a chord (Alt+F4: {VK_MENU, VK_F4}).
void SendKeys(const std::vector<WORD>& keys);

// A point given in the client coordinates of `window`, on the screen.
inline POINT OnScreen(HWND window, POINT client)
{
    return ClientToScreen(window, &client), client;
}
// The centre of a window's client area, on the screen.
POINT ClientCentre(HWND window);
inline void ClickControl(HWND dialog, int id)
{
    SendClick(ClientCentre(GetDlgItem(dialog, id)));
}
CRect ClientRectOnScreen(HWND window);
inline CRect WindowRectOf(HWND window)
{
    CRect rect;
    return GetWindowRect(window, &rect), rect;
}
// A control's rectangle in its dialog's client coordinates.
CRect ControlRect(HWND dialog, int id);
// A window's text (of any thread's window).
CString TextOf(HWND window);

// The visible top-level windows of a process.
std::vector<HWND> VisibleWindows(DWORD processId);
// How many of them Windows gives a taskbar button (and an Alt+Tab entry): the unowned ones and
// those that ask for one, but no tool window.
size_t TaskbarButtons(DWORD processId);
// Waits until `window` has kept its place for a while and holds the foreground: a window just shown
// may still be centred, and Wine may still be handing it the focus, so that a click or a key would
// go astray, as a hand's would not.
void Settle(HWND window);

// Pixels as 0xAARRGGBB, row by row; what a window shows is opaque.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> argb;
};

// What the screen shows now in `area`, whichever process's window it belongs to.
Pixels CaptureScreen(const RECT& area);
// The pixels of PNG resource `id`, or of its `part`; none when it does not load.
Pixels Picture(UINT id, const RECT* part = nullptr);
// Whether `window` shows PNG resource `id` (nearly all its opaque pixels) within `timeoutMs`.
bool ShowsPicture(HWND window, UINT id, DWORD timeoutMs = 2000);
// The share of the opaque pixels of `expected` whose channels `shown` matches within `tolerance`.
double MatchShare(const Pixels& shown, const Pixels& expected, int tolerance = 24);

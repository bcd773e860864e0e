#pragma once
// Where the keyboard is: every skinned control draws the same cue, a dotted ring inset a few pixels,
// while it has the focus and its window shows keyboard cues, as the system's own controls do. The
// window keeps the cues hidden after a click until a key moves the focus (or always shows them,
// as the system's setting asks); a control asks its top-level window with WM_QUERYUISTATE.
#include <windows.h>

// Whether `control` has the focus and its window shows where the keyboard is.
bool ShowsFocusCue(HWND control);

// Draws the cue on `dc`: dots of two colours that show on light and dark artwork alike, or in the
// system's colours under high contrast, grown with the DPI. An artwork button has it a few pixels
// inside its edge (`inset`); a text has it on the edge of its own area, clear of the letters.
void DrawFocusCue(HDC dc, const RECT& area, bool inset);

// Whether the user has asked for high contrast: the tool then draws its own texts in the system's
// colours, on the system's window colour rather than on artwork.
bool IsHighContrast();

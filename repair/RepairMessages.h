#pragma once
// What the repair engine sends to its notify window; the windows that receive it include this.
#include <windows.h>

// Close the progress prompt (wParam 0, lParam 0).
constexpr UINT WM_CLOSE_EXECUTE_PROMPT = WM_USER + 501;  // 0x5F5
// The repair's outcome in wParam (one of the three below); lParam 0.
constexpr UINT WM_REPAIR_RESULT = WM_USER + 502;  // 0x5F6

constexpr WPARAM kRepairSucceeded = 1;
constexpr WPARAM kRepairFailed = 2;
// Done, but nothing needed writing (an undo whose keys were as recorded or gone): no restart needed.
constexpr WPARAM kRepairNothingWritten = 3;

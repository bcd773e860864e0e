#pragma once
// The tool's own window messages, shared by the windows and the repair worker.
#include <windows.h>

// Close the progress prompt (wParam 0, lParam 0).
constexpr UINT WM_CLOSE_EXECUTE_PROMPT = WM_USER + 501;  // 0x5F5
// The repair's outcome: wParam 1 = repaired, 2 = failed; lParam 0.
constexpr UINT WM_REPAIR_RESULT = WM_USER + 502;  // 0x5F6
// A prompt's answer handed to its owner.
constexpr UINT WM_PROMPT_RESULT = WM_USER + 533;  // 0x615
// A left button press seen by the low-level mouse hook.
constexpr UINT WM_HOOK_LBUTTONDOWN = WM_USER + 1000;  // 0x7E8

constexpr WPARAM kRepairSucceeded = 1;
constexpr WPARAM kRepairFailed = 2;

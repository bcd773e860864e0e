#pragma once
// The tool's own window messages: the repair engine's two (defined by the engine) and the windows' own.
#include <windows.h>

#include "repair/RepairMessages.h"

// A prompt's answer handed to its owner.
constexpr UINT WM_PROMPT_RESULT = WM_USER + 533;  // 0x615
// A left button press seen by the low-level mouse hook.
constexpr UINT WM_HOOK_LBUTTONDOWN = WM_USER + 1000;  // 0x7E8

#pragma once
// The environment the tool's child processes get in place of its own: only what the system's
// programs need, all of it pointing into the system's folders, so no variable another program or
// the user's account set (PATH, PATHEXT, ComSpec, …) steers what the child finds or runs.
#include <windows.h>

#include "framework/String.h"

// SystemRoot, windir, ComSpec, PATH (the system folder alone) and PATHEXT, sorted by name as
// CreateProcessW expects, each ended by a NUL and the block by one more: hand `.c_str()` to
// CreateProcessW with CREATE_UNICODE_ENVIRONMENT. Empty when the system's folders cannot be had.
CString MinimalChildEnvironment();

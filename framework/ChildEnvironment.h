#pragma once
// The environment a child of the tool starts with: only what the system's own programs need, all of
// it naming the system's folders. The tool runs elevated while its inherited environment comes from
// the user's account (PATH, PATHEXT, ComSpec), so nothing of that may decide which program a child
// command line reaches.
#include "framework/String.h"

// SystemRoot, windir, ComSpec (the system's interpreter), PATH (the system folder alone) and PATHEXT,
// as a Unicode environment block for CreateProcess (CREATE_UNICODE_ENVIRONMENT), sorted by name and
// ending with two nulls. Empty when the system's folders cannot be had.
CString MinimalChildEnvironment();

#pragma once
// The module whose resources the tool's windows and images use: the program itself unless a
// caller names another (a test, say, whose resources live in its own executable or a library).
#include <windows.h>

HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

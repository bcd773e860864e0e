#pragma once
// Where the command line's text goes: the standard output the tool was given (a pipe or a file
// from a deployment tool or a redirection), else the console of the program that started it; none
// when there is neither. Bytes for a pipe or a file are in that console's code page.
#include <windows.h>

#include "framework/Handle.h"
#include "framework/String.h"

class CConsoleOutput {
public:
    CConsoleOutput();
    // One line; CR LF is added.
    void WriteLine(const CString& text) const;

private:
    HANDLE m_output = nullptr;  // the inherited handle, or m_console's
    CHandle m_console;
    UINT m_codePage = CP_OEMCP;
};

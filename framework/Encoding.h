#pragma once
// Conversions between wide strings and 8-bit strings of a given Windows code page.
#include <windows.h>

#include "framework/String.h"

// 8-bit text of `codePage` to UTF-16. Bytes that do not form a character become U+FFFD-like
// replacement characters chosen by the system; nothing is dropped silently.
CString WideFromCodePage(UINT codePage, const char* bytes, int length);
inline CString WideFromCodePage(UINT codePage, const CStringA& text)
{
    return WideFromCodePage(codePage, text.data(), text.GetLength());
}

// UTF-16 to 8-bit text of `codePage`. A character the code page cannot hold becomes "?"
// (no best-fit look-alikes); the rest of the text is kept.
CStringA CodePageFromWide(UINT codePage, const CString& text);

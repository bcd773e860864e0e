#include "framework/Encoding.h"

CString WideFromCodePage(UINT codePage, const char* bytes, int length)
{
    if (length <= 0) return CString();
    const int needed = MultiByteToWideChar(codePage, 0, bytes, length, nullptr, 0);
    if (needed <= 0) return CString();
    CString wide(static_cast<size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, bytes, length, wide.data(), needed);
    return wide;
}

CStringA CodePageFromWide(UINT codePage, const CString& text)
{
    if (text.IsEmpty()) return CStringA();
    // UTF-7 and UTF-8 accept neither a default character nor the best-fit flag.
    const bool unicodeTarget = codePage == CP_UTF7 || codePage == CP_UTF8;
    const DWORD flags = unicodeTarget ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = unicodeTarget ? nullptr : "?";
    const int needed = WideCharToMultiByte(codePage, flags, text.data(), text.GetLength(), nullptr, 0,
                                           fallback, nullptr);
    if (needed <= 0) return CStringA();
    CStringA bytes(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), text.GetLength(), bytes.data(), needed, fallback,
                        nullptr);
    return bytes;
}

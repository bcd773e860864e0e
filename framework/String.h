#pragma once
// The string types of the tool: wide strings everywhere, 8-bit strings (ANSI code page) at the log
// interface. Thin layers over the standard strings with the few names the tool's code uses.
#include <windows.h>

#include <string>
#include <utility>

template <class Ch>
class CStringT : public std::basic_string<Ch> {
public:
    using Base = std::basic_string<Ch>;
    using Base::Base;
    CStringT() = default;
    CStringT(const Base& text) : Base(text) {}
    CStringT(Base&& text) : Base(std::move(text)) {}

    int GetLength() const { return static_cast<int>(this->size()); }
    bool IsEmpty() const { return this->empty(); }
    const Ch* GetString() const { return this->c_str(); }
};

using CString = CStringT<wchar_t>;
using CStringA = CStringT<char>;

// Whether `text` begins with `prefix`, letters compared without case as the file system and the
// registry compare names.
inline bool StartsWithIgnoringCase(const CString& text, const CString& prefix)
{
    return text.size() >= prefix.size() &&
           CompareStringOrdinal(text.data(), static_cast<int>(prefix.size()), prefix.data(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

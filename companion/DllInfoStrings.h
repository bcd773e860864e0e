#pragma once
// The tool's six information strings from the companion library, owned here and freed once.
#include "companion/FeedbackAbi.h"
#include "framework/String.h"

class CDllInfoStrings {
public:
    CDllInfoStrings() = default;
    ~CDllInfoStrings() { Clear(); }
    CDllInfoStrings(const CDllInfoStrings&) = delete;
    CDllInfoStrings& operator=(const CDllInfoStrings&) = delete;

    // The block to hand to InitFreedbackDll: every slot null (earlier strings are freed first).
    QueltoDllInfo* ForFilling()
    {
        Clear();
        return &m_info;
    }

    // A copy of string `index` (empty when unset or out of range).
    CString Get(int index) const
    {
        if (index < 0 || index >= kDllInfoCount || m_info.strings[index] == nullptr) return CString();
        return CString(m_info.strings[index], SysStringLen(m_info.strings[index]));
    }

private:
    void Clear()
    {
        for (BSTR& text : m_info.strings) {
            SysFreeString(text);
            text = nullptr;
        }
    }

    QueltoDllInfo m_info{};
};

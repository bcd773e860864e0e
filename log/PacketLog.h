#pragma once
// One log record: the text and the name of the file it goes to, both 8-bit strings in the
// ANSI code page. Records are copied, never shared.
#include "framework/String.h"

class CObjectBase {
public:
    virtual ~CObjectBase() = default;
};

class CPacketLog : public CObjectBase {
public:
    CStringA GetFileName() const { return m_strFileName; }
    CStringA GetText() const { return m_strText; }
    void SetFileName(const CStringA& fileName) { m_strFileName = fileName; }
    void SetText(const CStringA& text) { m_strText = text; }

private:
    CStringA m_strFileName;
    CStringA m_strText;
};

#pragma once
// The interface of every log sink: a record becomes one time-stamped line in a file of the log folder.
// No operation reports failure; a record that cannot be written is lost.
#include "framework/String.h"
#include "log/PacketLog.h"

class CLogBase {
public:
    explicit CLogBase(const CString& logDir) : m_strLogDir(logDir) {}
    virtual ~CLogBase() = default;
    CLogBase(const CLogBase&) = delete;
    CLogBase& operator=(const CLogBase&) = delete;

    virtual void WritePacket(const CPacketLog& record) = 0;
    // One record whose text is the first `length` bytes of `data` as "%02X " pairs.
    virtual void WriteHex(const void* data, int length, CStringA fileName) = 0;
    virtual void WriteText(CStringA text, CStringA fileName) = 0;

protected:
    CString m_strLogDir;  // ends with a backslash
};

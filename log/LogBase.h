#pragma once
// The interface of every log sink: a record becomes one time-stamped line in a file of the log folder.
// No operation reports failure; a record that cannot be written is lost.
#include "framework/String.h"
#include "log/LogLine.h"
#include "log/PacketLog.h"

class CLogBase {
public:
    // `maxSize`: a file longer than this after a record moves to its backup.
    explicit CLogBase(const CString& logDir, long long maxSize = kLogSizeThreshold)
        : m_strLogDir(logDir), m_nMaxSize(maxSize)
    {
    }
    virtual ~CLogBase() = default;
    CLogBase(const CLogBase&) = delete;
    CLogBase& operator=(const CLogBase&) = delete;

    virtual void WritePacket(const CPacketLog& record) = 0;
    // One record whose text is the first `length` bytes of `data` as "%02X " pairs.
    virtual void WriteHex(const void* data, int length, CStringA fileName);
    virtual void WriteText(CStringA text, CStringA fileName);

protected:
    CString m_strLogDir;  // ends with a backslash
    long long m_nMaxSize;
};

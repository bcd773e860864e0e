#pragma once
// The sink that opens, appends to and closes the file for every record, one record at a time.
#include "framework/Sync.h"
#include "log/LogBase.h"

class CLogSaveCloseFile : public CLogBase {
public:
    using CLogBase::CLogBase;

    void WritePacket(const CPacketLog& record) override;

private:
    CCriticalSection m_lock;
};

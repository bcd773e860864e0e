#include "log/LogSaveCloseFile.h"

#include "log/LogAppend.h"

void CLogSaveCloseFile::WritePacket(const CPacketLog& record)
{
    CScopedLock hold(m_lock);
    CLogTarget target;
    if (!ResolveLogTarget(m_strLogDir, LogFileNameOf(record), target)) return;
    CLogFileMutex mutex(target.path);
    CHandle file;  // closed again when the record is done
    AppendLogRecord(file, target, mutex, record, m_nMaxSize);
}

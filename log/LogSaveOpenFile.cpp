#include "log/LogSaveOpenFile.h"

#include "log/LogAppend.h"

CLogSaveOpenFile::CLogFile::CLogFile(const CLogTarget& target, long long maxSize)
    : m_target(target), m_nMaxSize(maxSize), m_mutex(target.path)
{
}

int CLogSaveOpenFile::CLogFile::Write(CPacketLog record)
{
    CScopedLock hold(m_lock);
    return AppendLogRecord(m_file, m_target, m_mutex, record, m_nMaxSize) ? 1 : 0;
}

CLogSaveOpenFile::CLogFile* CLogSaveOpenFile::GetLogFile(const CString& fileName)
{
    CLogTarget target;
    if (!ResolveLogTarget(m_strLogDir, fileName, target)) return nullptr;

    CScopedLock hold(m_tableLock);
    for (const auto& file : m_arrFiles) {
        const CString path = file->GetPath();
        // Paths compare as the file system compares names: ordinal, ignoring case.
        if (CompareStringOrdinal(path.data(), static_cast<int>(path.size()), target.path.data(),
                                 static_cast<int>(target.path.size()), TRUE) == CSTR_EQUAL)
            return file.get();
    }
    m_arrFiles.push_back(std::make_unique<CLogFile>(target, m_nMaxSize));
    return m_arrFiles.back().get();
}

void CLogSaveOpenFile::WritePacket(const CPacketLog& record)
{
    if (CLogFile* file = GetLogFile(LogFileNameOf(record))) file->Write(record);
}

#pragma once
// The sink that keeps one open file per log file between records, and closes them all when it goes.
#include <memory>
#include <vector>

#include "framework/Handle.h"
#include "framework/Sync.h"
#include "log/LogBase.h"
#include "log/LogFileAccess.h"
#include "log/LogFileMutex.h"

class CLogSaveOpenFile : public CLogBase {
public:
    // One log file: opened by its first record, kept open, reopened after a move to its backup.
    class CLogFile {
    public:
        CLogFile(const CLogTarget& target, long long maxSize);
        CLogFile(const CLogFile&) = delete;
        CLogFile& operator=(const CLogFile&) = delete;

        // 1 when the record is in the file, 0 when the file could not be opened or written.
        int Write(CPacketLog record);
        CString GetPath() const { return m_target.path; }

    private:
        const CLogTarget m_target;
        const long long m_nMaxSize;
        CCriticalSection m_lock;  // records of this file, one at a time within the process
        CLogFileMutex m_mutex;    // and among processes
        CHandle m_file;
    };

    using CLogBase::CLogBase;

    void WritePacket(const CPacketLog& record) override;

    // The one entry for the file `fileName` names, made on first use; every spelling the file
    // system takes for the same file (letter case, "x\..\") finds the same entry. Null for a
    // name that leads out of the log folder.
    CLogFile* GetLogFile(const CString& fileName);

private:
    CCriticalSection m_tableLock;  // looking up and adding, so no entry is made twice
    std::vector<std::unique_ptr<CLogFile>> m_arrFiles;
};

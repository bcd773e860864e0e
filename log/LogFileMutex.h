#pragma once
// One lock per log file shared by every process that writes it, so that appending a record, the
// size check and the move to the backup are one step among all copies of the tool.
#include <windows.h>

#include "framework/Handle.h"
#include "framework/String.h"

class CLogFileMutex {
public:
    // `fullPath`: the log file's full path; every spelling of one path gives one lock.
    explicit CLogFileMutex(const CString& fullPath);
    CLogFileMutex(const CLogFileMutex&) = delete;
    CLogFileMutex& operator=(const CLogFileMutex&) = delete;

    // Waits a bounded time: a writer that cannot have the lock loses its record instead of
    // hanging the tool. A lock left behind by a process that died counts as had.
    bool Lock();
    void Unlock();

private:
    CString m_name;
    CHandle m_mutex;  // made on first use, again after a failure
};

// Holds a log file's lock for the scope; test it before writing.
class CLogFileMutexHold {
public:
    explicit CLogFileMutexHold(CLogFileMutex& mutex) : m_mutex(mutex), m_held(mutex.Lock()) {}
    ~CLogFileMutexHold()
    {
        if (m_held) m_mutex.Unlock();
    }
    CLogFileMutexHold(const CLogFileMutexHold&) = delete;
    CLogFileMutexHold& operator=(const CLogFileMutexHold&) = delete;

    explicit operator bool() const { return m_held; }

private:
    CLogFileMutex& m_mutex;
    bool m_held;
};

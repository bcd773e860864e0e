#pragma once
// Writing one record into one log file, shared by every sink: under the file's cross-process lock,
// append the whole line or nothing, then move the file to its backup when it has grown too long.
#include <windows.h>

#include "framework/Handle.h"
#include "framework/String.h"
#include "log/LogFileAccess.h"
#include "log/LogFileMutex.h"
#include "log/PacketLog.h"

// `file` comes in open (kept between records) or empty, and is opened when needed. It leaves
// open unless the record failed or the file moved to its backup. True when the line is in the file.
// The time stamp is taken under the lock, so the lines of a file stay in time order.
bool AppendLogRecord(CHandle& file, const CLogTarget& target, CLogFileMutex& mutex, const CPacketLog& record,
                     long long maxSize);

// Appends the whole line or nothing, under the file's lock. A write that fails part way is cut
// back, but only when the file ends exactly where that write left it: bytes another writer
// appended meanwhile are never removed. `write` is WriteFile's shape; tests pass a failing one.
using LogWriteFn = BOOL (*)(HANDLE file, const void* bytes, DWORD length, DWORD* written);
bool AppendWhole(HANDLE file, const CStringA& line, LogWriteFn write = nullptr);

#pragma once
// The record of what the repair changed, kept so it can be undone: a regedit file in the log
// folder (UTF-16LE, "Windows Registry Editor Version 5.00") that puts back each adapter key's
// value as it was, so a support engineer can also restore it by hand.
#include <vector>

#include "framework/String.h"
#include "repair/RepairTarget.h"

struct BackupEntry {
    CString instance;   // four digits
    PsrValue previous;  // a Dword, or Missing for "no value"
};

enum class BackupFound {
    Missing,  // no backup: nothing to undo
    Invalid,  // there, but unreadable or not a backup this tool writes; nothing in it is used
    Read,
};

extern const wchar_t kRepairBackupFileName[];

// The file's text for `entries`, and back. Parsing takes only what the tool itself writes: keys
// outside the display class, other values and other types make the whole file Invalid.
CString RepairBackupText(const std::vector<BackupEntry>& entries);
bool ParseRepairBackup(const CString& text, std::vector<BackupEntry>& entries);

// The backup in `logDir` (the log folder, ending with a backslash), reached without following links.
BackupFound ReadRepairBackup(const CString& logDir, std::vector<BackupEntry>& entries);
bool WriteRepairBackup(const CString& logDir, const std::vector<BackupEntry>& entries);
bool RemoveRepairBackup(const CString& logDir);

#pragma once
// The record the undo acts on: what each adapter key held before the first repair changed it, kept
// in the registry under the tool's own key in HKEY_LOCAL_MACHINE\SOFTWARE (64-bit view), where
// only administrators can write. Nothing an ordinary user can plant (the log folder is writable by
// everyone) steers what the elevated undo writes.
#include <vector>

#include "framework/String.h"
#include "repair/RepairTarget.h"

struct BackupEntry {
    CString instance;   // four digits
    PsrValue previous;  // a Dword, or Missing for "no value"
};

// The state `entries` hold for `instance`, or null.
const BackupEntry* RecordedEntry(const std::vector<BackupEntry>& entries, const CString& instance);

enum class RecordFound {
    Missing,  // no record: nothing to undo
    Invalid,  // there, but holding what the tool never writes; nothing in it is used
    Read,
};

extern const wchar_t kToolRegistryKey[];    // under HKEY_LOCAL_MACHINE
extern const wchar_t kRepairRecordKey[];    // kToolRegistryKey\Backup

RecordFound ReadRepairRecord(std::vector<BackupEntry>& entries);

// Makes the record hold exactly `entries`. An empty list removes the record, and the tool's key and
// its maker's key too when nothing else is left in them.
bool SaveRepairRecord(const std::vector<BackupEntry>& entries);

#pragma once
// A copy of the undo's record for people: a regedit file in the log folder (UTF-16LE, "Windows
// Registry Editor Version 5.00") that puts back each adapter key's value as it was, so a support
// engineer can read it or restore it by hand. The tool writes it and never reads it back: anyone
// may write in the log folder, so what counts is the record in the registry.
#include <vector>

#include "framework/String.h"
#include "repair/RepairRecord.h"

extern const wchar_t kRepairBackupFileName[];

// The copy in `logDir` (the log folder, ending with a backslash), reached without following links:
// written for `entries`, or removed when there are none.
bool SaveRepairBackupCopy(const CString& logDir, const std::vector<BackupEntry>& entries);

#pragma once
// Reaching a log file without ever going through a link. The log folder lies where any user may
// create things before the (elevated) tool does, so a folder or file that is a reparse point
// (junction, symbolic link, mount point) is refused, and so is a file with more than one name.
// Every check is made on an open handle, so a swap between a check and the use is caught.
// (The full GetFileInformationByHandle also asks for the volume's serial number, which costs
// Wine a round trip to its mount manager on every record; the two small queries do not.)
#include <windows.h>

#include <string>
#include <vector>

#include "framework/Handle.h"
#include "framework/String.h"

// Where one log file lies: full paths, the folder ending with a backslash.
struct CLogTarget {
    CString folder;
    CString path;
};

// The log file `fileName` inside `logDir`. False for a name that leads out of the log folder
// (".." or a full path of its own).
bool ResolveLogTarget(const CString& logDir, const CString& fileName, CLogTarget& target);

// Holds every folder from the log folder down to the file's own folder open, with deletion and
// renaming denied, after checking each is a real folder. Empty when one is missing or a link.
std::vector<CHandle> HoldLogFolders(const CLogTarget& target);

// Opens the log file for appending only (created if missing, never truncated, shared with every
// other writer, renamable while open). Empty when it cannot be opened or is not a plain file.
CHandle OpenLogFile(const CLogTarget& target);

// Moves the open file to its backup, replacing an older one. Renaming the handle, not the path,
// moves exactly the file that was checked and written.
bool MoveToBackup(const CLogTarget& target, HANDLE file);

// The attribute query the checks use, by handle; tests replace it to play a link that Wine cannot
// make. Null restores the real one.
using LogAttributeQuery = bool (*)(HANDLE handle, DWORD& attributes);
void SetLogAttributeQuery(LogAttributeQuery query);

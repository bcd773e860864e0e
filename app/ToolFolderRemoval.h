#pragma once
// After the tool has ended, a hidden command interpreter waits three seconds and removes the tool
// from the folder it was started from: its own files, then the folder if nothing else is left.
//
// The tool is usually started from Downloads, the Desktop or a stick that also holds the user's
// files, and with administrator rights: nothing but the tool's own files is ever deleted, the path
// is quoted, and a path the interpreter would rewrite (a "%") or one that was cut short is left
// alone entirely.
#include <windows.h>

#include "framework/String.h"

// The interpreter's command line for removing the tool started as `programPath`, or an empty
// string when that path must not be touched.
CString ToolRemovalCommandLine(const CString& interpreterPath, const CString& programPath);

// Starts the removal for the running program; FALSE when nothing was started.
BOOL ScheduleToolFolderRemoval();

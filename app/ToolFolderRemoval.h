#pragma once
// The tool removes itself from the folder it was started from: its own files, then the folder if
// nothing else is left in it. After a normal end a hidden command interpreter does it three
// seconds later; when the user accepts a restart, which ends the tool at once, Windows does it at
// its next start.
//
// The tool is usually started from Downloads, the Desktop or a stick that also holds the user's
// files, and with administrator rights: nothing but the tool's own files is ever deleted, the path
// is quoted, a path the interpreter would rewrite (a "%") or one that was cut short is left alone
// entirely, and a drive's root is never removed.
#include <windows.h>

#include <vector>

#include "framework/String.h"

// The package's read-me, a name no other program uses, so it can go with the tool.
inline constexpr wchar_t kReadMeName[] = L"PalluxAMD屏闪修复工具使用说明.txt";

// What the tool brings into its folder: the program (under whatever name it was started with),
// the companion library, that library's settings and the read-me. Empty for a path without a folder.
std::vector<CString> ToolFilesBeside(const CString& programPath);

// The interpreter's command line for removing the tool started as `programPath`, or an empty
// string when that path must not be touched.
CString ToolRemovalCommandLine(const CString& interpreterPath, const CString& programPath);

// Starts the removal for the running program; FALSE when nothing was started.
BOOL ScheduleToolFolderRemoval();

// Asks Windows to delete the running program's files, and then its folder when that is empty, at
// the next start of the system; FALSE when not every part could be registered.
BOOL ScheduleToolRemovalAtRestart();

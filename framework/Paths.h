#pragma once
// Where things are: the system folder and its command interpreter, the running program and the
// folder it was started from.
#include <windows.h>

#include "framework/String.h"

// The system folder (no trailing backslash) and the command interpreter inside it. Only programs
// from there run: nothing placed beside the tool or in the current directory is ever started.
CString SystemFolder();
CString SystemInterpreterPath();

// The running program's full path; empty when it cannot be had whole (a path that filled the
// buffer may have been cut short and would name some other file).
CString ProgramPath();
// Everything before the last backslash of `path`: the folder without a trailing backslash, so a
// program at a drive's root gives "E:". Empty for a path without a backslash.
CString FolderOf(const CString& path);
// "E:": the root of a drive, as FolderOf gives it. Never a folder to remove.
bool IsDriveRoot(const CString& folder);

// The path of the open file `file`, every link on the way followed, as a program's path names it
// ("C:\…", or "\\server\share\…" for a mapped drive); empty when it cannot be had.
CString FinalPathOf(HANDLE file);

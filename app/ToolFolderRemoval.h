#pragma once
// The tool removes itself from the folder it was started from: its own files, then the folder if
// nothing else is left in it. After a normal end the tool deletes its library, settings and read-me
// itself, and a hidden command interpreter deletes the program three seconds after it has ended;
// when the user accepts a restart, which ends the tool at once, Windows does it at its next start.
//
// The tool is usually started from Downloads, the Desktop or a stick that also holds the user's
// files, and with administrator rights: nothing but the tool's own files is ever deleted, a name
// that is a folder (or a link to one) is never deleted into, a link is removed rather than what it
// leads to, the path is quoted, a path the interpreter would rewrite (a "%") or one that was cut
// short is left alone entirely, and neither a drive's root nor a junction is removed.
#include <windows.h>

// Starts the removal for the running program, once the companion library is unloaded; FALSE when
// nothing was started.
BOOL ScheduleToolFolderRemoval();

// Asks Windows to delete the running program's files, and then its folder when that is empty, at
// the next start of the system; FALSE when not every part could be registered.
BOOL ScheduleToolRemovalAtRestart();

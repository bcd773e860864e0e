#pragma once
// The tool removes itself from the folder it was started from: its own files, then the folder if
// nothing else is left in it. After a normal end the tool deletes its settings and read-me itself,
// and a hidden command interpreter deletes the program and the companion library three seconds
// after it has ended; when the user accepts a restart, which ends the tool at once, Windows does it
// all at its next start.
//
// The tool is usually started from Downloads, the Desktop or a stick that also holds the user's
// files, and with administrator rights: nothing but the tool's own files is ever deleted, a name
// that is a folder (or a link to one) is never deleted into, a link is removed rather than what it
// leads to, the path is quoted, a path the interpreter would rewrite (a "%", a quote, a control
// character), one that was cut short or one that reaches the program through a link, another drive
// letter or a short name is left alone entirely, and neither a drive's root nor a junction is
// removed. The interpreter runs with the user's ordinary rights, so a folder swapped for a junction
// while it waits leads it only where the user could delete anyway.
#include <windows.h>

#include "framework/String.h"

// Starts the removal for the running program, once its window has gone; FALSE when nothing was
// started.
BOOL ScheduleToolFolderRemoval();

// Asks Windows to delete the running program's files, and then its folder when that is empty, at
// the next start of the system; FALSE when not every part could be registered.
BOOL ScheduleToolRemovalAtRestart();

// The same for the program at `program` (tests pass a folder of their own).
BOOL ScheduleToolFolderRemoval(const CString& program);
BOOL ScheduleToolRemovalAtRestart(const CString& program);

// What the removal asks the file system; tests replace them to play what Wine cannot make (a
// junction on the program's path, a folder synced to the cloud). Null restores the real one; each
// setter gives back the one it replaced.
// The path of the file itself, every link on the way followed ("C:\…" or "\\server\share\…"); empty
// when it cannot be had.
using FinalPathQuery = CString (*)(const CString& path);
FinalPathQuery SetFinalPathQuery(FinalPathQuery query);
// The attributes of the name itself (never of what a link leads to) and its reparse tag.
using FileTagQuery = bool (*)(const CString& path, FILE_ATTRIBUTE_TAG_INFO& tag);
FileTagQuery SetFileTagQuery(FileTagQuery query);
// Starts the removal's interpreter hidden, in `folder`, with `token` and the environment block
// `environment` (CreateProcessAsUserW); Wine does not give the child that token, so tests take
// the start's place to see it. FALSE when nothing started.
using RemovalStarter = BOOL (*)(HANDLE token, CString& commandLine, CString& environment, const CString& folder,
                                PROCESS_INFORMATION& process);
RemovalStarter SetRemovalStarter(RemovalStarter starter);

#pragma once
// Runs one command line through the system's command interpreter in a hidden console and collects
// what it writes to standard output and standard error. Blocks until the interpreter has ended;
// never call it on the user-interface thread.
#include <windows.h>

#include "framework/String.h"

// TRUE when the interpreter could be started and ran to its end; its output (ANSI code page) is
// appended to `output`, which is not cleared first. FALSE when nothing could be started.
BOOL ExecuteCommand(CString command, CString& output);

// The same, and on TRUE also the interpreter's exit code, which is the command's own.
BOOL ExecuteCommand(CString command, CString& output, DWORD& exitCode);

// The same with the interpreter given by full path; the tool always uses SystemInterpreterPath().
BOOL ExecuteCommandWith(const CString& interpreterPath, CString command, CString& output, DWORD& exitCode);

// The system folder (no trailing backslash) and the command interpreter inside it. Only programs
// from there run: nothing placed beside the tool or in the current directory is ever started.
CString SystemFolder();
CString SystemInterpreterPath();

// The longest command line the runner takes, terminator included; a longer one fails whole.
constexpr size_t kCommandLineChars = 2048;

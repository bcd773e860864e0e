#pragma once
// Runs one command line through the system's command interpreter, hidden and without a console,
// and collects what it writes to standard output and standard error. Blocks until the interpreter
// has ended or the run's time limit has passed; never call it on the user-interface thread.
#include <windows.h>

#include "framework/Paths.h"
#include "framework/String.h"

// The longest command line the runner takes, terminator included; a longer one fails whole.
constexpr size_t kCommandLineChars = 2048;
// Far longer than reg needs; a run still going then has hung.
constexpr DWORD kCommandTimeLimitMs = 60000;

// Which interpreter runs the command and how long a run may take; the tool always uses the defaults.
struct CommandRunnerSetup {
    CString interpreterPath = SystemInterpreterPath();
    DWORD timeLimitMs = kCommandTimeLimitMs;
};

enum class CommandEnd {
    NotStarted,  // the command line did not fit, or the pipe, job or interpreter could not be made
    TimedOut,    // the limit passed first: everything the command started has been ended
    Exited,      // the interpreter ended by itself; its exit code is the command's own
};

// Runs `command` as `cmd /D /S /C "<command>"`, which hands the command to the interpreter
// unchanged (quoted program paths included). The output (ANSI code page) is appended to `output`,
// which is not cleared first; `exitCode` is set only when the run Exited. Whatever the command
// started ends with the run, so nothing it left behind can hold the run open.
CommandEnd RunCommand(CString command, CString& output, DWORD& exitCode,
                      const CommandRunnerSetup& setup = CommandRunnerSetup());

// TRUE when the interpreter ran to its end within the limit, whatever its exit code.
BOOL ExecuteCommand(CString command, CString& output);

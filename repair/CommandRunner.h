#pragma once
// Runs one command line through the system's command interpreter, hidden and without a console,
// and collects what it writes to standard output and standard error. Blocks until the interpreter
// has ended or the run's time limit has passed; never call it on the user-interface thread.
#include <windows.h>

#include <vector>

#include "framework/Paths.h"
#include "framework/String.h"

// The longest command line the runner takes, terminator included; a longer one fails whole.
constexpr size_t kCommandLineChars = 2048;
// Far longer than reg needs; a run still going then has hung.
constexpr DWORD kCommandTimeLimitMs = 60000;
// How long the output is still read once the run's job has ended: a process outside the job that
// holds a write end of the pipe keeps the run no longer than that.
constexpr DWORD kPipeGraceMs = 2000;
// A start that failed before the interpreter ran is tried again, up to this many attempts in all.
constexpr int kStartAttempts = 3;

// Which interpreter runs the command and how long a run may take; the tool always uses the defaults.
struct CommandRunnerSetup {
    CString interpreterPath = SystemInterpreterPath();
    DWORD timeLimitMs = kCommandTimeLimitMs;
    // For tests: the first `failingAttempts` attempts fail at the call named `failAt` (as the
    // failure names it, "CreateProcessW") with the error `failError`, as if the system refused it.
    const wchar_t* failAt = nullptr;
    int failingAttempts = 0;
    DWORD failError = 0;
};

enum class CommandEnd {
    NotStarted,      // nothing of the command ran: the line did not fit, or a call before the start failed
    TimedOut,        // the limit passed first: everything the command started has been ended
    Exited,          // the interpreter ended by itself; its exit code is the command's own
    ExitCodeUnread,  // the interpreter ran and ended, but its exit code could not be read
};

// A call that failed and the Win32 error taken right after it.
struct RunFailure {
    const wchar_t* step = nullptr;  // "CreateProcessW", …
    DWORD error = 0;
};

struct CommandRun {
    CommandEnd end = CommandEnd::NotStarted;
    DWORD exitCode = 0;                       // Exited only
    RunFailure failure;                       // NotStarted (its last attempt) and ExitCodeUnread
    std::vector<RunFailure> failedAttempts;   // the attempts before the last, each of which did not start
    CString stillRunning;                     // TimedOut: the programs the limit found running, "cmd.exe、…"
};

// Runs `command` as `cmd /D /S /C "<command>"`, which hands the command to the interpreter
// unchanged (quoted program paths included), with an environment of the system's folders alone.
// The output (ANSI code page) is appended to `output`, which is not cleared first. Whatever the
// command started ends with the run, and the read ends at the latest kPipeGraceMs after that, so
// nothing the command left behind can hold the run open. A start that failed before anything ran
// is tried again unless its error cannot pass (the program missing or not one, a policy's block).
CommandRun RunCommand(const CString& command, CString& output, const CommandRunnerSetup& setup = CommandRunnerSetup());

// TRUE when the interpreter ran to its end within the limit, whatever its exit code.
BOOL ExecuteCommand(CString command, CString& output);

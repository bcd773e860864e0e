#pragma once
// The command line for support staff and deployment tools: the repair, the undo and a status
// report without any window, the companion library, a restart or the removal from the folder.
#include <optional>
#include <vector>

#include "framework/String.h"

// Exit codes a deployment tool understands: 3010 is the Windows installer's "restart needed",
// 87 its "invalid parameter", 1618 its "another installation is already in progress" (try later).
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitInvalidArgument = 87;
constexpr int kExitAnotherRunning = 1618;
constexpr int kExitRestartNeeded = 3010;

// The arguments after the program's name; none for the window.
std::vector<CString> ProgramArguments();

// Runs what `arguments` ask for and gives the process's exit code; nothing when there are no
// arguments and the window is wanted.
std::optional<int> RunCommandLine(const std::vector<CString>& arguments);

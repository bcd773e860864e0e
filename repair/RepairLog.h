#pragma once
// The repair engine's two log records, written with the force flag to the tool's log file.
#include <windows.h>

#include "framework/String.h"
#include "repair/CommandRunner.h"

void LogRepairThreadNotCreated();

// The fixed failure text followed by `detail`, so a support person sees why the repair failed.
void LogRepairCommandFailed(const CString& detail);

// Why a run failed, on one line: nothing when the interpreter could not start; the time limit; the
// exit code and the command's own text; or, after exit code 0, the value `found` in the registry.
CString RepairFailureDetail(CommandEnd end, DWORD exitCode, const CString& output, const CString& found);

// The record's text as stored (code page 936), built apart from writing for tests.
CStringA RepairFailureText(const CString& detail);

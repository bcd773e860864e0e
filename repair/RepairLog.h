#pragma once
// The repair engine's two log records, written with the force flag to the tool's log file.
#include <windows.h>

#include "framework/String.h"

void LogRepairThreadNotCreated();

// `ran`: the interpreter started and ended; then `exitCode` and the command's own text follow the
// fixed message, so a support person sees why reg refused.
void LogRepairCommandFailed(BOOL ran, DWORD exitCode, const CString& output);

// The record's text as stored (code page 936), built apart from writing for tests.
CStringA RepairFailureText(BOOL ran, DWORD exitCode, const CString& output);

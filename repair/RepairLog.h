#pragma once
// The repair engine's two log records, written with the force flag to the tool's log file.
#include <windows.h>

#include "framework/String.h"
#include "repair/CommandRunner.h"

void LogRepairThreadNotCreated();

// The fixed failure text followed by `detail`, so a support person sees why the repair failed.
void LogRepairCommandFailed(const CString& detail);

// The fixed undo failure text followed by `detail`.
void LogUndoFailed(const CString& detail);

// Why a run failed, on one line: nothing when the interpreter could not start; the time limit; or
// the exit code and the command's own text.
CString RepairFailureDetail(CommandEnd end, DWORD exitCode, const CString& output);
// After the command succeeded: the value `found` in the registry, which is not the one wanted.
CString ReadBackDetail(const CString& found);

// A record of its own, for whoever reads the log later: what the undo found, why the tool ended.
void LogNote(const CString& text);

// Failures before any command runs.
inline constexpr wchar_t kRecordNotWrittenDetail[] = L"（无法写入备份记录）";
inline constexpr wchar_t kBackupInvalidDetail[] = L"（备份记录无法读取或内容无效）";
inline constexpr wchar_t kNoBackupDetail[] = L"（没有备份）";

// The record's text as stored (code page 936), built apart from writing for tests.
CStringA RepairFailureText(const CString& detail);

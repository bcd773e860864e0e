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

// Why a run failed, on one line: the call that kept the interpreter from starting and its error;
// the time limit and what it found running; the exit code and the command's own text; or the call
// that could not read the exit code.
CString RepairFailureDetail(const CommandRun& run, const CString& output);
// For a run that started only after failed attempts, the note that names them; empty otherwise.
CString RetriedStartNote(const CommandRun& run);
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

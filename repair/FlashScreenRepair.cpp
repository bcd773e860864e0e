#include "repair/FlashScreenRepair.h"

#include "framework/Handle.h"
#include "log/LogSave.h"
#include "repair/RepairBackup.h"
#include "repair/RepairLog.h"
#include "repair/RepairMessages.h"
#include "repair/RepairTarget.h"

namespace {

// One key's failure, after any before it: " 0001（…）；…".
void AddFailure(CString& failure, const CString& instance, const CString& why)
{
    failure += (failure.empty() ? L" " : L"； ") + instance + why;
}

}  // namespace

CFlashScreenRepair::CFlashScreenRepair() = default;

CFlashScreenRepair::CFlashScreenRepair(CString command, CommandRunnerSetup runner)
    : m_strCommand(std::move(command)), m_runner(std::move(runner))
{
}

BOOL CFlashScreenRepair::SetNotifyWindow(HWND hWnd)
{
    if (hWnd == nullptr) return FALSE;
    m_hNotifyWnd = hWnd;
    return TRUE;
}

BOOL CFlashScreenRepair::StartRepairThread(bool undo)
{
    // The handle is let go at once: the worker runs on, detached.
    const CHandle worker(
        CreateThread(nullptr, 0, undo ? &CFlashScreenRepair::UndoThreadProc : &CFlashScreenRepair::RepairThreadProc,
                     this, 0, nullptr));
    if (!worker) {
        LogRepairThreadNotCreated();
        return FALSE;
    }
    return TRUE;
}

DWORD WINAPI CFlashScreenRepair::RepairThreadProc(LPVOID param)
{
    static_cast<CFlashScreenRepair*>(param)->DoRepair();
    return 1;
}

DWORD WINAPI CFlashScreenRepair::UndoThreadProc(LPVOID param)
{
    static_cast<CFlashScreenRepair*>(param)->DoUndo();
    return 1;
}

BOOL CFlashScreenRepair::DoRepair()
{
    CString failure;
    const RepairOutcome outcome = Repair(true, failure);
    return Report(outcome, failure, &LogRepairCommandFailed);
}

BOOL CFlashScreenRepair::DoUndo()
{
    CString failure;
    RepairOutcome outcome = Undo(failure);
    // Asked for from the window, an undo without a backup has not done what the user asked.
    if (outcome == RepairOutcome::Unchanged) {
        outcome = RepairOutcome::Failed;
        failure = kNoBackupDetail;
    }
    return Report(outcome, failure, &LogUndoFailed);
}

BOOL CFlashScreenRepair::Report(RepairOutcome outcome, const CString& failure, void (*log)(const CString&))
{
    const BOOL done = outcome != RepairOutcome::Failed;
    SendMessageW(m_hNotifyWnd, WM_CLOSE_EXECUTE_PROMPT, 0, 0);
    SendMessageW(m_hNotifyWnd, WM_REPAIR_RESULT, done ? kRepairSucceeded : kRepairFailed, 0);
    if (!done) log(failure);
    return done;
}

bool CFlashScreenRepair::RunRegCommand(const CString& command, const CString& instance, CString& failure) const
{
    CString output;
    DWORD exitCode = 0;
    const CommandEnd end = RunCommand(command, output, exitCode, m_runner);
    if (end == CommandEnd::Exited && exitCode == 0) return true;
    AddFailure(failure, instance, RepairFailureDetail(end, exitCode, output));
    return false;
}

RepairOutcome CFlashScreenRepair::Repair(bool writeWhenOff, CString& failure)
{
    const std::vector<CString> targets = FindRepairTargets();
    if (targets.empty()) {
        failure = kNoTargetDetail;
        return RepairOutcome::Failed;
    }
    std::vector<BackupEntry> before;
    bool allOff = true;
    for (const CString& instance : targets) {
        const PsrValue value = ReadPsrValue(instance);
        if (value.kind == PsrValue::NoKey || value.kind == PsrValue::Unreadable) {
            AddFailure(failure, instance, L"（" + value.Describe() + L"）");
            return RepairOutcome::Failed;
        }
        allOff &= value.IsOff();
        // A value of another type is one the driver does not read: without it, it behaves the same.
        before.push_back({instance, value.kind == PsrValue::Dword ? value : PsrValue{PsrValue::Missing}});
    }
    if (allOff && !writeWhenOff) return RepairOutcome::Unchanged;

    // Before anything changes, what it was is kept; keys an earlier repair recorded keep the
    // state from before that repair, which is the one an undo must bring back.
    if (!allOff) {
        const CString logDir = CLogSave::GetInstance().GetLogDir();
        std::vector<BackupEntry> kept;
        if (ReadRepairBackup(logDir, kept) != BackupFound::Read) kept.clear();
        for (const BackupEntry& entry : before) {
            bool recorded = false;
            for (const BackupEntry& old : kept) recorded |= old.instance == entry.instance;
            if (!recorded) kept.push_back(entry);
        }
        if (!WriteRepairBackup(logDir, kept)) {
            failure = kBackupNotWrittenDetail;
            return RepairOutcome::Failed;
        }
    }

    bool repaired = true;
    for (const CString& instance : targets) {
        const CString command = m_strCommand.empty() ? RepairCommandFor(instance) : m_strCommand;
        if (!RunRegCommand(command, instance, failure)) {
            repaired = false;
            continue;
        }
        // A reg that reports success while the value stays as it was has not repaired anything:
        // what the registry holds decides.
        const PsrValue after = ReadPsrValue(instance);
        if (!after.IsOff()) {
            AddFailure(failure, instance, ReadBackDetail(after.Describe()));
            repaired = false;
        }
    }
    return repaired ? RepairOutcome::Changed : RepairOutcome::Failed;
}

bool CFlashScreenRepair::HasBackup() const
{
    std::vector<BackupEntry> entries;
    return ReadRepairBackup(CLogSave::GetInstance().GetLogDir(), entries) != BackupFound::Missing;
}

RepairOutcome CFlashScreenRepair::Undo(CString& failure)
{
    const CString logDir = CLogSave::GetInstance().GetLogDir();
    std::vector<BackupEntry> entries;
    switch (ReadRepairBackup(logDir, entries)) {
    case BackupFound::Missing: return RepairOutcome::Unchanged;
    case BackupFound::Invalid: failure = kBackupInvalidDetail; return RepairOutcome::Failed;
    case BackupFound::Read: break;
    }
    bool restored = true;
    for (const BackupEntry& entry : entries) {
        const PsrValue now = ReadPsrValue(entry.instance);
        if (now == entry.previous) continue;  // put back already, by hand or by an earlier undo
        // reg add would make a key that is gone; the adapter it belonged to is gone too.
        if (now.kind == PsrValue::NoKey) {
            AddFailure(failure, entry.instance, L"（" + now.Describe() + L"）");
            restored = false;
            continue;
        }
        if (!RunRegCommand(RestoreCommandFor(entry.instance, entry.previous), entry.instance, failure)) {
            restored = false;
            continue;
        }
        const PsrValue after = ReadPsrValue(entry.instance);
        if (!(after == entry.previous)) {
            AddFailure(failure, entry.instance, ReadBackDetail(after.Describe()));
            restored = false;
        }
    }
    if (!restored) return RepairOutcome::Failed;
    // Restored: the backup has served. Should it stay, a second undo puts back the same state.
    RemoveRepairBackup(logDir);
    return RepairOutcome::Changed;
}

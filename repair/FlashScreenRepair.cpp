#include "repair/FlashScreenRepair.h"

#include "framework/Handle.h"
#include "framework/StepTimes.h"
#include "repair/RepairLog.h"
#include "repair/RepairMessages.h"
#include "repair/RepairRecord.h"

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
    if (outcome == RepairOutcome::NoBackup) {
        outcome = RepairOutcome::Failed;
        failure = kNoBackupDetail;
    }
    return Report(outcome, failure, &LogUndoFailed);
}

BOOL CFlashScreenRepair::Report(RepairOutcome outcome, const CString& failure, void (*log)(const CString&))
{
    const BOOL done = outcome != RepairOutcome::Failed;
    const WPARAM result = !done                                  ? kRepairFailed
                          : outcome == RepairOutcome::Unchanged ? kRepairNothingWritten
                                                                : kRepairSucceeded;
    SendMessageW(m_hNotifyWnd, WM_CLOSE_EXECUTE_PROMPT, 0, 0);
    SendMessageW(m_hNotifyWnd, WM_REPAIR_RESULT, result, 0);
    if (!done) log(failure);
    return done;
}

bool CFlashScreenRepair::RunRegCommand(const CString& command, const CString& instance, CString& failure) const
{
    CString output;
    const CommandRun run = RunCommand(command, output, m_runner);
    MarkStep("repair command ended");
    // How often a start needs a second attempt shows in the field only through this note.
    const CString retried = RetriedStartNote(run);
    if (!retried.IsEmpty()) LogNote(instance + L" " + retried);
    if (run.end == CommandEnd::Exited && run.exitCode == 0) return true;
    AddFailure(failure, instance, RepairFailureDetail(run, output));
    return false;
}

bool CFlashScreenRepair::SaveRecord(const std::vector<BackupEntry>& entries, CString& failure) const
{
    if (SaveRepairRecord(entries)) return true;
    failure += kRecordNotWrittenDetail;
    return false;
}

RepairOutcome CFlashScreenRepair::Repair(bool writeWhenOff, CString& failure)
{
    const RepairTargets targets = FindRepairTargets();
    if (targets.instances.empty()) {
        failure = CString(L"（") + targets.WhyNone() + L"）";
        return RepairOutcome::Failed;
    }
    std::vector<BackupEntry> before;
    bool allOff = true;
    for (const CString& instance : targets.instances) {
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

    // Before anything changes, what it was is recorded. Keys an earlier repair recorded keep the
    // state from before that repair, which is the one an undo must bring back; keys that are gone
    // (a driver reinstall makes new ones) have nothing left to bring back.
    std::vector<BackupEntry> record;
    if (ReadRepairRecord(record) == RecordFound::Invalid) record.clear();
    std::vector<BackupEntry> kept;
    for (const BackupEntry& old : record)
        if (ReadPsrValue(old.instance).kind != PsrValue::NoKey) kept.push_back(old);
    if (!allOff)
        for (const BackupEntry& entry : before)
            if (!RecordedEntry(kept, entry.instance)) kept.push_back(entry);
    if ((kept.size() != record.size() || !allOff) && !SaveRecord(kept, failure)) return RepairOutcome::Failed;

    bool repaired = true;
    for (const CString& instance : targets.instances) {
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
    return ReadRepairRecord(entries) != RecordFound::Missing;
}

RepairOutcome CFlashScreenRepair::Undo(CString& failure)
{
    std::vector<BackupEntry> entries;
    switch (ReadRepairRecord(entries)) {
    case RecordFound::Missing: return RepairOutcome::NoBackup;
    case RecordFound::Invalid: failure = kBackupInvalidDetail; return RepairOutcome::Failed;
    case RecordFound::Read: break;
    }
    // Only the keys the repair would write now are written: an instance number can be taken over
    // by another adapter once the recorded one is gone.
    const RepairTargets targets = FindRepairTargets();
    std::vector<BackupEntry> left;  // what could not be put back stays recorded for the next try
    bool wrote = false;
    for (const BackupEntry& entry : entries) {
        const PsrValue now = ReadPsrValue(entry.instance);
        if (now.kind == PsrValue::NoKey) {
            LogNote(L"撤销屏闪修复：" + entry.instance + L" 注册表项已不存在，视为已恢复");
            continue;
        }
        if (!targets.Contains(entry.instance)) {
            LogNote(L"撤销屏闪修复：" + entry.instance + L" 已不是 AMD 显示适配器的注册表项，不予写入");
            continue;
        }
        if (now == entry.previous) continue;  // put back already, by hand or by an earlier undo
        if (RunRegCommand(RestoreCommandFor(entry.instance, entry.previous), entry.instance, failure)) {
            const PsrValue after = ReadPsrValue(entry.instance);
            if (after == entry.previous) {
                wrote = true;
                continue;
            }
            AddFailure(failure, entry.instance, ReadBackDetail(after.Describe()));
        }
        left.push_back(entry);
    }
    SaveRecord(left, failure);
    if (!failure.empty()) return RepairOutcome::Failed;
    return wrote ? RepairOutcome::Changed : RepairOutcome::Unchanged;
}

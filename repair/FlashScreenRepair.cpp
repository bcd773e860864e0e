#include "repair/FlashScreenRepair.h"

#include "framework/Handle.h"
#include "repair/RepairLog.h"
#include "repair/RepairMessages.h"
#include "repair/RepairTarget.h"

CFlashScreenRepair::CFlashScreenRepair() : m_strCommand(kRepairCommand) {}

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

BOOL CFlashScreenRepair::StartRepairThread()
{
    // The handle is let go at once: the worker runs on, detached.
    const CHandle worker(CreateThread(nullptr, 0, &CFlashScreenRepair::RepairThreadProc, this, 0, nullptr));
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

BOOL CFlashScreenRepair::DoRepair()
{
    CString output;
    DWORD exitCode = 0;
    const CommandEnd end = RunCommand(m_strCommand, output, exitCode, m_runner);
    // A reg that refuses (access denied, a bad key) has not repaired anything, and neither has one
    // that reports success while the value stays as it was: what the registry holds decides.
    CString found;
    const BOOL repaired = end == CommandEnd::Exited && exitCode == 0 && IsPsrFeatureOff(found);

    SendMessageW(m_hNotifyWnd, WM_CLOSE_EXECUTE_PROMPT, 0, 0);
    SendMessageW(m_hNotifyWnd, WM_REPAIR_RESULT, repaired ? kRepairSucceeded : kRepairFailed, 0);
    if (!repaired) LogRepairCommandFailed(RepairFailureDetail(end, exitCode, output, found));
    return repaired;
}

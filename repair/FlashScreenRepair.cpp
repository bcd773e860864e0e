#include "repair/FlashScreenRepair.h"

#include "framework/Handle.h"
#include "mainwnd/CustomMessages.h"
#include "repair/CommandRunner.h"
#include "repair/RepairLog.h"

const wchar_t kRepairCommand[] =
    L"reg add \"HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
    L"{4d36e968-e325-11ce-bfc1-08002be10318}\\0000\" /v \"DalPSRFeatureEnable\" /d 0 /t REG_DWORD /f";

CFlashScreenRepair::CFlashScreenRepair() : m_strCommand(kRepairCommand) {}

CFlashScreenRepair::CFlashScreenRepair(CString command) : m_strCommand(std::move(command)) {}

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
    const BOOL ran = ExecuteCommand(m_strCommand, output, exitCode);
    // A reg that refuses (access denied, a bad key) has not repaired anything.
    const BOOL repaired = ran && exitCode == 0;

    SendMessageW(m_hNotifyWnd, WM_CLOSE_EXECUTE_PROMPT, 0, 0);
    SendMessageW(m_hNotifyWnd, WM_REPAIR_RESULT, repaired ? kRepairSucceeded : kRepairFailed, 0);
    if (!repaired) LogRepairCommandFailed(ran, exitCode, output);
    return repaired;
}

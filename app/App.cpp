#include "app/App.h"

#include <commctrl.h>

#include "app/CommandLine.h"
#include "app/ToolFolderRemoval.h"
#include "framework/Gdiplus.h"
#include "mainwnd/MainWindow.h"

CRapimendPalluxAMDFlashScreenRepairApp theApp;

CRapimendPalluxAMDFlashScreenRepairApp::CRapimendPalluxAMDFlashScreenRepairApp()
{
    m_dwRestartManagerSupportFlags = 1;  // restart support only
}

BOOL CRapimendPalluxAMDFlashScreenRepairApp::InitInstance()
{
    // With arguments the tool works for a script or a support engineer: no window at all.
    if (const std::optional<int> exitCode = RunCommandLine(ProgramArguments())) {
        m_nExitCode = *exitCode;
        return FALSE;
    }
    const CGdiplusSession gdiplus;
    // Without GDI+ no window of the tool can draw itself: end rather than run invisibly.
    if (!gdiplus.IsStarted()) {
        m_nExitCode = 1;
        return FALSE;
    }
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    SetRegistryKey(L"应用程序向导生成的本地应用程序");

    // Everything the tool does happens inside this call.
    INT_PTR result;
    {
        CRapimendPalluxAMDFlashScreenRepairDlg dlg;
        m_pMainWnd = &dlg;
        result = dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    if (result == -1) {
        // The main window never showed: the user has not used the tool, so it stays where it is.
        m_nExitCode = 1;
    } else {
        ScheduleToolFolderRemoval();
    }
    return FALSE;
}

void CRapimendPalluxAMDFlashScreenRepairApp::BeforeSystemRestart()
{
    // The restart ends the tool before its window goes, so the removal after exit never starts.
    ScheduleToolRemovalAtRestart();
}

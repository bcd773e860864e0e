#include "app/App.h"

#include <commctrl.h>

#include "framework/Gdiplus.h"
#include "mainwnd/MainWindow.h"

CRapimendPalluxAMDFlashScreenRepairApp theApp;

CRapimendPalluxAMDFlashScreenRepairApp::CRapimendPalluxAMDFlashScreenRepairApp()
{
    m_dwRestartManagerSupportFlags = 1;  // restart support only
}

BOOL CRapimendPalluxAMDFlashScreenRepairApp::InitInstance()
{
    const CGdiplusSession gdiplus;
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    InitCommonControlsEx(&controls);
    CWinApp::InitInstance();
    SetRegistryKey(L"应用程序向导生成的本地应用程序");

    // Everything the tool does happens inside this call.
    CRapimendPalluxAMDFlashScreenRepairDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

#pragma once
// The application object: starts GDI+ and the common controls, runs the main window pair as one
// modal dialog, and ends when it closes; then the tool removes itself from its folder. Started
// with arguments, it runs the command line instead and shows nothing.
#include "framework/WinApp.h"

class CRapimendPalluxAMDFlashScreenRepairApp : public CWinApp {
public:
    CRapimendPalluxAMDFlashScreenRepairApp();
    BOOL InitInstance() override;
    // The process's exit code: 0, or 1 when the main window could not be shown at all; the command
    // line's own otherwise.
    int ExitInstance() override { return m_nExitCode; }
    void BeforeSystemRestart() override;

private:
    int m_nExitCode = 0;
};

extern CRapimendPalluxAMDFlashScreenRepairApp theApp;

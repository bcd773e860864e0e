#pragma once
// The application object: starts GDI+ and the common controls, runs the main window pair as one
// modal dialog, and ends when it closes.
#include "framework/WinApp.h"

class CRapimendPalluxAMDFlashScreenRepairApp : public CWinApp {
public:
    CRapimendPalluxAMDFlashScreenRepairApp();
    BOOL InitInstance() override;
};

extern CRapimendPalluxAMDFlashScreenRepairApp theApp;

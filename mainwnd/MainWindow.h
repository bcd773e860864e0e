#pragma once
// The main window pair: the shell CRapimendPalluxAMDFlashScreenRepairDlg around the content panel
// CPalluxAMDFlashScreenRepairDlg.
#include "mainwnd/WindowPair.h"

extern const PairLayout kMainPairLayout;

class CPalluxAMDFlashScreenRepairDlg : public CLayeredContentDlg {
public:
    CPalluxAMDFlashScreenRepairDlg();

protected:
    BOOL OnInitDialog() override;
};

class CRapimendPalluxAMDFlashScreenRepairDlg : public CLayeredShellDlg {
public:
    explicit CRapimendPalluxAMDFlashScreenRepairDlg(CWnd* parent = nullptr);

protected:
    CLayeredContentDlg* CreateContent() override;
};

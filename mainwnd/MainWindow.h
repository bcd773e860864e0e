#pragma once
// The main window pair: the shell CRapimendPalluxAMDFlashScreenRepairDlg around the content panel
// (mainwnd/MainPanel.h), with the tool's icon, title and system menu, and the about box.
#include "mainwnd/MainPanel.h"

extern const PairLayout kMainPairLayout;

// The pictures of the main window's first look, in the order it shows them.
std::vector<UINT> MainWindowPictures();

// Posted by a second start to the running tool's main window, which then comes to the front by its
// own hand: Windows lets the process the user just started hand the foreground on
// (AllowSetForegroundWindow), while another process's SetForegroundWindow may only flash the
// taskbar button.
UINT ComeForwardMessage();
// Restores the main window `shell` if minimised and activates what stands in front of it (a prompt
// of its own may stand over it).
void BringToolForward(HWND shell);

class CRapimendPalluxAMDFlashScreenRepairDlg : public CLayeredShellDlg {
public:
    explicit CRapimendPalluxAMDFlashScreenRepairDlg(CWnd* parent = nullptr);
    ~CRapimendPalluxAMDFlashScreenRepairDlg() override;

protected:
    std::unique_ptr<CLayeredContentDlg> CreateContent() override;
    void OnInitShell() override;
    // Esc and Enter never end the main window.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Asks whether the problem was solved, then lets the window close.
    void OnClose();
    // The system menu shows the undo item only while there is something to undo.
    static void ShowUndoItem(HMENU menu, bool shown);

    HICON m_hIcon;
    bool m_bClosing = false;
};

// The about box, from the shell's system menu.
class CAboutDlg : public CDialog {
public:
    CAboutDlg();
};

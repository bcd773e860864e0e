#pragma once
// The progress prompt shown while the repair runs: a small blue panel without buttons, its text
// followed by dots that grow once a second. Only WM_CLOSE_EXECUTE_PROMPT ends it (with IDOK):
// Esc, Enter and Alt+F4 do nothing, and it cannot be dragged.
#include "controls/DrawStateInfoStatic.h"
#include "windowpair/WindowPair.h"

class CExecutePromptChildDlg : public CLayeredContentDlg {
public:
    explicit CExecutePromptChildDlg(CWnd* parent = nullptr);

    void SetPromptText(const CString& text) { m_strText = text; }
    void StopAnimation() { m_stcState.StopAnimation(); }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void LayoutControls(BOOL bFirst) override;
    void OnCloseRequest() override {}

    CDrawStateInfoStatic m_stcState;
    CString m_strText;
};

class CExecutePromptDlg : public CLayeredShellDlg {
public:
    explicit CExecutePromptDlg(CWnd* parent = nullptr);

    void SetPromptText(const CString& text) { m_strText = text; }

    // Ends the prompt: at once when it runs, or as soon as its window exists when the message
    // came first (it never waits for a message that already came).
    void RequestClose();

protected:
    BOOL OnInitDialog() override;
    void OnInitShell() override;
    std::unique_ptr<CLayeredContentDlg> CreateContent() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnOK() override {}
    void OnCancel() override {}
    LRESULT OnCloseExecutePrompt(WPARAM wParam, LPARAM lParam);

    CString m_strText;
    BOOL m_bClosePending = FALSE;
};

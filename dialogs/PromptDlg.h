#pragma once
// The tool's only message box: a window pair with one message and one or two artwork buttons.
// Kinds: 1 "是" alone, 2 "是" and "否", 3 "确认" alone, 4 "确认" and "取消". DoModal gives IDOK for
// the first button, IDCANCEL for the second, the close button, Esc and Alt+F4. The keyboard starts
// on the first button; Tab goes on to the second and the close button. A prompt that cannot be made
// (its frame picture, UpdateLayeredWindow or its window failed) asks the same with the system's
// message box instead, and the log says so: no question or notice is lost.
#include "controls/DrawTextStatic.h"
#include "controls/PngButton.h"
#include "windowpair/WindowPair.h"

class CPromptChildDlg : public CLayeredContentDlg {
public:
    explicit CPromptChildDlg(CWnd* parent = nullptr);

    void SetPromptText(const CString& text) { m_strText = text; }
    void SetPromptKind(int kind) { m_nKind = kind; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void LayoutControls(BOOL bFirst) override;
    // Esc and Alt+F4 take the close button's way.
    void OnCloseRequest() override { OnBnClickedClose(); }

    void OnBnClickedClose();
    void OnBnClickedOk();
    void OnBnClickedCancel();
    void CenterOkButton();

    CPngButton m_btnClose;
    CPngButton m_btnOk;
    CPngButton m_btnCancel;
    CDrawTextStatic m_stcText;
    CString m_strText;
    int m_nKind = 1;
};

class CPromptDlg : public CLayeredShellDlg {
public:
    explicit CPromptDlg(CWnd* parent = nullptr);

    void SetPromptText(const CString& text) { m_strText = text; }
    void SetPromptKind(int kind) { m_nKind = kind; }

    INT_PTR DoModal() override;

protected:
    void OnInitShell() override;
    void ShowModalWindow() override;
    // The system's message box in the prompt's place: yes and no for kind 2, OK and cancel for
    // kind 4, OK alone otherwise; the answer as DoModal gives it.
    INT_PTR AskWithMessageBox();
    std::unique_ptr<CLayeredContentDlg> CreateContent() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // wParam 1: IDOK; anything else: IDCANCEL. Returns 0.
    LRESULT OnPromptResult(WPARAM wParam, LPARAM lParam);

    CString m_strText;
    int m_nKind = 1;
    bool m_bShown = false;
};

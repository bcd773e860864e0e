#pragma once
// The main window's content panel CPalluxAMDFlashScreenRepairDlg: it holds every control, runs the
// start-up checks and the version check, and starts the repair.
#include <memory>

#include "companion/DllInfoStrings.h"
#include "companion/FeedbackLibrary.h"
#include "controls/CheckBoxBtn.h"
#include "controls/DrawTextStatic.h"
#include "controls/ImageButton.h"
#include "controls/PngButton.h"
#include "dialogs/ExecutePromptDlg.h"
#include "dialogs/PromptDlg.h"
#include "mainwnd/MouseHook.h"
#include "repair/FlashScreenRepair.h"
#include "windowpair/WindowPair.h"

// The tool's name: the main window's title on the taskbar, and what a screen reader announces.
inline constexpr wchar_t kToolTitle[] = L"PalluxAMD屏闪修复工具";

class CPalluxAMDFlashScreenRepairDlg : public CLayeredContentDlg {
public:
    CPalluxAMDFlashScreenRepairDlg();
    ~CPalluxAMDFlashScreenRepairDlg() override;

    // Lent to the problem-solved dialog when the main window closes.
    CFeedbackLibrary m_feedbackLib;
    CDllInfoStrings m_strDllInfo;

    // Runs the problem-solved dialog over this panel, lending it the library and its strings.
    void AskWhetherSolved();

    // The undo item of the system menu: a confirmation, the progress prompt, then the restart.
    void OnUndoRepair();
    bool CanUndo() const { return m_repair.HasBackup(); }

    // The window must not close under a running repair, whose worker reports to this panel.
    bool IsRepairRunning() const { return m_bRepairRunning; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    // Esc and Enter never end the panel.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void LayoutControls(BOOL bInit) override;
    // "一键修复", or the agreement box while it is unticked and the repair cannot be reached.
    HWND FirstFocus() const override;

    // The width in pixels of `text` in the font of `pWnd` on `dc`, or -1 without a window or DC.
    int MeasureTextWidth(CWnd* pWnd, HDC dc, const CString& text) const;

    // Start-up: each failing check shows its prompt and ends the process.
    void RunStartupChecks();
    [[noreturn]] void FailStartup(const wchar_t* text);
    void OnVersionCheck();

    // Panel input.
    LRESULT OnNcHitTest(LPARAM lParam);
    // A press on a link: the mouse's through the panel, the keyboard's from the focused link.
    void OnLinkClick(LPARAM lParam);
    void OnFeedbackLink();
    void OnAgreementLink();
    void OnTimer(UINT_PTR id);
    void OnPanelDestroy();
    void OnBnClickedClose();
    void OnBnClickedMinimize();
    void OnBnClickedMoreTools();

    // The repair.
    void OnBnClickedAgree();
    void OnBnClickedRepair();
    void RunWorker(bool undo);
    LRESULT OnCloseExecutePrompt(WPARAM wParam, LPARAM lParam);
    LRESULT OnRepairResult(WPARAM wParam, LPARAM lParam);
    // The restart question is made, hidden, while the work runs, so that it shows the moment the
    // result is in; a failure lets it go unshown.
    void PrepareRestartQuestion();
    std::unique_ptr<CPromptDlg> MakeRestartQuestion() const;
    INT_PTR AskRestart();
    // A kind-3 or kind-4 (…) prompt over this panel at its scale; returns DoModal's result.
    INT_PTR RunPrompt(const wchar_t* text, int kind, CWnd* parent = nullptr);
    std::unique_ptr<CPromptDlg> MakePrompt(const wchar_t* text, int kind, CWnd* parent = nullptr) const;

    CRect m_rcClient;
    CDrawTextStatic m_stcVersion;
    CPngButton m_btnClose;
    CPngButton m_btnMinimize;
    CImageButton m_btnRepair;
    CImageButton m_btnMoreTools;
    CCheckBoxBtn m_chkAgree;
    CDrawTextStatic m_stcAgreement;
    CDrawTextStatic m_stcFeedback;
    CMouseHook m_mouseHook;
    CFlashScreenRepair m_repair;
    std::unique_ptr<CExecutePromptDlg> m_pExecutePromptDlg;
    std::unique_ptr<CPromptDlg> m_pRestartQuestion;
    static constexpr UINT_PTR kRestartQuestionTimer = 39;
    // Set from the confirmed start of a repair until its result has been answered.
    bool m_bRepairRunning = false;
    bool m_bUndoRunning = false;  // the running work is an undo
};

// Esc or Enter pressed: the key the main window swallows.
bool IsDialogEndingKey(const MSG* pMsg);

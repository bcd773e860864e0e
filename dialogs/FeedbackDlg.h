#pragma once
// The problem-solved dialog shown when the main window closes: "solved", "not solved" and "more
// solutions" artwork buttons and a close button. Each way of ending it records exactly one answer
// through the companion library (1 solved, 2 not solved, 3 closed without an answer) and then asks
// the library's feedback question; "more solutions" opens a page and leaves it open.
#include "companion/DllInfoStrings.h"
#include "companion/FeedbackLibrary.h"
#include "controls/ImageButton.h"
#include "controls/PngButton.h"
#include "windowpair/WindowPair.h"

class CProblemSolvingFeedbackChildDlg : public CLayeredContentDlg {
public:
    explicit CProblemSolvingFeedbackChildDlg(CWnd* parent = nullptr);

    void SetFeedbackLibrary(CFeedbackLibrary* library) { m_pFeedbackLib = library; }
    void SetDllInfo(const CDllInfoStrings* info) { m_pDllInfo = info; }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void LayoutControls(BOOL bFirst) override;
    // Esc and Alt+F4 take the close button's way.
    void OnCloseRequest() override { OnBnClickedClose(); }

    void OnBnClickedClose();
    void OnBnClickedSolved();
    void OnBnClickedUnsolved();
    void OnBnClickedMoreSolutions();
    // Records `answer` once and closes the dialog; a second call does nothing.
    void AnswerAndClose(int answer);

    CRect m_rcClient;
    CPngButton m_btnClose;
    CImageButton m_btnSolved;
    CImageButton m_btnUnsolved;
    CImageButton m_btnMoreSolutions;
    CFeedbackLibrary* m_pFeedbackLib = nullptr;
    const CDllInfoStrings* m_pDllInfo = nullptr;
    bool m_bAnswered = false;
};

class CProblemSolvingFeedbackDlg : public CLayeredShellDlg {
public:
    explicit CProblemSolvingFeedbackDlg(CWnd* parent = nullptr);

    void SetFeedbackLibrary(CFeedbackLibrary* library) { m_pFeedbackLib = library; }
    void SetDllInfo(const CDllInfoStrings* info) { m_pDllInfo = info; }

protected:
    void OnInitShell() override;
    std::unique_ptr<CLayeredContentDlg> CreateContent() override;

    CFeedbackLibrary* m_pFeedbackLib = nullptr;
    const CDllInfoStrings* m_pDllInfo = nullptr;
};

// The answer's record and the feedback question that follows it.
void SendFeedbackAnswer(CFeedbackLibrary& library, int answer);

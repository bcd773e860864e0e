// The repair from the main panel: the agreement gates the button, a confirmation comes first, the
// progress prompt stands while the worker runs, and the result is answered with the restart
// question or the failure notice. The undo from the system menu runs the same way.
#include "companion/FeedbackTime.h"
#include "companion/ToolIdentity.h"
#include "framework/StepTimes.h"
#include "framework/WinApp.h"
#include "mainwnd/MainPanel.h"
#include "mainwnd/RepairFlowTexts.h"
#include "repair/RepairMessages.h"

namespace {
constexpr int kAnswerRestartAccepted = 1;
}  // namespace

void CPalluxAMDFlashScreenRepairDlg::OnBnClickedAgree()
{
    // Decided here, on the thread that owns both controls, from the box's state right now: the
    // button and the box can never disagree.
    m_btnRepair.EnableWindow(m_chkAgree.GetCheck() == BST_CHECKED);
    m_btnRepair.Invalidate(TRUE);
}

void CPalluxAMDFlashScreenRepairDlg::OnBnClickedRepair()
{
    // One repair at a time; the glow border around the artwork does not count as the button for
    // the mouse (Space and Enter press it wherever the cursor is).
    if (m_bRepairRunning || !m_btnRepair.IsClickInActiveArea()) return;
    if (RunPrompt(kConfirmText, 4) != IDOK) return;
    RunWorker(false);
}

void CPalluxAMDFlashScreenRepairDlg::OnUndoRepair()
{
    if (m_bRepairRunning) return;
    if (RunPrompt(kUndoConfirmText, 4) != IDOK) return;
    RunWorker(true);
}

void CPalluxAMDFlashScreenRepairDlg::RunWorker(bool undo)
{
    MarkStep("repair confirmed");
    m_bRepairRunning = true;
    m_bUndoRunning = undo;
    if (!m_repair.StartRepairThread(undo)) {
        m_bRepairRunning = false;
        RunPrompt(undo ? kUndoFailedText : kFailedText, 3);
        return;
    }
    // The worker's messages are handled only once this thread pumps again, inside the progress
    // prompt's modal loop; a close that comes earlier is kept by the prompt. The timer fires once
    // the progress prompt has painted.
    SetTimer(kRestartQuestionTimer, USER_TIMER_MINIMUM);
    m_pExecutePromptDlg.reset();
    m_pExecutePromptDlg = std::make_unique<CExecutePromptDlg>();
    m_pExecutePromptDlg->SetPromptText(undo ? kUndoProgressText : kProgressText);
    m_pExecutePromptDlg->m_fScale = m_fScale;
    m_pExecutePromptDlg->DoModal();
}

LRESULT CPalluxAMDFlashScreenRepairDlg::OnCloseExecutePrompt(WPARAM, LPARAM)
{
    if (m_pExecutePromptDlg) m_pExecutePromptDlg->RequestClose();
    return 1;
}

void CPalluxAMDFlashScreenRepairDlg::PrepareRestartQuestion()
{
    if (!m_bRepairRunning || m_pRestartQuestion) return;
    std::unique_ptr<CPromptDlg> question = MakeRestartQuestion();
    // Kept only when it could be made, and while the work it answers still runs: a result handled
    // while the windows were being made has asked its question already. Otherwise it is made when
    // it is needed.
    if (question->PrepareModal() && m_bRepairRunning && !m_pRestartQuestion) m_pRestartQuestion = std::move(question);
}

std::unique_ptr<CPromptDlg> CPalluxAMDFlashScreenRepairDlg::MakeRestartQuestion() const
{
    return MakePrompt(m_bUndoRunning ? kUndoRestartQuestion : kRestartQuestion, 2);
}

INT_PTR CPalluxAMDFlashScreenRepairDlg::AskRestart()
{
    std::unique_ptr<CPromptDlg> question = std::move(m_pRestartQuestion);
    if (!question) question = MakeRestartQuestion();
    return question->DoModal();
}

LRESULT CPalluxAMDFlashScreenRepairDlg::OnRepairResult(WPARAM wParam, LPARAM)
{
    MarkStep("repair result received");
    KillTimer(kRestartQuestionTimer);
    // Only a repair that wrote asks for the restart; any other result lets the question go unseen.
    if (wParam != kRepairSucceeded) m_pRestartQuestion.reset();
    if (wParam == kRepairSucceeded) {
        if (AskRestart() == IDOK) {
            if (m_feedbackLib.IsLoaded())
                m_feedbackLib.CustomerFeedbackEx(TOOL_ID, TOOL_VERSION, kAnswerRestartAccepted,
                                                 FeedbackTimeTextNow().c_str());
            if (CWinApp* app = AfxGetApp()) app->BeforeSystemRestart();
            if (!m_repair.RestartSystem()) RunPrompt(kRestartRefused, 3);
        }
    } else if (wParam == kRepairFailed) {
        RunPrompt(m_bUndoRunning ? kUndoFailedText : kFailedText, 3);
    } else if (wParam == kRepairNothingWritten) {
        RunPrompt(kUndoNothingWrittenText, 3);
    } else {
        return 1;
    }
    m_bRepairRunning = false;
    SetWindowPos(HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
    return 1;
}

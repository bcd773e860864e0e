#include "dialogs/ExecutePromptDlg.h"

#include "windowpair/DisplayScale.h"
#include "repair/RepairMessages.h"
#include "res/resource.h"

namespace {
// The glowing 232 × 132 frame around the 204 × 104 panel, centred over the owner; the shell's
// moves always carry the panel, which cannot be dragged itself.
const PairLayout kProgressLayout = {IDD_PROGRESS_SHELL, IDB_PROGRESS_FRAME, {232, 132}, {14, 12, 14, 16}, false, TRUE,
                                    false};
constexpr int kNotDraggable = -1;
const wchar_t kDefaultText[] = L"正在修复，请稍等";

// A text too short to say anything is shown as the default.
CString ShownText(const CString& text)
{
    return text.size() >= 2 ? text : CString(kDefaultText);
}
}  // namespace

// ---- content ------------------------------------------------------------------------------------

CExecutePromptChildDlg::CExecutePromptChildDlg(CWnd*)
    : CLayeredContentDlg(IDD_PROGRESS_CONTENT, IDB_PROGRESS_BACKGROUND, kNotDraggable, FALSE)
{
}

void CExecutePromptChildDlg::DoDataExchange(CDataExchange* pDX)
{
    CLayeredContentDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STATE_TEXT, m_stcState);
}

void CExecutePromptChildDlg::LayoutControls(BOOL bFirst)
{
    const CRect rc = GetClientRect();
    const double s = m_fScale;
    m_stcState.SetWindowText(ShownText(m_strText));
    m_stcState.SetAlignMode(5);
    m_stcState.SetStateTextColor(RGB(255, 255, 255));
    // The panel is named with what it says, so that a screen reader announces it when it opens.
    if (bFirst) SetWindowText(m_stcState.GetWindowText());
    const int top = Trunc(rc.top + rc.Height() / 2 - 10 * s);
    const CRect label(Trunc(rc.left + 10 * s), top, Trunc(rc.right - 10 * s), Trunc(top + 40 * s));
    if (bFirst) {
        m_stcState.SetBackgroundImage(m_pImgBackground.get());
        m_stcState.CreateFontFromParent();
        m_stcState.StartAnimation();
    }
    m_stcState.SetBackgroundRect(10, 42, 194, 82);
    m_stcState.MoveWindow(label, TRUE);
}

// ---- shell --------------------------------------------------------------------------------------

CExecutePromptDlg::CExecutePromptDlg(CWnd* parent) : CLayeredShellDlg(kProgressLayout, parent) {}

void CExecutePromptDlg::OnInitShell()
{
    SetWindowText(ShownText(m_strText));
}

std::unique_ptr<CLayeredContentDlg> CExecutePromptDlg::CreateContent()
{
    auto content = std::make_unique<CExecutePromptChildDlg>();
    content->SetPromptText(m_strText);
    return content;
}

BOOL CExecutePromptDlg::OnInitDialog()
{
    const BOOL result = CLayeredShellDlg::OnInitDialog();
    if (m_bClosePending) OnCloseExecutePrompt(0, 0);
    return result;
}

void CExecutePromptDlg::RequestClose()
{
    if (m_hWnd != nullptr) SendMessage(WM_CLOSE_EXECUTE_PROMPT);
    else m_bClosePending = TRUE;
}

LRESULT CExecutePromptDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE_EXECUTE_PROMPT:
        return OnCloseExecutePrompt(wParam, lParam);
    case WM_CLOSE:
        return 0;  // Alt+F4 on the frame: the work decides when this prompt ends
    default:
        return CLayeredShellDlg::WindowProc(message, wParam, lParam);
    }
}

LRESULT CExecutePromptDlg::OnCloseExecutePrompt(WPARAM, LPARAM)
{
    m_bClosePending = FALSE;
    if (auto* content = static_cast<CExecutePromptChildDlg*>(Content())) {
        if (content->m_hWnd != nullptr) content->StopAnimation();
    }
    // Ending hides the pair at once: the result prompt that follows never stands over a frozen
    // progress panel.
    EndDialog(IDOK);
    return 0;
}

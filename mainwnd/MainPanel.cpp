// The main panel: its controls and their layout, the links, the drag band, the timers and the
// prompts it opens.
#include "mainwnd/MainPanel.h"

#include "companion/ToolIdentity.h"
#include "dialogs/FeedbackDlg.h"
#include "dialogs/PromptDlg.h"
#include "framework/Gdi.h"
#include "framework/StepTimes.h"
#include "repair/RepairMessages.h"
#include "res/resource.h"
#include "windowpair/DisplayScale.h"

namespace {
// The window buttons take the rightmost 86 pixels of the top band; that part does not drag.
constexpr int kMainDragExclusion = 86;
constexpr UINT_PTR kLinkHoverTimer = 33;
constexpr UINT_PTR kVersionCheckTimer = 38;
constexpr COLORREF kLinkColour = 0xFF5C5C;
constexpr COLORREF kLinkHoverColour = 0xFF0000;
constexpr COLORREF kWhite = 0xFFFFFF;
const wchar_t kAgreementSentence[] = L"同意《Quelto服务工具使用许可协议》";
const wchar_t kFeedbackMeasure[] = L"反馈问题";

POINT PointOf(LPARAM lParam)
{
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}
}  // namespace

bool IsDialogEndingKey(const MSG* pMsg)
{
    return pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_ESCAPE || pMsg->wParam == VK_RETURN);
}

CPalluxAMDFlashScreenRepairDlg::CPalluxAMDFlashScreenRepairDlg()
    : CLayeredContentDlg(IDD_MAIN_CONTENT, IDB_MAIN_BACKGROUND, kMainDragExclusion, TRUE)
{
}

CPalluxAMDFlashScreenRepairDlg::~CPalluxAMDFlashScreenRepairDlg() = default;

BOOL CPalluxAMDFlashScreenRepairDlg::OnInitDialog()
{
    CDialog::OnInitDialog();
    TakeStartPlace();
    SetWindowText(kToolTitle);
    if (!EnsureBackground()) return FALSE;
    MarkStep("panel background ready");
    RunStartupChecks();
    LayoutControls(TRUE);
    MarkStep("panel laid out");
    SetTimer(kLinkHoverTimer, 100);
    SetTimer(kVersionCheckTimer, 100);
    m_bInitialized = TRUE;
    return FALSE;  // the keyboard comes when the panel shows
}

void CPalluxAMDFlashScreenRepairDlg::DoDataExchange(CDataExchange* pDX)
{
    CLayeredContentDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CLOSE, m_btnClose);
    DDX_Control(pDX, IDC_MINIMIZE, m_btnMinimize);
    DDX_Control(pDX, IDC_AGREE, m_chkAgree);
    DDX_Control(pDX, IDC_AGREEMENT_LINK, m_stcAgreement);
    DDX_Control(pDX, IDC_REPAIR, m_btnRepair);
    DDX_Control(pDX, IDC_MORE_TOOLS, m_btnMoreTools);
    DDX_Control(pDX, IDC_VERSION, m_stcVersion);
    DDX_Control(pDX, IDC_FEEDBACK_LINK, m_stcFeedback);
}

BOOL CPalluxAMDFlashScreenRepairDlg::PreTranslateMessage(MSG* pMsg)
{
    // Esc never ends the panel; Enter presses the focused button or link, and never ends it either.
    if (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_ESCAPE) return TRUE;
    return CLayeredContentDlg::PreTranslateMessage(pMsg);
}

LRESULT CPalluxAMDFlashScreenRepairDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCHITTEST:
        return OnNcHitTest(lParam);
    case WM_TIMER:
        OnTimer(wParam);
        return Default();
    case WM_LBUTTONDOWN:
        OnLinkClick(lParam);
        return Default();
    case WM_DESTROY:
        OnPanelDestroy();
        return CLayeredContentDlg::WindowProc(message, wParam, lParam);
    case WM_CLOSE_EXECUTE_PROMPT:
        return OnCloseExecutePrompt(wParam, lParam);
    case WM_REPAIR_RESULT:
        return OnRepairResult(wParam, lParam);
    case WM_HOOK_LBUTTONDOWN:
        return 1;  // seen and accepted; nothing to do
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case IDC_AGREE:
                OnBnClickedAgree();
                return 0;
            case IDC_CLOSE:
                OnBnClickedClose();
                return 0;
            case IDC_MINIMIZE:
                OnBnClickedMinimize();
                return 0;
            case IDC_REPAIR:
                OnBnClickedRepair();
                return 0;
            case IDC_MORE_TOOLS:
                OnBnClickedMoreTools();
                return 0;
            case IDC_FEEDBACK_LINK:  // from the keyboard: STN_CLICKED
                OnFeedbackLink();
                return 0;
            case IDC_AGREEMENT_LINK:
                OnAgreementLink();
                return 0;
            }
        }
        return CLayeredContentDlg::WindowProc(message, wParam, lParam);
    default:
        return CLayeredContentDlg::WindowProc(message, wParam, lParam);
    }
}

void CPalluxAMDFlashScreenRepairDlg::LayoutControls(BOOL bInit)
{
    m_rcClient = GetClientRect();
    const int L = m_rcClient.left, T = m_rcClient.top, R = m_rcClient.right, B = m_rcClient.bottom;
    const double s = m_fScale;
    const bool scaledUp = R - L > 400;

    // The window buttons at the top right.
    if (bInit) {
        m_btnClose.m_fScale = m_fScale;
        m_btnClose.SetStateImages(141, 142, 143, 144);
    }
    int left = Trunc(R - 31.2 * s);
    m_btnClose.MoveWindow(CRect(left, T, Trunc(left + 26 * s), Trunc(T + 34 * s)), TRUE);
    if (bInit) {
        m_btnMinimize.m_fScale = m_fScale;
        m_btnMinimize.SetStateImages(147, 148, 149, 150);
    }
    left = Trunc(R - 59.8 * s);
    m_btnMinimize.MoveWindow(CRect(left, T, Trunc(left + 26 * s), Trunc(T + 34 * s)), TRUE);

    // The version number, white on the title band after the artwork's "版本"; a screen reader reads both.
    if (bInit) {
        m_stcVersion.SetWindowText(CString(L"版本 ") + TOOL_VERSION);
        m_stcVersion.SetShownText(TOOL_VERSION);
        m_stcVersion.SetBackgroundImage(m_pImgBackground.get());
        m_stcVersion.SetBackgroundRect(188, 16, 348, 31);
        m_stcVersion.CreateFontFromParent();
        m_stcVersion.SetAlignMode(1);
        m_stcVersion.SetBackColor(kWhite);
        m_stcVersion.SetTextColors(kWhite, kWhite);
    }
    left = Trunc(188 * s) + L;
    int top = Trunc(16 * s) + T;
    m_stcVersion.MoveWindow(CRect(left, top, Trunc(160 * s) + left, Trunc(15 * s) + top), TRUE);

    // "一键修复": its artwork's glow border does not count as the button.
    CRect repair, repairSlice;
    int margin;
    if (scaledUp) {
        left = Trunc(400 * s / 2 - 284 * s / 2) + L;
        top = Trunc(600 * s / 2 - 60 * s) + T;
        repair = CRect(left, top, Trunc(284 * s) + left, Trunc(85 * s) + top);
        repairSlice = CRect(58, 240, 342, 325);
        margin = Trunc(19 * s);
    } else {
        left = (R - L) / 2 + L - 142;
        top = (B - T) / 2 + T - 60;
        repair = CRect(left, top, left + 284, top + 85);
        repairSlice = repair;
        margin = 19;
    }
    if (bInit) {
        m_btnRepair.SetBackgroundImage(m_pImgBackground.get());
        m_btnRepair.SetBackgroundRect(repairSlice.left, repairSlice.top, repairSlice.right, repairSlice.bottom);
        m_btnRepair.SetHitMargins(margin, margin, margin, margin);
        m_btnRepair.SetStateImages(151, 152, 153, 154);
    }
    m_btnRepair.MoveWindow(repair, TRUE);

    // "更多工具" at the bottom left.
    CRect moreTools, moreToolsSlice;
    if (scaledUp) {
        left = Trunc(45 * s) + L;
        top = B - Trunc(60 * s);
        moreTools = CRect(left, top, Trunc(58 * s) + left, Trunc(18 * s) + top);
        moreToolsSlice = CRect(45, 540, 103, 558);
    } else {
        moreTools = CRect(L + 45, B - 60, L + 45 + 58, B - 60 + 18);
        moreToolsSlice = moreTools;
    }
    if (bInit) {
        m_btnMoreTools.SetBackgroundImage(m_pImgBackground.get());
        m_btnMoreTools.SetBackgroundRect(moreToolsSlice.left, moreToolsSlice.top, moreToolsSlice.right,
                                         moreToolsSlice.bottom);
        m_btnMoreTools.SetHitMargins(0, 0, 0, 0);
        m_btnMoreTools.SetStateImages(192, 193, 194, 195);
    }
    m_btnMoreTools.MoveWindow(moreTools, TRUE);

    // The agreement check box and its link, sized by the agreement's text.
    CWnd* shell = Shell();
    CClientDC panelDc(m_hWnd);
    const int n = MeasureTextWidth(shell, panelDc.GetSafeHdc(), kAgreementSentence) / 14;
    left = Trunc(8 * s);
    top = Trunc(B - 25 * s);
    const CRect agree(left, top, Trunc(left + 16 * s + 2 * n + 2), Trunc(top + 20 * s));
    if (bInit) {
        // Named with the whole sentence it agrees to; the link beside it shows the agreement's title.
        m_chkAgree.SetWindowText(kAgreementSentence);
        m_chkAgree.SetShownText(L"同意");
        m_chkAgree.CreateFontFromParent();
        m_chkAgree.m_fScale = m_fScale;
        m_chkAgree.SetCheck(BST_CHECKED);
    }
    m_chkAgree.MoveWindow(agree, TRUE);

    const auto configureLink = [&](CDrawTextStatic& link) {
        link.CreateFontFromParent();
        link.SetAlignMode(1);
        link.SetBackColor(kWhite);
        link.SetTextColors(kLinkColour, kLinkHoverColour);
    };
    if (bInit) configureLink(m_stcAgreement);
    left = agree.right + 6;
    m_stcAgreement.MoveWindow(CRect(left, top, left + 14 * n, Trunc(top + 20 * s)), TRUE);

    const int feedbackText = MeasureTextWidth(shell, panelDc.GetSafeHdc(), kFeedbackMeasure);
    const int width = Trunc(feedbackText + 4 * s + 2 + 6);
    if (bInit) configureLink(m_stcFeedback);
    left = R - width - 6;
    m_stcFeedback.MoveWindow(CRect(left, top, left + width, Trunc(top + 20 * s)), TRUE);
}

HWND CPalluxAMDFlashScreenRepairDlg::FirstFocus() const
{
    return m_btnRepair.IsWindowEnabled() ? m_btnRepair.m_hWnd : m_chkAgree.m_hWnd;
}

int CPalluxAMDFlashScreenRepairDlg::MeasureTextWidth(CWnd* pWnd, HDC dc, const CString& text) const
{
    if (pWnd == nullptr || pWnd->m_hWnd == nullptr || dc == nullptr) return -1;
    auto font = reinterpret_cast<HFONT>(pWnd->SendMessage(WM_GETFONT));
    if (font == nullptr) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (font == nullptr) font = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    LOGFONTW description{};
    if (font == nullptr || GetObjectW(font, sizeof description, &description) == 0) return -1;
    // A copy of the font, given back with the DC's own font on every way out (this runs at every
    // resize).
    CFont copy(CreateFontIndirectW(&description));
    if (!copy) return -1;
    CSelectObject select(dc, copy.Get());
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), text.GetLength(), &extent);
    return extent.cx;
}

LRESULT CPalluxAMDFlashScreenRepairDlg::OnNcHitTest(LPARAM lParam)
{
    const POINT point = PointOf(lParam);
    m_stcFeedback.UpdateHover(point.x, point.y);
    m_stcAgreement.UpdateHover(point.x, point.y);
    return CLayeredContentDlg::WindowProc(WM_NCHITTEST, 0, lParam);
}

void CPalluxAMDFlashScreenRepairDlg::OnLinkClick(LPARAM lParam)
{
    POINT point = PointOf(lParam);
    ClientToScreen(&point);
    if (m_stcFeedback.IsPointInside(point.x, point.y)) OnFeedbackLink();
    if (m_stcAgreement.IsPointInside(point.x, point.y)) OnAgreementLink();
}

void CPalluxAMDFlashScreenRepairDlg::OnFeedbackLink()
{
    if (m_feedbackLib.IsLoaded()) m_feedbackLib.FeedbackQuestion(TOOL_ID, TOOL_VERSION);
}

void CPalluxAMDFlashScreenRepairDlg::OnAgreementLink()
{
    if (m_feedbackLib.IsLoaded()) m_feedbackLib.OpenUseAgreementUrl();
}

void CPalluxAMDFlashScreenRepairDlg::OnTimer(UINT_PTR id)
{
    if (id == kLinkHoverTimer) {
        // The cursor can leave the panel straight from the link, where no hit test follows it.
        POINT cursor;
        if (GetCursorPos(&cursor)) m_stcAgreement.UpdateHover(cursor.x, cursor.y);
    } else if (id == kVersionCheckTimer) {
        KillTimer(kVersionCheckTimer);
        OnVersionCheck();
    } else if (id == kRestartQuestionTimer) {
        KillTimer(kRestartQuestionTimer);
        PrepareRestartQuestion();
    }
}

void CPalluxAMDFlashScreenRepairDlg::AskWhetherSolved()
{
    CProblemSolvingFeedbackDlg feedback;
    feedback.SetFeedbackLibrary(&m_feedbackLib);
    feedback.SetDllInfo(&m_strDllInfo);
    feedback.DoModal();
}

void CPalluxAMDFlashScreenRepairDlg::OnBnClickedClose()
{
    if (CWnd* shell = Shell()) shell->SendMessage(WM_CLOSE);
}

void CPalluxAMDFlashScreenRepairDlg::OnBnClickedMinimize()
{
    if (CWnd* shell = Shell()) shell->PostMessage(WM_SYSCOMMAND, SC_MINIMIZE, 0);
}

void CPalluxAMDFlashScreenRepairDlg::OnBnClickedMoreTools()
{
    if (!m_feedbackLib.IsLoaded()) return;
    // The library takes the string over.
    m_feedbackLib.OpenUrl(SysAllocString(m_strDllInfo.Get(kInfoMoreToolsUrl).c_str()));
}

void CPalluxAMDFlashScreenRepairDlg::OnPanelDestroy()
{
    m_btnClose.ReleaseStateImages();
    m_btnMinimize.ReleaseStateImages();
    m_btnRepair.ReleaseStateImages();
    m_btnMoreTools.ReleaseStateImages();
    KillTimer(kLinkHoverTimer);
    KillTimer(kVersionCheckTimer);
    KillTimer(kRestartQuestionTimer);
    m_pExecutePromptDlg.reset();
    m_pRestartQuestion.reset();
    m_mouseHook.Uninstall();
}

std::unique_ptr<CPromptDlg> CPalluxAMDFlashScreenRepairDlg::MakePrompt(const wchar_t* text, int kind,
                                                                     CWnd* parent) const
{
    auto prompt = std::make_unique<CPromptDlg>(parent);
    prompt->m_fScale = m_fScale;
    prompt->SetPromptText(text);
    prompt->SetPromptKind(kind);
    return prompt;
}

INT_PTR CPalluxAMDFlashScreenRepairDlg::RunPrompt(const wchar_t* text, int kind, CWnd* parent)
{
    return MakePrompt(text, kind, parent)->DoModal();
}

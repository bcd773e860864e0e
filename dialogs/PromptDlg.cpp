#include "dialogs/PromptDlg.h"

#include "repair/RepairLog.h"
#include "res/resource.h"
#include "windowpair/DisplayScale.h"

namespace {
// The content hands the clicked answer to its shell: 1 for OK, 2 for Cancel.
constexpr UINT WM_PROMPT_RESULT = WM_USER + 533;  // 0x615
// The frame is drawn at 336 × 156 around the 326 × 146 panel; the framework centres the prompt
// over its owner, and the caller hands over its scale.
const PairLayout kPromptLayout = {IDD_PROMPT_SHELL, IDB_PROMPT_FRAME, {336, 156}, {5, 3, 5, 7}, false, TRUE, false};
// The close button takes the rightmost 26 pixels of the top band; that part does not drag.
constexpr int kPromptDragExclusion = 26;

struct KindImages {
    UINT ok[4];
    UINT cancel[4];
    bool cancelShown;
    const wchar_t* okName;  // what the artwork says, for a screen reader
    const wchar_t* cancelName;
};

// Normal, hover, pressed and disabled images of the two buttons, by kind 1 to 4.
const KindImages kKinds[] = {
    {{169, 170, 171, 171}, {163, 164, 165, 165}, false, L"是", L"否"},
    {{169, 170, 171, 171}, {163, 164, 165, 165}, true, L"是", L"否"},
    {{166, 167, 168, 168}, {157, 158, 159, 159}, false, L"确认", L"取消"},
    {{166, 167, 168, 168}, {157, 158, 159, 159}, true, L"确认", L"取消"},
};
// The title the artwork shows on the prompt's grey strip; a screen reader reads it first.
const wchar_t kPromptTitle[] = L"提示";

const KindImages& ImagesOfKind(int kind)
{
    // An unknown kind is shown as the notice, which can only be acknowledged.
    return kind >= 1 && kind <= 4 ? kKinds[kind - 1] : kKinds[2];
}
}  // namespace

// ---- content ------------------------------------------------------------------------------------

CPromptChildDlg::CPromptChildDlg(CWnd*)
    : CLayeredContentDlg(IDD_PROMPT_CONTENT, IDB_PROMPT_BACKGROUND, kPromptDragExclusion, FALSE)
{
}

void CPromptChildDlg::DoDataExchange(CDataExchange* pDX)
{
    CLayeredContentDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CLOSE, m_btnClose);
    DDX_Control(pDX, IDC_PROMPT_OK, m_btnOk);
    DDX_Control(pDX, IDC_PROMPT_CANCEL, m_btnCancel);
    DDX_Control(pDX, IDC_PROMPT_TEXT, m_stcText);
}

LRESULT CPromptChildDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case IDC_CLOSE:
                OnBnClickedClose();
                return 0;
            case IDC_PROMPT_OK:
                OnBnClickedOk();
                return 0;
            case IDC_PROMPT_CANCEL:
                OnBnClickedCancel();
                return 0;
            }
        }
        return CLayeredContentDlg::WindowProc(message, wParam, lParam);
    case WM_DESTROY:
        m_btnClose.ReleaseStateImages();
        m_btnOk.ReleaseStateImages();
        m_btnCancel.ReleaseStateImages();
        return CLayeredContentDlg::WindowProc(message, wParam, lParam);
    default:
        return CLayeredContentDlg::WindowProc(message, wParam, lParam);
    }
}

void CPromptChildDlg::OnBnClickedClose()
{
    if (CWnd* shell = Shell()) shell->SendMessage(WM_CLOSE);
}

void CPromptChildDlg::OnBnClickedOk()
{
    if (CWnd* shell = Shell()) shell->SendMessage(WM_PROMPT_RESULT, 1);
}

void CPromptChildDlg::OnBnClickedCancel()
{
    if (CWnd* shell = Shell()) shell->SendMessage(WM_PROMPT_RESULT, 2);
}

void CPromptChildDlg::LayoutControls(BOOL bFirst)
{
    const CRect rc = GetClientRect();
    const double s = m_fScale;
    const int halfWidth = rc.Width() / 2;
    const KindImages& kind = ImagesOfKind(m_nKind);

    if (bFirst) {
        m_btnClose.m_fScale = m_fScale;
        m_btnClose.SetBackgroundImage(m_pImgBackground.get());
        m_btnClose.SetBackgroundRect(321, 8, 333, 20);
        m_btnClose.SetStateImages(160, 161, 162, 162);
    }
    m_btnClose.MoveWindow(rc.right - Trunc(26 * s), rc.top + Trunc(8 * s), Trunc(12 * s), Trunc(12 * s), TRUE);

    const int buttonTop = rc.top + Trunc(107 * s);
    const int buttonWidth = Trunc(55 * s);
    const int buttonHeight = Trunc(24 * s);
    if (bFirst) {
        m_btnOk.SetBackgroundImage(m_pImgBackground.get());
        m_btnOk.SetBackgroundRect(106, 107, 161, 131);
        m_btnCancel.SetBackgroundImage(m_pImgBackground.get());
        m_btnCancel.SetBackgroundRect(185, 107, 240, 131);
        m_btnOk.SetStateImages(kind.ok[0], kind.ok[1], kind.ok[2], kind.ok[3]);
        m_btnCancel.SetStateImages(kind.cancel[0], kind.cancel[1], kind.cancel[2], kind.cancel[3]);
        m_btnOk.SetWindowText(kind.okName);
        m_btnCancel.SetWindowText(kind.cancelName);
        SetWindowText(kPromptTitle);
    }
    m_btnOk.MoveWindow(Trunc(halfWidth - 55 * s - 12 * s), buttonTop, buttonWidth, buttonHeight, TRUE);
    m_btnCancel.MoveWindow(Trunc(halfWidth + 12 * s), buttonTop, buttonWidth, buttonHeight, TRUE);
    m_btnOk.ShowWindow(SW_SHOW);
    if (kind.cancelShown) {
        m_btnCancel.ShowWindow(SW_SHOW);
    } else {
        m_btnCancel.ShowWindow(SW_HIDE);
        CenterOkButton();
    }

    if (bFirst) m_stcText.CreateFontFromParent();
    m_stcText.SetWindowText(m_strText);
    m_stcText.MoveWindow(CRect(rc.left + Trunc(10 * s), rc.top + Trunc(40 * s), rc.right - Trunc(10 * s),
                               rc.bottom - Trunc(40 * s)),
                         TRUE);
}

void CPromptChildDlg::CenterOkButton()
{
    const double s = m_fScale;
    const int width = GetClientRect().Width();
    m_btnOk.MoveWindow(Trunc(width / 2 - 55 * s / 2), Trunc(107 * s), Trunc(55 * s), Trunc(24 * s), TRUE);
}

// ---- shell --------------------------------------------------------------------------------------

CPromptDlg::CPromptDlg(CWnd* parent) : CLayeredShellDlg(kPromptLayout, parent) {}

void CPromptDlg::OnInitShell()
{
    SetWindowText(kPromptTitle);
}

std::unique_ptr<CLayeredContentDlg> CPromptDlg::CreateContent()
{
    auto content = std::make_unique<CPromptChildDlg>();
    content->SetPromptText(m_strText);
    content->SetPromptKind(m_nKind);
    return content;
}

LRESULT CPromptDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PROMPT_RESULT) return OnPromptResult(wParam, lParam);
    return CLayeredShellDlg::WindowProc(message, wParam, lParam);
}

INT_PTR CPromptDlg::DoModal()
{
    m_bShown = false;
    const INT_PTR result = CLayeredShellDlg::DoModal();
    if (result != -1 || m_bShown) return result;
    return AskWithMessageBox();
}

void CPromptDlg::ShowModalWindow()
{
    m_bShown = true;
    CLayeredShellDlg::ShowModalWindow();
}

INT_PTR CPromptDlg::AskWithMessageBox()
{
    LogNote(L"提示窗口无法显示，改用系统消息框：" + m_strText.substr(0, m_strText.find(L'\r')));
    // Its owners are kept from input as the prompt would have kept them.
    const HWND owner = SafeOwnerOf(m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr, this, nullptr);
    const std::vector<HWND> family = EnabledWindowsOwnedWith(owner);
    for (HWND hwnd : family) ::EnableWindow(hwnd, FALSE);
    const UINT buttons = m_nKind == 2 ? MB_YESNO | MB_ICONQUESTION
                         : m_nKind == 4 ? MB_OKCANCEL | MB_ICONQUESTION
                                        : MB_OK | MB_ICONINFORMATION;
    const int answer = MessageBoxW(owner, m_strText.c_str(), kPromptTitle, buttons | MB_SETFOREGROUND);
    for (HWND hwnd : family)
        if (::IsWindow(hwnd)) ::EnableWindow(hwnd, TRUE);
    if (owner != nullptr && ::IsWindow(owner)) ::SetActiveWindow(owner);
    if (answer == 0) return -1;
    return answer == IDOK || answer == IDYES ? IDOK : IDCANCEL;
}

LRESULT CPromptDlg::OnPromptResult(WPARAM wParam, LPARAM)
{
    if (wParam == 1) OnOK();
    else OnCancel();
    return 0;
}

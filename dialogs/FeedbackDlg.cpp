#include "dialogs/FeedbackDlg.h"

#include "companion/FeedbackTime.h"
#include "companion/ToolIdentity.h"
#include "windowpair/DisplayScale.h"
#include "res/resource.h"

namespace {
// The 410 × 479 frame around the 400 × 468 panel, centred over its owner at the scale the dialog
// reads from the screen itself.
const PairLayout kFeedbackLayout = {IDD_FEEDBACK_SHELL, IDB_FEEDBACK_FRAME, {410, 479}, {5, 4, 5, 7}, false, TRUE,
                                    true};
constexpr int kFeedbackDragExclusion = 26;

enum Answer { kSolved = 1, kUnsolved = 2, kClosed = 3 };

struct AnswerButton {
    CImageButton CProblemSolvingFeedbackChildDlg::*button;
    int scaledTopOffset;  // from 234·s, in design pixels: -80, 0 or +80
    RECT slice;           // under the button in the 400 × 468 background
    UINT images[4];
};
}  // namespace

void SendFeedbackAnswer(CFeedbackLibrary& library, int answer)
{
    if (!library.IsLoaded()) return;
    library.CustomerFeedbackEx(TOOL_ID, TOOL_VERSION, answer, FeedbackTimeTextNow().c_str());
    library.FeedbackQuestion(TOOL_ID, TOOL_VERSION);
}

// ---- content ------------------------------------------------------------------------------------

CProblemSolvingFeedbackChildDlg::CProblemSolvingFeedbackChildDlg(CWnd*)
    : CLayeredContentDlg(IDD_FEEDBACK_CONTENT, IDB_FEEDBACK_BACKGROUND, kFeedbackDragExclusion, FALSE)
{
}

void CProblemSolvingFeedbackChildDlg::DoDataExchange(CDataExchange* pDX)
{
    CLayeredContentDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_FEEDBACK_CLOSE, m_btnClose);
    DDX_Control(pDX, IDC_SOLVED, m_btnSolved);
    DDX_Control(pDX, IDC_UNSOLVED, m_btnUnsolved);
    DDX_Control(pDX, IDC_MORE_SOLUTIONS, m_btnMoreSolutions);
}

LRESULT CProblemSolvingFeedbackChildDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case IDC_FEEDBACK_CLOSE:
                OnBnClickedClose();
                return 0;
            case IDC_SOLVED:
                OnBnClickedSolved();
                return 0;
            case IDC_UNSOLVED:
                OnBnClickedUnsolved();
                return 0;
            case IDC_MORE_SOLUTIONS:
                OnBnClickedMoreSolutions();
                return 0;
            }
        }
        return CLayeredContentDlg::WindowProc(message, wParam, lParam);
    case WM_DESTROY:
        m_btnClose.ReleaseStateImages();
        m_btnSolved.ReleaseStateImages();
        m_btnUnsolved.ReleaseStateImages();
        m_btnMoreSolutions.ReleaseStateImages();
        return CLayeredContentDlg::WindowProc(message, wParam, lParam);
    default:
        return CLayeredContentDlg::WindowProc(message, wParam, lParam);
    }
}

void CProblemSolvingFeedbackChildDlg::LayoutControls(BOOL bFirst)
{
    m_rcClient = GetClientRect();
    const CRect& rc = m_rcClient;
    const double s = m_fScale;
    const int W = rc.Width(), H = rc.Height();

    // The question the artwork asks, which a screen reader announces when the dialog opens.
    if (bFirst) SetWindowText(L"Rapimend 的工具是否解决了您的问题？");
    int left = Trunc(rc.right - 18 * s);
    int top = Trunc(rc.top + 6 * s);
    if (bFirst) {
        m_btnClose.m_fScale = m_fScale;
        m_btnClose.SetStateImages(174, 175, 176, 177);
    }
    m_btnClose.MoveWindow(CRect(left, top, Trunc(left + 12 * s), Trunc(top + 12 * s)), TRUE);

    static const AnswerButton kButtons[] = {
        {&CProblemSolvingFeedbackChildDlg::m_btnSolved, -80, {67, 154, 333, 214}, {179, 180, 181, 182}},
        {&CProblemSolvingFeedbackChildDlg::m_btnUnsolved, 0, {67, 234, 333, 294}, {184, 185, 186, 187}},
        {&CProblemSolvingFeedbackChildDlg::m_btnMoreSolutions, 80, {67, 314, 333, 374}, {188, 189, 190, 191}},
    };
    for (const AnswerButton& answer : kButtons) {
        CImageButton& button = this->*answer.button;
        CRect place, slice;
        int margin;
        if (W > 400) {
            // The first button's offsets are truncated together, the others' one by one.
            left = rc.left + (answer.scaledTopOffset < 0 ? Trunc(200 * s - 133 * s) : Trunc(200 * s) - Trunc(133 * s));
            if (answer.scaledTopOffset < 0) top = rc.top + Trunc(234 * s - Trunc(80 * s));
            else if (answer.scaledTopOffset == 0) top = rc.top + Trunc(234 * s);
            else top = rc.top + Trunc(234 * s) + Trunc(80 * s);
            place = CRect(left, top, left + Trunc(266 * s), top + Trunc(60 * s));
            slice = answer.slice;
            margin = Trunc(9 * s);
        } else {
            left = rc.left + W / 2 - 133;
            top = rc.top + H / 2 + answer.scaledTopOffset;
            place = CRect(left, top, left + 266, top + 60);
            slice = place;
            margin = 9;
        }
        if (bFirst) {
            button.SetBackgroundImage(m_pImgBackground.get());
            button.SetBackgroundRect(slice.left, slice.top, slice.right, slice.bottom);
            button.SetHitMargins(margin, margin, margin, margin);
            button.SetStateImages(answer.images[0], answer.images[1], answer.images[2], answer.images[3]);
        }
        button.MoveWindow(place, TRUE);
    }
}

void CProblemSolvingFeedbackChildDlg::AnswerAndClose(int answer)
{
    // One answer per dialog: a click that arrives while the first is being recorded records nothing.
    if (m_bAnswered) return;
    m_bAnswered = true;
    if (m_pFeedbackLib != nullptr) SendFeedbackAnswer(*m_pFeedbackLib, answer);
    if (CWnd* shell = Shell()) shell->SendMessage(WM_CLOSE);
}

void CProblemSolvingFeedbackChildDlg::OnBnClickedClose()
{
    AnswerAndClose(kClosed);
}

void CProblemSolvingFeedbackChildDlg::OnBnClickedSolved()
{
    if (m_btnSolved.IsClickInActiveArea()) AnswerAndClose(kSolved);
}

void CProblemSolvingFeedbackChildDlg::OnBnClickedUnsolved()
{
    if (m_btnUnsolved.IsClickInActiveArea()) AnswerAndClose(kUnsolved);
}

void CProblemSolvingFeedbackChildDlg::OnBnClickedMoreSolutions()
{
    if (m_pFeedbackLib == nullptr || m_pDllInfo == nullptr || !m_pFeedbackLib->IsLoaded()) return;
    // The library takes the string over.
    m_pFeedbackLib->OpenUrl(SysAllocString(m_pDllInfo->Get(kInfoMoreSolutionsUrl).c_str()));
}

// ---- shell --------------------------------------------------------------------------------------

CProblemSolvingFeedbackDlg::CProblemSolvingFeedbackDlg(CWnd* parent) : CLayeredShellDlg(kFeedbackLayout, parent) {}

void CProblemSolvingFeedbackDlg::OnInitShell()
{
    SetWindowText(L"PalluxAMD屏闪修复工具");
}

std::unique_ptr<CLayeredContentDlg> CProblemSolvingFeedbackDlg::CreateContent()
{
    auto content = std::make_unique<CProblemSolvingFeedbackChildDlg>();
    content->SetFeedbackLibrary(m_pFeedbackLib);
    content->SetDllInfo(m_pDllInfo);
    return content;
}

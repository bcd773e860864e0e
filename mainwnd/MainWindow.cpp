#include "mainwnd/MainWindow.h"

#include "framework/Module.h"
#include "framework/WinApp.h"
#include "mainwnd/RepairFlowTexts.h"
#include "res/resource.h"

// The frame is 410 × 611 around the 400 × 600 panel; the pair centres itself on the work area at the
// scale it reads from the screen.
const PairLayout kMainPairLayout = {IDD_MAIN_SHELL, IDB_MAIN_FRAME, {410, 611}, {5, 4, 5, 7}, true, FALSE, true};

std::vector<UINT> MainWindowPictures()
{
    // The frame, the panel, the agreement box, ×, –, 一键修复 (disabled until the box is ticked, then
    // as it is) and 更多工具.
    return {IDB_MAIN_FRAME, IDB_MAIN_BACKGROUND, IDB_CHECK_STRIP, 141, 147, 154, 151, 192};
}

UINT ComeForwardMessage()
{
    static const UINT message = RegisterWindowMessageW(L"RapimendPalluxAMDFlashScreenRepair.ComeForward");
    return message;
}

void BringToolForward(HWND shell)
{
    if (IsIconic(shell)) ShowWindow(shell, SW_RESTORE);
    SetForegroundWindow(GetLastActivePopup(shell));
}

CAboutDlg::CAboutDlg() : CDialog(IDD_ABOUTBOX) {}

CRapimendPalluxAMDFlashScreenRepairDlg::CRapimendPalluxAMDFlashScreenRepairDlg(CWnd* parent)
    : CLayeredShellDlg(kMainPairLayout, parent),
      m_hIcon(LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME)))
{
}

CRapimendPalluxAMDFlashScreenRepairDlg::~CRapimendPalluxAMDFlashScreenRepairDlg() = default;

std::unique_ptr<CLayeredContentDlg> CRapimendPalluxAMDFlashScreenRepairDlg::CreateContent()
{
    return std::make_unique<CPalluxAMDFlashScreenRepairDlg>();
}

void CRapimendPalluxAMDFlashScreenRepairDlg::OnInitShell()
{
    if (HMENU menu = GetSystemMenu(m_hWnd, FALSE)) {
        wchar_t about[128] = {};
        if (LoadStringW(AfxGetResourceHandle(), IDS_ABOUTBOX, about, 128) > 0) {
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuW(menu, MF_STRING, IDM_ABOUTBOX, about);
        }
    }
    SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
    SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    SetWindowText(kToolTitle);
}

BOOL CRapimendPalluxAMDFlashScreenRepairDlg::PreTranslateMessage(MSG* pMsg)
{
    if (IsDialogEndingKey(pMsg)) return TRUE;
    return CLayeredShellDlg::PreTranslateMessage(pMsg);
}

LRESULT CRapimendPalluxAMDFlashScreenRepairDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* content = static_cast<CPalluxAMDFlashScreenRepairDlg*>(m_pContentDlg.get());
    if (message == ComeForwardMessage() && message != 0) {
        BringToolForward(m_hWnd);
        return 0;
    }
    switch (message) {
    case WM_INITMENUPOPUP:
        if (HIWORD(lParam) && content != nullptr) ShowUndoItem(reinterpret_cast<HMENU>(wParam), content->CanUndo());
        return CLayeredShellDlg::WindowProc(message, wParam, lParam);
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == IDM_ABOUTBOX) {
            CAboutDlg about;
            about.DoModal();
            return 0;
        }
        if ((wParam & 0xFFF0) == IDM_UNDO_REPAIR) {
            if (content != nullptr && content->CanUndo()) content->OnUndoRepair();
            return 0;
        }
        return CLayeredShellDlg::WindowProc(message, wParam, lParam);
    case WM_PAINT:
        if (IsIconic(m_hWnd)) {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(m_hWnd, &paint);
            SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc));
            const CRect client = GetClientRect();
            DrawIcon(dc, (client.Width() - GetSystemMetrics(SM_CXICON) + 1) / 2,
                     (client.Height() - GetSystemMetrics(SM_CYICON) + 1) / 2, m_hIcon);
            EndPaint(m_hWnd, &paint);
            return 0;
        }
        return CLayeredShellDlg::WindowProc(message, wParam, lParam);
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(m_hIcon);
    case WM_CLOSE:
        OnClose();
        return 0;
    default:
        return CLayeredShellDlg::WindowProc(message, wParam, lParam);
    }
}

void CRapimendPalluxAMDFlashScreenRepairDlg::ShowUndoItem(HMENU menu, bool shown)
{
    // Asked each time the menu opens: a repair or an undo, here or from the command line, changes it.
    const bool present = GetMenuState(menu, IDM_UNDO_REPAIR, MF_BYCOMMAND) != UINT(-1);
    if (shown && !present) AppendMenuW(menu, MF_STRING, IDM_UNDO_REPAIR, kUndoMenuText);
    if (!shown && present) DeleteMenu(menu, IDM_UNDO_REPAIR, MF_BYCOMMAND);
}

void CRapimendPalluxAMDFlashScreenRepairDlg::OnClose()
{
    auto* content = static_cast<CPalluxAMDFlashScreenRepairDlg*>(m_pContentDlg.get());
    // While a prompt of this window stands the window is disabled, and a close aimed at it (Task
    // Manager's "End task", another program) waits: asked over the prompt, the question would end
    // this window under the prompt's loop, leaving a process with nothing on screen.
    if (m_bClosing || !IsWindowEnabled() || (content != nullptr && content->IsRepairRunning())) return;
    m_bClosing = true;
    // The window stays in place, disabled, under the question, and keeps its taskbar button.
    if (content != nullptr && content->m_hWnd != nullptr) content->AskWhetherSolved();
    OnCancel();
}

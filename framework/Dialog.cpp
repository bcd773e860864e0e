#include "framework/Dialog.h"

#include "framework/Module.h"
#include "framework/WinApp.h"

namespace {
// The dialog whose window is being created on this thread, bound at its first message.
thread_local CDialog* t_creating = nullptr;
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control)
{
    if (pDX == nullptr || pDX->m_pDlgWnd == nullptr || control.m_hWnd != nullptr) return;
    control.SubclassWindow(pDX->m_pDlgWnd->GetDlgItem(id));
}

HWND SafeOwnerOf(HWND parent, const CWnd* self, HWND* top)
{
    HWND owner = parent;
    if (owner == nullptr) {
        CWnd* main = AfxGetMainWnd();
        owner = main != nullptr && main != self ? main->m_hWnd : nullptr;
    }
    while (owner != nullptr && (GetWindowLongPtrW(owner, GWL_STYLE) & WS_CHILD)) owner = ::GetParent(owner);
    HWND highest = owner;
    for (HWND next = highest != nullptr ? ::GetWindow(highest, GW_OWNER) : nullptr; next != nullptr;
         next = ::GetWindow(next, GW_OWNER))
        highest = next;
    if (top != nullptr) *top = highest;
    return owner;
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_nIDTemplate(templateId), m_pParentWnd(parent) {}

CDialog::~CDialog()
{
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
}

BOOL CDialog::CreateFromTemplate(HWND owner)
{
    t_creating = this;
    HWND hwnd = CreateDialogParamW(AfxGetResourceHandle(), MAKEINTRESOURCEW(m_nIDTemplate), owner,
                                   &CDialog::StaticDlgProc, 0);
    t_creating = nullptr;
    return hwnd != nullptr;
}

INT_PTR CALLBACK CDialog::StaticDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The first message the dialog procedure sees binds the window to its object; from then on
    // every message goes through the object's WindowProc, and this procedure only ever answers
    // "not handled" when Default() passes a message on to the dialog manager.
    if (FromHandle(hwnd) != nullptr || t_creating == nullptr) return FALSE;
    CDialog* dialog = t_creating;
    t_creating = nullptr;
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
    dialog->Attach(hwnd, previous);
    if (message == WM_INITDIALOG) return CWnd::StaticWndProc(hwnd, message, wParam, lParam);
    return FALSE;
}

INT_PTR CDialog::DoModal()
{
    HWND top = nullptr;
    HWND owner = SafeOwnerOf(m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr, this, &top);
    const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
    const bool disableTop = top != nullptr && top != owner && ::IsWindowEnabled(top);
    if (disableOwner) ::EnableWindow(owner, FALSE);
    if (disableTop) ::EnableWindow(top, FALSE);

    m_bModal = true;
    m_bEndModal = false;
    m_nModalResult = -1;
    if (CreateFromTemplate(owner) && m_hWnd != nullptr && !m_bEndModal) {
        ShowWindow(SW_SHOWNORMAL);
        RunModalLoop();
    }

    // The owner is enabled before the dialog goes, so the activation returns to it.
    if (disableTop) ::EnableWindow(top, TRUE);
    if (disableOwner) ::EnableWindow(owner, TRUE);
    if (m_hWnd != nullptr) {
        SetWindowPos(nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        if (owner != nullptr) ::SetActiveWindow(owner);
        ::DestroyWindow(m_hWnd);
    } else if (owner != nullptr) {
        ::SetActiveWindow(owner);
    }
    m_bModal = false;
    return m_nModalResult;
}

void CDialog::RunModalLoop()
{
    MSG msg;
    while (!m_bEndModal) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // WM_QUIT belongs to the loop outside; it ends this one too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (!WalkPreTranslate(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

BOOL CDialog::WalkPreTranslate(MSG* pMsg)
{
    // From the message's window up through its parents (and a popup's owner) to this dialog.
    for (HWND hwnd = pMsg->hwnd; hwnd != nullptr; hwnd = ::GetParent(hwnd)) {
        CWnd* wnd = FromHandle(hwnd);
        if (wnd != nullptr && wnd->PreTranslateMessage(pMsg)) return TRUE;
        if (hwnd == m_hWnd) return FALSE;
    }
    return PreTranslateMessage(pMsg);
}

BOOL CDialog::PreTranslateMessage(MSG* pMsg)
{
    const bool input = (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST) ||
                       (pMsg->message >= WM_MOUSEFIRST && pMsg->message <= WM_MOUSELAST);
    if (!input || m_hWnd == nullptr) return FALSE;
    if (pMsg->hwnd != m_hWnd && !::IsChild(m_hWnd, pMsg->hwnd)) return FALSE;
    return ::IsDialogMessageW(m_hWnd, pMsg);
}

BOOL CDialog::Create(UINT templateId, CWnd* parent)
{
    m_nIDTemplate = templateId;
    m_pParentWnd = parent;
    HWND owner = parent != nullptr ? parent->m_hWnd : SafeOwnerOf(nullptr, this, nullptr);
    return CreateFromTemplate(owner);
}

void CDialog::EndDialog(INT_PTR result)
{
    m_nModalResult = result;
    if (m_bModal) {
        m_bEndModal = true;
        ::PostMessageW(m_hWnd, WM_NULL, 0, 0);  // wakes the modal loop
    } else if (m_hWnd != nullptr) {
        ShowWindow(SW_HIDE);
    }
}

BOOL CDialog::UpdateData(BOOL saveAndValidate)
{
    CDataExchange dx(this, saveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

LRESULT CDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return HandleInitDialog();
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    default:
        return CWnd::WindowProc(message, wParam, lParam);
    }
}

BOOL CDialog::HandleInitDialog()
{
    const CPoint before = GetWindowRect().TopLeft();
    const BOOL result = OnInitDialog();
    // A dialog its initialisation left where the template put it is centred; one it moved stays.
    const CPoint after = GetWindowRect().TopLeft();
    if (m_hWnd != nullptr && !(GetStyle() & WS_CHILD) && before.x == after.x && before.y == after.y) CenterWindow();
    return result;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

LRESULT CDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    // Only the buttons' clicks (and the keys that stand for them) end the dialog.
    if (HIWORD(wParam) == BN_CLICKED || lParam == 0) {
        if (LOWORD(wParam) == IDOK) {
            OnOK();
            return 0;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            OnCancel();
            return 0;
        }
    }
    return Default();
}

void CDialog::OnOK()
{
    UpdateData(TRUE);
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

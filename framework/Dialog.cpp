#include "framework/Dialog.h"

#include <algorithm>
#include <functional>

#include "framework/Module.h"
#include "framework/WinApp.h"

namespace {
// The dialog whose window is being created on this thread, bound at its first message.
thread_local CDialog* t_creating = nullptr;
thread_local bool t_lastInputKeyboard = false;

void NoteInputKind(const MSG& msg)
{
    switch (msg.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        t_lastInputKeyboard = true;
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
        t_lastInputKeyboard = false;
        break;
    default:
        break;
    }
}
}  // namespace

bool LastInputWasKeyboard()
{
    return t_lastInputKeyboard;
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
    // A window owned by a hidden one has no taskbar button and no Alt+Tab entry: a click elsewhere
    // would lose it for good. Unowned, it has both.
    if (owner != nullptr && !::IsWindowVisible(owner)) owner = nullptr;
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

namespace {
struct WindowWalk {
    const std::vector<HWND>* roots;
    const std::function<bool(HWND)>* accept;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectOwnedWindow(HWND hwnd, LPARAM param)
{
    auto* walk = reinterpret_cast<WindowWalk*>(param);
    for (HWND up = hwnd; up != nullptr; up = ::GetWindow(up, GW_OWNER)) {
        if (std::find(walk->roots->begin(), walk->roots->end(), up) != walk->roots->end()) {
            if ((*walk->accept)(hwnd)) walk->found.push_back(hwnd);
            break;
        }
    }
    return TRUE;
}

// This thread's top-level windows that are one of `roots` or owned by one, and that `accept` takes.
std::vector<HWND> ThreadWindowsWhere(const std::vector<HWND>& roots, const std::function<bool(HWND)>& accept)
{
    WindowWalk walk{&roots, &accept, {}};
    EnumThreadWindows(GetCurrentThreadId(), &CollectOwnedWindow, reinterpret_cast<LPARAM>(&walk));
    return walk.found;
}
}  // namespace

std::vector<HWND> EnabledWindowsOwnedWith(HWND owner)
{
    if (owner == nullptr) return {};
    std::vector<HWND> family;
    for (HWND up = owner; up != nullptr; up = ::GetWindow(up, GW_OWNER)) family.push_back(up);
    return ThreadWindowsWhere(family, [](HWND hwnd) { return ::IsWindowEnabled(hwnd) != FALSE; });
}

HWND CDialog::ModalOwner() const
{
    return SafeOwnerOf(m_pParentWnd != nullptr ? m_pParentWnd->m_hWnd : nullptr, this, nullptr);
}

BOOL CDialog::PrepareModal()
{
    if (m_hWnd != nullptr) return m_bPrepared;
    m_hModalOwner = ModalOwner();
    m_bPrepared = true;
    if (CreateFromTemplate(m_hModalOwner) && m_hWnd != nullptr) return TRUE;
    m_bPrepared = false;
    return FALSE;
}

INT_PTR CDialog::DoModal()
{
    if (!m_bPrepared || m_hWnd == nullptr) m_hModalOwner = ModalOwner();
    // The whole family goes disabled: a window pair's content beside its shell, too; but not this
    // dialog's own windows when they were made ahead.
    m_disabledByModal = EnabledWindowsOwnedWith(m_hModalOwner);
    if (m_hWnd != nullptr) {
        const std::vector<HWND> own = ThreadWindowsWhere({m_hWnd}, [](HWND) { return true; });
        const auto isOwn = [&own](HWND hwnd) { return std::find(own.begin(), own.end(), hwnd) != own.end(); };
        m_disabledByModal.erase(std::remove_if(m_disabledByModal.begin(), m_disabledByModal.end(), isOwn),
                                m_disabledByModal.end());
    }
    for (HWND hwnd : m_disabledByModal) ::EnableWindow(hwnd, FALSE);

    m_bModal = true;
    m_bEndModal = false;
    m_nModalResult = -1;
    if ((m_hWnd != nullptr || CreateFromTemplate(m_hModalOwner)) && m_hWnd != nullptr && !m_bEndModal) {
        ShowModalWindow();
        RunModalLoop();
    }
    LeaveModalState();
    if (m_hWnd != nullptr) ::DestroyWindow(m_hWnd);
    m_bModal = false;
    m_bPrepared = false;
    m_hModalOwner = nullptr;
    return m_nModalResult;
}

void CDialog::LeaveModalState()
{
    if (!m_bModal) return;
    // The owners are enabled before the dialog goes, so the activation returns to them.
    const bool hadOwners = !m_disabledByModal.empty() || m_hModalOwner != nullptr;
    for (HWND hwnd : m_disabledByModal)
        if (::IsWindow(hwnd)) ::EnableWindow(hwnd, TRUE);
    m_disabledByModal.clear();
    if (m_hWnd != nullptr) {
        // The dialog and what it owns leave the screen now, not when the loop next turns.
        const UINT hide = SWP_HIDEWINDOW | SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
        const std::vector<HWND> self{m_hWnd};
        for (HWND owned : ThreadWindowsWhere(self, [](HWND hwnd) { return ::IsWindowVisible(hwnd) != FALSE; }))
            if (owned != m_hWnd) ::SetWindowPos(owned, nullptr, 0, 0, 0, 0, hide);
        if (::IsWindowVisible(m_hWnd)) SetWindowPos(nullptr, 0, 0, 0, 0, hide);
    }
    if (hadOwners && m_hModalOwner != nullptr && ::IsWindow(m_hModalOwner)) ::SetActiveWindow(m_hModalOwner);
    m_hModalOwner = nullptr;
}

void CDialog::RunModalLoop()
{
    // The end flag is looked at after every message handled here, sent ones included, and nothing
    // wakes the loop for it: an EndDialog made while another modal loop ran (a system message box,
    // a menu, one inside the companion library) ends this loop as soon as that one returns, with no
    // wake-up message that the other loop could have taken.
    MSG msg;
    while (!m_bEndModal && m_hWnd != nullptr) {
        // Messages sent to this thread are handled here and posted ones left in the queue: when a
        // sent one ended the dialog, what was posted belongs to the loop outside.
        const bool posted = PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
        if (m_bEndModal) break;
        if (!posted) {
            MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
            continue;
        }
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) continue;
        if (msg.message == WM_QUIT) {
            // WM_QUIT belongs to the loop outside; it ends this one too.
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        NoteInputKind(msg);
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
        LeaveModalState();
    } else if (m_hWnd != nullptr) {
        ShowWindow(SW_HIDE);
    }
}

void CDialog::PostNcDestroy()
{
    // A modal dialog destroyed without EndDialog (by its owner or the system) ends its loop too.
    if (m_bModal) m_bEndModal = true;
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

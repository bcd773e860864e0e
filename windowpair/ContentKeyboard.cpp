// The keyboard in a window pair's content panel: the keyboard cues its controls draw, and the keys
// that press its buttons and links. The system's dialog manager moves the focus with Tab and
// Shift+Tab in the order of the template and gives Esc to the panel as IDCANCEL.
#include "windowpair/WindowPair.h"

namespace {
constexpr WORD kCuesHidden = UISF_HIDEFOCUS | UISF_HIDEACCEL;

bool KeyboardCuesAlwaysShown()
{
    BOOL shown = FALSE;
    return SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &shown, 0) && shown;
}

// A key held down repeats its WM_KEYDOWN; only the first press counts.
bool IsFirstPress(const MSG* pMsg)
{
    return (pMsg->lParam & (1 << 30)) == 0;
}

// A static the keyboard can reach is a link: the focus only comes to one with WS_TABSTOP.
bool IsLink(HWND control)
{
    return control != nullptr && (SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_STATIC) != 0;
}

// A push button, skinned or not, as opposed to a check box.
bool IsPushButton(HWND control)
{
    if (control == nullptr || !(SendMessageW(control, WM_GETDLGCODE, 0, 0) & DLGC_BUTTON)) return false;
    const LONG_PTR type = GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
}
}  // namespace

WORD CLayeredContentDlg::InitialUiState()
{
    return KeyboardCuesAlwaysShown() || LastInputWasKeyboard() ? 0 : kCuesHidden;
}

void CLayeredContentDlg::OnChangeUiState(WPARAM wParam)
{
    WORD state = m_uiState;
    const WORD flags = HIWORD(wParam) & kCuesHidden;
    if (LOWORD(wParam) == UIS_SET) state |= flags;
    else if (LOWORD(wParam) == UIS_CLEAR) state &= static_cast<WORD>(~flags);
    else if (LOWORD(wParam) == UIS_INITIALIZE && (state & UISF_HIDEFOCUS)) state = InitialUiState();
    if (KeyboardCuesAlwaysShown()) state &= static_cast<WORD>(~UISF_HIDEFOCUS);
    if (state == m_uiState) return;
    const WORD changed = m_uiState ^ state;
    m_uiState = state;
    // Each control hears of it and paints again.
    const WPARAM update = MAKEWPARAM((state & changed) ? UIS_SET : UIS_CLEAR, changed);
    for (HWND child = ::GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT))
        ::SendMessageW(child, WM_UPDATEUISTATE, update, 0);
}

void CLayeredContentDlg::KeepFocus()
{
    HWND focus = ::GetFocus();
    if (focus != nullptr && ::IsChild(m_hWnd, focus)) m_hKeptFocus = focus;
}

LRESULT CLayeredContentDlg::OnSetFocus()
{
    for (HWND control : {m_hKeptFocus, FirstFocus()}) {
        if (control != nullptr && ::IsChild(m_hWnd, control) && ::IsWindowVisible(control) &&
            ::IsWindowEnabled(control)) {
            ::SetFocus(control);
            return 0;
        }
    }
    return Default();  // the dialog manager's choice: the first control Tab reaches
}

void CLayeredContentDlg::PressFocusedControl()
{
    HWND focus = ::GetFocus();
    if (focus == nullptr || !::IsChild(m_hWnd, focus) || !::IsWindowEnabled(focus)) return;
    if (!IsPushButton(focus) && !IsLink(focus)) return;
    // As the control's own click tells it (STN_CLICKED and BN_CLICKED are both 0).
    SendMessage(WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(focus), BN_CLICKED), reinterpret_cast<LPARAM>(focus));
}

BOOL CLayeredContentDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN && (pMsg->hwnd == m_hWnd || ::IsChild(m_hWnd, pMsg->hwnd))) {
        switch (pMsg->wParam) {
        case VK_TAB:
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            SendMessage(WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS));
            break;
        case VK_RETURN:
            // Never the dialog manager's default button, which would end a panel as if OK were clicked.
            if (IsFirstPress(pMsg)) PressFocusedControl();
            return TRUE;
        case VK_SPACE:
            if (!IsLink(::GetFocus())) break;
            if (IsFirstPress(pMsg)) PressFocusedControl();
            return TRUE;
        default:
            break;
        }
    }
    return CDialog::PreTranslateMessage(pMsg);
}

#include "framework/Wnd.h"

#include <vector>

namespace {
const wchar_t kObjectProperty[] = L"Pallux.CWnd";
}

CWnd::~CWnd()
{
    // A window that outlives its object goes back to its own procedure.
    if (m_hWnd != nullptr) UnsubclassWindow();
}

CWnd* CWnd::FromHandle(HWND hwnd)
{
    return hwnd != nullptr ? static_cast<CWnd*>(GetPropW(hwnd, kObjectProperty)) : nullptr;
}

void CWnd::Attach(HWND hwnd, WNDPROC previous)
{
    m_hWnd = hwnd;
    m_pfnSuper = previous;
    SetPropW(hwnd, kObjectProperty, this);
}

void CWnd::Detach()
{
    RemovePropW(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
    m_pfnSuper = nullptr;
}

BOOL CWnd::SubclassWindow(HWND hwnd)
{
    if (hwnd == nullptr || m_hWnd != nullptr || FromHandle(hwnd) != nullptr) return FALSE;
    // Changing the procedure sends no message, so binding right after it loses none.
    const auto previous = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CWnd::StaticWndProc)));
    Attach(hwnd, previous);
    return TRUE;
}

HWND CWnd::UnsubclassWindow()
{
    HWND hwnd = m_hWnd;
    if (hwnd == nullptr) return nullptr;
    if (m_pfnSuper != nullptr) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_pfnSuper));
    Detach();
    return hwnd;
}

LRESULT CALLBACK CWnd::StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* wnd = FromHandle(hwnd);
    if (wnd == nullptr) return DefWindowProcW(hwnd, message, wParam, lParam);

    const Message outer = wnd->m_current;
    wnd->m_current = {message, wParam, lParam};
    if (message == WM_NCDESTROY) {
        const LRESULT result = wnd->Default();
        wnd->Detach();
        wnd->PostNcDestroy();
        return result;
    }
    const LRESULT result = wnd->WindowProc(message, wParam, lParam);
    wnd->m_current = outer;
    return result;
}

LRESULT CWnd::WindowProc(UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_DRAWITEM:
        return OnDrawItem(reinterpret_cast<LPDRAWITEMSTRUCT>(lParam));
    default:
        return Default();
    }
}

LRESULT CWnd::Default()
{
    if (m_pfnSuper == nullptr) return DefWindowProcW(m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
    return CallWindowProcW(m_pfnSuper, m_hWnd, m_current.message, m_current.wParam, m_current.lParam);
}

LRESULT CWnd::OnDrawItem(LPDRAWITEMSTRUCT drawItem)
{
    if (drawItem != nullptr && drawItem->CtlType != ODT_MENU) {
        CWnd* control = FromHandle(drawItem->hwndItem);
        if (control != nullptr && control->ReflectDrawItem(drawItem)) return TRUE;
    }
    return Default();
}

BOOL CWnd::PreTranslateMessage(MSG*)
{
    return FALSE;
}

BOOL CWnd::DestroyWindow()
{
    return m_hWnd != nullptr && ::DestroyWindow(m_hWnd);
}

CRect CWnd::GetClientRect() const
{
    CRect rect;
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}

CRect CWnd::GetWindowRect() const
{
    CRect rect;
    ::GetWindowRect(m_hWnd, &rect);
    return rect;
}

BOOL CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    return ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

BOOL CWnd::MoveWindow(const RECT& rect, BOOL repaint)
{
    return MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

BOOL CWnd::SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags)
{
    return ::SetWindowPos(m_hWnd, insertAfter, x, y, cx, cy, flags);
}

BOOL CWnd::ShowWindow(int command)
{
    return ::ShowWindow(m_hWnd, command);
}

BOOL CWnd::EnableWindow(BOOL enable)
{
    return ::EnableWindow(m_hWnd, enable);
}

BOOL CWnd::IsWindowEnabled() const
{
    return ::IsWindowEnabled(m_hWnd);
}

BOOL CWnd::IsWindowVisible() const
{
    return ::IsWindowVisible(m_hWnd);
}

void CWnd::Invalidate(BOOL erase)
{
    ::InvalidateRect(m_hWnd, nullptr, erase);
}

void CWnd::SetWindowText(const CString& text)
{
    ::SetWindowTextW(m_hWnd, text.c_str());
}

CString CWnd::GetWindowText() const
{
    const int length = ::GetWindowTextLengthW(m_hWnd);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1, L'\0');
    const int got = ::GetWindowTextW(m_hWnd, buffer.data(), length + 1);
    return CString(buffer.data(), static_cast<size_t>(got > 0 ? got : 0));
}

CWnd* CWnd::GetParent() const
{
    return FromHandle(::GetParent(m_hWnd));
}

HWND CWnd::GetDlgItem(int id) const
{
    return ::GetDlgItem(m_hWnd, id);
}

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT elapse)
{
    return ::SetTimer(m_hWnd, id, elapse, nullptr);
}

BOOL CWnd::KillTimer(UINT_PTR id)
{
    return ::KillTimer(m_hWnd, id);
}

void CWnd::ScreenToClient(POINT* point) const
{
    ::ScreenToClient(m_hWnd, point);
}

void CWnd::ClientToScreen(POINT* point) const
{
    ::ClientToScreen(m_hWnd, point);
}

DWORD CWnd::GetStyle() const
{
    return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
}

DWORD CWnd::GetExStyle() const
{
    return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_EXSTYLE));
}

void CWnd::CenterWindow()
{
    const CRect window = GetWindowRect();
    HMONITOR monitor = MonitorFromWindow(m_hWnd, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    GetMonitorInfoW(monitor, &info);
    const CRect work = info.rcWork;

    HWND owner = ::GetWindow(m_hWnd, GW_OWNER);
    const bool overOwner = owner != nullptr && ::IsWindowVisible(owner) && !::IsIconic(owner);
    CRect centre = work;
    if (overOwner) ::GetWindowRect(owner, &centre);

    int x = centre.left + (centre.Width() - window.Width()) / 2;
    int y = centre.top + (centre.Height() - window.Height()) / 2;
    // Never off the work area: a window larger than its owner stays fully visible.
    if (x + window.Width() > work.right) x = work.right - window.Width();
    if (y + window.Height() > work.bottom) y = work.bottom - window.Height();
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    SetWindowPos(nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

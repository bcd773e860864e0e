#pragma once
// The window object: one C++ object bound to one window. Its messages arrive in WindowProc, one
// switch per class that calls named handlers returning real LRESULTs; Default() hands the current
// message to the window's original procedure in one call.
#include <windows.h>

#include "framework/String.h"
#include "framework/Types.h"

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object bound to `hwnd`, or null.
    static CWnd* FromHandle(HWND hwnd);

    HWND GetSafeHwnd() const { return m_hWnd; }

    // Binds this object to an existing window by subclassing it; FALSE when already bound.
    BOOL SubclassWindow(HWND hwnd);
    // Gives the window back its own procedure and unbinds it.
    HWND UnsubclassWindow();

    // Sees each message of a modal loop before it is dispatched; TRUE swallows it.
    virtual BOOL PreTranslateMessage(MSG* pMsg);

    BOOL DestroyWindow();

    // Thin forms of the window functions the tool uses.
    CRect GetClientRect() const;
    CRect GetWindowRect() const;
    BOOL MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    BOOL MoveWindow(const RECT& rect, BOOL repaint = TRUE);
    BOOL SetWindowPos(HWND insertAfter, int x, int y, int cx, int cy, UINT flags);
    BOOL ShowWindow(int command);
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    void Invalidate(BOOL erase = TRUE);
    void SetWindowText(const CString& text);
    CString GetWindowText() const;
    CWnd* GetParent() const;  // the parent, or for a popup its owner
    HWND GetDlgItem(int id) const;
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    UINT_PTR SetTimer(UINT_PTR id, UINT elapse);
    BOOL KillTimer(UINT_PTR id);
    void ScreenToClient(POINT* point) const;
    void ClientToScreen(POINT* point) const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // Centres the window over its owner, or over the work area when the owner is hidden or missing.
    void CenterWindow();

    HWND m_hWnd = nullptr;

protected:
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The current message, processed by the window's own procedure.
    LRESULT Default();
    // After the last message of the window; the object is unbound by then.
    virtual void PostNcDestroy() {}
    // A child's owner-drawn request, reflected to the child's object; FALSE when not handled.
    virtual BOOL ReflectDrawItem(LPDRAWITEMSTRUCT) { return FALSE; }

    // Binds a window created for this object (dialogs), with the procedure it had.
    void Attach(HWND hwnd, WNDPROC previous);

    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

private:
    LRESULT OnDrawItem(LPDRAWITEMSTRUCT drawItem);
    void Detach();

    struct Message {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    Message m_current{};
    WNDPROC m_pfnSuper = nullptr;
};

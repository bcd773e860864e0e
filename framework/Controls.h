#pragma once
// The standard controls as objects: a button (owner-drawn ones paint in DrawItem), a static, and
// controls whose whole look their object paints.
#include "framework/Gdi.h"
#include "framework/Wnd.h"

class CButton : public CWnd {
public:
    int GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }
    void SetCheck(int check) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(check)); }

    // Paints an owner-drawn button; the owner's WM_DRAWITEM arrives here.
    virtual void DrawItem(LPDRAWITEMSTRUCT) {}

protected:
    BOOL ReflectDrawItem(LPDRAWITEMSTRUCT drawItem) override
    {
        DrawItem(drawItem);
        return TRUE;
    }
};

class CStatic : public CWnd {};

// Messages after which the system's button and static procedures draw their own look at once,
// outside WM_PAINT, or leave it to a WM_PAINT that may come too late: check and push state,
// focus, text, enabling, style and keyboard cues.
inline bool SystemPaintsAfter(UINT message)
{
    switch (message) {
    case BM_SETCHECK:
    case BM_SETSTATE:
    case BM_SETSTYLE:
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_SETTEXT:
    case WM_ENABLE:
    case WM_UPDATEUISTATE:
        return true;
    default:
        return false;
    }
}

// A control over a system class (button or static) whose whole look its object paints in
// OnPaint. After the messages on which the system's procedure paints by itself, its default runs
// and the object's look is painted over it at once, so nothing of the system's look stays.
template <class Base>
class CPaintedControl : public Base {
protected:
    // Paints the whole client area into `dc`, the DC of a WM_PAINT.
    virtual void OnPaint(HDC dc) = 0;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_PAINT) {
            CPaintDC dc(this->m_hWnd);
            OnPaint(dc.GetSafeHdc());
            return 0;
        }
        const LRESULT result = Base::WindowProc(message, wParam, lParam);
        if (SystemPaintsAfter(message) && this->m_hWnd != nullptr)
            RedrawWindow(this->m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        return result;
    }
};

using CPaintedStatic = CPaintedControl<CStatic>;
using CPaintedButton = CPaintedControl<CButton>;

#pragma once
// The standard controls as objects: a button (owner-drawn ones paint in DrawItem) and a static.
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

#pragma once
// What the skinned controls paint with: an off-screen canvas, solid fills, text in their dialog's
// font, and the borrowed slice of their dialog's background image.
#include <optional>

#include "framework/Gdi.h"
#include "framework/Gdiplus.h"
#include "framework/String.h"
#include "framework/Types.h"

// An off-screen bitmap compatible with a target DC. A control paints into it and copies it to the
// screen in one go, so no half-drawn frame ever shows.
class CMemoryCanvas {
public:
    // Makes the canvas `size` large, unless it already is; FALSE when GDI cannot.
    BOOL Prepare(HDC reference, SIZE size);
    HDC GetSafeHdc() const { return m_dc.GetSafeHdc(); }
    // Copies the whole canvas to `target`, its top left corner at `at`.
    void CopyTo(HDC target, POINT at) const;
    void Release();

private:
    CDC m_dc;
    CBitmap m_bitmap;
    std::optional<CSelectObject> m_selection;  // goes first: the bitmap leaves the DC before both go
    CSize m_size;
};

void FillSolid(HDC dc, const RECT& rect, COLORREF colour);

// Makes `font` a copy of the font of `window`'s parent, or of the stock GUI font when the parent
// has none.
void CopyParentFont(HWND window, CFont& font);

// Draws `text` transparently in `font` (the DC's own when it has none) with DrawText's `flags`.
void DrawTextIn(HDC dc, const CFont& font, COLORREF colour, const CString& text, RECT rect, UINT flags);

// The part of the owner dialog's background image that lies under a control: a borrowed image
// (never deleted here) and a rectangle of its pixels, stretched over the control's client area.
class CBackgroundSlice {
public:
    void SetImage(Gdiplus::Image* image) { m_pImage = image; }
    void SetRect(int left, int top, int right, int bottom) { m_rcSlice = CRect(left, top, right, bottom); }
    void Draw(Gdiplus::Graphics& graphics, const RECT& client) const;

private:
    Gdiplus::Image* m_pImage = nullptr;
    CRect m_rcSlice;
};

#include "controls/ControlPaint.h"

#include "controls/ImageDraw.h"

BOOL CMemoryCanvas::Prepare(HDC reference, SIZE size)
{
    if (m_dc.GetSafeHdc() != nullptr && m_size.cx == size.cx && m_size.cy == size.cy) return TRUE;
    Release();
    if (size.cx <= 0 || size.cy <= 0) return FALSE;
    m_bitmap.Attach(CreateCompatibleBitmap(reference, size.cx, size.cy));
    if (!m_bitmap || !m_dc.CreateCompatibleDC(reference)) {
        Release();
        return FALSE;
    }
    m_selection.emplace(m_dc.GetSafeHdc(), m_bitmap.Get());
    m_size = CSize(size.cx, size.cy);
    return TRUE;
}

void CMemoryCanvas::CopyTo(HDC target, POINT at) const
{
    if (m_dc.GetSafeHdc() == nullptr) return;
    BitBlt(target, at.x, at.y, m_size.cx, m_size.cy, m_dc.GetSafeHdc(), 0, 0, SRCCOPY);
}

void CMemoryCanvas::Release()
{
    m_selection.reset();
    m_bitmap.DeleteObject();
    m_dc.DeleteDC();
    m_size = CSize();
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour)
{
    // The DC's own brush: no brush object to make, keep or delete.
    SetDCBrushColor(dc, colour);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void CopyParentFont(HWND window, CFont& font)
{
    auto source = reinterpret_cast<HFONT>(SendMessageW(GetParent(window), WM_GETFONT, 0, 0));
    if (source == nullptr) source = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (source == nullptr) source = static_cast<HFONT>(GetStockObject(ANSI_VAR_FONT));
    LOGFONTW description{};
    if (source != nullptr && GetObjectW(source, sizeof description, &description) == sizeof description)
        font.Attach(CreateFontIndirectW(&description));
}

void DrawTextIn(HDC dc, const CFont& font, COLORREF colour, const CString& text, RECT rect, UINT flags)
{
    std::optional<CSelectObject> selection;
    if (font) selection.emplace(dc, font.Get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    DrawTextW(dc, text.c_str(), text.GetLength(), &rect, flags);
}

void CBackgroundSlice::Draw(Gdiplus::Graphics& graphics, const RECT& client) const
{
    DrawImagePart(graphics, m_pImage, client, m_rcSlice);
}

#include "controls/SkinLabel.h"

#include "controls/FocusCue.h"

CSkinLabel::CSkinLabel() = default;
CSkinLabel::~CSkinLabel() = default;

void CSkinLabel::CreateFontFromParent()
{
    CopyParentFont(m_hWnd, m_font);
}

void CSkinLabel::OnPaint(HDC dc)
{
    const CRect client = GetClientRect();
    CMemoryCanvas canvas;
    if (!canvas.Prepare(dc, CSize(client.Width(), client.Height()))) return;
    Look look = CurrentLook();
    const bool contrast = IsHighContrast();
    if (contrast) {
        look.fill = GetSysColor(COLOR_WINDOW);
        look.text_colour = GetSysColor(look.contrast_text);
    }
    FillSolid(canvas.GetSafeHdc(), client, look.fill);
    if (!contrast) {
        Gdiplus::Graphics graphics(canvas.GetSafeHdc());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        m_background.Draw(graphics, client);
    }
    if (look.format) DrawTextIn(canvas.GetSafeHdc(), m_font, look.text_colour, look.text, client, *look.format);
    if (ShowsFocusCue(m_hWnd)) DrawFocusCue(canvas.GetSafeHdc(), client, false);
    canvas.CopyTo(dc, CPoint(0, 0));
}

void CSkinLabel::PostNcDestroy()
{
    m_font.DeleteObject();
}

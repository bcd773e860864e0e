#include "controls/SkinLabel.h"

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
    const Look look = CurrentLook();
    FillSolid(canvas.GetSafeHdc(), client, look.fill);
    {
        Gdiplus::Graphics graphics(canvas.GetSafeHdc());
        graphics.SetSmoothingMode(Gdiplus::SmoothingModeHighQuality);
        m_background.Draw(graphics, client);
    }
    if (look.format) DrawTextIn(canvas.GetSafeHdc(), m_font, look.text_colour, look.text, client, *look.format);
    canvas.CopyTo(dc, CPoint(0, 0));
}

void CSkinLabel::PostNcDestroy()
{
    m_font.DeleteObject();
}

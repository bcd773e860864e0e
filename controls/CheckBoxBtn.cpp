#include "controls/CheckBoxBtn.h"

#include "controls/FocusCue.h"
#include "controls/ImageDraw.h"
#include "controls/PngResource.h"

namespace {
constexpr UINT kCheckStrip = 140;
constexpr int kFrame = 16;  // the strip's frames: empty box at x = 0, ticked box at x = 16
}

CCheckBoxBtn::CCheckBoxBtn() = default;
CCheckBoxBtn::~CCheckBoxBtn() = default;

void CCheckBoxBtn::CreateFontFromParent()
{
    CopyParentFont(m_hWnd, m_font);
}

void CCheckBoxBtn::OnPaint(HDC dc)
{
    CRect client = GetClientRect();
    if (!m_canvas.Prepare(dc, CSize(client.Width(), client.Height()))) return;
    const HDC canvas = m_canvas.GetSafeHdc();
    const bool contrast = IsHighContrast();
    FillSolid(canvas, client, contrast ? GetSysColor(COLOR_WINDOW) : RGB(255, 255, 255));

    if (!m_pCheckImage) LoadPngResource(m_pCheckImage, kCheckStrip);
    // Without its strip the box shows nothing but its background, and tries again next paint.
    if (m_pCheckImage) {
        const int box = static_cast<int>(m_fScale * kFrame);
        const int top = client.Height() / 2 - static_cast<int>(m_fScale * (kFrame / 2));
        {
            Gdiplus::Graphics graphics(canvas);
            const int frame = GetCheck() == BST_CHECKED ? kFrame : 0;  // indeterminate shows empty
            DrawImagePart(graphics, m_pCheckImage.get(), CRect(client.left, top, client.left + box, top + box),
                          CRect(frame, 0, frame + kFrame, kFrame));
        }
        client.left += box + 2;
        const COLORREF text = contrast ? GetSysColor(COLOR_WINDOWTEXT) : m_crText;
        DrawTextIn(canvas, m_font, text, m_strShown.value_or(GetWindowText()), client, DT_SINGLELINE | DT_VCENTER);
        if (ShowsFocusCue(m_hWnd)) DrawFocusCue(canvas, client, false);
    }
    m_canvas.CopyTo(dc, CPoint(0, 0));
}

void CCheckBoxBtn::PostNcDestroy()
{
    // The window's GDI objects go with it.
    m_canvas.Release();
    m_font.DeleteObject();
}

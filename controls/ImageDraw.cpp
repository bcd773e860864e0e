#include "controls/ImageDraw.h"

void DrawWholeImage(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width, int height)
{
    if (image == nullptr) return;
    graphics.DrawImage(image, x, y, width, height);
}

void DrawImagePart(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const RECT& dest, const RECT& source)
{
    if (image == nullptr) return;
    const Gdiplus::Rect target(dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top);
    graphics.DrawImage(image, target, source.left, source.top, source.right - source.left,
                       source.bottom - source.top, Gdiplus::UnitPixel, nullptr);
}

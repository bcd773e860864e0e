#include "controls/ImageDraw.h"

void DrawWholeImage(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width, int height)
{
    if (image == nullptr) return;
    graphics.DrawImage(image, x, y, width, height);
}

bool CopyImageAtOwnSize(Gdiplus::Image* image, void* pixels, int width, int height)
{
    if (image == nullptr || image->GetType() != Gdiplus::ImageTypeBitmap || int(image->GetWidth()) != width ||
        int(image->GetHeight()) != height)
        return false;
    auto* bitmap = static_cast<Gdiplus::Bitmap*>(image);
    Gdiplus::Rect whole(0, 0, width, height);
    Gdiplus::BitmapData target{};
    target.Width = UINT(width);
    target.Height = UINT(height);
    target.Stride = width * 4;
    target.PixelFormat = PixelFormat32bppPARGB;
    target.Scan0 = pixels;
    // With a buffer of the caller's, GDI+ converts straight into it.
    if (bitmap->LockBits(&whole, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                         PixelFormat32bppPARGB, &target) != Gdiplus::Ok)
        return false;
    bitmap->UnlockBits(&target);
    return true;
}

void DrawImagePart(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const RECT& dest, const RECT& source)
{
    if (image == nullptr) return;
    const Gdiplus::Rect target(dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top);
    graphics.DrawImage(image, target, source.left, source.top, source.right - source.left,
                       source.bottom - source.top, Gdiplus::UnitPixel, nullptr);
}

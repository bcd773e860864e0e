#pragma once
// The two ways the windows draw their pictures with GDI+.
#include "framework/Gdiplus.h"
#include "framework/Types.h"

// The whole image stretched onto (x, y, width, height).
void DrawWholeImage(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width, int height);

// The image at its own size into `pixels`, a 32-bit top-down premultiplied-alpha buffer of
// `width` × `height` (as UpdateLayeredWindow and BitBlt take it): pixels copied, not drawn, which
// under Wine's GDI+ takes a tenth of the time. FALSE, with nothing copied, when the sizes differ.
bool CopyImageAtOwnSize(Gdiplus::Image* image, void* pixels, int width, int height);

// The `source` rectangle of the image (pixels) stretched onto `dest`.
void DrawImagePart(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const RECT& dest, const RECT& source);

#pragma once
// The two ways the windows draw their pictures with GDI+.
#include "framework/Gdiplus.h"
#include "framework/Types.h"

// The whole image stretched onto (x, y, width, height).
void DrawWholeImage(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width, int height);

// The `source` rectangle of the image (pixels) stretched onto `dest`.
void DrawImagePart(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const RECT& dest, const RECT& source);

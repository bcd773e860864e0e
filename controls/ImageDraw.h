#pragma once
// The three ways the windows draw their pictures with GDI+.
#include "framework/Gdiplus.h"
#include "framework/Types.h"

// The whole image stretched onto (x, y, width, height).
void DrawWholeImage(Gdiplus::Graphics& graphics, Gdiplus::Image* image, int x, int y, int width, int height);

// The `source` rectangle of the image (pixels) stretched onto `dest`.
void DrawImagePart(Gdiplus::Graphics& graphics, Gdiplus::Image* image, const RECT& dest, const RECT& source);

// A control's background slice: the part of its dialog's unscaled background image that lies under
// the control, stretched over the control's client rectangle, so both line up at any scale.
inline void DrawBackgroundSlice(Gdiplus::Graphics& graphics, Gdiplus::Image* background, const RECT& client,
                                const RECT& slice)
{
    DrawImagePart(graphics, background, client, slice);
}

#pragma once
// PNG artwork from the program's resources (type "PNG") as GDI+ images.
#include <memory>

#include "framework/Gdiplus.h"

// Loads PNG resource `nId` into a new image owned by the caller. TRUE when the resource exists and
// decodes; FALSE otherwise, with *ppImage untouched. Images of one resource share its decoded
// pixels, read-only, which stay for the life of the process.
BOOL LoadPngResource(Gdiplus::Image** ppImage, UINT nId);
// The same into an owner: `image` takes the new picture, or is left as it was.
BOOL LoadPngResource(std::unique_ptr<Gdiplus::Image>& image, UINT nId);
// Whether the program's resources hold PNG resource `nId` (nothing is decoded).
bool HasPngResource(UINT nId);

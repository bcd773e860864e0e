#include "windowpair/DisplayScale.h"

#include "framework/Gdi.h"

float ComputeDisplayScale()
{
    CWindowDC screen(nullptr, CWindowDC::ClientArea);
    if (screen.GetSafeHdc() == nullptr) return 1.0f;
    const int dpi = GetDeviceCaps(screen.GetSafeHdc(), LOGPIXELSY);
    return dpi > 100 ? static_cast<float>(dpi) / 100.0f : 1.0f;
}

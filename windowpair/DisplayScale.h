#pragma once
// The display scale and the truncation every scaled length goes through.
#include <cmath>

// The screen's vertical DPI divided by 100 when it exceeds 100, else 1.0: 96 DPI gives 1.0,
// 120 DPI gives 1.2 and 144 DPI gives 1.44.
float ComputeDisplayScale();

// Lengths are computed in double precision from the single-precision scale and cut toward zero,
// so 1.2f (a hair above 1.2) gives trunc(492 - 10 * 1.2f) = 479, as the layouts expect.
inline int Trunc(double value)
{
    return static_cast<int>(std::trunc(value));
}
inline int Scaled(double design, float scale)
{
    return Trunc(design * static_cast<double>(scale));
}

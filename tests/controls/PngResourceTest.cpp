// PNG resources as GDI+ images: what loads, what does not, and that two loads are two images.
#include <gtest/gtest.h>

#include <memory>

#include "controls/ImageDraw.h"
#include "controls/PngResource.h"

namespace {

// Draws the image onto a small surface; Ok when GDI+ could still read it.
Gdiplus::Status DrawStatus(Gdiplus::Image* image)
{
    Gdiplus::Bitmap target(16, 16, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&target);
    return graphics.DrawImage(image, 0, 0, 16, 16);
}

TEST(PngResource, UnusedPictureLoadsLikeAnyOther)
{
    Gdiplus::Image* image = nullptr;
    ASSERT_TRUE(LoadPngResource(&image, 183));
    std::unique_ptr<Gdiplus::Image> owned(image);
    EXPECT_EQ(image->GetWidth(), 541u);
    EXPECT_EQ(DrawStatus(image), Gdiplus::Ok);
}

TEST(PngResource, WhatIsNoPngGivesFalseAndLeavesThePointerAlone)
{
    Gdiplus::Image sentinelTarget(L"");  // any image object serves as a recognisable value
    Gdiplus::Image* image = &sentinelTarget;
    EXPECT_FALSE(LoadPngResource(&image, 4321)) << "a missing id";
    EXPECT_FALSE(LoadPngResource(&image, 178)) << "a bitmap resource, not of type PNG";
    EXPECT_FALSE(LoadPngResource(&image, 900)) << "a PNG resource whose bytes do not decode";
    EXPECT_EQ(image, &sentinelTarget);
    EXPECT_FALSE(LoadPngResource(nullptr, 183));
}

TEST(PngResource, OneIdIntoTwoPointersGivesTwoIndependentImages)
{
    Gdiplus::Image* first = nullptr;
    Gdiplus::Image* second = nullptr;
    ASSERT_TRUE(LoadPngResource(&first, 151));
    ASSERT_TRUE(LoadPngResource(&second, 151));
    EXPECT_NE(first, second);
    delete first;
    EXPECT_EQ(DrawStatus(second), Gdiplus::Ok) << "deleting one image broke the other";
    delete second;
}

TEST(PngResource, SliceDrawsTheRightPixels)
{
    // The repair button's slice of the main background lands on a 284 × 85 control pixel for pixel.
    Gdiplus::Image* background = nullptr;
    ASSERT_TRUE(LoadPngResource(&background, 139));
    std::unique_ptr<Gdiplus::Image> owned(background);
    Gdiplus::Bitmap control(284, 85, PixelFormat32bppARGB);
    {
        Gdiplus::Graphics graphics(&control);
        DrawBackgroundSlice(graphics, background, RECT{0, 0, 284, 85}, RECT{58, 240, 342, 325});
    }
    auto* source = static_cast<Gdiplus::Bitmap*>(background);
    for (const POINT at : {POINT{0, 0}, POINT{100, 40}, POINT{283, 84}}) {
        Gdiplus::Color drawn, expected;
        control.GetPixel(at.x, at.y, &drawn);
        source->GetPixel(58 + at.x, 240 + at.y, &expected);
        EXPECT_EQ(drawn.GetValue() | 0xFF000000, expected.GetValue() | 0xFF000000) << at.x << "," << at.y;
    }
}

}  // namespace

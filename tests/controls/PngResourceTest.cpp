// PNG resources as GDI+ images: what does not load, and that two loads are two images. Every
// picture's size is the artwork test's part; the slice's pixels, the missing-artwork test's.
#include <gtest/gtest.h>

#include "controls/PngResource.h"

namespace {

// Draws the image onto a small surface; Ok when GDI+ could still read it.
Gdiplus::Status DrawStatus(Gdiplus::Image* image)
{
    Gdiplus::Bitmap target(16, 16, PixelFormat32bppARGB);
    Gdiplus::Graphics graphics(&target);
    return graphics.DrawImage(image, 0, 0, 16, 16);
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

}  // namespace

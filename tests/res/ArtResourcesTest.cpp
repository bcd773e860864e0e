// The artwork as the built program carries it: every PNG id at its size, with or without alpha, in
// Chinese (PRC), decodable by GDI+; the icon with all its sizes; 178 a bitmap. And PNG resources as
// GDI+ images: what does not load, and that two loads are two images.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "controls/PngResource.h"

namespace {

struct Picture {
    UINT first, last;
    UINT width, height;
    bool alpha;
};

// The binding table of the tool's pictures.
const Picture kPictures[] = {
    {138, 138, 410, 611, true}, {139, 139, 400, 600, false}, {140, 140, 48, 16, true},
    {141, 144, 26, 34, false},  {145, 145, 232, 132, true},  {146, 146, 204, 104, true},
    {147, 150, 26, 34, false},  {151, 154, 284, 85, true},   {155, 155, 330, 150, true},
    {156, 156, 320, 140, false}, {157, 159, 55, 24, false},  {160, 162, 12, 12, false},
    {163, 171, 55, 24, false},  {172, 172, 410, 479, true},  {173, 173, 400, 468, true},
    {174, 177, 12, 12, false},  {179, 182, 266, 60, true},   {183, 183, 541, 402, true},
    {184, 191, 266, 60, true},  {192, 195, 58, 18, false},
};

const WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

TEST(ArtResources, EveryPictureHasItsSizeAndAlphaAndLanguage)
{
    int checked = 0;
    for (const Picture& picture : kPictures) {
        for (UINT id = picture.first; id <= picture.last; ++id, ++checked) {
            EXPECT_NE(FindResourceExW(nullptr, L"PNG", MAKEINTRESOURCEW(id), kChinesePrc), nullptr)
                << id << " is not a Chinese (PRC) PNG resource";
            Gdiplus::Image* raw = nullptr;
            ASSERT_TRUE(LoadPngResource(&raw, id)) << id;
            std::unique_ptr<Gdiplus::Image> image(raw);
            EXPECT_EQ(image->GetWidth(), picture.width) << id;
            EXPECT_EQ(image->GetHeight(), picture.height) << id;
            const bool hasAlpha = (image->GetPixelFormat() & PixelFormatAlpha) != 0;
            EXPECT_EQ(hasAlpha, picture.alpha) << id << " pixel format " << std::hex << image->GetPixelFormat();
        }
    }
    EXPECT_EQ(checked, 57);
    // 178 is a bitmap; that it is no PNG is the loader's test below.
    EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(178), RT_BITMAP), nullptr);
}

#pragma pack(push, 2)
struct IconDirEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
struct IconDir {
    WORD reserved, type, count;
    IconDirEntry entries[1];
};
#pragma pack(pop)

TEST(ArtResources, IconHoldsEverySize)
{
    const HRSRC group = FindResourceExW(nullptr, RT_GROUP_ICON, MAKEINTRESOURCEW(128), kChinesePrc);
    ASSERT_NE(group, nullptr);
    const auto* dir = static_cast<const IconDir*>(LockResource(LoadResource(nullptr, group)));
    ASSERT_NE(dir, nullptr);
    std::set<int> sizes;
    for (WORD i = 0; i < dir->count; ++i) {
        const IconDirEntry& entry = dir->entries[i];
        sizes.insert(entry.width == 0 ? 256 : entry.width);
        EXPECT_EQ(entry.width, entry.height);
        EXPECT_NE(FindResourceW(nullptr, MAKEINTRESOURCEW(entry.id), RT_ICON), nullptr);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 256}));

    // Windows can make the small icon from it.
    HICON small = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(128), IMAGE_ICON, 16, 16, 0));
    EXPECT_NE(small, nullptr);
    if (small != nullptr) DestroyIcon(small);
}

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

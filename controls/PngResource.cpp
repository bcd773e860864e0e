#include "controls/PngResource.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "framework/Module.h"
#include "framework/StepTimes.h"

namespace {

// A picture's pixels in its own format (an opaque picture stays without alpha, which is quicker to
// draw), or as 32-bit ARGB when it came with a palette.
struct DecodedPng {
    UINT width = 0;
    UINT height = 0;
    Gdiplus::PixelFormat format = PixelFormat32bppARGB;
    UINT stride = 0;
    std::vector<BYTE> pixels;
};

Gdiplus::PixelFormat KeptFormat(Gdiplus::PixelFormat decoded)
{
    switch (decoded) {
    case PixelFormat24bppRGB:
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
        return decoded;
    default:
        return PixelFormat32bppARGB;
    }
}

// Decodes the PNG resource into pixels; FALSE when it is missing or no picture.
BOOL Decode(HINSTANCE module, UINT nId, DecodedPng& decoded)
{
    const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(nId), L"PNG");
    if (resource == nullptr) return FALSE;
    const DWORD size = SizeofResource(module, resource);
    const void* bytes = LockResource(LoadResource(module, resource));
    if (bytes == nullptr || size == 0) return FALSE;

    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (block == nullptr) return FALSE;
    void* copy = GlobalLock(block);
    if (copy == nullptr) {
        GlobalFree(block);
        return FALSE;
    }
    std::memcpy(copy, bytes, size);
    GlobalUnlock(block);
    IStream* stream = nullptr;  // owns the block from here on
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return FALSE;
    }
    // GDI+ may read the stream as late as when the pixels are asked for: it is let go only after.
    const std::unique_ptr<IStream, void (*)(IStream*)> streamHeld(stream, [](IStream* held) { held->Release(); });
    Gdiplus::Bitmap picture(stream, FALSE);
    // A resource that is there but is no picture is not reported as loaded.
    decoded.width = picture.GetWidth();
    decoded.height = picture.GetHeight();
    if (picture.GetLastStatus() != Gdiplus::Ok || decoded.width == 0 || decoded.height == 0) return FALSE;

    decoded.format = KeptFormat(picture.GetPixelFormat());
    Gdiplus::Rect whole(0, 0, static_cast<INT>(decoded.width), static_cast<INT>(decoded.height));
    Gdiplus::BitmapData rows{};
    if (picture.LockBits(&whole, Gdiplus::ImageLockModeRead, decoded.format, &rows) != Gdiplus::Ok) return FALSE;
    // Rows of whole 32-bit words, as GDI+ wants them.
    decoded.stride = (decoded.width * (Gdiplus::GetPixelFormatSize(decoded.format) / 8) + 3) & ~3u;
    decoded.pixels.resize(size_t(decoded.stride) * decoded.height);
    for (UINT row = 0; row < decoded.height; ++row)
        std::memcpy(&decoded.pixels[size_t(row) * decoded.stride],
                    static_cast<const BYTE*>(rows.Scan0) + INT_PTR(row) * rows.Stride, decoded.stride);
    picture.UnlockBits(&rows);
    return TRUE;
}

// Each picture is decoded once: every prompt shows a dozen of them, and decoding takes Wine a
// millisecond or two each. The cache holds plain pixels, no GDI+ object, so it may outlive GDI+;
// the pixels stay until the process ends (the cache is never destroyed, not even by an exit while
// a warm-up thread still fills it) and no image ever writes to them. Null when it cannot be had.
const DecodedPng* DecodedPicture(UINT nId)
{
    static std::mutex guard;
    static auto& decodedPictures = *new std::map<std::pair<HINSTANCE, UINT>, DecodedPng>;
    const std::lock_guard<std::mutex> lock(guard);
    const HINSTANCE module = AfxGetResourceHandle();
    auto found = decodedPictures.find({module, nId});
    if (found == decodedPictures.end()) {
        DecodedPng decoded;
        if (!Decode(module, nId, decoded)) return nullptr;
        found = decodedPictures.emplace(std::make_pair(module, nId), std::move(decoded)).first;
    }
    return &found->second;
}

}  // namespace

BOOL LoadPngResource(Gdiplus::Image** ppImage, UINT nId)
{
    if (ppImage == nullptr) return FALSE;
    const DecodedPng* decoded = DecodedPicture(nId);
    if (decoded == nullptr) return FALSE;
    const DecodedPng& picture = *decoded;
    auto* image = new Gdiplus::Bitmap(static_cast<INT>(picture.width), static_cast<INT>(picture.height),
                                      static_cast<INT>(picture.stride), picture.format, const_cast<BYTE*>(picture.pixels.data()));
    if (image->GetLastStatus() != Gdiplus::Ok) {
        delete image;
        return FALSE;
    }
    *ppImage = image;
    return TRUE;
}

BOOL LoadPngResource(std::unique_ptr<Gdiplus::Image>& image, UINT nId)
{
    Gdiplus::Image* loaded = nullptr;
    if (!LoadPngResource(&loaded, nId)) return FALSE;
    image.reset(loaded);
    return TRUE;
}

bool HasPngResource(UINT nId)
{
    return FindResourceW(AfxGetResourceHandle(), MAKEINTRESOURCEW(nId), L"PNG") != nullptr;
}

CPictureWarmUp::CPictureWarmUp(std::vector<UINT> ids)
    : m_ids(std::move(ids)), m_thread(CreateThread(nullptr, 0, &CPictureWarmUp::Decode, this, 0, nullptr))
{
}

CPictureWarmUp::~CPictureWarmUp()
{
    if (m_thread) WaitForSingleObject(m_thread.Get(), INFINITE);
}

DWORD WINAPI CPictureWarmUp::Decode(LPVOID self)
{
    for (const UINT id : static_cast<CPictureWarmUp*>(self)->m_ids) DecodedPicture(id);
    MarkStep("pictures decoded (picture thread)");
    return 0;
}

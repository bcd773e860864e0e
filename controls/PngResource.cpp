#include "controls/PngResource.h"

#include <cstring>

#include "framework/Module.h"

BOOL LoadPngResource(Gdiplus::Image** ppImage, UINT nId)
{
    if (ppImage == nullptr) return FALSE;
    const HINSTANCE module = AfxGetResourceHandle();
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

    // The stream owns the block; GDI+ holds the stream for as long as the image reads from it,
    // so the copy lives exactly as long as its image.
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return FALSE;
    }
    Gdiplus::Image* image = Gdiplus::Image::FromStream(stream, FALSE);
    stream->Release();
    if (image == nullptr) return FALSE;
    // A resource that is there but is no picture is not reported as loaded.
    if (image->GetLastStatus() != Gdiplus::Ok || image->GetWidth() == 0 || image->GetHeight() == 0) {
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

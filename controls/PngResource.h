#pragma once
// PNG artwork from the program's resources (type "PNG") as GDI+ images.
#include <memory>
#include <vector>

#include "framework/Gdiplus.h"
#include "framework/Handle.h"

// Loads PNG resource `nId` into a new image owned by the caller. TRUE when the resource exists and
// decodes; FALSE otherwise, with *ppImage untouched. Images of one resource share its decoded
// pixels, read-only, which stay for the life of the process.
BOOL LoadPngResource(Gdiplus::Image** ppImage, UINT nId);
// The same into an owner: `image` takes the new picture, or is left as it was.
BOOL LoadPngResource(std::unique_ptr<Gdiplus::Image>& image, UINT nId);
// Whether the program's resources hold PNG resource `nId` (nothing is decoded).
bool HasPngResource(UINT nId);

// Decodes pictures on a thread of its own while the window that shows them first is still being
// made, so that it finds them decoded. The pictures a window asks for meanwhile wait at most for
// the one being decoded. The owner's end waits for the thread, which must end before GDI+ does.
class CPictureWarmUp {
public:
    explicit CPictureWarmUp(std::vector<UINT> ids);
    ~CPictureWarmUp();
    CPictureWarmUp(const CPictureWarmUp&) = delete;
    CPictureWarmUp& operator=(const CPictureWarmUp&) = delete;

private:
    static DWORD WINAPI Decode(LPVOID self);

    const std::vector<UINT> m_ids;
    CHandle m_thread;
};

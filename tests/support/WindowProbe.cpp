#include "support/WindowProbe.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "framework/Gdi.h"
#include "support/TestSupport.h"

namespace {

int Channel(uint32_t colour, int shift)
{
    return static_cast<int>((colour >> shift) & 0xFF);
}

int Difference(uint32_t a, uint32_t b)
{
    int most = 0;
    for (const int shift : {0, 8, 16}) most = std::max(most, std::abs(Channel(a, shift) - Channel(b, shift)));
    return most;
}

void Send(DWORD flags, POINT screen = {})
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

}  // namespace

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (condition()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 10)),
                                  QS_ALLINPUT);
    }
}

void SendMouseTo(POINT screen)
{
    Send(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, screen);
    PumpUntil([&] {
        POINT at;
        return GetCursorPos(&at) && at.x == screen.x && at.y == screen.y;
    }, 2000);
}

void SendMouseButton(bool down)
{
    Send(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    PumpUntil([&] { return ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0) == down; }, 2000);
}

Pixels CaptureClient(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    return CaptureClient(window, client);
}

Pixels CaptureClient(HWND window, const RECT& part)
{
    Pixels pixels;
    pixels.width = part.right - part.left;
    pixels.height = part.bottom - part.top;
    if (pixels.width <= 0 || pixels.height <= 0) return pixels;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    CClientDC screen(window);
    CBitmap section(CreateDIBSection(screen.GetSafeHdc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    CDC memory;
    if (!section || !memory.CreateCompatibleDC(screen.GetSafeHdc())) return pixels;
    CSelectObject select(memory.GetSafeHdc(), section.Get());
    BitBlt(memory.GetSafeHdc(), 0, 0, pixels.width, pixels.height, screen.GetSafeHdc(), part.left, part.top, SRCCOPY);
    GdiFlush();
    pixels.rgb.resize(static_cast<size_t>(pixels.width) * pixels.height);
    std::memcpy(pixels.rgb.data(), bits, pixels.rgb.size() * sizeof(uint32_t));
    for (uint32_t& pixel : pixels.rgb) pixel &= 0xFFFFFF;
    return pixels;
}

Pixels PixelsOf(Gdiplus::Image& image, const RECT& part, const Pixels* under)
{
    auto& bitmap = static_cast<Gdiplus::Bitmap&>(image);
    Pixels pixels;
    pixels.width = part.right - part.left;
    pixels.height = part.bottom - part.top;
    pixels.rgb.reserve(static_cast<size_t>(pixels.width) * pixels.height);
    for (int y = 0; y < pixels.height; ++y) {
        for (int x = 0; x < pixels.width; ++x) {
            Gdiplus::Color colour;
            bitmap.GetPixel(part.left + x, part.top + y, &colour);
            const uint32_t ground = under != nullptr ? under->At(x, y) : 0xFFFFFF;
            const int alpha = colour.GetA();
            uint32_t blended = 0;
            for (const int shift : {0, 8, 16}) {
                const int top = Channel(colour.GetValue(), shift);
                blended |= static_cast<uint32_t>((top * alpha + Channel(ground, shift) * (255 - alpha) + 127) / 255)
                           << shift;
            }
            pixels.rgb.push_back(blended);
        }
    }
    return pixels;
}

double MatchShare(const Pixels& a, const Pixels& b, int tolerance)
{
    if (a.width != b.width || a.height != b.height || a.rgb.empty()) return 0.0;
    size_t matching = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i)
        if (Difference(a.rgb[i], b.rgb[i]) <= tolerance) ++matching;
    return static_cast<double>(matching) / static_cast<double>(a.rgb.size());
}

CRect InkBounds(const Pixels& pixels, uint32_t paper, const RECT& area, int tolerance)
{
    CRect bounds(area.right, area.bottom, area.left, area.top);
    for (int y = std::max(0L, area.top); y < std::min<LONG>(pixels.height, area.bottom); ++y) {
        for (int x = std::max(0L, area.left); x < std::min<LONG>(pixels.width, area.right); ++x) {
            if (Difference(pixels.At(x, y), paper) <= tolerance) continue;
            bounds.left = std::min<LONG>(bounds.left, x);
            bounds.top = std::min<LONG>(bounds.top, y);
            bounds.right = std::max<LONG>(bounds.right, x + 1);
            bounds.bottom = std::max<LONG>(bounds.bottom, y + 1);
        }
    }
    return bounds.IsRectEmpty() ? CRect() : bounds;
}

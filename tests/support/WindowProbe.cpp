#include "support/WindowProbe.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "controls/PngResource.h"
#include "framework/Gdi.h"

namespace {

int Difference(uint32_t a, uint32_t b)
{
    int most = 0;
    for (const int shift : {0, 8, 16})
        most = std::max(most, std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)));
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

void SendClick(POINT screen)
{
    SendMouseTo(screen);
    SendMouseButton(true);
    SendMouseButton(false);
}

void SendKey(WORD key, bool withAlt)
{
    INPUT inputs[4]{};
    UINT count = 0;
    const auto add = [&](WORD vk, DWORD flags) {
        inputs[count].type = INPUT_KEYBOARD;
        inputs[count].ki.wVk = vk;
        inputs[count].ki.dwFlags = flags;
        ++count;
    };
    if (withAlt) add(VK_MENU, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    if (withAlt) add(VK_MENU, KEYEVENTF_KEYUP);
    SendInput(count, inputs, sizeof inputs[0]);
}

POINT OnScreen(HWND window, POINT client)
{
    ClientToScreen(window, &client);
    return client;
}

POINT ClientCentre(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    return OnScreen(window, POINT{client.right / 2, client.bottom / 2});
}

CString TextOf(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    CString text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

Pixels CaptureClient(HWND window, const RECT* part)
{
    CRect area;
    GetClientRect(window, &area);
    if (part != nullptr) area = *part;
    Pixels pixels{area.Width(), area.Height(), {}};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, pixels.width, -pixels.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    CClientDC screen(window);
    CBitmap section(CreateDIBSection(screen.GetSafeHdc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    CDC memory;
    if (!section || !memory.CreateCompatibleDC(screen.GetSafeHdc())) return pixels;
    CSelectObject select(memory.GetSafeHdc(), section.Get());
    BitBlt(memory.GetSafeHdc(), 0, 0, pixels.width, pixels.height, screen.GetSafeHdc(), area.left, area.top, SRCCOPY);
    GdiFlush();
    pixels.argb.resize(static_cast<size_t>(pixels.width) * pixels.height);
    std::memcpy(pixels.argb.data(), bits, pixels.argb.size() * sizeof(uint32_t));
    for (uint32_t& pixel : pixels.argb) pixel |= 0xFF000000;
    return pixels;
}

Pixels PixelsOf(Gdiplus::Image& image, const RECT& part)
{
    auto& bitmap = static_cast<Gdiplus::Bitmap&>(image);
    Pixels pixels{part.right - part.left, part.bottom - part.top, {}};
    for (int y = part.top; y < part.bottom; ++y) {
        for (int x = part.left; x < part.right; ++x) {
            Gdiplus::Color colour;
            bitmap.GetPixel(x, y, &colour);
            pixels.argb.push_back(colour.GetValue());
        }
    }
    return pixels;
}

Pixels Picture(UINT id, const RECT* part)
{
    Gdiplus::Image* raw = nullptr;
    if (!LoadPngResource(&raw, id)) return {};
    std::unique_ptr<Gdiplus::Image> image(raw);
    const RECT whole = {0, 0, static_cast<LONG>(image->GetWidth()), static_cast<LONG>(image->GetHeight())};
    return PixelsOf(*image, part != nullptr ? *part : whole);
}

double MatchShare(const Pixels& shown, const Pixels& expected, int tolerance)
{
    if (shown.width != expected.width || shown.height != expected.height) return 0.0;
    size_t opaque = 0, matching = 0;
    for (size_t i = 0; i < expected.argb.size(); ++i) {
        if ((expected.argb[i] >> 24) != 0xFF) continue;
        ++opaque;
        if (Difference(shown.argb[i], expected.argb[i]) <= tolerance) ++matching;
    }
    return opaque > 0 ? static_cast<double>(matching) / static_cast<double>(opaque) : 0.0;
}

CRect InkBounds(const Pixels& pixels, const RECT& area, int tolerance)
{
    CRect bounds(area.right, area.bottom, area.left, area.top);
    for (int y = std::max(0L, area.top); y < std::min<LONG>(pixels.height, area.bottom); ++y) {
        for (int x = std::max(0L, area.left); x < std::min<LONG>(pixels.width, area.right); ++x) {
            if (Difference(pixels.argb[static_cast<size_t>(y) * pixels.width + x], 0xFFFFFF) <= tolerance) continue;
            bounds = CRect(std::min<LONG>(bounds.left, x), std::min<LONG>(bounds.top, y),
                           std::max<LONG>(bounds.right, x + 1), std::max<LONG>(bounds.bottom, y + 1));
        }
    }
    return bounds.IsRectEmpty() ? CRect() : bounds;
}

#include "support/WindowProbe.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "controls/PngResource.h"
#include "framework/Gdi.h"
#include "support/TestSupport.h"

namespace {

BOOL CALLBACK CollectVisible(HWND hwnd, LPARAM param)
{
    auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process == found->first && IsWindowVisible(hwnd)) found->second.push_back(hwnd);
    return TRUE;
}

}  // namespace

// Moves are warps: after an absolute move by SendInput, a test program without windows of its own
// was seen to read the cursor stuck where it had been. Wine's desktop hears of every warp from the
// X server and then moves the cursor there itself, as if a hand had moved the mouse; under load that
// echo can come a second or more late, after the next warp, and put the cursor back where an earlier
// warp had it. So a steady move counts once the cursor has stayed put for a while (a drag's steps
// would not settle), and every button event of a click is sent right after the cursor has been put
// on its point again (a warp to where the cursor is makes no echo).
void SendMouseTo(POINT screen, bool steady)
{
    ULONGLONG stableSince = 0;
    WaitUntil([&] {
        POINT at;
        const bool there = GetCursorPos(&at) && at.x == screen.x && at.y == screen.y;
        if (stableSince == 0 || (steady && !there)) {
            SetCursorPos(screen.x, screen.y);
            stableSince = GetTickCount64();
        }
        return steady ? GetTickCount64() - stableSince >= 250 : there;
    }, 5000);
}

void SendMouseButton(bool down)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
    WaitUntil([&] { return ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0) == down; }, 2000);
}

void SendClick(POINT screen)
{
    SendMouseTo(screen);
    for (const bool down : {true, false}) {
        SetCursorPos(screen.x, screen.y);
        SendMouseButton(down);
    }
}

void SendKeys(const std::vector<WORD>& keys)
{
    std::vector<INPUT> input(keys.size() * 2);
    for (size_t i = 0; i < keys.size(); ++i) {
        INPUT &down = input[i], &up = input[input.size() - 1 - i];
        down.type = up.type = INPUT_KEYBOARD;
        down.ki.wVk = up.ki.wVk = keys[i];
        up.ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
}

POINT ClientCentre(HWND window)
{
    const CRect client = ClientRectOnScreen(window);
    return POINT{client.left + client.Width() / 2, client.top + client.Height() / 2};
}

CRect ClientRectOnScreen(HWND window)
{
    CRect rect;
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

CRect ControlRect(HWND dialog, int id)
{
    CRect rect = WindowRectOf(GetDlgItem(dialog, id));
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

CString TextOf(HWND window)
{
    const int length = GetWindowTextLengthW(window);
    CString text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
    return text;
}

std::vector<HWND> VisibleWindows(DWORD processId)
{
    std::pair<DWORD, std::vector<HWND>> found{processId, {}};
    EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

size_t TaskbarButtons(DWORD processId)
{
    size_t buttons = 0;
    for (HWND window : VisibleWindows(processId)) {
        const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
        const bool appWindow = GetWindow(window, GW_OWNER) == nullptr || (exStyle & WS_EX_APPWINDOW);
        if (appWindow && !(exStyle & WS_EX_TOOLWINDOW)) ++buttons;
    }
    return buttons;
}

void Settle(HWND window)
{
    CRect last = WindowRectOf(window);
    ULONGLONG stableSince = GetTickCount64();
    WaitUntil([&] {
        if (!IsWindow(window)) return true;
        if (const CRect now = WindowRectOf(window); now != last) {
            last = now;
            stableSince = GetTickCount64();
        }
        return GetForegroundWindow() == window && GetTickCount64() - stableSince >= 500;
    }, 5000);
}

Pixels CaptureScreen(const RECT& area)
{
    Pixels pixels{area.right - area.left, area.bottom - area.top, {}};
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, pixels.width, -pixels.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    CClientDC screen(nullptr);
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

Pixels Picture(UINT id, const RECT* part)
{
    static const CGdiplusSession gdiplus;  // from the first picture to the end of the run
    Gdiplus::Image* raw = nullptr;
    if (!LoadPngResource(&raw, id)) return {};
    std::unique_ptr<Gdiplus::Image> image(raw);
    const CRect area = part != nullptr ? CRect(*part) : CRect(0, 0, image->GetWidth(), image->GetHeight());
    Pixels pixels{area.Width(), area.Height(), {}};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            Gdiplus::Color colour;
            static_cast<Gdiplus::Bitmap&>(*image).GetPixel(x, y, &colour);
            pixels.argb.push_back(colour.GetValue());
        }
    }
    return pixels;
}

double MatchShare(const Pixels& shown, const Pixels& expected, int tolerance)
{
    if (shown.width != expected.width || shown.height != expected.height) return 0.0;
    size_t opaque = 0, matching = 0;
    for (size_t i = 0; i < expected.argb.size(); ++i) {
        if ((expected.argb[i] >> 24) != 0xFF) continue;
        ++opaque;
        bool within = true;
        for (const int shift : {0, 8, 16})
            within &= std::abs(int((shown.argb[i] >> shift) & 0xFF) - int((expected.argb[i] >> shift) & 0xFF)) <= tolerance;
        matching += within;
    }
    return opaque > 0 ? static_cast<double>(matching) / static_cast<double>(opaque) : 0.0;
}

bool ShowsPicture(HWND window, UINT id, DWORD timeoutMs)
{
    const Pixels expected = Picture(id);
    const CRect shown = ClientRectOnScreen(window);
    return !expected.argb.empty() &&
           WaitUntil([&] { return MatchShare(CaptureScreen(shown), expected) >= 0.95; }, timeoutMs);
}

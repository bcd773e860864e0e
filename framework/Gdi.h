#pragma once
// Owners of GDI handles: objects (bitmap, brush, font), device contexts of the three kinds, and the
// selection of an object into a DC for the length of a scope.
#include <windows.h>

#include <utility>

#include "framework/LiveCount.h"

// A bitmap, brush or font, deleted exactly once.
template <class Handle>
class CGdiObject {
public:
    CGdiObject() = default;
    explicit CGdiObject(Handle handle) { Attach(handle); }
    ~CGdiObject() { DeleteObject(); }
    CGdiObject(CGdiObject&& other) noexcept { Attach(other.Detach()); }
    CGdiObject& operator=(CGdiObject&& other) noexcept
    {
        if (this != &other) Attach(other.Detach());
        return *this;
    }
    CGdiObject(const CGdiObject&) = delete;
    CGdiObject& operator=(const CGdiObject&) = delete;

    Handle Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

    void Attach(Handle handle)
    {
        DeleteObject();
        m_handle = handle;
        if (m_handle != nullptr) CountHandleTaken(HandleKind::GdiObject);
    }
    Handle Detach()
    {
        if (m_handle != nullptr) CountHandleGiven(HandleKind::GdiObject);
        return std::exchange(m_handle, nullptr);
    }
    void DeleteObject()
    {
        if (m_handle == nullptr) return;
        ::DeleteObject(m_handle);
        CountHandleGiven(HandleKind::GdiObject);
        m_handle = nullptr;
    }

private:
    Handle m_handle = nullptr;
};

using CBitmap = CGdiObject<HBITMAP>;
using CBrush = CGdiObject<HBRUSH>;
using CFont = CGdiObject<HFONT>;

// A memory device context, deleted exactly once.
class CDC {
public:
    CDC() = default;
    ~CDC() { DeleteDC(); }
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    BOOL CreateCompatibleDC(HDC reference)
    {
        DeleteDC();
        m_hDC = ::CreateCompatibleDC(reference);
        if (m_hDC != nullptr) CountHandleTaken(HandleKind::DeviceContext);
        return m_hDC != nullptr;
    }
    void DeleteDC()
    {
        if (m_hDC == nullptr) return;
        ::DeleteDC(m_hDC);
        CountHandleGiven(HandleKind::DeviceContext);
        m_hDC = nullptr;
    }
    HDC GetSafeHdc() const { return m_hDC; }

private:
    HDC m_hDC = nullptr;
};

// A window's (or the screen's, for a null window) DC from GetDC or GetWindowDC, released once.
class CWindowDC {
public:
    enum Area { ClientArea, WholeWindow };
    explicit CWindowDC(HWND window, Area area = WholeWindow)
        : m_hWnd(window), m_hDC(area == WholeWindow ? ::GetWindowDC(window) : ::GetDC(window))
    {
        if (m_hDC != nullptr) CountHandleTaken(HandleKind::DeviceContext);
    }
    ~CWindowDC()
    {
        if (m_hDC == nullptr) return;
        ::ReleaseDC(m_hWnd, m_hDC);
        CountHandleGiven(HandleKind::DeviceContext);
    }
    CWindowDC(const CWindowDC&) = delete;
    CWindowDC& operator=(const CWindowDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }

private:
    HWND m_hWnd;
    HDC m_hDC;
};

class CClientDC : public CWindowDC {
public:
    explicit CClientDC(HWND window) : CWindowDC(window, ClientArea) {}
};

// BeginPaint ... EndPaint.
class CPaintDC {
public:
    explicit CPaintDC(HWND window) : m_hWnd(window)
    {
        m_hDC = ::BeginPaint(window, &m_ps);
        if (m_hDC != nullptr) CountHandleTaken(HandleKind::DeviceContext);
    }
    ~CPaintDC()
    {
        ::EndPaint(m_hWnd, &m_ps);
        if (m_hDC != nullptr) CountHandleGiven(HandleKind::DeviceContext);
    }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

    HDC GetSafeHdc() const { return m_hDC; }

private:
    HWND m_hWnd;
    PAINTSTRUCT m_ps{};
    HDC m_hDC = nullptr;
};

// Selects an object into a DC and puts the previous one back when the scope ends.
class CSelectObject {
public:
    CSelectObject(HDC dc, HGDIOBJ object) : m_hDC(dc), m_previous(::SelectObject(dc, object)) {}
    ~CSelectObject()
    {
        if (m_previous != nullptr && m_previous != HGDI_ERROR) ::SelectObject(m_hDC, m_previous);
    }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;

private:
    HDC m_hDC;
    HGDIOBJ m_previous;
};

// A 32-bit top-down DIB section of `size` for `dc`, its pixels (BGRA rows, no padding) in `*pixels`;
// empty, with *pixels null, when it cannot be made.
inline CBitmap CreateTopDownDib(HDC dc, SIZE size, void** pixels)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size.cx;
    info.bmiHeader.biHeight = -size.cy;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    *pixels = nullptr;
    CBitmap bitmap(CreateDIBSection(dc, &info, DIB_RGB_COLORS, pixels, nullptr, 0));
    if (*pixels == nullptr) bitmap.DeleteObject();
    return bitmap;
}

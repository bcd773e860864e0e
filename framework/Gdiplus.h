#pragma once
// GDI+ for the tool: the headers in the order they need, and the session that must span every use.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

// GDI+ from start-up to shut-down; no image may outlive it.
class CGdiplusSession {
public:
    CGdiplusSession()
    {
        Gdiplus::GdiplusStartupInput input;
        m_ok = Gdiplus::GdiplusStartup(&m_token, &input, nullptr) == Gdiplus::Ok;
    }
    ~CGdiplusSession()
    {
        if (m_ok) Gdiplus::GdiplusShutdown(m_token);
    }
    CGdiplusSession(const CGdiplusSession&) = delete;
    CGdiplusSession& operator=(const CGdiplusSession&) = delete;

    bool IsStarted() const { return m_ok; }

private:
    ULONG_PTR m_token = 0;
    bool m_ok = false;
};

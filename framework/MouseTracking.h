#pragma once
// Hover and leave notifications for one window (TrackMouseEvent), asked for once per visit of the
// cursor: the hover notification comes once, and a new request makes sense only after a leave.
#include <windows.h>

class CMouseTracking {
public:
    // Asks for WM_MOUSEHOVER after `hoverMs` of rest and for WM_MOUSELEAVE, unless this visit
    // already has its request.
    void Track(HWND window, DWORD hoverMs)
    {
        if (m_bTracking || window == nullptr) return;
        m_bTracking = Request(window, TME_HOVER | TME_LEAVE, hoverMs) != FALSE;
    }
    // The leave has arrived: the next visit asks again.
    void Left() { m_bTracking = false; }
    // Withdraws the request of this visit, so that neither notification comes for it.
    void Cancel(HWND window)
    {
        if (m_bTracking && window != nullptr) Request(window, TME_CANCEL | TME_HOVER | TME_LEAVE, HOVER_DEFAULT);
        m_bTracking = false;
    }

private:
    static BOOL Request(HWND window, DWORD flags, DWORD hoverMs)
    {
        TRACKMOUSEEVENT request{};
        request.cbSize = sizeof request;
        request.dwFlags = flags;
        request.hwndTrack = window;
        request.dwHoverTime = hoverMs;
        return TrackMouseEvent(&request);
    }

    bool m_bTracking = false;
};

#pragma once
// Runs a window pair modally on a user-interface thread of its own, as the tool does, while the
// test thread looks on, sends real input and closes it.
#include <windows.h>

#include <functional>
#include <thread>

#include "framework/Types.h"
#include "mainwnd/WindowPair.h"

class PairRunner {
public:
    using Factory = std::function<CLayeredShellDlg*()>;

    // Starts the pair and waits until its shell (and, when `withContent`, its content) shows.
    PairRunner(Factory make, bool withContent = true);
    ~PairRunner();

    HWND Shell() const { return m_shell; }
    HWND Content() const { return m_content; }
    CRect ShellRect() const;
    CRect ContentRect() const;
    // The window the pair's thread is moving with the mouse right now, or null.
    HWND MovingWindow() const;
    // Ends the pair with WM_CLOSE and returns DoModal's result.
    INT_PTR Close();

private:
    void FindWindows(bool withContent);
    // Sorts the UI thread's visible windows into the shell (layered) and the content (owned).
    static BOOL CALLBACK Classify(HWND hwnd, LPARAM self);

    std::thread m_ui;
    DWORD m_threadId = 0;
    HWND m_shell = nullptr;
    HWND m_content = nullptr;
    INT_PTR m_result = -2;
    bool m_closed = false;
};

// Real mouse input, in screen pixels.
void MouseTo(int x, int y);
void MouseButton(bool down);
// Presses at `from`, moves in steps to `to` and releases there.
void Drag(POINT from, POINT to);

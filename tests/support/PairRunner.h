#pragma once
// Runs a window pair modally on a user-interface thread of its own, as the tool does, while the
// test thread looks on, sends real input and ends it.
#include <windows.h>

#include <atomic>
#include <functional>
#include <thread>

#include "framework/Types.h"
#include "windowpair/WindowPair.h"
#include "support/WindowProbe.h"

class PairRunner {
public:
    // Called on the pair's thread; the runner deletes the dialog there after DoModal.
    using Factory = std::function<CLayeredShellDlg*()>;
    static constexpr INT_PTR kStillRunning = -2;

    // Starts the pair and waits until its shell and its content show and the content has settled.
    explicit PairRunner(Factory make);
    // A pair still running is ended as its Cancel would end it, or else with WM_QUIT.
    ~PairRunner();
    PairRunner(const PairRunner&) = delete;
    PairRunner& operator=(const PairRunner&) = delete;

    HWND Shell() const { return m_shell; }
    HWND Content() const { return m_content; }
    CRect ShellRect() const { return WindowRectOf(m_shell); }
    CRect ContentRect() const { return WindowRectOf(m_content); }
    DWORD ThreadId() const { return m_threadId; }

    // Presses at `from`, moves in steps to `to` and releases there. When `expectMove`, a press that
    // starts no move is tried again (Wine cancels a move begun while it still activates a new
    // window) and the release waits until the content has arrived. Returns whether a move started.
    bool Drag(POINT from, POINT to, bool expectMove) const;

    // DoModal's result once the pair has ended within the time, else kStillRunning.
    INT_PTR Result(DWORD timeoutMs = 5000);
    // Posts `message` to the shell (default: the Cancel command) and returns Result().
    INT_PTR End(UINT message = WM_COMMAND, WPARAM wParam = IDCANCEL);

private:
    // Ends the pair however it can and waits for its thread.
    void Stop();

    std::thread m_ui;
    DWORD m_threadId = 0;
    HWND m_shell = nullptr;
    HWND m_content = nullptr;
    INT_PTR m_result = kStillRunning;
    std::atomic<bool> m_ended{false};
};

// The visible window pair among `thread`'s windows: the shell is the layered one, the content the
// one it owns. Whether both were found.
bool FindVisiblePair(DWORD thread, HWND* shell, HWND* content);

#pragma once
// What the repair tests share: a window that receives the engine's messages on a user-interface
// thread of its own, and the runner tests' child program.
#include <windows.h>

#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "support/TestSupport.h"

// A real top-level window on its own thread that records the engine's two messages, in order.
class NotifyWindow {
public:
    using Message = std::pair<UINT, WPARAM>;

    // `onResult` runs on the window's thread while it handles WM_REPAIR_RESULT.
    explicit NotifyWindow(std::function<void(WPARAM)> onResult = {});
    ~NotifyWindow();
    NotifyWindow(const NotifyWindow&) = delete;
    NotifyWindow& operator=(const NotifyWindow&) = delete;

    HWND Handle() const { return m_hwnd; }
    std::vector<Message> Received() const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    std::function<void(WPARAM)> m_onResult;
    mutable std::mutex m_mutex;
    std::vector<Message> m_received;
    HWND m_hwnd = nullptr;
    std::thread m_thread;
};

// The runner tests' child program (tests/repair/ChildHelper.cpp).
inline CString HelperPath()
{
    return ExecutableFolder() + L"\\child_helper.exe";
}

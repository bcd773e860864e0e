#pragma once
// What the repair tests share: the display-adapter key and a window that receives the engine's
// messages on a user-interface thread of its own.
#include <windows.h>

#include <functional>
#include <string>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "framework/String.h"

// Sets the adapter's DalPSRFeatureEnable (creating the key when missing) to a DWORD or to text.
void SetPsrValue(DWORD value);
void SetPsrText(const wchar_t* text);
// The value as the registry API reads it back: false when missing or not a DWORD.
bool ReadPsrValue(DWORD& value);

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
    DWORD ThreadId() const { return m_threadId; }
    std::vector<Message> Received() const;
    std::vector<DWORD> HandlingThreads() const;

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Run(HANDLE ready);

    std::function<void(WPARAM)> m_onResult;
    mutable std::mutex m_mutex;
    std::vector<Message> m_received;
    std::vector<DWORD> m_handlingThreads;
    HWND m_hwnd = nullptr;
    DWORD m_threadId = 0;
    std::thread m_thread;
};

// How many failure records of the repair command the tool's log holds, and what follows the fixed
// text in the last one.
size_t RepairFailureRecords();
CString LastRepairFailureDetail();

// The runner tests' child program (tests/repair/ChildHelper.cpp).
CString HelperPath();
// Whether the process whose id is `pidText` has ended, or ends within a few seconds.
bool ProcessEnds(const std::string& pidText);

#include "RepairTestSupport.h"

#include <stdexcept>

#include "framework/Handle.h"
#include "repair/RepairMessages.h"

NotifyWindow::NotifyWindow(std::function<void(WPARAM)> onResult) : m_onResult(std::move(onResult))
{
    CHandle ready(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    m_thread = std::thread([this, &ready] {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &NotifyWindow::WindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"PalluxTestNotifyWindow";
        RegisterClassW(&windowClass);  // already registered by an earlier window: fine
        m_hwnd = CreateWindowExW(0, windowClass.lpszClassName, L"notify", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                 nullptr, windowClass.hInstance, this);
        SetEvent(ready.Get());
        MSG message;
        while (m_hwnd != nullptr && GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    });
    WaitForSingleObject(ready.Get(), INFINITE);
    if (m_hwnd == nullptr) {
        m_thread.join();
        throw std::runtime_error("the notify window could not be created");
    }
}

NotifyWindow::~NotifyWindow()
{
    PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
    m_thread.join();
}

std::vector<NotifyWindow::Message> NotifyWindow::Received() const
{
    std::lock_guard<std::mutex> hold(m_mutex);
    return m_received;
}

LRESULT CALLBACK NotifyWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_CLOSE_EXECUTE_PROMPT:
    case WM_REPAIR_RESULT: {
        {
            std::lock_guard<std::mutex> hold(self->m_mutex);
            self->m_received.emplace_back(message, wParam);
        }
        if (message == WM_REPAIR_RESULT && self->m_onResult) self->m_onResult(wParam);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

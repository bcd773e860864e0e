#include "support/PairRunner.h"

#include <memory>
#include <stdexcept>

#include "framework/WinApp.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

bool FindVisiblePair(DWORD thread, HWND* shell, HWND* content)
{
    *shell = *content = nullptr;
    for (HWND window : VisibleWindows(GetCurrentProcessId(), thread)) {
        if (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYERED) *shell = window;
        else if (GetWindow(window, GW_OWNER) != nullptr) *content = window;
    }
    return *shell != nullptr && *content != nullptr;
}

PairRunner::PairRunner(Factory make)
{
    std::atomic<bool> started{false};
    m_ui = std::thread([this, make, &started] {
        m_threadId = GetCurrentThreadId();
        std::unique_ptr<CLayeredShellDlg> dialog(make());
        started = true;
        m_result = dialog->DoModal();
        // A pair made the application's main window does not outlive itself there.
        if (AfxGetApp() != nullptr && AfxGetMainWnd() == dialog.get()) AfxGetApp()->m_pMainWnd = nullptr;
        dialog.reset();
        m_ended = true;
    });
    WaitUntil([&] { return started.load(); }, INFINITE);
    if (!WaitUntil([&] { return FindVisiblePair(m_threadId, &m_shell, &m_content); })) {
        Stop();
        throw std::runtime_error("the window pair did not show");
    }
    Settle(m_content);
}

PairRunner::~PairRunner()
{
    Stop();
}

void PairRunner::Stop()
{
    if (End() == kStillRunning) {
        // WM_QUIT ends every modal loop of the thread, however deep.
        while (!m_ended) {
            PostThreadMessageW(m_threadId, WM_QUIT, 0, 0);
            WaitUntil([&] { return m_ended.load(); }, 1000);
        }
    }
    if (m_ui.joinable()) m_ui.join();
}

bool PairRunner::Drag(POINT from, POINT to, bool expectMove) const
{
    const CRect start = ContentRect();
    bool moving = false;
    for (int attempt = 0; attempt < (expectMove ? 3 : 1) && !moving; ++attempt) {
        if (attempt > 0) SendMouseButton(false);
        SendMouseTo(from);
        SendMouseButton(true);
        moving = WaitUntil([&] {
            GUITHREADINFO info{};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(m_threadId, &info) && info.hwndMoveSize != nullptr;
        }, expectMove ? 1500 : 300);
    }
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps; ++i)
        SendMouseTo(POINT{from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps}, false);
    if (moving) {
        WaitUntil([&] {
            const CRect now = ContentRect();
            return now.left - start.left == to.x - from.x && now.top - start.top == to.y - from.y;
        });
    }
    SendMouseButton(false);
    return moving;
}

INT_PTR PairRunner::Result(DWORD timeoutMs)
{
    if (!WaitUntil([&] { return m_ended.load(); }, timeoutMs)) return kStillRunning;
    if (m_ui.joinable()) m_ui.join();
    return m_result;
}

INT_PTR PairRunner::End(UINT message, WPARAM wParam)
{
    if (!m_ended && m_shell != nullptr) PostMessageW(m_shell, message, wParam, 0);
    return Result();
}

#include "support/PairRunner.h"

#include <memory>
#include <stdexcept>

#include "framework/WinApp.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

namespace {

struct PairSearch {
    HWND shell = nullptr;
    HWND content = nullptr;
};

BOOL CALLBACK Classify(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<PairSearch*>(param);
    if (!IsWindowVisible(hwnd)) return TRUE;
    if (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) search->shell = hwnd;
    else if (GetWindow(hwnd, GW_OWNER) != nullptr) search->content = hwnd;
    return TRUE;
}

struct ControlSearch {
    int id;
    HWND found = nullptr;
};

BOOL CALLBACK HoldsControl(HWND hwnd, LPARAM param)
{
    auto* search = reinterpret_cast<ControlSearch*>(param);
    if (!IsWindowVisible(hwnd) || GetDlgItem(hwnd, search->id) == nullptr) return TRUE;
    search->found = hwnd;
    return FALSE;
}

CRect WindowRect(HWND window)
{
    CRect rect;
    GetWindowRect(window, &rect);
    return rect;
}

}  // namespace

bool FindVisiblePair(DWORD thread, HWND* shell, HWND* content)
{
    PairSearch search;
    EnumThreadWindows(thread, &Classify, reinterpret_cast<LPARAM>(&search));
    *shell = search.shell;
    *content = search.content;
    return search.shell != nullptr && search.content != nullptr;
}

PairRunner::PairRunner(Factory make, bool withContent)
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
    const bool shown = WaitUntil([&] {
        FindVisiblePair(m_threadId, &m_shell, &m_content);
        return m_shell != nullptr && (!withContent || m_content != nullptr);
    });
    if (!shown) {
        Stop();
        throw std::runtime_error("the window pair did not show");
    }
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

CRect PairRunner::ShellRect() const
{
    return WindowRect(m_shell);
}

CRect PairRunner::ContentRect() const
{
    return WindowRect(m_content);
}

HWND PairRunner::MovingWindow() const
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(m_threadId, &info) ? info.hwndMoveSize : nullptr;
}

HWND PairRunner::WindowWithControl(int id, DWORD timeoutMs) const
{
    ControlSearch search{id};
    WaitUntil([&] {
        EnumThreadWindows(m_threadId, &HoldsControl, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeoutMs);
    return search.found;
}

void PairRunner::Settle(HWND window) const
{
    if (window == nullptr) window = m_content;
    CRect last = WindowRect(window);
    ULONGLONG stableSince = GetTickCount64();
    WaitUntil([&] {
        const CRect now = WindowRect(window);
        if (now != last) {
            last = now;
            stableSince = GetTickCount64();
        }
        return GetForegroundWindow() == window && GetTickCount64() - stableSince >= 300;
    }, 5000);
}

bool PairRunner::Drag(POINT from, POINT to, bool expectMove) const
{
    const CRect start = ContentRect();
    bool moving = false;
    for (int attempt = 0; attempt < (expectMove ? 3 : 1) && !moving; ++attempt) {
        if (attempt > 0) SendMouseButton(false);
        SendMouseTo(from);
        SendMouseButton(true);
        moving = WaitUntil([&] { return MovingWindow() != nullptr; }, expectMove ? 1500 : 300);
    }
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps; ++i)
        SendMouseTo(POINT{from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps});
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

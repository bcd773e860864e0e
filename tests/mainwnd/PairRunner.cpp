#include "PairRunner.h"

#include <stdexcept>

#include "support/TestSupport.h"

PairRunner::PairRunner(Factory make, bool withContent)
{
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    m_ui = std::thread([this, make, started] {
        m_threadId = GetCurrentThreadId();
        CLayeredShellDlg* dialog = make();
        SetEvent(started);
        m_result = dialog->DoModal();
        delete dialog;
    });
    WaitForSingleObject(started, INFINITE);
    CloseHandle(started);
    FindWindows(withContent);
}

PairRunner::~PairRunner()
{
    if (!m_closed) Close();
}

BOOL CALLBACK PairRunner::Classify(HWND hwnd, LPARAM self)
{
    auto* runner = reinterpret_cast<PairRunner*>(self);
    if (!IsWindowVisible(hwnd)) return TRUE;
    if (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED) runner->m_shell = hwnd;
    else if (GetWindow(hwnd, GW_OWNER) != nullptr) runner->m_content = hwnd;
    return TRUE;
}

void PairRunner::FindWindows(bool withContent)
{
    const bool found = WaitUntil([&] {
        m_shell = nullptr;
        m_content = nullptr;
        EnumThreadWindows(m_threadId, &PairRunner::Classify, reinterpret_cast<LPARAM>(this));
        return m_shell != nullptr && (!withContent || m_content != nullptr);
    });
    if (!found) throw std::runtime_error("the window pair did not show");
}

CRect PairRunner::ShellRect() const
{
    CRect rect;
    GetWindowRect(m_shell, &rect);
    return rect;
}

CRect PairRunner::ContentRect() const
{
    CRect rect;
    GetWindowRect(m_content, &rect);
    return rect;
}

HWND PairRunner::MovingWindow() const
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(m_threadId, &info) ? info.hwndMoveSize : nullptr;
}

INT_PTR PairRunner::Close()
{
    m_closed = true;
    PostMessageW(m_shell, WM_CLOSE, 0, 0);
    m_ui.join();
    return m_result;
}

void MouseTo(int x, int y)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    Sleep(15);  // lets the window's thread take the move before the next one
}

void MouseButton(bool down)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP;
    SendInput(1, &input, sizeof input);
    Sleep(15);
}

void Drag(POINT from, POINT to)
{
    MouseTo(from.x, from.y);
    MouseButton(true);
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps; ++i)
        MouseTo(from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps);
    MouseButton(false);
}

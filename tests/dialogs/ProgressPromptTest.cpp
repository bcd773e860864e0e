// The progress prompt ended by the work's message however early that comes, even before the prompt
// exists: it ends with IDOK, is hidden the moment the close is handled and leaves no window behind.
// Its text, dots, keys and clicks are the end-to-end repair flow's part.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "dialogs/ExecutePromptDlg.h"
#include "framework/Gdiplus.h"
#include "repair/RepairMessages.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

namespace {

// Stands where the main panel stands: forwards the work's close to the prompt and notes whether
// anything of the prompt still shows right after.
class Forwarder : public CWnd {
public:
    Forwarder()
    {
        SubclassWindow(CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    }
    ~Forwarder() override { DestroyWindow(); }

    CExecutePromptDlg* m_pPrompt = nullptr;
    bool m_bShownAfterClose = false;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message != WM_CLOSE_EXECUTE_PROMPT) return CWnd::WindowProc(message, wParam, lParam);
        const CLayeredContentDlg* content = m_pPrompt->Content();
        const HWND windows[] = {m_pPrompt->m_hWnd, content != nullptr ? content->m_hWnd : nullptr};
        m_pPrompt->RequestClose();
        m_bShownAfterClose = ::IsWindowVisible(windows[0]) || ::IsWindowVisible(windows[1]);
        return 1;
    }
};

// Ends a prompt that missed its close, so that the fault fails the test instead of hanging it.
constexpr INT_PTR kMissedClose = 99;
CDialog* g_watched = nullptr;
void CALLBACK EndWatched(HWND, UINT, UINT_PTR, DWORD)
{
    if (g_watched != nullptr) g_watched->EndDialog(kMissedClose);
}

TEST(ProgressPrompt, EndsWithIdOkAndHidesAtOnceWhenTheWorkSaysSoHoweverEarly)
{
    const CGdiplusSession gdiplus;  // the prompt draws with it, as in the tool
    Forwarder forwarder;
    const size_t ownWindows = VisibleWindows(GetCurrentProcessId()).size();
    // At once: while the prompt is still being made; early: before DoModal, while this thread pumps.
    for (const bool beforeDoModal : {false, false, false, false, false, false, false, false, true, true, true}) {
        SCOPED_TRACE(beforeDoModal ? "before DoModal" : "at once");
        CExecutePromptDlg prompt;
        forwarder.m_pPrompt = &prompt;
        std::atomic<bool> closeSent{false};
        // The work, as the repair's worker: it sends the close and waits until it is handled.
        std::thread work([&] {
            SendMessageW(forwarder.m_hWnd, WM_CLOSE_EXECUTE_PROMPT, 0, 0);
            closeSent = true;
        });
        EXPECT_TRUE(!beforeDoModal || WaitUntil([&] { return closeSent.load(); }));
        g_watched = &prompt;
        const UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, &EndWatched);
        EXPECT_EQ(prompt.DoModal(), IDOK);
        KillTimer(nullptr, watchdog);
        work.join();
        EXPECT_EQ(VisibleWindows(GetCurrentProcessId()).size(), ownWindows)
            << "the prompt left a window on screen";
        EXPECT_FALSE(forwarder.m_bShownAfterClose) << "the prompt still showed right after its close";
    }
}

}  // namespace

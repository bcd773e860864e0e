// The progress prompt ended by the work's message however early that comes, even before the prompt
// exists, and also when a message box ran while it ended: it ends with IDOK, is hidden the moment
// the close is handled and leaves no window behind. A prompt that cannot be made asks with the
// system's message box. Texts, dots, keys and clicks are the end-to-end repair flow's part.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "dialogs/ExecutePromptDlg.h"
#include "dialogs/PromptDlg.h"
#include "framework/Encoding.h"
#include "framework/Gdiplus.h"
#include "framework/Handle.h"
#include "repair/RepairMessages.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

namespace {

const wchar_t kResultBoxTitle[] = L"pallux result box";

// Presses `button` of the system message box titled `title` once it shows; whether it did. (A prompt
// of the tool may bear the same title, but none has the system's button ids.)
bool PressWhenShown(const wchar_t* title, int button)
{
    for (int i = 0; i < 500; ++i, Sleep(20)) {
        const HWND box = FindWindowW(L"#32770", title);
        if (box != nullptr && GetDlgItem(box, button) != nullptr) return PostMessageW(box, WM_COMMAND, button, 0);
    }
    return false;
}

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
        // As the main panel's result handler: the close, then a modal loop of the system's own,
        // which takes whatever is posted to this thread meanwhile.
        if (message == WM_REPAIR_RESULT) {
            m_pPrompt->RequestClose();
            MessageBoxW(nullptr, L"result", kResultBoxTitle, MB_OK);
            return 1;
        }
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

TEST(ProgressPrompt, EndsWhenAMessageBoxRanInsideTheResultHandlerThoughNoTimerWakesItsLoop)
{
    const CGdiplusSession gdiplus;
    Forwarder forwarder;
    CExecutePromptDlg prompt;
    forwarder.m_pPrompt = &prompt;
    std::thread work([&] { SendMessageW(forwarder.m_hWnd, WM_REPAIR_RESULT, kRepairFailed, 0); });
    std::thread answer([] { EXPECT_TRUE(PressWhenShown(kResultBoxTitle, IDOK)); });
    // A loop that missed its end is woken from another thread, late enough to fail the test: a
    // timer of this thread's would wake it as the main panel's hover timer did.
    const DWORD thread = GetCurrentThreadId();
    const CHandle ended(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::thread watchdog([&] {
        if (WaitForSingleObject(ended.Get(), 10000) == WAIT_TIMEOUT) PostThreadMessageW(thread, WM_NULL, 0, 0);
    });
    const ULONGLONG started = GetTickCount64();
    EXPECT_EQ(prompt.DoModal(), IDOK);
    EXPECT_LT(GetTickCount64() - started, 5000u) << "the prompt's loop ended only when something woke it";
    SetEvent(ended.Get());
    for (std::thread* waited : {&work, &answer, &watchdog}) waited->join();
}

TEST(Prompt, ThatCannotBeMadeAsksWithTheSystemsMessageBoxAndTheLogSaysSo)
{
    const CGdiplusSession gdiplus;
    const struct {
        int kind;
        int pressed;  // also a button the box must have
        INT_PTR result;
    } cases[] = {{2, IDYES, IDOK}, {2, IDNO, IDCANCEL}, {3, IDOK, IDOK}, {4, IDCANCEL, IDCANCEL}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << ", button " << c.pressed);
        CPromptDlg prompt;
        prompt.m_fScale = 0;  // a frame of no size cannot be drawn
        prompt.SetPromptText(L"现在就要重启吗？\r\n第二行");
        prompt.SetPromptKind(c.kind);
        const size_t logBefore = ToolLog().size();
        std::thread answer([&] { EXPECT_TRUE(PressWhenShown(L"提示", c.pressed)); });
        EXPECT_EQ(prompt.DoModal(), c.result);
        answer.join();
        EXPECT_NE(ToolLog().find(CodePageFromWide(936, L"改用系统消息框：现在就要重启吗？"), logBefore), std::string::npos);
    }
}

}  // namespace

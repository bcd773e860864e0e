// The progress prompt: ended by the work's message however early or late that comes (even before
// the prompt exists), hidden the moment it ends, leaving no window behind; its default text and
// growing dots. What keys, clicks and closes do to it is the end-to-end repair flow's part.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "dialogs/ExecutePromptDlg.h"
#include "repair/RepairMessages.h"
#include "res/resource.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

namespace {

const wchar_t kDefaultText[] = L"正在修复，请稍等";

BOOL CALLBACK CountWindow(HWND, LPARAM count)
{
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// The top-level windows this thread has, shown or not.
int WindowsOfThisThread()
{
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &CountWindow, reinterpret_cast<LPARAM>(&count));
    return count;
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

TEST(ProgressPrompt, EndsWithIdOkAndHidesAtOnceWhenTheWorkSaysSoHoweverEarlyOrLate)
{
    enum class When { AfterWork, AtOnce, BeforeDoModal };
    const struct {
        When when;
        int runs;
        const char* what;
    } kClosings[] = {{When::AfterWork, 1, "after 1.5 s of work"},
                     {When::AtOnce, 20, "at once"},
                     {When::BeforeDoModal, 3, "before DoModal, while this thread pumps"}};
    Forwarder forwarder;
    const int ownWindows = WindowsOfThisThread();
    const DWORD ui = GetCurrentThreadId();

    for (const auto& closing : kClosings) {
        for (int run = 0; run < closing.runs; ++run) {
            SCOPED_TRACE(testing::Message() << closing.what << ", run " << run);
            CExecutePromptDlg prompt;
            forwarder.m_pPrompt = &prompt;
            std::atomic<bool> closeSent{false};
            std::atomic<ULONGLONG> closedAt{0};
            CString shownText;
            bool dotsGrew = false;
            // The work, as the repair's worker: it sends the close and waits until it is handled.
            std::thread work([&] {
                if (closing.when == When::AfterWork) {
                    const HWND content = WindowWithControl(IDC_STATE_TEXT, 5000, GetCurrentProcessId(), ui);
                    const HWND label = GetDlgItem(content, IDC_STATE_TEXT);
                    shownText = TextOf(label);
                    // Only a dot changes what the label shows.
                    const Pixels bare = CaptureClient(label);
                    const ULONGLONG start = GetTickCount64();
                    dotsGrew = WaitUntil([&] { return MatchShare(CaptureClient(label), bare, 0) < 1.0; }, 3000);
                    WaitUntil([&] { return GetTickCount64() - start >= 1500; });
                }
                closedAt = GetTickCount64();
                SendMessageW(forwarder.m_hWnd, WM_CLOSE_EXECUTE_PROMPT, 0, 0);
                closeSent = true;
            });
            EXPECT_TRUE(closing.when != When::BeforeDoModal || PumpUntil([&] { return closeSent.load(); }));
            g_watched = &prompt;
            const UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, &EndWatched);
            EXPECT_EQ(prompt.DoModal(), IDOK);
            EXPECT_LT(GetTickCount64() - closedAt, 3000u) << "DoModal returned too long after the close";
            KillTimer(nullptr, watchdog);
            work.join();

            EXPECT_EQ(WindowsOfThisThread(), ownWindows) << "the prompt left a window behind";
            EXPECT_FALSE(forwarder.m_bShownAfterClose) << "the prompt still showed right after its close";
            if (closing.when == When::AfterWork) {
                EXPECT_EQ(shownText, CString(kDefaultText)) << "an empty text shows the default";
                EXPECT_TRUE(dotsGrew) << "no dot within 3 s";
            }
        }
    }
}

}  // namespace

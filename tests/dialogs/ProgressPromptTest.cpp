// The progress prompt: ended by the work's message however early or late that comes, hidden the
// moment it ends, its default text and growing dots; no key, close or drag ends or moves it; every
// handle given back.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "dialogs/ExecutePromptDlg.h"
#include "dialogs/PromptDlg.h"
#include "framework/LiveCount.h"
#include "mainwnd/CustomMessages.h"
#include "res/resource.h"
#include "support/PairRunner.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

namespace {

const wchar_t kDefaultText[] = L"正在修复，请稍等";

bool IsShownWindow(HWND window)
{
    return window != nullptr && IsWindow(window) && IsWindowVisible(window);
}

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

// The white pixels of the label's text: they grow with every dot.
size_t LitPixels(HWND label)
{
    size_t lit = 0;
    for (const uint32_t pixel : CaptureClient(label).argb)
        if ((pixel & 0xFF) > 200 && ((pixel >> 8) & 0xFF) > 200 && ((pixel >> 16) & 0xFF) > 200) ++lit;
    return lit;
}

// Stands where the main panel stands: forwards the work's close to the prompt, and answers the
// work's result with a prompt of its own, as the repair does.
class Forwarder : public CWnd {
public:
    Forwarder()
    {
        SubclassWindow(CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
    }
    ~Forwarder() override { DestroyWindow(); }

    void Serve(CExecutePromptDlg* prompt)
    {
        m_pPrompt = prompt;
        m_bShownAfterClose = m_bShownBesideResult = false;
        m_nResultAnswer = 0;
    }

    bool m_bShownAfterClose = false;    // the progress prompt still showed right after its close
    bool m_bShownBesideResult = false;  // it showed while the result prompt stood
    INT_PTR m_nResultAnswer = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CLOSE_EXECUTE_PROMPT) {
            m_progress[0] = m_pPrompt->m_hWnd;
            m_progress[1] = m_pPrompt->Content() != nullptr ? m_pPrompt->Content()->m_hWnd : nullptr;
            m_pPrompt->RequestClose();
            m_bShownAfterClose = IsShownWindow(m_progress[0]) || IsShownWindow(m_progress[1]);
            return 1;
        }
        if (message == WM_REPAIR_RESULT) {
            CPromptDlg result;
            result.SetPromptKind(3);
            result.SetPromptText(L"屏闪修复失败！");
            s_answering = this;
            m_pResult = &result;
            const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, &Forwarder::AnswerOnceShown);
            m_nResultAnswer = result.DoModal();
            ::KillTimer(nullptr, timer);
            return 1;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }

private:
    static void CALLBACK AnswerOnceShown(HWND, UINT, UINT_PTR, DWORD)
    {
        Forwarder* self = s_answering;
        if (!IsShownWindow(self->m_pResult->m_hWnd)) return;
        self->m_bShownBesideResult = IsShownWindow(self->m_progress[0]) || IsShownWindow(self->m_progress[1]);
        ::PostMessageW(self->m_pResult->m_hWnd, WM_PROMPT_RESULT, 1, 0);
    }

    static inline Forwarder* s_answering = nullptr;
    CExecutePromptDlg* m_pPrompt = nullptr;
    CPromptDlg* m_pResult = nullptr;
    HWND m_progress[2] = {};
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
    struct Closing {
        When when;
        int runs;
        const char* what;
    };
    const Closing kClosings[] = {
        {When::AfterWork, 1, "after 1.5 s of work, the result answered with a prompt"},
        {When::AtOnce, 20, "at once"},
        {When::BeforeDoModal, 3, "before DoModal, while this thread pumps"},
    };
    long before[static_cast<int>(HandleKind::kCount)];
    for (int kind = 0; kind < static_cast<int>(HandleKind::kCount); ++kind)
        before[kind] = LiveHandles(static_cast<HandleKind>(kind));
    Forwarder forwarder;
    const int ownWindows = WindowsOfThisThread();

    for (const Closing& closing : kClosings) {
        for (int run = 0; run < closing.runs; ++run) {
            SCOPED_TRACE(testing::Message() << closing.what << ", run " << run);
            CExecutePromptDlg prompt;
            prompt.SetPromptText(L"");
            forwarder.Serve(&prompt);
            const DWORD ui = GetCurrentThreadId();
            std::atomic<bool> closeSent{false}, workDone{false};
            std::atomic<ULONGLONG> closedAt{0};
            CString shownText;
            bool dotsGrew = false;
            std::thread work([&] {
                if (closing.when == When::AfterWork) {
                    HWND shell = nullptr, content = nullptr;
                    WaitUntil([&] { return FindVisiblePair(ui, &shell, &content); });
                    const HWND label = GetDlgItem(content, IDC_STATE_TEXT);
                    shownText = TextOf(label);
                    const size_t bare = LitPixels(label);
                    const ULONGLONG start = GetTickCount64();
                    dotsGrew = WaitUntil([&] { return LitPixels(label) > bare; }, 3000);
                    WaitUntil([&] { return GetTickCount64() - start >= 1500; });
                }
                closedAt = GetTickCount64();
                SendMessageW(forwarder.m_hWnd, WM_CLOSE_EXECUTE_PROMPT, 0, 0);
                closeSent = true;
                if (closing.when == When::AfterWork) SendMessageW(forwarder.m_hWnd, WM_REPAIR_RESULT, kRepairFailed, 0);
                workDone = true;
            });
            if (closing.when == When::BeforeDoModal) {
                EXPECT_TRUE(PumpUntil([&] { return closeSent.load(); }));
            }

            g_watched = &prompt;
            const UINT_PTR watchdog = SetTimer(nullptr, 0, 10000, &EndWatched);
            const INT_PTR result = prompt.DoModal();
            const ULONGLONG ended = GetTickCount64();
            KillTimer(nullptr, watchdog);
            g_watched = nullptr;
            EXPECT_TRUE(PumpUntil([&] { return workDone.load(); }, 10000));
            work.join();

            EXPECT_EQ(result, IDOK);
            EXPECT_LT(ended - closedAt, 3000u) << "DoModal returned too long after the close";
            EXPECT_EQ(WindowsOfThisThread(), ownWindows) << "the prompt left a window behind";
            EXPECT_FALSE(forwarder.m_bShownAfterClose) << "the prompt still showed right after its close";
            if (closing.when == When::AfterWork) {
                EXPECT_EQ(shownText, CString(kDefaultText));
                EXPECT_TRUE(dotsGrew) << "no dot within 3 s";
                EXPECT_EQ(forwarder.m_nResultAnswer, IDOK) << "the result prompt was not answered";
                EXPECT_FALSE(forwarder.m_bShownBesideResult) << "the progress prompt showed beside the result";
            }
        }
    }
    for (int kind = 0; kind < static_cast<int>(HandleKind::kCount); ++kind)
        EXPECT_EQ(LiveHandles(static_cast<HandleKind>(kind)), before[kind]) << "handles of kind " << kind;
}

PairRunner::Factory Progress(const wchar_t* text)
{
    return [=]() -> CLayeredShellDlg* {
        auto* prompt = new CExecutePromptDlg;
        prompt->SetPromptText(text);
        return prompt;
    };
}

TEST(ProgressPrompt, TextsShorterThanTwoCharactersShowTheDefault)
{
    const std::pair<const wchar_t*, const wchar_t*> kTexts[] = {
        {L"", kDefaultText}, {L"修", kDefaultText}, {L"请稍候", L"请稍候"}};
    for (const auto& [given, shown] : kTexts) {
        PairRunner prompt(Progress(given));
        const HWND label = GetDlgItem(prompt.Content(), IDC_STATE_TEXT);
        EXPECT_EQ(TextOf(label), CString(shown));
        const CRect shell = prompt.ShellRect();
        EXPECT_EQ(prompt.ContentRect(), CRect(shell.left + 14, shell.top + 12, shell.right - 14, shell.bottom - 16));
        EXPECT_EQ(shell.Width(), 232);
        EXPECT_EQ(shell.Height(), 132);
        EXPECT_EQ(prompt.End(WM_CLOSE_EXECUTE_PROMPT, 0), IDOK);
    }
}

TEST(ProgressPrompt, NoKeyCloseOrDragEndsOrMovesIt)
{
    PairRunner prompt(Progress(kDefaultText));
    prompt.Settle();
    const CRect shell = prompt.ShellRect();
    const CRect content = prompt.ContentRect();
    EXPECT_FALSE(prompt.Drag(POINT{content.left + 100, content.top + 10}, POINT{content.left + 160, content.top + 70}, false));
    EXPECT_EQ(prompt.ShellRect(), shell);
    EXPECT_EQ(prompt.ContentRect(), content);

    for (const auto& [key, alt] : {std::pair<WORD, bool>{VK_ESCAPE, false}, {VK_RETURN, false}, {VK_F4, true}}) {
        SendKey(key, alt);
        EXPECT_EQ(prompt.Result(500), PairRunner::kStillRunning) << "key " << key << " ended the prompt";
    }
    // Alt+F4 closes whichever window has the focus: neither the shell nor the panel ends.
    for (const HWND window : {prompt.Shell(), prompt.Content()}) PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(prompt.Result(500), PairRunner::kStillRunning) << "WM_CLOSE ended the prompt";
    EXPECT_TRUE(IsWindowVisible(prompt.Shell()) && IsWindowVisible(prompt.Content()));
    EXPECT_EQ(prompt.End(WM_CLOSE_EXECUTE_PROMPT, 0), IDOK);
}

}  // namespace

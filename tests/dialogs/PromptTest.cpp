// The confirmation prompt as real windows: each kind's buttons, artwork, text and answers under
// real clicks and keys, with every handle given back; its size at the caller's scale, its place over
// the main window, and dragging.
#include <gtest/gtest.h>

#include <tuple>

#include "dialogs/PromptDlg.h"
#include "framework/WinApp.h"
#include "mainwnd/MainWindow.h"
#include "res/resource.h"
#include "support/PairRunner.h"
#include "support/TestSupport.h"

namespace {

CWinApp g_app;

PairRunner::Factory Prompt(int kind, const wchar_t* text = L"提示", float scale = 1.0f)
{
    return [=]() -> CLayeredShellDlg* {
        auto* prompt = new CPromptDlg;
        prompt->SetPromptKind(kind);
        prompt->SetPromptText(text);
        prompt->m_fScale = scale;
        return prompt;
    };
}

struct KindCase {
    int kind;
    const wchar_t* text;
    UINT images[2];  // the normal images of OK and Cancel, whose labels tell the kinds apart
    bool cancelShown;
    int okLeft;
};

const KindCase kKinds[] = {
    {1, L"", {169, 163}, false, 135},
    {2, L"修复完成，建议您保存数据重新启动电脑再使用。现在就要重启吗？\r\n如果重启后仍有问题", {169, 163}, true, 96},
    {3, L"屏闪修复失败！", {166, 157}, false, 135},
    {4, L"以下修复操作涉及到修改系统注册表，操作前请确认电脑里的资料均已备份！", {166, 157}, true, 96},
};

void ExpectLayout(HWND content, const KindCase& kind)
{
    EXPECT_EQ(ControlRect(content, IDC_CLOSE), CRect(300, 8, 312, 20));
    EXPECT_EQ(ControlRect(content, IDC_PROMPT_OK), CRect(kind.okLeft, 107, kind.okLeft + 55, 131));
    EXPECT_EQ(ControlRect(content, IDC_PROMPT_CANCEL), CRect(175, 107, 230, 131));
    EXPECT_EQ(ControlRect(content, IDC_PROMPT_TEXT), CRect(10, 40, 316, 106));
    const HWND label = GetDlgItem(content, IDC_PROMPT_TEXT);
    EXPECT_EQ(TextOf(label), CString(kind.text));
    EXPECT_EQ(InkBounds(CaptureClient(label)).IsRectEmpty(), kind.text[0] == L'\0')
        << "the label shows ink exactly when it has a text";
    for (const auto& [id, image, shown] : {std::tuple{IDC_PROMPT_OK, kind.images[0], true},
                                          {IDC_PROMPT_CANCEL, kind.images[1], kind.cancelShown}}) {
        const HWND button = GetDlgItem(content, id);
        EXPECT_EQ(IsWindowVisible(button) != FALSE, shown) << "button " << id;
        const UINT picture = image;  // a lambda may not capture a structured binding in C++17
        EXPECT_TRUE(!shown || WaitUntil([&] { return MatchShare(CaptureClient(button), Picture(picture)) >= 0.95; }, 2000))
            << "button " << id << " does not show image " << image;
    }
}

TEST(Prompt, EachKindShowsItsButtonsAndTextAndAnswersAsClickedAndGivesEveryHandleBack)
{
    struct Answer {
        int button;  // clicked; 0: Enter, which must leave the prompt open, then the keys
        std::vector<WORD> keys;
        INT_PTR result;
    };
    const Answer kAnswers[] = {{IDC_PROMPT_OK, {}, IDOK}, {IDC_PROMPT_CANCEL, {}, IDCANCEL}, {IDC_CLOSE, {}, IDCANCEL},
                               {0, {VK_ESCAPE}, IDCANCEL}, {0, {VK_MENU, VK_F4}, IDCANCEL}};
    const std::vector<long> handles = LiveHandleCounts();
    for (const KindCase& kind : kKinds) {
        for (const Answer& answer : kAnswers) {
            if (answer.button == IDC_PROMPT_CANCEL && !kind.cancelShown) continue;
            SCOPED_TRACE(testing::Message() << "kind " << kind.kind << ", button " << answer.button << ", keys "
                                            << answer.keys.size());
            SendMouseTo(POINT{20, 20});
            PairRunner prompt(Prompt(kind.kind, kind.text));
            if (answer.button == IDC_PROMPT_OK) ExpectLayout(prompt.Content(), kind);
            if (answer.button != 0) {
                ClickControl(prompt.Content(), answer.button);
            } else {
                SendKeys({VK_RETURN});
                EXPECT_EQ(prompt.Result(500), PairRunner::kStillRunning) << "Enter ended the prompt";
                SendKeys(answer.keys);
            }
            EXPECT_EQ(prompt.Result(), answer.result);
        }
    }
    EXPECT_EQ(LiveHandleCounts(), handles);
}

TEST(Prompt, TakesItsCallersScale)
{
    // The screen stays at 96 DPI: a prompt at 1.2 shows that it takes its caller's scale.
    const struct {
        float scale;
        CSize shell;
        RECT insets;  // of the content inside the shell
    } kScales[] = {{1.0f, {336, 156}, {5, 3, 5, 7}}, {1.2f, {403, 187}, {6, 3, 6, 8}}};
    for (const auto& scale : kScales) {
        SCOPED_TRACE(scale.scale);
        PairRunner prompt(Prompt(4, L"提示", scale.scale));
        const CRect shell = prompt.ShellRect();
        EXPECT_EQ(shell, CRect(shell.left, shell.top, shell.left + scale.shell.cx, shell.top + scale.shell.cy));
        EXPECT_EQ(prompt.ContentRect(), CRect(shell.left + scale.insets.left, shell.top + scale.insets.top,
                                              shell.right - scale.insets.right, shell.bottom - scale.insets.bottom));
    }
}

TEST(Prompt, DraggingTheBandMovesThePairButNotFromTheCloseButtonOrBelow)
{
    PairRunner prompt(Prompt(4));
    const CRect start = prompt.ContentRect();
    const POINT grip{start.left + 100, start.top + 15};
    ASSERT_TRUE(prompt.Drag(grip, POINT{grip.x - 80, grip.y + 50}, true)) << "a press in the band did not drag";
    const CRect moved = prompt.ContentRect();
    EXPECT_EQ(moved, CRect(start.left - 80, start.top + 50, start.right - 80, start.bottom + 50));
    EXPECT_EQ(prompt.ShellRect(), CRect(moved.left - 5, moved.top - 3, moved.left + 331, moved.top + 153))
        << "the shell did not keep its place around the content";

    // On the close button (released beside it, so it does not click) and just below the band.
    for (const POINT press : {POINT{moved.left + 306, moved.top + 14}, POINT{moved.left + 100, moved.top + 31}}) {
        EXPECT_FALSE(prompt.Drag(press, POINT{press.x + 40, press.y + 60}, false));
        EXPECT_EQ(prompt.ContentRect(), moved);
    }
    EXPECT_EQ(prompt.Result(300), PairRunner::kStillRunning);
}

// That the main window takes no click under a prompt and is given back after it is the end-to-end
// repair flow's part.
TEST(Prompt, StandsCentredOverTheMainWindow)
{
    PairRunner main([] {
        auto* shell = new CRapimendPalluxAMDFlashScreenRepairDlg;
        g_app.m_pMainWnd = shell;
        return shell;
    });
    // Away from the screen's centre, where the prompt would stand without an owner.
    const POINT grip{main.ContentRect().left + 60, main.ContentRect().top + 12};
    ASSERT_TRUE(main.Drag(grip, POINT{grip.x - 200, grip.y - 100}, true));
    ClickControl(main.Content(), IDC_REPAIR);
    const HWND prompt = WindowWithControl(IDC_PROMPT_OK, 5000, GetCurrentProcessId(), main.ThreadId());
    ASSERT_NE(prompt, nullptr) << "no confirmation prompt";
    Settle(prompt);
    const CRect owner = main.ShellRect(), shell = WindowRectOf(GetWindow(prompt, GW_OWNER));
    EXPECT_EQ(shell.left, owner.left + (owner.Width() - 336) / 2);
    EXPECT_EQ(shell.top, owner.top + (owner.Height() - 156) / 2);
    ClickControl(prompt, IDC_PROMPT_CANCEL);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(prompt); })) << "Cancel did not end the prompt";
    EXPECT_EQ(main.End(), IDCANCEL);
}

}  // namespace

// The confirmation prompt as real windows: each kind's buttons, artwork, text and answers under
// real clicks and keys, with every handle given back; its size at the caller's scale and its place;
// dragging; the main window held disabled beneath it.
#include <gtest/gtest.h>

#include "dialogs/PromptDlg.h"
#include "framework/WinApp.h"
#include "mainwnd/MainWindow.h"
#include "res/resource.h"
#include "support/PairRunner.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

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

// A control's rectangle in its dialog's client coordinates.
CRect ControlRect(HWND dialog, int id)
{
    CRect rect;
    GetWindowRect(GetDlgItem(dialog, id), &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
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
    const HWND label = GetDlgItem(content, IDC_PROMPT_TEXT);
    EXPECT_EQ(ControlRect(content, IDC_PROMPT_TEXT), CRect(10, 40, 316, 106));
    EXPECT_EQ(TextOf(label), CString(kind.text));
    EXPECT_EQ(InkBounds(CaptureClient(label), CRect(0, 0, 306, 66)).IsRectEmpty(), kind.text[0] == L'\0')
        << "the label shows ink exactly when it has a text";
    const int buttons[] = {IDC_PROMPT_OK, IDC_PROMPT_CANCEL};
    for (int i = 0; i < 2; ++i) {
        const HWND button = GetDlgItem(content, buttons[i]);
        EXPECT_EQ(IsWindowVisible(button) != FALSE, i == 0 || kind.cancelShown) << "button " << buttons[i];
        if (IsWindowVisible(button)) {
            EXPECT_TRUE(WaitUntil([&] { return MatchShare(CaptureClient(button), Picture(kind.images[i])) >= 0.95; }, 2000))
                << "button " << buttons[i] << " does not show image " << kind.images[i];
        }
    }
}

TEST(Prompt, EachKindShowsItsButtonsAndTextAndAnswersAsClickedAndGivesEveryHandleBack)
{
    struct Answer {
        int button;  // clicked; 0: Enter, which must leave the prompt open, then `key`
        WORD key;
        bool withAlt;
        INT_PTR result;
    };
    const Answer kAnswers[] = {{IDC_PROMPT_OK, 0, false, IDOK}, {IDC_PROMPT_CANCEL, 0, false, IDCANCEL},
                               {IDC_CLOSE, 0, false, IDCANCEL}, {0, VK_ESCAPE, false, IDCANCEL},
                               {0, VK_F4, true, IDCANCEL}};
    const std::vector<long> handles = LiveHandleCounts();
    for (const KindCase& kind : kKinds) {
        for (const Answer& answer : kAnswers) {
            if (answer.button == IDC_PROMPT_CANCEL && !kind.cancelShown) continue;
            SCOPED_TRACE(testing::Message() << "kind " << kind.kind << ", button " << answer.button << ", key " << answer.key);
            SendMouseTo(POINT{20, 20});
            PairRunner prompt(Prompt(kind.kind, kind.text));
            prompt.Settle();
            if (answer.button == IDC_PROMPT_OK) ExpectLayout(prompt.Content(), kind);
            if (answer.button != 0) {
                SendClick(ClientCentre(GetDlgItem(prompt.Content(), answer.button)));
            } else {
                SendKey(VK_RETURN);
                EXPECT_EQ(prompt.Result(500), PairRunner::kStillRunning) << "Enter ended the prompt";
                SendKey(answer.key, answer.withAlt);
            }
            EXPECT_EQ(prompt.Result(), answer.result);
        }
    }
    EXPECT_EQ(LiveHandleCounts(), handles);
}

TEST(Prompt, TakesItsCallersScaleAndIsCentredOnTheWorkAreaWithoutOwner)
{
    struct ScaleCase {
        float scale;
        CSize shell;
        RECT insets;  // of the content inside the shell
    };
    // The screen stays at 96 DPI: a prompt at 1.2 shows that it takes its caller's scale.
    const ScaleCase kScales[] = {{1.0f, {336, 156}, {5, 3, 5, 7}}, {1.2f, {403, 187}, {6, 3, 6, 8}}};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const CRect work = monitor.rcWork;
    for (const ScaleCase& scale : kScales) {
        PairRunner prompt(Prompt(4, L"提示", scale.scale));
        prompt.Settle();
        const CRect shell = prompt.ShellRect();
        EXPECT_EQ(shell, CRect(work.left + (work.Width() - scale.shell.cx) / 2, work.top + (work.Height() - scale.shell.cy) / 2,
                               work.left + (work.Width() - scale.shell.cx) / 2 + scale.shell.cx,
                               work.top + (work.Height() - scale.shell.cy) / 2 + scale.shell.cy))
            << "at scale " << scale.scale;
        EXPECT_EQ(prompt.ContentRect(), CRect(shell.left + scale.insets.left, shell.top + scale.insets.top,
                                              shell.right - scale.insets.right, shell.bottom - scale.insets.bottom))
            << "at scale " << scale.scale;
    }
}

TEST(Prompt, DraggingTheBandMovesThePairButNotFromTheCloseButtonOrBelow)
{
    PairRunner prompt(Prompt(4));
    prompt.Settle();
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

TEST(Prompt, StandsCentredOverTheMainWindowWhichTakesNoClickUntilItEnds)
{
    PairRunner main([] {
        auto* shell = new CRapimendPalluxAMDFlashScreenRepairDlg;
        g_app.m_pMainWnd = shell;
        return shell;
    });
    main.Settle();
    // Away from the screen's centre, where the prompt would stand without an owner.
    const POINT grip{main.ContentRect().left + 60, main.ContentRect().top + 12};
    ASSERT_TRUE(main.Drag(grip, POINT{grip.x - 200, grip.y - 100}, true));
    const HWND panel = main.Content();
    const HWND agree = GetDlgItem(panel, IDC_AGREE);
    const auto checked = [&] { return SendMessageW(agree, BM_GETCHECK, 0, 0) == BST_CHECKED; };
    ASSERT_TRUE(checked()) << "the agreement starts checked";

    // The repair button asks first.
    SendClick(ClientCentre(GetDlgItem(panel, IDC_REPAIR)));
    const HWND prompt = main.WindowWithControl(IDC_PROMPT_OK);
    ASSERT_NE(prompt, nullptr) << "no confirmation prompt";
    main.Settle(prompt);
    CRect owner = main.ShellRect(), shell;
    GetWindowRect(GetWindow(prompt, GW_OWNER), &shell);
    EXPECT_EQ(shell.TopLeft().x, owner.left + (owner.Width() - 336) / 2) << "not centred over the main window";
    EXPECT_EQ(shell.TopLeft().y, owner.top + (owner.Height() - 156) / 2);
    EXPECT_FALSE(IsWindowEnabled(main.Shell()));
    EXPECT_FALSE(IsWindowEnabled(panel));
    ASSERT_FALSE(shell.PtInRect(ClientCentre(agree)));
    SendClick(ClientCentre(agree));
    EXPECT_FALSE(WaitUntil([&] { return !checked(); }, 500)) << "a click reached the main window under the prompt";

    SendClick(ClientCentre(GetDlgItem(prompt, IDC_PROMPT_CANCEL)));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(prompt); })) << "Cancel did not end the prompt";
    EXPECT_TRUE(IsWindowEnabled(main.Shell()) && IsWindowEnabled(panel)) << "the main window was not enabled again";
    main.Settle();
    SendClick(ClientCentre(agree));
    EXPECT_TRUE(WaitUntil([&] { return !checked(); })) << "the main window takes no clicks after the prompt";
    EXPECT_EQ(main.End(), IDCANCEL);
}

}  // namespace

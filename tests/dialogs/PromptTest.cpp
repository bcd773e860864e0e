// The confirmation prompt as real windows: each kind's buttons, artwork, text and answers under
// real clicks and keys; its geometry at two scales and its place; dragging; the main window held
// disabled under it; every handle given back.
#include <gtest/gtest.h>

#include "dialogs/PromptDlg.h"
#include "framework/LiveCount.h"
#include "framework/WinApp.h"
#include "mainwnd/CustomMessages.h"
#include "mainwnd/MainWindow.h"
#include "res/resource.h"
#include "support/PairRunner.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

namespace {

CWinApp g_app;

const wchar_t kRestartQuestion[] =
    L"修复完成，建议您保存数据重新启动电脑再使用。现在就要重启吗？\r\n"
    L"如果重启后仍有问题，与软件无关，建议联系当地Quelto售后服务网点解决，请了解。";

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

bool IsShown(HWND dialog, int id)
{
    return IsWindowVisible(GetDlgItem(dialog, id)) != FALSE;
}

// How the user answers, and what DoModal must give for it.
enum class Answer { Ok, Cancel, Close, EnterThenEsc, AltF4 };

struct KindCase {
    int kind;
    const wchar_t* text;
    UINT okImage;      // the normal images, whose labels tell the kinds apart
    UINT cancelImage;
    bool cancelShown;
    CPoint ok;         // where OK stands
};

const KindCase kKinds[] = {
    {1, L"", 169, 163, false, {135, 107}},
    {2, kRestartQuestion, 169, 163, true, {96, 107}},
    {3, L"屏闪修复失败！", 166, 157, false, {135, 107}},
    {4, L"以下修复操作涉及到修改系统注册表，操作前请确认电脑里的资料均已备份！", 166, 157, true, {96, 107}},
};

void ExpectLayout(HWND content, const KindCase& kind)
{
    EXPECT_EQ(ControlRect(content, IDC_CLOSE), CRect(300, 8, 312, 20));
    EXPECT_EQ(ControlRect(content, IDC_PROMPT_OK), CRect(kind.ok.x, kind.ok.y, kind.ok.x + 55, kind.ok.y + 24));
    EXPECT_EQ(ControlRect(content, IDC_PROMPT_CANCEL), CRect(175, 107, 230, 131));
    EXPECT_EQ(ControlRect(content, IDC_PROMPT_TEXT), CRect(10, 40, 316, 106));
    EXPECT_TRUE(IsShown(content, IDC_PROMPT_OK));
    EXPECT_EQ(IsShown(content, IDC_PROMPT_CANCEL), kind.cancelShown);

    EXPECT_EQ(TextOf(GetDlgItem(content, IDC_PROMPT_TEXT)), CString(kind.text));
    const HWND label = GetDlgItem(content, IDC_PROMPT_TEXT);
    const CRect labelClient(0, 0, 306, 66);
    EXPECT_EQ(InkBounds(CaptureClient(label), labelClient).IsRectEmpty(), kind.text[0] == L'\0')
        << "the label shows ink exactly when it has a text";
    for (const auto& [id, image] : {std::pair<int, UINT>{IDC_PROMPT_OK, kind.okImage}, {IDC_PROMPT_CANCEL, kind.cancelImage}}) {
        if (!IsShown(content, id)) continue;
        const HWND button = GetDlgItem(content, id);
        EXPECT_TRUE(WaitUntil([&] { return MatchShare(CaptureClient(button), Picture(image)) >= 0.95; }, 2000))
            << "button " << id << " does not show image " << image;
    }
}

TEST(Prompt, EachKindShowsItsButtonsAndTextAndAnswersAsClicked)
{
    constexpr POINT kAway = {20, 20};
    for (const KindCase& kind : kKinds) {
        for (const Answer answer : {Answer::Ok, Answer::Cancel, Answer::Close, Answer::EnterThenEsc, Answer::AltF4}) {
            if (answer == Answer::Cancel && !kind.cancelShown) continue;
            SCOPED_TRACE(testing::Message() << "kind " << kind.kind << ", answer " << static_cast<int>(answer));
            SendMouseTo(kAway);
            PairRunner prompt(Prompt(kind.kind, kind.text));
            prompt.Settle();
            const HWND content = prompt.Content();
            if (answer == Answer::Ok) ExpectLayout(content, kind);
            switch (answer) {
            case Answer::Ok:
                SendClick(ClientCentre(GetDlgItem(content, IDC_PROMPT_OK)));
                break;
            case Answer::Cancel:
                SendClick(ClientCentre(GetDlgItem(content, IDC_PROMPT_CANCEL)));
                break;
            case Answer::Close:
                SendClick(ClientCentre(GetDlgItem(content, IDC_CLOSE)));
                break;
            case Answer::EnterThenEsc:
                SendKey(VK_RETURN);
                EXPECT_EQ(prompt.Result(500), PairRunner::kStillRunning) << "Enter ended the prompt";
                SendKey(VK_ESCAPE);
                break;
            case Answer::AltF4:
                SendKey(VK_F4, true);
                break;
            }
            EXPECT_EQ(prompt.Result(), answer == Answer::Ok ? IDOK : IDCANCEL);
        }
    }
}

// A prompt whose parent is a plain window of its own, away from the screen's centre.
class PromptOverOwner : public CPromptDlg {
public:
    static constexpr RECT kOwner = {60, 80, 560, 480};

    PromptOverOwner() : CPromptDlg(&m_owner)
    {
        m_owner.SubclassWindow(CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, kOwner.left, kOwner.top,
                                               kOwner.right - kOwner.left, kOwner.bottom - kOwner.top, nullptr,
                                               nullptr, nullptr, nullptr));
    }
    ~PromptOverOwner() override { m_owner.DestroyWindow(); }

private:
    CWnd m_owner;
};

TEST(Prompt, GeometryFollowsTheCallersScaleAndThePromptIsCentred)
{
    struct ScaleCase {
        float scale;
        CSize shell;
        CRect insets;  // of the content inside the shell: left, top, right, bottom
    };
    // The screen stays at 96 DPI: a prompt at 1.2 shows that it takes its caller's scale.
    const ScaleCase kScales[] = {{1.0f, {336, 156}, {5, 3, 5, 7}}, {1.2f, {403, 187}, {6, 3, 6, 8}}};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const CRect work = monitor.rcWork;
    for (const ScaleCase& scale : kScales) {
        SCOPED_TRACE(scale.scale);
        PairRunner prompt(Prompt(4, L"提示", scale.scale));
        prompt.Settle();
        const CRect shell = prompt.ShellRect();
        const CRect content = prompt.ContentRect();
        EXPECT_EQ(shell.Width(), scale.shell.cx);
        EXPECT_EQ(shell.Height(), scale.shell.cy);
        EXPECT_EQ(content, CRect(shell.left + scale.insets.left, shell.top + scale.insets.top,
                                 shell.right - scale.insets.right, shell.bottom - scale.insets.bottom));
        EXPECT_EQ(shell.left, work.left + (work.Width() - shell.Width()) / 2) << "not centred on the work area";
        EXPECT_EQ(shell.top, work.top + (work.Height() - shell.Height()) / 2);
    }

    PairRunner prompt([] { return new PromptOverOwner; });
    prompt.Settle();
    const CRect owner = PromptOverOwner::kOwner;
    EXPECT_EQ(prompt.ShellRect().TopLeft().x, owner.left + (owner.Width() - 336) / 2) << "not centred over its owner";
    EXPECT_EQ(prompt.ShellRect().TopLeft().y, owner.top + (owner.Height() - 156) / 2);
    EXPECT_EQ(prompt.ContentRect().TopLeft().x, prompt.ShellRect().left + 5);
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
    EXPECT_EQ(prompt.ShellRect().TopLeft().x, moved.left - 5) << "the shell lost its offset";
    EXPECT_EQ(prompt.ShellRect().TopLeft().y, moved.top - 3);
    EXPECT_EQ(prompt.ShellRect().Width(), 336);

    // On the close button (released beside it, so it does not click) and just below the band.
    for (const POINT press : {POINT{moved.left + 306, moved.top + 14}, POINT{moved.left + 100, moved.top + 31}}) {
        EXPECT_FALSE(prompt.Drag(press, POINT{press.x + 40, press.y + 60}, false));
        EXPECT_EQ(prompt.ContentRect(), moved);
    }
    EXPECT_EQ(prompt.Result(300), PairRunner::kStillRunning);
}

TEST(Prompt, MainWindowStaysDisabledUnderThePromptAndComesBackEnabled)
{
    PairRunner main([] {
        auto* shell = new CRapimendPalluxAMDFlashScreenRepairDlg;
        g_app.m_pMainWnd = shell;
        return shell;
    });
    main.Settle();
    const HWND panel = main.Content();
    const HWND agree = GetDlgItem(panel, IDC_AGREE);
    const auto checked = [&] { return SendMessageW(agree, BM_GETCHECK, 0, 0) == BST_CHECKED; };
    ASSERT_TRUE(checked()) << "the agreement starts checked";

    // The repair button asks first: the confirmation prompt over the main window.
    SendClick(ClientCentre(GetDlgItem(panel, IDC_REPAIR)));
    const HWND prompt = main.WindowWithControl(IDC_PROMPT_OK);
    ASSERT_NE(prompt, nullptr) << "no confirmation prompt";
    main.Settle(prompt);
    EXPECT_FALSE(IsWindowEnabled(main.Shell()));
    EXPECT_FALSE(IsWindowEnabled(panel));
    CRect covered;
    GetWindowRect(GetWindow(prompt, GW_OWNER), &covered);
    ASSERT_FALSE(covered.PtInRect(ClientCentre(agree)));
    SendClick(ClientCentre(agree));
    EXPECT_FALSE(WaitUntil([&] { return !checked(); }, 500)) << "a click reached the main window under the prompt";
    EXPECT_TRUE(IsWindow(prompt));

    SendClick(ClientCentre(GetDlgItem(prompt, IDC_PROMPT_CANCEL)));
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(prompt); })) << "Cancel did not end the prompt";
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(main.Shell()) && IsWindowEnabled(panel); }))
        << "the main window was not enabled again";
    main.Settle();
    SendClick(ClientCentre(agree));
    EXPECT_TRUE(WaitUntil([&] { return !checked(); })) << "the main window takes no clicks after the prompt";
    EXPECT_EQ(main.End(), IDCANCEL);
    g_app.m_pMainWnd = nullptr;
}

TEST(Prompt, TwentyPromptsGiveEveryHandleBack)
{
    long before[static_cast<int>(HandleKind::kCount)];
    for (int kind = 0; kind < static_cast<int>(HandleKind::kCount); ++kind)
        before[kind] = LiveHandles(static_cast<HandleKind>(kind));
    for (int round = 0; round < 20; ++round) {
        PairRunner prompt(Prompt(round % 4 + 1, kRestartQuestion));
        const bool ok = round % 2 == 0;
        EXPECT_EQ(prompt.End(WM_PROMPT_RESULT, ok ? 1 : 2), ok ? IDOK : IDCANCEL);
    }
    for (int kind = 0; kind < static_cast<int>(HandleKind::kCount); ++kind)
        EXPECT_EQ(LiveHandles(static_cast<HandleKind>(kind)), before[kind]) << "handles of kind " << kind;
}

}  // namespace

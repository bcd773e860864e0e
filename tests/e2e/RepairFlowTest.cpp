// One repair as a user goes through it: the confirmation and the restart question at 96, 120 and 144
// DPI (that the agreement box gates it is the main window session's case), the progress prompt (the
// main window and the command line tried under it) and the failure notice, twenty repairs in a row,
// and what they leave in the registry, the log and the companion library's journal.
#include <gtest/gtest.h>

#include "ToolDriver.h"

#include <string>

namespace {

// The prompt's text fits its label whole (no line cut off) and its frame has its size at the screen's
// scale; at 96 DPI its OK and Cancel buttons show their artwork ("确认"/"取消" or "是"/"否").
void ExpectPrompt(HWND prompt, DWORD dpi, UINT ok, UINT cancel)
{
    const CRect label = ControlRect(prompt, IDC_PROMPT_TEXT);
    const SIZE needed = TextExtent(TextOf(GetDlgItem(prompt, IDC_PROMPT_TEXT)).c_str(), dpi, label.Width());
    EXPECT_TRUE(needed.cx <= label.Width() && needed.cy <= label.Height()) << "a line of the text is cut off";
    const CRect frame = WindowRectOf(ToolRun::ShellOf(prompt));
    const SIZE expected = dpi == 96 ? SIZE{336, 156} : dpi == 120 ? SIZE{403, 187} : SIZE{483, 224};
    EXPECT_EQ(frame, CRect(frame.left, frame.top, frame.left + expected.cx, frame.top + expected.cy));
    if (dpi != 96) return;
    SendMouseTo(kAway);  // so that neither button is hovered
    EXPECT_TRUE(ShowsPicture(GetDlgItem(prompt, IDC_PROMPT_OK), ok)) << "OK shows not image " << ok;
    EXPECT_TRUE(ShowsPicture(GetDlgItem(prompt, IDC_PROMPT_CANCEL), cancel)) << "Cancel shows not image " << cancel;
}

class RepairFlow : public testing::TestWithParam<DWORD> {};

TEST_P(RepairFlow, OnlyAConfirmedRepairTurnsTheFeatureOffAndAsksToRestart)
{
    const std::string logBefore = ToolLog();
    ToolSetup setup;
    setup.dpi = GetParam();
    ToolRun tool(setup);
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    SetRepairValue(1);  // once the tool runs: Wine's display driver sets the adapter's key afresh at start
    SendClick(OnScreen(GetDlgItem(panel, IDC_REPAIR), POINT{5, 5}));  // inside the button, within its glow border
    // No prompt within a second and a half, as long as a user waits for a reaction.
    EXPECT_EQ(tool.Prompt(1500), nullptr) << "a click in the button's margin opened a prompt";

    // Each way out of the confirmation but OK changes nothing.
    const std::vector<std::vector<WORD>> ways = {{}, {}, {VK_ESCAPE}, {VK_MENU, VK_F4}, {}};
    const int buttons[] = {IDC_PROMPT_CANCEL, IDC_CLOSE, 0, 0, IDC_PROMPT_OK};
    HWND confirm = nullptr;
    for (size_t way = 0; way < ways.size(); ++way) {
        ClickControl(panel, IDC_REPAIR);
        confirm = tool.PromptSaying(kConfirmText);
        ASSERT_NE(confirm, nullptr) << "no confirmation after the click on 一键修复";
        ExpectPrompt(confirm, GetParam(), 166, 157);
        if (buttons[way] != 0) ClickControl(confirm, buttons[way]);
        else SendKeys(ways[way]);
        if (buttons[way] == IDC_PROMPT_OK) break;
        ASSERT_TRUE(WaitUntil([&] { return tool.Prompt(0) == nullptr; })) << "way " << way << " left the confirmation";
        EXPECT_EQ(tool.ProgressPrompt(1000), nullptr) << "a repair started although it was cancelled";
        EXPECT_EQ(RepairValue(), 1);
    }
    EXPECT_EQ(ToolLog(), logBefore);

    HWND question = tool.AnswerTo(confirm);
    ASSERT_NE(question, nullptr);
    ExpectPrompt(question, GetParam(), 169, 163);
    EXPECT_EQ(RepairValue(), 0) << "the question came, but the registry was not changed";
    EXPECT_EQ(tool.ProgressPrompt(0), nullptr) << "the progress prompt stands over the question";
    ClickControl(question, IDC_PROMPT_CANCEL);  // "否"
    EXPECT_TRUE(WaitUntil([&] { return tool.Prompt(0) == nullptr; }));
    EXPECT_EQ(tool.WaitForExit(1000), -1) << "answering 否 must not end anything";
}

TEST(RepairFlowFailed, AFailedRepairSaysSoIsLoggedOnceAndTheMainWindowIgnoresClicksMeanwhile)
{
    const size_t failuresBefore = RepairFailureRecords().size();
    ToolSetup setup;
    setup.program = L"tool_failing_repair.exe";  // its repair takes a few seconds, then fails
    ToolRun tool(setup);
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    SetRepairValue(0);  // already repaired: only the failed command can tell the tool it failed
    const CRect button = ClientRectOnScreen(GetDlgItem(panel, IDC_REPAIR));
    // The left end of the button's active area stays uncovered by the progress prompt.
    const POINT repairSpot{button.left + button.Width() * 19 / 284 + 2, button.top + button.Height() / 2};
    const auto tryTheMainWindow = [&] {
        SendClick(repairSpot);
        ClickControl(panel, IDC_CLOSE);
        PostMessageW(ToolRun::ShellOf(panel), WM_CLOSE, 0, 0);  // as Task Manager's "End task" does
    };

    ClickControl(panel, IDC_REPAIR);
    HWND confirm = tool.PromptSaying(kConfirmText);
    ASSERT_NE(confirm, nullptr);
    tryTheMainWindow();
    EXPECT_EQ(tool.PromptSaying(kConfirmText, 500), confirm) << "the confirmation went away";
    EXPECT_EQ(tool.FeedbackDialog(500), nullptr) << "a close worked under the confirmation";
    ClickControl(confirm, IDC_PROMPT_OK);

    HWND progress = tool.ProgressPrompt();
    ASSERT_NE(progress, nullptr);
    // Its text, followed by dots that grow while the repair runs: only a dot changes the label.
    const CRect label = ClientRectOnScreen(GetDlgItem(progress, IDC_STATE_TEXT));
    EXPECT_EQ(TextOf(GetDlgItem(progress, IDC_STATE_TEXT)), CString(L"正在修复，请稍等"));
    const Pixels bare = CaptureScreen(label);
    EXPECT_TRUE(WaitUntil([&] { return MatchShare(CaptureScreen(label), bare, 0) < 1.0; }, 3000)) << "no dot";
    // Another repair or undo must wait (1618, cut to a byte by Wine); support staff can look meanwhile.
    std::string output;
    EXPECT_EQ(tool.RunCommandLine(L"/quiet /undo") & 0xFF, 1618 & 0xFF);
    EXPECT_EQ(tool.RunCommandLine(L"/status", &output), 0) << output;
    EXPECT_EQ(tool.RunCommandLine(L"/?", &output), 0);
    EXPECT_NE(output.find("/status"), std::string::npos) << output;
    tryTheMainWindow();
    for (const std::vector<WORD>& keys : {std::vector<WORD>{VK_ESCAPE}, {VK_RETURN}, {VK_MENU, VK_F4}}) SendKeys(keys);
    EXPECT_NE(tool.ProgressPrompt(0), nullptr) << "a key ended the progress prompt while the repair ran";
    EXPECT_EQ(tool.FeedbackDialog(500), nullptr) << "a close worked under the progress prompt";
    EXPECT_EQ(tool.PromptSaying(kConfirmText, 500), nullptr) << "a second repair started under the progress prompt";

    HWND notice = tool.AnswerTo(confirm, kFailedText);
    ASSERT_NE(notice, nullptr);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(notice, IDC_PROMPT_CANCEL))) << "the notice can only be acknowledged";
    EXPECT_EQ(RepairFailureRecords().size(), failuresBefore) << "logged before the user was told";
    ClickControl(notice, IDC_PROMPT_OK);
    EXPECT_TRUE(WaitUntil([&] { return RepairFailureRecords().size() == failuresBefore + 1; }))
        << "the failure was not logged once";
    EXPECT_EQ(tool.PromptSaying(kRestartQuestion, 1500), nullptr) << "a failed repair asked to restart";
    EXPECT_TRUE(WaitUntil([&] { return tool.Prompt(0) == nullptr && IsWindowEnabled(panel); }))
        << "the main window was not given back";
}

TEST(RepairFlowRepeated, TwentyRepairsLeaveTheToolHoldingWhatItHeldAfterTheFirst)
{
    ToolRun tool;
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    HandleTable afterFirst;
    for (int run = 1; run <= 20; ++run) {
        HWND question = tool.ConfirmedRepair(panel);
        ASSERT_NE(question, nullptr) << "repair " << run;
        ClickControl(question, IDC_PROMPT_CANCEL);
        ASSERT_TRUE(WaitUntil([&] { return tool.Prompt(0) == nullptr && IsWindowEnabled(panel); })) << "repair " << run;
        if (run == 1) {
            // The worker ends right after the panel is given back; its thread's handle goes with it.
            afterFirst = LiveHandlesOf(tool.ProcessId());
            ASSERT_GT(afterFirst.size(), 10u) << "the tool's handles could not be read, so this proves nothing";
        }
    }
    HandleTable afterTwentieth;
    WaitUntil([&] { return (afterTwentieth = LiveHandlesOf(tool.ProcessId())) == afterFirst; }, 3000);
    EXPECT_EQ(afterTwentieth, afterFirst) << "the handles, value to type, after the twentieth repair and the first";
}

INSTANTIATE_TEST_SUITE_P(Dpi, RepairFlow, testing::Values(96, 120, 144),
                         [](const testing::TestParamInfo<DWORD>& info) { return std::to_string(info.param); });

}  // namespace

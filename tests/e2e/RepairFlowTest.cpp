// One repair as a user goes through it, at 96 and 120 DPI: the confirmation, the progress prompt,
// the restart question or the failure notice, and what they leave in the registry, the log and the
// companion library's journal.
#include <gtest/gtest.h>

#include "ToolDriver.h"
#include "StartedProgram.h"
#include "framework/Encoding.h"

#include <map>
#include <string>
#include <utility>

namespace {

constexpr int kRepairButton = 1012;
constexpr int kAgreeBox = 1010;
constexpr int kPromptText = 1005;
constexpr int kPromptOk = 1006;
constexpr int kPromptCancel = 1007;
constexpr int kPromptClose = 1004;
constexpr int kCloseButton = 1004;

const wchar_t kConfirmText[] = L"以下修复操作涉及到修改系统注册表，操作前请确认电脑里的资料均已备份！";
const wchar_t kRestartQuestion[] =
    L"修复完成，建议您保存数据重新启动电脑再使用。现在就要重启吗？\r\n"
    L"如果重启后仍有问题，与软件无关，建议联系当地Quelto售后服务网点解决，请了解。";
const wchar_t kFailedText[] = L"屏闪修复失败！";

// No prompt shows within a second and a half (as long as a user waits for a reaction).
bool NoPromptFollows(const ToolRun& tool)
{
    return tool.Prompt(1500) == nullptr;
}

class RepairFlow : public testing::TestWithParam<DWORD> {
protected:
    ToolSetup Setup() const
    {
        ToolSetup setup;
        setup.dpi = GetParam();
        return setup;
    }
};

TEST_P(RepairFlow, ConfirmedRepairTurnsTheFeatureOffAndAsksToRestart)
{
    ToolRun tool(Setup());
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    WriteRepairValue(1);  // once the tool runs: Wine's display driver sets the adapter's key afresh at start
    ClickControl(panel, kRepairButton);

    HWND confirm = tool.PromptSaying(kConfirmText);
    ASSERT_NE(confirm, nullptr) << "no confirmation after the click on 一键修复";
    EXPECT_TRUE(IsShown(GetDlgItem(confirm, kPromptOk)));
    EXPECT_TRUE(IsShown(GetDlgItem(confirm, kPromptCancel)));
    ClickControl(confirm, kPromptOk);

    HWND question = tool.PromptSaying(kRestartQuestion);
    ASSERT_NE(question, nullptr) << "no restart question after the repair";
    EXPECT_EQ(ReadRepairValue(), 0) << "the question came, but the registry was not changed";
    EXPECT_EQ(tool.ProgressPrompt(0), nullptr) << "the progress prompt stands over the question";
    ClickControl(question, kPromptCancel);  // "否"

    EXPECT_TRUE(WaitUntil([&] { return tool.Prompt(0) == nullptr; }));
    EXPECT_EQ(tool.WaitForExit(1000), -1) << "answering 否 must not end anything";
    EXPECT_TRUE(tool.JournalLines("CustomerFeedbackEx").empty()) << "否 recorded a restart";
}

TEST_P(RepairFlow, CancelledConfirmationChangesNothing)
{
    const std::string logBefore = ReadToolLog();
    ToolRun tool(Setup());
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    WriteRepairValue(1);
    for (const int button : {kPromptCancel, kPromptClose}) {
        ClickControl(panel, kRepairButton);
        HWND confirm = tool.PromptSaying(kConfirmText);
        ASSERT_NE(confirm, nullptr);
        ClickControl(confirm, button);
        ASSERT_TRUE(WaitUntil([&] { return tool.Prompt(0) == nullptr; }));
        EXPECT_EQ(tool.ProgressPrompt(1000), nullptr) << "a repair started although it was cancelled";
    }
    EXPECT_EQ(ReadRepairValue(), 1);
    EXPECT_EQ(ReadToolLog(), logBefore);
}

TEST_P(RepairFlow, TheAgreementAndTheButtonsMarginGateTheRepair)
{
    ToolRun tool(Setup());
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    HWND repair = GetDlgItem(panel, kRepairButton);

    ClickControl(panel, kAgreeBox);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindowEnabled(repair); })) << "unticking the box left 一键修复 enabled";
    ClickControl(panel, kRepairButton);
    EXPECT_TRUE(NoPromptFollows(tool)) << "a disabled 一键修复 opened a prompt";

    ClickControl(panel, kAgreeBox);
    ASSERT_TRUE(WaitUntil([&] { return IsWindowEnabled(repair) != FALSE; }));
    ClickWindow(repair, POINT{5, 5});  // inside the button, within its glow border
    EXPECT_TRUE(NoPromptFollows(tool)) << "a click in the button's margin opened a prompt";

    ClickControl(panel, kRepairButton);
    HWND confirm = tool.PromptSaying(kConfirmText);
    ASSERT_NE(confirm, nullptr) << "ticked again, 一键修复 did not work";
    ClickControl(confirm, kPromptCancel);
}

TEST_P(RepairFlow, AFailedRepairSaysSoAndIsLogged)
{
    ToolSetup setup = Setup();
    setup.program = L"tool_failing_repair.exe";
    const std::string failure = CodePageFromWide(936, L"执行修改 DalPSRFeatureEnable 修复屏闪命令失败");
    const size_t failuresBefore = CountOccurrences(ReadToolLog(), failure);
    ToolRun tool(setup);
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    ClickControl(panel, kRepairButton);
    HWND confirm = tool.PromptSaying(kConfirmText);
    ASSERT_NE(confirm, nullptr);
    ClickControl(confirm, kPromptOk);

    HWND notice = tool.PromptSaying(kFailedText);
    ASSERT_NE(notice, nullptr) << "no failure notice";
    EXPECT_FALSE(IsShown(GetDlgItem(notice, kPromptCancel))) << "the notice can only be acknowledged";
    EXPECT_EQ(CountOccurrences(ReadToolLog(), failure), failuresBefore) << "logged before the user was told";
    ClickControl(notice, kPromptOk);
    EXPECT_TRUE(WaitUntil([&] { return CountOccurrences(ReadToolLog(), failure) == failuresBefore + 1; }))
        << "the failure was not logged once";
    EXPECT_EQ(tool.PromptSaying(kRestartQuestion, 1500), nullptr) << "a failed repair asked to restart";
}

TEST_P(RepairFlow, TheMainWindowIgnoresClicksWhileAPromptRuns)
{
    ToolSetup setup = Setup();
    setup.program = L"tool_failing_repair.exe";  // its repair takes a few seconds
    ToolRun tool(setup);
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    HWND repair = GetDlgItem(panel, kRepairButton);
    const CRect button = ClientRectOnScreen(repair);
    const int margin = button.Width() * 19 / 284 + 2;
    // The left end of the button's active area stays uncovered by the progress prompt.
    const POINT repairSpot{button.left + margin, button.top + button.Height() / 2};
    const auto tryTheMainWindow = [&] {
        ClickAt(repairSpot);
        ClickControl(panel, kCloseButton);
    };

    ClickControl(panel, kRepairButton);
    HWND confirm = tool.PromptSaying(kConfirmText);
    ASSERT_NE(confirm, nullptr);
    tryTheMainWindow();
    EXPECT_EQ(tool.PromptSaying(kConfirmText, 500), confirm) << "the confirmation went away";
    EXPECT_EQ(tool.FeedbackDialog(500), nullptr) << "the close button worked under the confirmation";
    ClickControl(confirm, kPromptOk);

    HWND progress = tool.ProgressPrompt();
    ASSERT_NE(progress, nullptr);
    tryTheMainWindow();
    EXPECT_EQ(tool.FeedbackDialog(500), nullptr) << "the close button worked under the progress prompt";
    EXPECT_EQ(tool.PromptSaying(kConfirmText, 500), nullptr) << "a second repair started under the progress prompt";

    HWND notice = tool.PromptSaying(kFailedText);
    ASSERT_NE(notice, nullptr) << "the tool did not survive";
    ClickControl(notice, kPromptOk);
    EXPECT_TRUE(WaitUntil([&] { return tool.Prompt(0) == nullptr && IsWindowEnabled(panel); }))
        << "the main window was not given back";
}

std::string HandlesOnlyIn(const std::map<ULONG_PTR, CString>& these,
                          const std::map<ULONG_PTR, CString>& those)
{
    std::string listed;
    for (const auto& [value, type] : these)
        if (those.count(value) == 0) listed += " " + std::to_string(value) + ":" + std::string(type.begin(), type.end());
    return listed;
}

TEST(RepairFlowRepeated, TwentyRepairsLeaveTheToolHoldingWhatItHeldAfterTheFirst)
{
    ToolRun tool;
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    std::map<ULONG_PTR, CString> afterFirst;
    for (int run = 1; run <= 20; ++run) {
        ClickControl(panel, kRepairButton);
        HWND confirm = tool.PromptSaying(kConfirmText);
        ASSERT_NE(confirm, nullptr) << "repair " << run;
        ClickControl(confirm, kPromptOk);
        HWND question = tool.PromptSaying(kRestartQuestion);
        ASSERT_NE(question, nullptr) << "repair " << run;
        ClickControl(question, kPromptCancel);
        ASSERT_TRUE(WaitUntil([&] { return tool.Prompt(0) == nullptr && IsWindowEnabled(panel); })) << "repair " << run;
        if (run == 1) {
            // The worker ends right after the panel is given back; its thread's handle goes with it.
            std::map<ULONG_PTR, CString> previous;
            WaitUntil([&] {
                previous = std::exchange(afterFirst, LiveHandlesOf(tool.ProcessId()));
                return !afterFirst.empty() && afterFirst == previous;
            }, 3000);
            ASSERT_GT(afterFirst.size(), 10u) << "the tool's handles could not be read, so this proves nothing";
        }
    }
    std::map<ULONG_PTR, CString> afterTwentieth;
    WaitUntil([&] { return (afterTwentieth = LiveHandlesOf(tool.ProcessId())) == afterFirst; }, 3000);
    EXPECT_EQ(afterTwentieth.size(), afterFirst.size());
    EXPECT_EQ(HandlesOnlyIn(afterTwentieth, afterFirst), "") << "handles held after the twentieth repair only";
    EXPECT_EQ(HandlesOnlyIn(afterFirst, afterTwentieth), "") << "handles held after the first repair only";
}

INSTANTIATE_TEST_SUITE_P(Dpi, RepairFlow, testing::Values(96, 120),
                         [](const testing::TestParamInfo<DWORD>& info) { return std::to_string(info.param); });

}  // namespace

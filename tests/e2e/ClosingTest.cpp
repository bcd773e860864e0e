// Closing the tool with the close button (Alt+F4 is the keyboard's case): the problem-solved
// dialog comes first, over the main window, which keeps the tool's taskbar button; "更多方案" opens
// its page each time and keeps the dialog, clicks in the answer buttons' margins do nothing, and each
// way out records exactly one answer and the feedback question, and the tool ends.
#include <gtest/gtest.h>

#include <ctime>

#include "ToolDriver.h"

namespace {

struct Ending {
    int button;
    const char* answer;
};

class Closing : public testing::TestWithParam<Ending> {};

TEST_P(Closing, MoreSolutionsAndTheMarginsKeepTheDialogAndEachAnswerIsRecordedOnceAndEndsTheTool)
{
    ToolRun tool;
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    ClickControl(panel, IDC_CLOSE);
    HWND dialog = tool.FeedbackDialog();
    ASSERT_NE(dialog, nullptr) << "closing the main window did not ask whether the problem was solved";
    EXPECT_TRUE(IsWindowVisible(panel)) << "the main window left the screen under the question";
    EXPECT_EQ(TaskbarButtons(tool.ProcessId()), 1u) << "while the question stands the tool must keep one taskbar button";
    for (size_t opened = 1; opened <= 2; ++opened) {
        ClickControl(dialog, IDC_MORE_SOLUTIONS);
        ASSERT_TRUE(WaitUntil([&] { return tool.JournalLines("OpenUrl").size() == opened; }))
            << "click " << opened << " on 更多方案 did not open its page once";
        Sleep(GetDoubleClickTime());  // separate clicks, not a double click
    }
    // Inside the answer buttons, within their 9-pixel glow border.
    SendClick(OnScreen(GetDlgItem(dialog, IDC_SOLVED), POINT{4, 4}));
    SendClick(OnScreen(GetDlgItem(dialog, IDC_UNSOLVED), POINT{4, 30}));
    EXPECT_EQ(tool.WaitForExit(1500), -1) << "a click in a button's margin ended the dialog";

    const long long before = _time64(nullptr);
    ClickControl(dialog, GetParam().button);
    EXPECT_EQ(tool.WaitForExit(), 0) << "the tool did not end after the answer";
    const auto answers = tool.JournalLines("CustomerFeedbackEx");
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(JournalField(answers[0], "answer"), GetParam().answer);
    EXPECT_EQ(JournalField(answers[0], "tool"), "10060");
    EXPECT_EQ(JournalField(answers[0], "version"), "1.5.21.423");
    const long long recorded = std::stoll(JournalField(answers[0], "time"));
    EXPECT_LE(std::llabs(recorded - before), 5) << "the answer's time is not the seconds since 1970";
    EXPECT_EQ(tool.JournalLines("FeedbackQuestion").size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Answers, Closing,
                         testing::Values(Ending{IDC_SOLVED, "1"}, Ending{IDC_UNSOLVED, "2"},
                                         Ending{IDC_FEEDBACK_CLOSE, "3"}),
                         [](const testing::TestParamInfo<Ending>& info) { return std::string("answer") + info.param.answer; });

}  // namespace

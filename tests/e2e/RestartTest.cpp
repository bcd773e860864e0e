// Run only by restart_accepted.sh, in a scratch prefix of its own: "是" on the restart question
// records the answer and restarts, which ends every program of the prefix, this one included. The
// script reads what was left behind: the tool's files go with the restart, the user's note stays.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>

#include "ToolDriver.h"

namespace {

TEST(RestartAccepted, DISABLED_YesRecordsTheAnswerAndRestarts)
{
    const char* report = std::getenv("PALLUX_RESTART_REPORT");
    ASSERT_NE(report, nullptr) << "run by restart_accepted.sh only";
    ToolRun tool;
    WriteBytes(tool.Folder() + L"\\notes.txt", "the user's own");
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    HWND question = tool.ConfirmedRepair(panel);
    ASSERT_NE(question, nullptr);
    {
        // Where the journal is and when "是" was clicked, for the script to check afterwards.
        std::ofstream out(report);
        const CString journal = tool.JournalPath();
        out << std::string(journal.begin(), journal.end()) << "\n" << _time64(nullptr) << "\n";  // an ASCII path
    }
    ClickControl(question, IDC_PROMPT_OK);
    // The restart ends this program too; were it refused, the tool would say so instead.
    EXPECT_EQ(tool.PromptSaying(kRestartRefused, 30000), nullptr);
    FAIL() << "the restart did not end this program";
}

}  // namespace

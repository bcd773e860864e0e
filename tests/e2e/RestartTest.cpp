// Run only by restart_accepted.sh, in a scratch prefix of its own: "是" on the restart question
// records the answer and restarts, which ends every program of the prefix, this one included. The
// script reads what was left behind.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>

#include "ToolDriver.h"

namespace {

constexpr int kRepairButton = 1012;
constexpr int kPromptOk = 1006;
const wchar_t kConfirmText[] = L"以下修复操作涉及到修改系统注册表，操作前请确认电脑里的资料均已备份！";
const wchar_t kRestartQuestion[] =
    L"修复完成，建议您保存数据重新启动电脑再使用。现在就要重启吗？\r\n"
    L"如果重启后仍有问题，与软件无关，建议联系当地Quelto售后服务网点解决，请了解。";

TEST(RestartAccepted, DISABLED_YesRecordsTheAnswerAndRestarts)
{
    const char* report = std::getenv("PALLUX_RESTART_REPORT");
    ASSERT_NE(report, nullptr) << "run by restart_accepted.sh only";
    ToolRun tool;
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    ClickControl(panel, kRepairButton);
    HWND confirm = tool.PromptSaying(kConfirmText);
    ASSERT_NE(confirm, nullptr);
    ClickControl(confirm, kPromptOk);
    HWND question = tool.PromptSaying(kRestartQuestion);
    ASSERT_NE(question, nullptr);
    {
        // Where the journal is and when "是" was clicked, for the script to check afterwards.
        std::ofstream out(report);
        const CString journal = tool.JournalPath();
        out << std::string(journal.begin(), journal.end()) << "\n" << _time64(nullptr) << "\n";  // an ASCII path
    }
    ClickControl(question, kPromptOk);
    // The restart ends this program too; were it refused, the tool would say so instead.
    EXPECT_EQ(tool.PromptSaying(L"重启失败，请手动重新启动电脑。", 30000), nullptr);
    FAIL() << "the restart did not end this program";
}

}  // namespace

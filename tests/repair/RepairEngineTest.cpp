// The repair engine reporting to a real window on its own user-interface thread, with the prefix's
// real registry.
#include <gtest/gtest.h>

#include <atomic>

#include "RepairTestSupport.h"
#include "repair/FlashScreenRepair.h"
#include "repair/RepairLog.h"
#include "repair/RepairMessages.h"
#include "support/TestSupport.h"

namespace {

using Messages = std::vector<NotifyWindow::Message>;
const Messages kFailed = {{WM_CLOSE_EXECUTE_PROMPT, 0}, {WM_REPAIR_RESULT, kRepairFailed}};
const Messages kRepaired = {{WM_CLOSE_EXECUTE_PROMPT, 0}, {WM_REPAIR_RESULT, kRepairSucceeded}};

TEST(RepairEngine, EveryFailureIsReportedThenLoggedOnceWithItsReason)
{
    ScratchFolder folder;
    CommandRunnerSetup noInterpreter;
    noInterpreter.interpreterPath = folder / L"missing-cmd.exe";
    CommandRunnerSetup shortLimit;
    shortLimit.timeLimitMs = 1000;
    const CString neverEnds = L"\"" + HelperPath() + L"\" --sleep \"" + folder / L"pid" + L"\"";

    struct Case {
        const char* what;
        CString command;
        CommandRunnerSetup runner;
        void (*arrange)();
        const wchar_t* detail;  // what follows the fixed text, in part
    } cases[] = {
        {"reg refuses", L"reg add \"HKEY_NO_SUCH_ROOT\\Pallux\" /v x /d 0 /f", {}, [] {}, L"（退出代码 "},
        {"exit 0, value untouched", L"rem", {}, [] { SetRepairValue(1); }, L"REG_DWORD 1）"},
        {"exit 0, value of another type", L"rem", {}, [] { SetRepairText(L"0"); }, L"类型 1 的值）"},
        {"time limit", neverEnds, shortLimit, [] { SetRepairValue(0); }, L"（超过时限仍未结束，已终止）"},
        {"no interpreter", L"rem", noInterpreter, [] { SetRepairValue(0); }, L""},
    };
    for (const Case& failure : cases) {
        failure.arrange();
        const size_t recordsBefore = RepairFailureRecords();
        std::atomic<size_t> recordsWhileHandlingResult{~size_t(0)};
        NotifyWindow window([&](WPARAM) { recordsWhileHandlingResult = RepairFailureRecords(); });
        CFlashScreenRepair engine(failure.command, failure.runner);
        ASSERT_TRUE(engine.SetNotifyWindow(window.Handle()));

        EXPECT_FALSE(engine.DoRepair()) << failure.what;
        EXPECT_EQ(window.Received(), kFailed) << failure.what;
        EXPECT_EQ(recordsWhileHandlingResult.load(), recordsBefore) << failure.what << ": record before result";
        CString detail;
        EXPECT_EQ(RepairFailureRecords(&detail), recordsBefore + 1) << failure.what;
        if (*failure.detail == L'\0')
            EXPECT_EQ(detail, L"") << failure.what;
        else
            EXPECT_NE(detail.find(failure.detail), CString::npos) << failure.what << ": " << detail;
    }
    SetRepairValue(0);
}

TEST(RepairEngine, RealRepairSucceedsTwiceInARowWithoutLoggingAndKeepsItsWindow)
{
    const size_t recordsBefore = RepairFailureRecords();
    NotifyWindow window;
    CFlashScreenRepair engine;
    ASSERT_TRUE(engine.SetNotifyWindow(window.Handle()));
    EXPECT_FALSE(engine.SetNotifyWindow(nullptr));
    EXPECT_EQ(engine.GetNotifyWindow(), window.Handle()) << "a refused window took the place of a good one";

    SetRepairValue(1);
    ASSERT_TRUE(engine.StartRepairThread());
    ASSERT_TRUE(WaitUntil([&] { return window.Received().size() == 2; }, 30000));
    SetRepairText(L"1");
    ASSERT_TRUE(engine.StartRepairThread());
    ASSERT_TRUE(WaitUntil([&] { return window.Received().size() == 4; }, 30000));

    Messages twice = kRepaired;
    twice.insert(twice.end(), kRepaired.begin(), kRepaired.end());
    EXPECT_EQ(window.Received(), twice);
    EXPECT_EQ(RepairValue(), 0);
    EXPECT_EQ(RepairFailureRecords(), recordsBefore);
}

TEST(RepairEngine, CommandMessageGoesOnOneLineAfterTheExitCode)
{
    EXPECT_EQ(RepairFailureDetail(CommandEnd::Exited, 1, L"reg:  bad\r\n key \r\n", L""), L"（退出代码 1）：reg: bad key");
    EXPECT_EQ(RepairFailureDetail(CommandEnd::Exited, 5, L"", L""), L"（退出代码 5）");
}

}  // namespace

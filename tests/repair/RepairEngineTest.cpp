// The repair engine reporting to a real window on its own user-interface thread.
#include <gtest/gtest.h>

#include <atomic>

#include "RepairTestSupport.h"
#include "mainwnd/CustomMessages.h"
#include "repair/FlashScreenRepair.h"
#include "repair/RepairLog.h"
#include "support/TestSupport.h"

namespace {

const wchar_t kFailingCommand[] = L"reg add \"HKEY_NO_SUCH_ROOT\\Pallux\" /v x /d 0 /f";

using Messages = std::vector<NotifyWindow::Message>;
const Messages kFailed = {{WM_CLOSE_EXECUTE_PROMPT, 0}, {WM_REPAIR_RESULT, kRepairFailed}};
const Messages kRepaired = {{WM_CLOSE_EXECUTE_PROMPT, 0}, {WM_REPAIR_RESULT, kRepairSucceeded}};

TEST(RepairEngine, NotifyWindowMustBeAWindow)
{
    CFlashScreenRepair engine;
    EXPECT_FALSE(engine.SetNotifyWindow(nullptr));
    EXPECT_EQ(engine.GetNotifyWindow(), nullptr);

    NotifyWindow window;
    EXPECT_TRUE(engine.SetNotifyWindow(window.Handle()));
    EXPECT_FALSE(engine.SetNotifyWindow(nullptr));
    EXPECT_EQ(engine.GetNotifyWindow(), window.Handle());
}

TEST(RepairEngine, FailedRegIsAFailedRepairLoggedAfterTheResultWasHandled)
{
    const size_t recordsBefore = RepairFailureRecords();
    std::atomic<size_t> recordsWhileHandlingResult{~size_t(0)};
    NotifyWindow window([&](WPARAM) { recordsWhileHandlingResult = RepairFailureRecords(); });

    CFlashScreenRepair engine(kFailingCommand);
    ASSERT_TRUE(engine.SetNotifyWindow(window.Handle()));
    EXPECT_FALSE(engine.DoRepair());

    EXPECT_EQ(window.Received(), kFailed);
    for (DWORD thread : window.HandlingThreads()) EXPECT_EQ(thread, window.ThreadId());
    EXPECT_EQ(recordsWhileHandlingResult.load(), recordsBefore) << "the record came before the result";
    EXPECT_EQ(RepairFailureRecords(), recordsBefore + 1);
}

TEST(RepairEngine, WorkerThreadReportsFailureThenLogsOnce)
{
    const size_t recordsBefore = RepairFailureRecords();
    NotifyWindow window;
    CFlashScreenRepair engine(kFailingCommand);
    ASSERT_TRUE(engine.SetNotifyWindow(window.Handle()));
    ASSERT_TRUE(engine.StartRepairThread());

    ASSERT_TRUE(WaitUntil([&] { return RepairFailureRecords() == recordsBefore + 1; }, 30000));
    EXPECT_EQ(window.Received(), kFailed);
}

TEST(RepairEngine, RealRepairSucceedsTwiceInARowWithoutLogging)
{
    const size_t recordsBefore = RepairFailureRecords();
    NotifyWindow window;
    CFlashScreenRepair engine;
    ASSERT_TRUE(engine.SetNotifyWindow(window.Handle()));

    SetPsrValue(1);
    ASSERT_TRUE(engine.StartRepairThread());
    ASSERT_TRUE(WaitUntil([&] { return window.Received().size() == 2; }, 30000));
    ASSERT_TRUE(engine.StartRepairThread());
    ASSERT_TRUE(WaitUntil([&] { return window.Received().size() == 4; }, 30000));

    Messages twice = kRepaired;
    twice.insert(twice.end(), kRepaired.begin(), kRepaired.end());
    EXPECT_EQ(window.Received(), twice);
    DWORD value = 7;
    ASSERT_TRUE(ReadPsrValue(value));
    EXPECT_EQ(value, 0u);
    EXPECT_EQ(RepairFailureRecords(), recordsBefore);
}

TEST(RepairEngine, FailureRecordCarriesExitCodeAndMessageAfterTheFixedText)
{
    // "执行修改 DalPSRFeatureEnable 修复屏闪命令失败" in GBK.
    const std::string fixed =
        "\xd6\xb4\xd0\xd0\xd0\xde\xb8\xc4 DalPSRFeatureEnable \xd0\xde\xb8\xb4\xc6\xc1\xc9\xc1\xc3\xfc\xc1\xee\xca\xa7"
        "\xb0\xdc";
    EXPECT_EQ(RepairFailureText(FALSE, 0, L"ignored"), fixed) << "nothing ran: the fixed text alone";

    const std::string withCode = RepairFailureText(TRUE, 1, L"reg:  bad\r\n key \r\n");
    ASSERT_EQ(withCode.substr(0, fixed.size()), fixed);
    const std::string rest = withCode.substr(fixed.size());
    EXPECT_NE(rest.find(" 1"), std::string::npos) << rest;
    EXPECT_NE(rest.find("reg: bad key"), std::string::npos) << "the message belongs on one line: " << rest;
    EXPECT_EQ(rest.find_first_of("\r\n"), std::string::npos);
}

}  // namespace

// One repair as the user waits for it, and what twenty repairs leave behind, in one run on this
// machine. Figures and ratios, never pass or fail.
//
// One repair: from the confirmation's OK (the click taken by the system) to the restart question
// visible, against the floor: the same command through the same command runner in this process,
// its read pacing included. Twenty repairs: the tool's live handles, value by value, after the
// first repair and after the last (Wine reports no handle or GUI object counts for a process).
// Usage: repair_bench.exe [repairs, default 20]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "StartedProgram.h"
#include "mainwnd/RepairFlowTexts.h"
#include "repair/CommandRunner.h"
#include "repair/RepairTarget.h"
#include "res/resource.h"
#include "support/WindowProbe.h"

namespace {

constexpr DWORD kWaitMs = 60000;

double FloorRun()
{
    CString output;
    const double start = NowMs();
    return ExecuteCommand(kRepairCommand, output) ? NowMs() - start : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    const int repairs = argc > 1 ? std::atoi(argv[1]) : 20;
    if (repairs <= 0) {
        std::fprintf(stderr, "usage: repair_bench [repairs > 0]\n");
        return 2;
    }

    std::vector<double> floor, tool;
    for (int run = 0; run < repairs; ++run) floor.push_back(FloorRun());

    CStartedProgram started(BesideThisProgram(L"RapimendPalluxAMDFlashScreenRepair.exe"));
    const HWND panel = started.WaitForVisibleWindow(WindowToFind::MainPanel, kWaitMs);
    HandleTable afterFirst, afterLast;
    for (int run = 0; panel != nullptr && run < repairs; ++run) {
        Settle(panel);
        ClickControl(panel, IDC_REPAIR);
        const HWND confirm = started.WaitForWindowShowing(IDC_PROMPT_TEXT, kConfirmText, kWaitMs);
        if (confirm == nullptr) break;
        Settle(confirm);
        ClickControl(confirm, IDC_PROMPT_OK);
        const double confirmed = NowMs();
        const HWND question = started.WaitForWindowShowing(IDC_PROMPT_TEXT, kRestartQuestion, kWaitMs);
        if (question == nullptr) break;
        tool.push_back(NowMs() - confirmed);
        Settle(question);
        ClickControl(question, IDC_PROMPT_CANCEL);
        if (!PumpUntil([&] { return IsWindowEnabled(panel) && !IsWindowVisible(question); }, kWaitMs)) break;
        if (run == 0) afterFirst = SettledLiveHandlesOf(started.Id());
        if (run == repairs - 1) afterLast = SettledLiveHandlesOf(started.Id());
    }
    if (tool.size() < size_t(repairs)) tool.push_back(-1);

    std::printf("One repair, the confirmation's OK to the restart question visible (median of %d):\n", repairs);
    const bool measured = PrintFigures("floor (the command alone)", floor) & PrintFigures("tool", tool);
    if (measured)
        std::printf("  tool - floor                   %7.0f ms   (aim: at most 100 ms)\n", Median(tool) - Median(floor));
    std::printf("%d repairs in one run of the tool, its live handles:\n", repairs);
    if (afterFirst.empty() || afterLast.empty()) {
        std::printf("  no figure: the tool's handles could not be read after every repair\n");
        return 1;
    }
    std::printf("  after the first %zu, after the last %zu; held only after the last %zu, only after the first %zu\n",
                afterFirst.size(), afterLast.size(), HandlesOnlyIn(afterLast, afterFirst).size(), HandlesOnlyIn(afterFirst, afterLast).size());
    return measured ? 0 : 1;
}

// One repair as the user waits for it, and what twenty repairs leave behind, in one run on this
// machine. Figures and ratios, never pass or fail.
//
// One repair: from the confirmation's OK (the click taken by the system) to the restart question
// visible, against the floor: the same command through the same command runner in this process,
// its read pacing included, while this program looks for windows as it does while it waits for the
// tool's question. Twenty repairs: how many handles the tool holds after the first repair
// and after the last (Wine reports no handle or GUI object counts for a process).
// Usage: repair_bench.exe [repairs, default 20]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchDriver.h"
#include "BenchSupport.h"
#include "mainwnd/RepairFlowTexts.h"
#include "repair/CommandRunner.h"
#include "repair/RepairTarget.h"
#include "res/resource.h"

namespace {

constexpr DWORD kWaitMs = 60000;

double FloorRun()
{
    // Waited for as the tool's question is, so that both pay the same.
    const WaitingLoad waiting;
    CString output;
    const double start = NowMs();
    return ExecuteCommand(RepairCommandFor(L"0000"), output) ? NowMs() - start : -1;
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
    BenchProgram started(BesideThisProgram(L"RapimendPalluxAMDFlashScreenRepair.exe"));
    const HWND panel = started.WaitForWindow(&IsMainPanel, kWaitMs);
    size_t afterFirst = 0, afterLast = 0;
    for (int run = 0; panel != nullptr && run < repairs; ++run) {
        // Taking turns spreads any slow spell of the machine over both.
        floor.push_back(FloorRun());
        ClickControl(panel, IDC_REPAIR);
        const HWND confirm = started.WaitForWindow(PromptSaying(kConfirmText), kWaitMs);
        if (confirm == nullptr) break;
        ClickControl(confirm, IDC_PROMPT_OK);
        const double confirmed = NowMs();
        const HWND question = started.WaitForWindow(PromptSaying(kRestartQuestion), kWaitMs);
        if (question == nullptr) break;
        tool.push_back(NowMs() - confirmed);
        ClickControl(question, IDC_PROMPT_CANCEL);
        for (ULONGLONG until = GetTickCount64() + kWaitMs; !IsWindowEnabled(panel) || IsWindowVisible(question);) {
            if (GetTickCount64() > until) break;
            Sleep(5);
        }
        // A thread that is just ending still holds its handle: read once things are quiet.
        Sleep(500);
        if (run == 0) afterFirst = LiveHandleCount(started.Id());
        if (run == repairs - 1) afterLast = LiveHandleCount(started.Id());
    }
    if (tool.size() < size_t(repairs)) tool.push_back(-1);

    std::printf("One repair, the confirmation's OK to the restart question visible (median of %d):\n", repairs);
    const bool measured = PrintFigures("floor (the command alone)", floor) & PrintFigures("tool", tool);
    if (measured)
        std::printf("  tool - floor                   %7.0f ms   (aim: at most 80 ms)\n", Median(tool) - Median(floor));
    std::printf("%d repairs in one run of the tool, its live handles:\n", repairs);
    if (afterFirst == 0 || afterLast == 0) {
        std::printf("  no figure: the tool's handles could not be read after every repair\n");
        return 1;
    }
    std::printf("  after the first %zu, after the last %zu\n", afterFirst, afterLast);
    return measured ? 0 : 1;
}

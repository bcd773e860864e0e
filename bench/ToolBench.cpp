// Start-up and idle figures of the tool against a bare dialog program built the same way, measured
// in one run on this machine. Figures and ratios, never pass or fail.
//
// Start-up: from just before CreateProcess to the moment the main panel (the baseline: its dialog)
// is visible, polled about every millisecond; the median of several runs, the two programs taking
// turns. Idle: the CPU time (GetProcessTimes) the program spends over a stretch with its window open
// and the mouse still, after a second to settle.
// Usage: tool_bench.exe [runs, default 7] [idle seconds, default 10]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchSupport.h"
#include "BenchDriver.h"

namespace {

struct Program {
    const char* label;
    const wchar_t* file;
    bool (*isShown)(HWND window);
};

const Program kBaseline{"baseline (bare dialog)", L"bare_dialog.exe", [](HWND) { return true; }};
const Program kPictureBaseline{"baseline (dialog + picture)", L"picture_dialog.exe", [](HWND) { return true; }};
const Program kTool{"tool", L"RapimendPalluxAMDFlashScreenRepair.exe", &IsMainPanel};
constexpr DWORD kShowTimeoutMs = 60000;

// User and kernel time of the process so far, in milliseconds.
double CpuMilliseconds(HANDLE process)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    const auto ticks = [](FILETIME time) { return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime; };
    return double(ticks(kernel) + ticks(user)) / 10000.0;
}

// Milliseconds from start to visible window, or a negative figure when it did not show.
double StartUp(const Program& program)
{
    const double start = NowMs();
    BenchProgram started(BesideThisProgram(program.file));
    const HWND window = started.WaitForWindow(program.isShown, kShowTimeoutMs);
    return window != nullptr ? NowMs() - start : -1;
}

struct Idle {
    double untilShown = -1;  // CPU milliseconds spent starting up
    double idle = -1;        // CPU milliseconds spent over the idle stretch
};

Idle IdleCpu(const Program& program, DWORD seconds)
{
    BenchProgram started(BesideThisProgram(program.file));
    if (started.WaitForWindow(program.isShown, kShowTimeoutMs) == nullptr) return Idle{};
    Sleep(1000);
    Idle figures;
    figures.untilShown = CpuMilliseconds(started.Process());
    Sleep(seconds * 1000);
    figures.idle = CpuMilliseconds(started.Process()) - figures.untilShown;
    return figures;
}

void ReportIdle(const Program& program, const Idle& figures, DWORD seconds)
{
    if (figures.idle < 0) {
        std::printf("  %-24s did not show its window\n", program.label);
        return;
    }
    std::printf("  %-24s %7.1f ms CPU   (%.2f %% of one core; %.0f ms CPU to start up)\n", program.label, figures.idle,
                figures.idle / (10.0 * seconds), figures.untilShown);
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    if (runs <= 0 || seconds <= 0) {
        std::fprintf(stderr, "usage: tool_bench [runs > 0] [idle seconds > 0]\n");
        return 2;
    }

    std::vector<double> baseline, picture, tool;
    for (int run = 0; run < runs; ++run) {
        // Taking turns spreads any slow spell of the machine over all three.
        baseline.push_back(StartUp(kBaseline));
        picture.push_back(StartUp(kPictureBaseline));
        tool.push_back(StartUp(kTool));
    }
    std::printf("Start-up, process start to main panel visible (median of %d runs):\n", runs);
    const bool shown = PrintFigures(kBaseline.label, baseline) & PrintFigures(kPictureBaseline.label, picture) &
                       PrintFigures(kTool.label, tool);
    if (shown) {
        std::printf("  ratio tool / bare dialog           %7.2f\n", Median(tool) / Median(baseline));
        std::printf("  ratio tool / dialog + picture      %7.2f      (aim: at most 1.2)\n", Median(tool) / Median(picture));
    }

    std::printf("Idle, CPU time over %d s with the window open and the mouse still:\n", seconds);
    const Idle baselineIdle = IdleCpu(kBaseline, DWORD(seconds));
    const Idle toolIdle = IdleCpu(kTool, DWORD(seconds));
    ReportIdle(kBaseline, baselineIdle, DWORD(seconds));
    ReportIdle(kTool, toolIdle, DWORD(seconds));
    std::printf("  (aim: the tool under 1 %% of one core)\n");
    return shown ? 0 : 1;
}

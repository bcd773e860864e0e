// Where the tool's start-up and a repair spend their time: the timestamps a build made with
// PALLUX_STEP_TIMES reports at each of its steps, read from the debugger output as a debug-output
// viewer does, the median of each step over several runs. Start-up steps count from the creation of
// the process, beside the same of the dialog that shows one picture (the start-up benchmark's
// baseline, built with the same option); a repair's from the confirmation's OK as the tool took it.
// The moments this program saw the windows show beside them.
// Usage: step_bench.exe [runs, default 7]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "BenchDriver.h"
#include "BenchSupport.h"
#include "mainwnd/RepairFlowTexts.h"
#include "res/resource.h"

namespace {

constexpr DWORD kWaitMs = 60000;
constexpr char kStepPrefix[] = "step ";
constexpr char kRepairStart[] = "repair confirmed";

// The system-wide debug output: one message at a time in a shared buffer, its sender's process id
// first; the sender waits for "buffer ready" and signals "data ready".
class DebugOutputReader {
public:
    DebugOutputReader()
        : m_bufferReady(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY")),
          m_dataReady(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY")),
          m_mapping(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferSize, L"DBWIN_BUFFER")),
          m_buffer(m_mapping ? MapViewOfFile(m_mapping.Get(), FILE_MAP_READ, 0, 0, kBufferSize) : nullptr),
          m_stop(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        if (IsListening()) m_thread.Reset(CreateThread(nullptr, 0, &DebugOutputReader::Read, this, 0, nullptr));
    }
    ~DebugOutputReader()
    {
        SetEvent(m_stop.Get());
        if (m_thread) WaitForSingleObject(m_thread.Get(), INFINITE);
        if (m_buffer != nullptr) UnmapViewOfFile(m_buffer);
    }
    DebugOutputReader(const DebugOutputReader&) = delete;
    DebugOutputReader& operator=(const DebugOutputReader&) = delete;

    bool IsListening() const { return m_bufferReady && m_dataReady && m_buffer != nullptr && m_stop; }

    // The step marks process `processId` has sent so far, as (milliseconds, step), in order.
    std::vector<std::pair<double, std::string>> StepsOf(DWORD processId)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        std::vector<std::pair<double, std::string>> steps;
        for (const auto& [sender, text] : m_messages) {
            if (sender != processId || text.rfind(kStepPrefix, 0) != 0) continue;
            char* rest = nullptr;
            const double ms = std::strtod(text.c_str() + sizeof kStepPrefix - 1, &rest);
            if (rest != nullptr && *rest == ' ') steps.emplace_back(ms, std::string(rest + 1));
        }
        return steps;
    }

private:
    static constexpr DWORD kBufferSize = 4096;

    static DWORD WINAPI Read(LPVOID self)
    {
        auto* reader = static_cast<DebugOutputReader*>(self);
        const HANDLE waits[] = {reader->m_dataReady.Get(), reader->m_stop.Get()};
        for (SetEvent(reader->m_bufferReady.Get()); WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0;
             SetEvent(reader->m_bufferReady.Get())) {
            const auto* bytes = static_cast<const char*>(reader->m_buffer);
            DWORD sender = 0;
            std::memcpy(&sender, bytes, sizeof sender);
            const std::string text(bytes + sizeof sender, strnlen(bytes + sizeof sender, kBufferSize - sizeof sender));
            const std::lock_guard<std::mutex> lock(reader->m_mutex);
            reader->m_messages.emplace_back(sender, text);
        }
        return 0;
    }

    CHandle m_bufferReady, m_dataReady, m_mapping;
    void* m_buffer;
    CHandle m_stop, m_thread;
    std::mutex m_mutex;
    std::vector<std::pair<DWORD, std::string>> m_messages;
};

ULONGLONG Now()
{
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return (ULONGLONG(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

// Milliseconds from the creation of `process` to `time` (Now()), on the clock the tool's marks use.
double SinceCreation(HANDLE process, ULONGLONG time)
{
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return -1;
    return (double(time) - double((ULONGLONG(created.dwHighDateTime) << 32) | created.dwLowDateTime)) / 10000.0;
}

// Each step's times over the runs, kept in the order the steps first came; a step that comes again
// within a run (a dialog pair shown a second time) is counted as a step of its own.
class StepTable {
public:
    void Add(const std::vector<std::pair<double, std::string>>& run)
    {
        std::map<std::string, int> seen;
        for (const auto& [ms, step] : run) {
            const int repeat = ++seen[step];
            const std::string name = repeat == 1 ? step : step + " (" + std::to_string(repeat) + ")";
            if (m_times.find(name) == m_times.end()) m_order.push_back(name);
            m_times[name].push_back(ms);
        }
    }
    void Print(const char* heading) const
    {
        std::printf("%s\n", heading);
        for (const std::string& name : m_order) {
            const std::vector<double>& times = m_times.at(name);
            std::printf("  %8.1f ms  %s%s\n", Median(times), name.c_str(),
                        times.size() < m_runs ? " (not in every run)" : "");
        }
    }
    void EndRun() { ++m_runs; }

private:
    size_t m_runs = 0;
    std::vector<std::string> m_order;
    std::map<std::string, std::vector<double>> m_times;
};

// One start of `file` to its window `isShown`, its start-up steps added to `table`; the program is
// left running for the caller. Null when the window did not show.
// `starting` is Now() just before the program was started.
HWND StartUpSteps(BenchProgram& started, ULONGLONG starting, bool (*isShown)(HWND), DebugOutputReader& reader,
                  StepTable& table)
{
    const HWND window = started.WaitForWindow(isShown, kWaitMs);
    if (window == nullptr) return nullptr;
    const double seen = SinceCreation(started.Process(), Now());
    Sleep(300);  // the start-up's last marks (the first paint) still on their way
    std::vector<std::pair<double, std::string>> steps = reader.StepsOf(started.Id());
    steps.emplace_back(seen, "window seen by the bench");
    steps.emplace_back(SinceCreation(started.Process(), starting), "CreateProcess called by the bench");
    std::sort(steps.begin(), steps.end());
    table.Add(steps);
    table.EndRun();
    return window;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 7;
    if (runs <= 0) {
        std::fprintf(stderr, "usage: step_bench [runs > 0]\n");
        return 2;
    }
    DebugOutputReader reader;
    if (!reader.IsListening()) {
        std::fprintf(stderr, "the debugger output could not be read (another viewer holds it?)\n");
        return 1;
    }
    StepTable pictureDialog, startUp, repair;
    for (int run = 0; run < runs; ++run) {
        {
            // The baseline first, taking turns with the tool.
            const ULONGLONG starting = Now();
            BenchProgram baseline(BesideThisProgram(L"picture_dialog.exe"));
            if (StartUpSteps(baseline, starting, [](HWND) { return true; }, reader, pictureDialog) == nullptr) {
                std::printf("run %d: the picture dialog did not show\n", run + 1);
                return 1;
            }
        }
        const ULONGLONG starting = Now();
        BenchProgram started(BesideThisProgram(L"RapimendPalluxAMDFlashScreenRepair.exe"));
        const HWND panel = StartUpSteps(started, starting, &IsMainPanel, reader, startUp);
        if (panel == nullptr) {
            std::printf("run %d: the main panel did not show\n", run + 1);
            return 1;
        }

        ClickControl(panel, IDC_REPAIR);
        const HWND confirm = started.WaitForWindow(PromptSaying(kConfirmText), kWaitMs);
        if (confirm == nullptr) return 1;
        ClickControl(confirm, IDC_PROMPT_OK);
        const HWND question = started.WaitForWindow(PromptSaying(kRestartQuestion), kWaitMs);
        if (question == nullptr) {
            std::printf("run %d: no restart question\n", run + 1);
            return 1;
        }
        const double questionSeen = SinceCreation(started.Process(), Now());
        Sleep(100);  // the marks still on their way
        std::vector<std::pair<double, std::string>> repairSteps = reader.StepsOf(started.Id());
        repairSteps.emplace_back(questionSeen, "restart question seen by the bench");
        std::sort(repairSteps.begin(), repairSteps.end());
        // Only what came from the confirmation's OK on: the confirmation's own steps come before it.
        const auto confirmed = std::find_if(repairSteps.begin(), repairSteps.end(),
                                            [](const auto& step) { return step.second == kRepairStart; });
        if (confirmed == repairSteps.end()) {
            std::printf("run %d: no step marks from the tool (a build without PALLUX_STEP_TIMES?)\n", run + 1);
            return 1;
        }
        repairSteps.erase(repairSteps.begin(), confirmed);
        const double zero = repairSteps.front().first;
        for (auto& step : repairSteps) step.first -= zero;
        repair.Add(repairSteps);
        repair.EndRun();
    }
    pictureDialog.Print("The dialog that shows one picture, milliseconds from the process's creation (median of each step):");
    startUp.Print("The tool's start-up, milliseconds from the process's creation (median of each step):");
    repair.Print("Repair, milliseconds from the confirmation's OK as the tool took it (median of each step):");
    return 0;
}

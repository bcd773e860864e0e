// Many repairs in a row, in the window and on the command line, and how each ended: counted by
// outcome, a failure by what it said of its cause, so that one that names none stands out. Counts,
// never pass or fail; no times are taken.
//
// The window: 一键修复, 确认, then whatever answers first (the restart question, answered 否; a
// notice, answered, with the log's records it left; the tool's end; or nothing within the command
// runner's limit and a margin, when what is on screen, the processes started since the tool and
// the registry value are printed). The command line: the value set to 1, then `/quiet`, then
// `/quiet /undo`, each by its exit code, a failure with the last line it printed.
// Usage: stress_bench.exe [runs of each, default 200]
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "BenchDriver.h"
#include "BenchSupport.h"
#include "framework/Encoding.h"
#include "framework/RegKey.h"
#include "mainwnd/RepairFlowTexts.h"
#include "repair/CommandRunner.h"
#include "res/resource.h"

namespace {

constexpr DWORD kAnswerMs = kCommandTimeLimitMs + 15000;
constexpr wchar_t kTool[] = L"RapimendPalluxAMDFlashScreenRepair.exe";

using Outcomes = std::map<std::string, int>;

std::string Utf8(const CString& text)
{
    return CodePageFromWide(CP_UTF8, text);
}

// The tool's log, whole, in its code page (936).
std::string ToolLog()
{
    wchar_t data[MAX_PATH] = {};
    GetEnvironmentVariableW(L"ProgramData", data, MAX_PATH);
    const CHandle file(CreateFileW((CString(data) + L"\\ToolLog\\屏闪修复工具.txt").c_str(), GENERIC_READ,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                   nullptr));
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (file && ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    return bytes;
}

// The records the log gained past its first `before` bytes, their times left out, on one line.
std::string RecordsSince(size_t before)
{
    const std::string log = ToolLog();
    std::string records;
    for (size_t at = std::min(before, log.size()); at < log.size();) {
        const size_t end = std::min(log.find("\r\n", at), log.size());
        const size_t text = log.compare(at, 1, "[") == 0 ? log.find_first_not_of(' ', log.find(']', at) + 1) : at;
        if (text < end) records += (records.empty() ? "" : " | ") + log.substr(text, end - text);
        at = end + 2;
    }
    return records.empty() ? "(no record)" : Utf8(WideFromCodePage(936, records.data(), int(records.size())));
}

void SetRepairValue(DWORD value)
{
    CRegKey key;
    if (key.Create(HKEY_LOCAL_MACHINE,
                   L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0000",
                   KEY_SET_VALUE | KEY_WOW64_64KEY) == ERROR_SUCCESS)
        RegSetValueExW(key.Get(), L"DalPSRFeatureEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

long long RepairValue()
{
    DWORD value = 0, size = sizeof value;
    return RegGetValueW(HKEY_LOCAL_MACHINE,
                        L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0000",
                        L"DalPSRFeatureEnable", RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, nullptr, &value,
                        &size) == ERROR_SUCCESS
               ? value
               : -1;
}

// What a run that gave no answer left: the tool's windows, the processes started since it, the value.
void PrintWhatIsLeft(const BenchProgram& tool)
{
    std::printf("    on screen:");
    for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        wchar_t title[256] = {}, state[256] = {};
        if (owner != tool.Id() || !IsWindowVisible(window)) continue;
        GetWindowTextW(window, title, 256);
        GetDlgItemTextW(window, IDC_STATE_TEXT, state, 256);
        std::printf(" [%s: %s]", Utf8(title).c_str(), Utf8(state).c_str());
    }
    std::printf("\n    processes started since the tool (%lu):", tool.Id());
    FILETIME toolStarted{}, started{}, unused{};
    GetProcessTimes(tool.Process(), &toolStarted, &unused, &unused, &unused);
    const CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more; more = Process32NextW(snapshot.Get(), &entry)) {
        const CHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (process && GetProcessTimes(process.Get(), &started, &unused, &unused, &unused) &&
            CompareFileTime(&started, &toolStarted) > 0)
            std::printf(" %s (%lu, of %lu)", Utf8(entry.szExeFile).c_str(), entry.th32ProcessID, entry.th32ParentProcessID);
    }
    std::printf("\n    the registry value %lld\n", RepairValue());
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    for (const ULONGLONG until = GetTickCount64() + timeoutMs; !condition(); Sleep(5))
        if (GetTickCount64() > until) return false;
    return true;
}

// One repair in the window of `tool`, whose main panel is `panel`: how it ended. `usable` is
// cleared when the tool can take no further repair.
std::string WindowRepair(const BenchProgram& tool, HWND panel, bool& usable)
{
    ClickControl(panel, IDC_REPAIR);
    const HWND confirm = tool.WaitForWindow(PromptSaying(kConfirmText), 10000);
    if (confirm == nullptr) {
        usable = false;
        return "no confirmation: the click on 一键修复 did not arrive";
    }
    ClickControl(confirm, IDC_PROMPT_OK);
    if (!WaitFor([&] { return !IsWindowVisible(confirm); }, 5000)) {
        ClickControl(confirm, IDC_PROMPT_CANCEL);
        return "the confirmation stayed: the click on 确认 did not arrive";
    }
    const size_t logBefore = ToolLog().size();
    const HWND answer = tool.WaitForWindow([](HWND window) { return GetDlgItem(window, IDC_PROMPT_TEXT) != nullptr; }, kAnswerMs);
    if (answer != nullptr && PromptSaying(kRestartQuestion)(answer)) {
        ClickControl(answer, IDC_PROMPT_CANCEL);
        usable = WaitFor([&] { return IsWindowEnabled(panel) && !IsWindowVisible(answer); }, 10000);
        return "the restart question";
    }
    if (answer != nullptr) {
        wchar_t said[512] = {};
        GetDlgItemTextW(answer, IDC_PROMPT_TEXT, said, 512);
        // A question is answered 否, never 是 (a restart); a notice's record is written once it is answered.
        ClickControl(answer, IsWindowVisible(GetDlgItem(answer, IDC_PROMPT_CANCEL)) ? IDC_PROMPT_CANCEL : IDC_PROMPT_OK);
        WaitFor([&] { return ToolLog().size() > logBefore; }, 5000);
        usable = WaitFor([&] { return IsWindowEnabled(panel) && !IsWindowVisible(answer); }, 10000);
        return "the prompt \"" + Utf8(said) + "\", the log: " + RecordsSince(logBefore);
    }
    usable = false;
    DWORD exitCode = 0;
    if (WaitForSingleObject(tool.Process(), 0) == WAIT_OBJECT_0 && GetExitCodeProcess(tool.Process(), &exitCode))
        return "the tool ended, exit code " + std::to_string(exitCode) + "; the log: " + RecordsSince(logBefore);
    std::printf("  no answer within %lu s:\n", kAnswerMs / 1000);
    PrintWhatIsLeft(tool);
    return "no answer within the limit; the log: " + RecordsSince(logBefore);
}

// Runs the tool with `arguments` to its end: how it ended, a failure with the last line it printed.
std::string CommandLineRun(const wchar_t* arguments)
{
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 1 << 16)) return "no pipe for its output";
    const CHandle reader(readEnd);
    CHandle writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const CString path = BesideThisProgram(kTool);
    CString commandLine = L"\"" + path + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writer.Get();
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started))
        return "did not start, error " + std::to_string(GetLastError());
    const CHandle process(started.hProcess), thread(started.hThread);
    writer.Close();
    DWORD exitCode = 0;
    const bool ended = WaitForSingleObject(process.Get(), kAnswerMs) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.Get(), 1);
    GetExitCodeProcess(process.Get(), &exitCode);
    std::string output;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(reader.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
    while (!output.empty() && (output.back() == '\r' || output.back() == '\n')) output.pop_back();
    const std::string last = Utf8(WideFromCodePage(CP_ACP, output.substr(output.find_last_of('\n') + 1)));
    if (!ended) return "no end within the limit: " + last;
    if (exitCode == 3010) return "3010 (changed, restart needed)";
    if (exitCode == 0) return "0 (nothing to change)";
    return "exit code " + std::to_string(exitCode) + ": " + last;
}

void Print(const char* title, int runs, const Outcomes& outcomes)
{
    std::printf("%s, %d runs:\n", title, runs);
    for (const auto& [outcome, count] : outcomes) std::printf("  %5d  %s\n", count, outcome.c_str());
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
    if (runs <= 0) {
        std::fprintf(stderr, "usage: stress_bench [runs of each > 0]\n");
        return 2;
    }
    Outcomes window;
    std::optional<BenchProgram> tool;
    HWND panel = nullptr;
    for (int run = 0; run < runs; ++run) {
        bool usable = panel != nullptr;
        if (!usable) {
            tool.reset();  // a tool that can take no more is ended, and a fresh one started
            tool.emplace(BesideThisProgram(kTool));
            panel = tool->WaitForWindow(&IsMainPanel, kAnswerMs);
            if (panel == nullptr) {
                ++window["no main window within the limit"];
                continue;
            }
        }
        ++window[WindowRepair(*tool, panel, usable)];
        if (!usable) panel = nullptr;
        std::fflush(stdout);
    }
    tool.reset();
    Print("The window's repair, 一键修复 and 确认 to the answer", runs, window);

    Outcomes repair, undo;
    for (int run = 0; run < runs; ++run) {
        SetRepairValue(1);
        ++repair[CommandLineRun(L"/quiet")];
        ++undo[CommandLineRun(L"/quiet /undo")];
    }
    Print("/quiet, the value set to 1 before each", runs, repair);
    Print("/quiet /undo, after each /quiet", runs, undo);
    return 0;
}

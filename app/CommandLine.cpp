#include "app/CommandLine.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cwctype>

#include "app/ConsoleOutput.h"
#include "app/SingleRun.h"
#include "framework/Paths.h"
#include "repair/FlashScreenRepair.h"
#include "repair/RepairLog.h"
#include "repair/RepairRecord.h"
#include "repair/RepairTarget.h"

namespace {

enum class Command { Repair, Undo, Status, Usage, Invalid };

// Case-insensitive, "/" or "-"; the only combinations are the four of the usage.
Command CommandOf(const std::vector<CString>& arguments)
{
    std::vector<CString> words;
    for (const CString& argument : arguments) {
        if (argument.size() < 2 || (argument[0] != L'/' && argument[0] != L'-')) return Command::Invalid;
        CString word = argument.substr(1);
        std::transform(word.begin(), word.end(), word.begin(), [](wchar_t ch) { return std::towlower(ch); });
        words.push_back(word);
    }
    std::sort(words.begin(), words.end());
    if (words == std::vector<CString>{L"quiet"}) return Command::Repair;
    if (words == std::vector<CString>{L"quiet", L"undo"}) return Command::Undo;
    if (words == std::vector<CString>{L"status"}) return Command::Status;
    if (words == std::vector<CString>{L"?"}) return Command::Usage;
    return Command::Invalid;
}

void PrintUsage(const CConsoleOutput& out)
{
    CString program = ProgramPath();
    program = program.substr(program.find_last_of(L'\\') + 1);
    out.WriteLine(L"用法：" + program + L" [/quiet [/undo] | /status | /?]");
    out.WriteLine(L"  （无参数）    打开修复窗口。");
    out.WriteLine(L"  /quiet        不显示窗口，将 AMD 显示适配器的 DalPSRFeatureEnable 设为 0（屏闪修复）。");
    out.WriteLine(L"                退出代码：3010 已修改，重新启动后生效；0 已为 0，未作修改；1 失败。");
    out.WriteLine(L"  /quiet /undo  不显示窗口，按备份恢复修复前的设置。");
    out.WriteLine(L"                退出代码：3010 已恢复，重新启动后生效；0 没有备份或无需恢复；1 失败。");
    out.WriteLine(L"  /status       列出每个目标注册表项及其 DalPSRFeatureEnable 的值，以及首次修复前记录的值。");
    out.WriteLine(L"                退出代码：0 全部为 0；1 其他。");
    out.WriteLine(L"  /?            显示本说明。");
    out.WriteLine(L"  工具已在运行（窗口或另一个命令行）时，/quiet 立即结束，退出代码 1618，可稍后重试。");
    out.WriteLine(L"命令行方式不显示窗口、不重新启动电脑，也不删除工具文件；失败原因另记入日志。");
}

int PrintStatus(const CConsoleOutput& out)
{
    const RepairTargets targets = FindRepairTargets();
    if (targets.instances.empty()) {
        out.WriteLine(CString(targets.WhyNone()) + L"。");
        return kExitFailed;
    }
    // What each key held before the first repair, which the undo brings back, is read from the
    // record alone: "修复前：REG_DWORD 1", "修复前：不存在" (no value then), or that there is none.
    std::vector<BackupEntry> record;
    const RecordFound found = ReadRepairRecord(record);
    bool allOff = true;
    for (const CString& instance : targets.instances) {
        const PsrValue value = ReadPsrValue(instance);
        allOff &= value.IsOff();
        const BackupEntry* recorded = RecordedEntry(record, instance);
        const CString before = found == RecordFound::Invalid ? CString(L"修复记录无法读取")
                               : recorded == nullptr          ? CString(L"无修复记录")
                                                              : L"修复前：" + recorded->previous.Describe();
        out.WriteLine(AdapterKeyName(instance) + L"  " PALLUX_PSR_VALUE L"：" + value.Describe() + L"（" + before + L"）");
    }
    return allOff ? kExitDone : kExitFailed;
}

int Finish(const CConsoleOutput& out, RepairOutcome outcome, const CString& failure, bool undo)
{
    switch (outcome) {
    case RepairOutcome::Changed:
        out.WriteLine(undo ? L"已恢复修复前的设置，重新启动电脑后生效。" : L"屏闪修复完成，重新启动电脑后生效。");
        return kExitRestartNeeded;
    case RepairOutcome::Unchanged:
        out.WriteLine(undo ? L"设置已与修复前相同，未作修改。" : L"DalPSRFeatureEnable 已为 0，未作修改。");
        return kExitDone;
    case RepairOutcome::NoBackup:
        out.WriteLine(L"没有备份，无需撤销。");
        return kExitDone;
    case RepairOutcome::Failed:
        break;
    }
    out.WriteLine((undo ? L"撤销失败！" : L"屏闪修复失败！") + failure);
    (undo ? LogUndoFailed : LogRepairCommandFailed)(failure);
    return kExitFailed;
}

}  // namespace

std::vector<CString> ProgramArguments()
{
    std::vector<CString> arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) return arguments;
    for (int i = 1; i < count; ++i) arguments.emplace_back(argv[i]);
    LocalFree(argv);
    return arguments;
}

std::optional<int> RunCommandLine(const std::vector<CString>& arguments)
{
    if (arguments.empty()) return std::nullopt;
    const CConsoleOutput out;
    const Command command = CommandOf(arguments);
    if (command == Command::Usage || command == Command::Invalid) {
        PrintUsage(out);
        return command == Command::Usage ? kExitDone : kExitInvalidArgument;
    }
    CFlashScreenRepair repair;
    if (!repair.CheckSystemVersion()) {
        out.WriteLine(L"此工具不支持当前系统");
        return kExitFailed;
    }
    if (command == Command::Status) return PrintStatus(out);
    CSingleRun run;
    if (!run.Acquire()) {
        out.WriteLine(L"屏闪修复工具正在运行（窗口或另一个命令行），请稍后再试。");
        return kExitAnotherRunning;
    }
    CString failure;
    const bool undo = command == Command::Undo;
    const RepairOutcome outcome = undo ? repair.Undo(failure) : repair.Repair(false, failure);
    return Finish(out, outcome, failure, undo);
}

#include "repair/RepairLog.h"

#include "framework/Encoding.h"
#include "log/LogLine.h"
#include "log/LogSave.h"

namespace {

const wchar_t kLogFileName[] = L"屏闪修复工具.txt";
const wchar_t kThreadNotCreated[] = L"创建屏闪修复线程失败";
const wchar_t kCommandFailed[] = L"执行修改 DalPSRFeatureEnable 修复屏闪命令失败";
const wchar_t kUndoFailed[] = L"撤销屏闪修复失败";

void WriteForced(const CStringA& text)
{
    CLogSave::GetInstance().WriteLog(text, CodePageFromWide(kLogCodePage, kLogFileName), true);
}

// The command's message on one line: line breaks and runs of blanks become single blanks.
CString OneLine(const CString& text)
{
    CString line;
    for (wchar_t ch : text) {
        const bool blank = ch == L'\r' || ch == L'\n' || ch == L'\t' || ch == L' ';
        if (blank) {
            if (!line.IsEmpty() && line.back() != L' ') line += L' ';
        } else {
            line += ch;
        }
    }
    while (!line.IsEmpty() && line.back() == L' ') line.pop_back();
    return line;
}

// "CreateProcessW 失败，错误 2"
CString CallFailed(const RunFailure& failure)
{
    return CString(failure.step != nullptr ? failure.step : L"?") + L" 失败，错误 " + std::to_wstring(failure.error);
}

}  // namespace

CString RepairFailureDetail(const CommandRun& run, const CString& output)
{
    switch (run.end) {
    case CommandEnd::NotStarted: {
        CString text = L"（命令未能运行：" + CallFailed(run.failure);
        const size_t attempts = run.failedAttempts.size() + 1;
        if (attempts > 1) text += L"，共尝试 " + std::to_wstring(attempts) + L" 次";
        return text + L"）";
    }
    case CommandEnd::TimedOut: return L"（超过时限仍未结束，已终止：" + run.stillRunning + L"）";
    case CommandEnd::ExitCodeUnread: return L"（命令已运行，但无法读取退出代码：" + CallFailed(run.failure) + L"）";
    case CommandEnd::Exited: break;
    }
    CString text = L"（退出代码 " + std::to_wstring(run.exitCode) + L"）";
    const CString message = OneLine(output);
    if (!message.IsEmpty()) text += L"：" + message;
    return text;
}

CString RetriedStartNote(const CommandRun& run)
{
    if (run.end == CommandEnd::NotStarted || run.failedAttempts.empty()) return CString();
    CString text = L"命令";
    for (size_t i = 0; i < run.failedAttempts.size(); ++i)
        text += (i == 0 ? L"第 " : L"，第 ") + std::to_wstring(i + 1) + L" 次未能运行（" +
                CallFailed(run.failedAttempts[i]) + L"）";
    return text + L"，第 " + std::to_wstring(run.failedAttempts.size() + 1) + L" 次已运行";
}

CString ReadBackDetail(const CString& found)
{
    return L"（命令已成功结束，但读回的 DalPSRFeatureEnable：" + found + L"）";
}

CStringA RepairFailureText(const CString& detail)
{
    return CodePageFromWide(kLogCodePage, kCommandFailed + detail);
}

void LogRepairThreadNotCreated()
{
    WriteForced(CodePageFromWide(kLogCodePage, kThreadNotCreated));
}

void LogRepairCommandFailed(const CString& detail)
{
    WriteForced(RepairFailureText(detail));
}

void LogUndoFailed(const CString& detail)
{
    WriteForced(CodePageFromWide(kLogCodePage, kUndoFailed + detail));
}

void LogNote(const CString& text)
{
    WriteForced(CodePageFromWide(kLogCodePage, text));
}

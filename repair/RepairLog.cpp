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

}  // namespace

CString RepairFailureDetail(CommandEnd end, DWORD exitCode, const CString& output)
{
    switch (end) {
    case CommandEnd::NotStarted: return L"（命令未能运行）";
    case CommandEnd::TimedOut: return L"（超过时限仍未结束，已终止）";
    case CommandEnd::Exited: break;
    }
    CString text = L"（退出代码 " + std::to_wstring(exitCode) + L"）";
    const CString message = OneLine(output);
    if (!message.IsEmpty()) text += L"：" + message;
    return text;
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

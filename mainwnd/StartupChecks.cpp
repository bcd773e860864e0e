// The start-up checks of the main panel, in their fixed order, and the one-time version check.
// Each failure shows one prompt and ends the process: there is no way to go on.
#include <cstdlib>
#include <vector>

#include "companion/ToolIdentity.h"
#include "dialogs/PromptDlg.h"
#include "mainwnd/MainWindow.h"

namespace {
const wchar_t kInitFailed[] = L"工具初始化失败";
const wchar_t kUnsupportedSystem[] = L"此工具不支持当前系统";
const wchar_t kNewerVersion[] = L"检测到当前工具有新的版本更新，请下载最新版本使用。";

// The folder of the running program, without a trailing backslash; empty when it cannot be had
// whole (the library is then not looked for at all).
CString ProgramFolder()
{
    std::vector<wchar_t> path(MAX_PATH + 1, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return CString();
    CString folder(path.data(), length);
    const size_t cut = folder.rfind(L'\\');
    return cut == CString::npos ? CString() : folder.substr(0, cut);
}
}  // namespace

INT_PTR CPalluxAMDFlashScreenRepairDlg::RunPrompt(const wchar_t* text, int kind, CWnd* parent)
{
    CPromptDlg prompt(parent);
    prompt.m_fScale = m_fScale;
    prompt.SetPromptText(text);
    prompt.SetPromptKind(kind);
    return prompt.DoModal();
}

void CPalluxAMDFlashScreenRepairDlg::FailStartup(const wchar_t* text)
{
    RunPrompt(text, 3);
    // The hook goes with the process's own clean-up; no window is destroyed on this way out.
    std::exit(0);
}

void CPalluxAMDFlashScreenRepairDlg::RunStartupChecks()
{
    if (!m_repair.SetNotifyWindow(m_hWnd)) FailStartup(kInitFailed);
    if (!m_repair.CheckSystemVersion()) FailStartup(kUnsupportedSystem);
    if (!m_mouseHook.SetTarget(m_hWnd)) FailStartup(kInitFailed);
    if (!m_mouseHook.Install()) FailStartup(kInitFailed);
    if (!m_feedbackLib.Load(ProgramFolder())) FailStartup(kInitFailed);
    if (m_feedbackLib.InitFreedbackDll(m_strDllInfo.ForFilling()) == 0) FailStartup(kInitFailed);
}

void CPalluxAMDFlashScreenRepairDlg::OnVersionCheck()
{
    if (!m_feedbackLib.IsLoaded()) return;
    if (m_feedbackLib.GetToolIsNewVersion(TOOL_ID, TOOL_VERSION) != kNewerVersionRequired) return;
    RunPrompt(kNewerVersion, 3, this);
    m_feedbackLib.OpenToolDownUrl();
    std::exit(0);
}

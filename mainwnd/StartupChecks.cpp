// The start-up checks of the main panel, in their fixed order, and the one-time version check.
// Each failure shows one prompt and ends the process: there is no way to go on.
#include <cstdlib>

#include "companion/ToolIdentity.h"
#include "framework/Paths.h"
#include "framework/StepTimes.h"
#include "mainwnd/MainPanel.h"
#include "repair/RepairLog.h"

namespace {
const wchar_t kInitFailed[] = L"工具初始化失败";
const wchar_t kUnsupportedSystem[] = L"此工具不支持当前系统";
const wchar_t kNewerVersion[] = L"检测到当前工具有新的版本更新，请下载最新版本使用。";
}  // namespace

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
    MarkStep("system version checked");
    if (!m_mouseHook.SetTarget(m_hWnd)) FailStartup(kInitFailed);
    if (!m_mouseHook.Install()) FailStartup(kInitFailed);
    MarkStep("mouse hook installed");
    // A library refused or missing ends the tool the same way; the log says which and why.
    const LibraryLoad load = m_feedbackLib.Load(FolderOf(ProgramPath()));
    if (load != LibraryLoad::Loaded) {
        LogNote(m_feedbackLib.LoadFailureText(load));
        FailStartup(kInitFailed);
    }
    MarkStep("companion library loaded");
    if (m_feedbackLib.InitFreedbackDll(m_strDllInfo.ForFilling()) == 0) FailStartup(kInitFailed);
    MarkStep("companion library initialised");
}

void CPalluxAMDFlashScreenRepairDlg::OnVersionCheck()
{
    if (!m_feedbackLib.IsLoaded()) return;
    if (m_feedbackLib.GetToolIsNewVersion(TOOL_ID, TOOL_VERSION) != kNewerVersionRequired) return;
    RunPrompt(kNewerVersion, 3, this);
    m_feedbackLib.OpenToolDownUrl();
    std::exit(0);
}

#include "app/App.h"

#include <commctrl.h>

#include "app/CommandLine.h"
#include "app/SingleRun.h"
#include "app/ToolFolderRemoval.h"
#include "companion/LibraryFile.h"
#include "controls/PngResource.h"
#include "dialogs/PromptDlg.h"
#include "framework/Gdiplus.h"
#include "framework/Paths.h"
#include "framework/StepTimes.h"
#include "mainwnd/MainWindow.h"
#include "repair/RepairLog.h"
#include "windowpair/DisplayScale.h"

CRapimendPalluxAMDFlashScreenRepairApp theApp;

namespace {

// The common controls, version 6 as the manifest asks (the activation context picks it), loaded by
// name once the program has limited the search to the system folder. Called through the address
// it looks up: the 32-bit delay-import stub of this one function was left empty by the toolchain,
// a call to nowhere. The library stays for the life of the process, as the dialogs need its classes.
void StartCommonControls()
{
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const HMODULE library = LoadLibraryW(L"comctl32.dll");
    const auto init = reinterpret_cast<InitFunction>(
        reinterpret_cast<void*>(library != nullptr ? GetProcAddress(library, "InitCommonControlsEx") : nullptr));
    INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
    if (init != nullptr) init(&controls);
}

constexpr wchar_t kAlreadyRunningText[] = L"屏闪修复工具正在运行，请等待其完成后再试。";

// A start without arguments while another run holds the tool: the running window comes to the
// front (restored if minimised), by its own hand as far as it can; when there is none, a prompt says
// a repair is already running.
void ShowRunningTool()
{
    // The other run may be a window still on its way up (a second double-click while the first
    // waited for the administrator prompt): give it a moment to show.
    for (int waited = 0; waited < 30; ++waited) {
        // The shell is the window of that title that nothing owns (its panel carries the title too).
        HWND running = FindWindowExW(nullptr, nullptr, L"#32770", kToolTitle);
        while (running != nullptr && GetWindow(running, GW_OWNER) != nullptr)
            running = FindWindowExW(nullptr, running, L"#32770", kToolTitle);
        if (running != nullptr) {
            DWORD processId = 0;
            GetWindowThreadProcessId(running, &processId);
            AllowSetForegroundWindow(processId);
            // Where the message cannot be posted, this process brings it forward as well as it may.
            if (ComeForwardMessage() == 0 || !PostMessageW(running, ComeForwardMessage(), 0, 0))
                BringToolForward(running);
            return;
        }
        Sleep(100);
    }
    CPromptDlg prompt;
    prompt.m_fScale = ComputeDisplayScale();
    prompt.SetPromptText(kAlreadyRunningText);
    prompt.SetPromptKind(3);
    prompt.DoModal();
}

}  // namespace

CRapimendPalluxAMDFlashScreenRepairApp::CRapimendPalluxAMDFlashScreenRepairApp()
{
    m_dwRestartManagerSupportFlags = 1;  // restart support only
}

BOOL CRapimendPalluxAMDFlashScreenRepairApp::InitInstance()
{
    // With arguments the tool works for a script or a support engineer: no window at all.
    if (const std::optional<int> exitCode = RunCommandLine(ProgramArguments())) {
        m_nExitCode = *exitCode;
        return FALSE;
    }
    MarkStep("window start-up begins");
    // Every way out before the main window has shown is a failure, but for a second start.
    m_nExitCode = 1;
    // Nobody could answer a window where nobody sees it (a deployment tool running the program as
    // SYSTEM): end at once, and say in the log what such a tool should ask for.
    if (!HasVisibleDesktop()) {
        LogNote(L"没有可供显示窗口的桌面（例如以 SYSTEM 帐户运行），工具未运行；部署时请使用 /quiet 参数");
        return FALSE;
    }
    const CGdiplusSession gdiplus;
    // Without GDI+ no window of the tool can draw itself: end rather than run invisibly.
    if (!gdiplus.IsStarted()) return FALSE;
    MarkStep("GDI+ started");
    CSingleRun run;
    if (!run.Acquire()) {
        ShowRunningTool();
        m_nExitCode = 0;
        return FALSE;
    }
    MarkStep("single run held");
    StartCommonControls();
    MarkStep("common controls started");
    // The companion library is held and judged beside the making of the windows; the start-up
    // checks take the answer in their turn.
    StartLibraryCheck(FolderOf(ProgramPath()));
    // The main window's pictures are decoded beside the making of its windows; it ends before GDI+.
    const CPictureWarmUp warmUp(MainWindowPictures());
    MarkStep("picture thread started");
    CWinApp::InitInstance();
    SetRegistryKey(L"应用程序向导生成的本地应用程序");

    // Everything the tool does happens inside this call.
    INT_PTR result;
    {
        CRapimendPalluxAMDFlashScreenRepairDlg dlg;
        m_pMainWnd = &dlg;
        result = dlg.DoModal();
        m_pMainWnd = nullptr;
    }
    // When the main window never showed the user has not used the tool, so it stays where it is.
    if (result != -1) {
        m_nExitCode = 0;
        ScheduleToolFolderRemoval();
    }
    return FALSE;
}

void CRapimendPalluxAMDFlashScreenRepairApp::BeforeSystemRestart()
{
    // The restart ends the tool before its window goes, so the removal after exit never starts.
    ScheduleToolRemovalAtRestart();
}

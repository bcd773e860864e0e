#pragma once
// Drives the built tool as a user does: a scratch copy of its files (or an unpacked package), the
// tool started from there, its windows found on screen, real clicks, and only what a user or the
// maker can see: the windows, the registry value, the log file and the reference library's journal.
#include <windows.h>
#include <tlhelp32.h>

#include <utility>

#include "repair/CommandRunner.h"
#include "res/resource.h"
#include "support/TestSupport.h"
#include "support/WindowProbe.h"

// What the tool's prompts say.
inline constexpr wchar_t kConfirmText[] = L"以下修复操作涉及到修改系统注册表，操作前请确认电脑里的资料均已备份！";
inline constexpr wchar_t kRestartQuestion[] =
    L"修复完成，建议您保存数据重新启动电脑再使用。现在就要重启吗？\r\n"
    L"如果重启后仍有问题，与软件无关，建议联系当地Quelto售后服务网点解决，请了解。";
inline constexpr wchar_t kFailedText[] = L"屏闪修复失败！";
inline constexpr wchar_t kRestartRefused[] = L"重启失败，请手动重新启动电脑。";
inline constexpr wchar_t kInitFailed[] = L"工具初始化失败";
inline constexpr wchar_t kNewerVersion[] = L"检测到当前工具有新的版本更新，请下载最新版本使用。";
inline constexpr wchar_t kTool[] = L"RapimendPalluxAMDFlashScreenRepair.exe";
inline constexpr wchar_t kCompanion[] = L"QueltoFeedbackInformation.dll";
// How long a repair or an undo may take before a test gives up: the command runner's own limit and a margin.
inline constexpr DWORD kRepairWaitMs = kCommandTimeLimitMs + 15000;
// A point on the desktop, off every control of the tool.
inline constexpr POINT kAway = {5, 5};

struct ToolSetup {
    CString program = kTool;       // which program to copy: built, or by its full path
    CString startAt;               // when set: the tool already in place there is started as it is
    CString folderName = L"tool";  // the scratch folder the tool is started from
    bool withLibrary = true;       // copy the reference companion library beside it
    CString library = kCompanion;  // which library: built (relative to the build's folder) or by its full path
    CString librarySettings;       // more lines of its settings, in its [Library] section unless they name another
    std::vector<std::pair<CString, CString>> besideIt;  // more files to copy, built or by full path: from, to
    DWORD dpi = 96;
    const wchar_t* windowsVersion = nullptr;  // Wine's version for the tool alone ("win7", "win81")
    bool start = true;  // false: the folder is made and the tool only runs through RunCommandLine
    wchar_t drive = 0;  // when set, the folder is mapped as this drive and the tool started at its root
};

class ToolRun {
public:
    explicit ToolRun(const ToolSetup& setup = ToolSetup());
    ~ToolRun();  // ends the tool if it still runs; the screen goes back to 96 DPI

    const CString& Folder() const { return m_folder; }
    std::vector<CString> FolderContents() const { return FolderNames(m_folder); }
    // A path in the scratch folder, beside the tool's folder.
    CString Beside(const CString& name) const { return m_scratch / name; }
    CString JournalPath() const { return m_folder + L"-journal.txt"; }
    DWORD ProcessId() const { return m_processId; }

    // The tool's first visible top-level window that `matches`, once it has settled; null when none
    // shows within the time or the tool has ended.
    HWND Window(const std::function<bool(HWND)>& matches, DWORD timeoutMs = 10000) const;
    // The visible window holding control `id`.
    HWND WindowWithControl(int id, DWORD timeoutMs = 10000) const
    {
        return Window([id](HWND window) { return GetDlgItem(window, id) != nullptr; }, timeoutMs);
    }
    HWND MainPanel(DWORD timeoutMs = 20000) const { return WindowWithControl(IDC_REPAIR, timeoutMs); }
    HWND Prompt(DWORD timeoutMs = 10000) const { return WindowWithControl(IDC_PROMPT_OK, timeoutMs); }
    HWND ProgressPrompt(DWORD timeoutMs = 10000) const { return WindowWithControl(IDC_STATE_TEXT, timeoutMs); }
    HWND FeedbackDialog(DWORD timeoutMs = 10000) const { return WindowWithControl(IDC_SOLVED, timeoutMs); }
    // The prompt showing `text`, and the test for it.
    static std::function<bool(HWND)> Saying(const wchar_t* text)
    {
        return [text](HWND window) { return TextOf(GetDlgItem(window, IDC_PROMPT_TEXT)) == text; };
    }
    HWND PromptSaying(const wchar_t* text, DWORD timeoutMs = 30000) const
    {
        return Window(Saying(text), timeoutMs);
    }
    // Waits for the answer to the repair or undo just confirmed on prompt `confirm` with a click or a
    // key: the confirmation goes within a few seconds, then prompt `expected` shows within the command
    // runner's own time limit and a margin. Anything else fails the test, saying what came instead:
    // another prompt (answered, and the log's records since printed), the tool's end, or at the limit
    // what is on screen, the tool's child processes and the registry value. The prompt, or null.
    // A repair whose value Wine took away with the adapters' keys while it ran (the tool then says
    // it failed, reading back no value, and the key's mark is gone) is done once more.
    HWND AnswerTo(HWND confirm, const wchar_t* expected = kRestartQuestion, bool again = true) const;
    // A click on 一键修复 of `panel`, then on 确认: the restart question, or null (the test failed).
    HWND ConfirmedRepair(HWND panel, bool again = true) const;
    // The shell around a content panel.
    static HWND ShellOf(HWND panel) { return GetWindow(panel, GW_OWNER); }

    // Runs the tool in its folder with `arguments` and waits for it: its exit code (-1 when it did not
    // end within kRepairWaitMs, and it is ended) and, when asked, what it wrote to its standard output.
    long RunCommandLine(const CString& arguments, std::string* output = nullptr) const;
    // Waits for the process to end; its exit code, or -1 when it did not end in time.
    long WaitForExit(DWORD timeoutMs = 20000) const;
    // Ends the tool as a user does: the close button, then the problem-solved dialog's close
    // button; the exit code, or -1 when it did not end.
    long CloseAsUser();
    // Ends the process at once, as a crash would.
    void End();
    // A process the tool started that still runs (the removal of its folder), or none.
    CHandle RunningChild() const;
    // Every process started after the tool, its own children and theirs.
    std::vector<PROCESSENTRY32W> StartedSince() const;
    // The journal's lines that record `exportName` (each as UTF-8).
    std::vector<std::string> JournalLines(const char* exportName) const;

private:
    ScratchFolder m_scratch;
    WineProgramSetting m_windowsVersion;
    CString m_folder;
    wchar_t m_drive = 0;
    CHandle m_process;
    DWORD m_processId = 0;
};

// Whether the keyboard focus of `dialog`'s thread comes to its control `id`.
bool FocusComesTo(HWND dialog, int id);

// The value of field `name` in a journal line ("" when the line has none).
std::string JournalField(const std::string& line, const char* name);

// The room `text` takes in the tool's dialog font ("宋体" at 10 points) at `dpi`: on one line, or
// wrapped at `wrapWidth` as the prompts wrap it.
SIZE TextExtent(const wchar_t* text, DWORD dpi, int wrapWidth = 0);

#pragma once
// Drives the built tool as a user does: a scratch copy of its files, the tool started from there,
// its windows found on screen, real clicks, and only what a user or the maker can see: the windows,
// the registry value, the log file and the reference library's journal.
#include <windows.h>

#include <initializer_list>
#include <ostream>
#include <string>
#include <vector>

#include "framework/Handle.h"
#include "framework/String.h"
#include "framework/Types.h"
#include "support/TestSupport.h"

struct ToolSetup {
    CString program = L"RapimendPalluxAMDFlashScreenRepair.exe";  // which built program to copy
    CString folderName = L"tool";  // the scratch folder the tool is started from
    bool withLibrary = true;       // copy the reference companion library beside it
    CString library = L"QueltoFeedbackInformation.dll";  // which built library, relative to the build's folder
    CString libraryKeys;           // extra lines of the settings' [Library] section
    CString librarySettings;       // extra lines of the library's settings file
    DWORD dpi = 96;
    const wchar_t* windowsVersion = nullptr;  // Wine's version for the tool alone ("win7", "win81")
};

// Wine's Windows version for the tool alone, as long as this object lives.
class ScopedToolWindowsVersion {
public:
    explicit ScopedToolWindowsVersion(const wchar_t* version);
    ~ScopedToolWindowsVersion();
    ScopedToolWindowsVersion(const ScopedToolWindowsVersion&) = delete;
    ScopedToolWindowsVersion& operator=(const ScopedToolWindowsVersion&) = delete;

private:
    bool m_set = false;
};

class ToolRun {
public:
    explicit ToolRun(const ToolSetup& setup = ToolSetup());
    ~ToolRun();  // ends the tool if it still runs; the screen goes back to 96 DPI
    ToolRun(const ToolRun&) = delete;
    ToolRun& operator=(const ToolRun&) = delete;

    const CString& Folder() const { return m_folder; }
    // The names in the tool's folder, sorted.
    std::vector<CString> FolderContents() const;
    // A path in the scratch folder, beside the tool's folder.
    CString Beside(const CString& name) const { return m_scratch / name; }
    CString JournalPath() const { return m_folder + L"-journal.txt"; }
    DWORD ProcessId() const { return m_processId; }

    // The tool's visible top-level windows right now.
    std::vector<HWND> VisibleWindows() const;
    // The main panel: the visible window holding the repair button (waits for it).
    HWND MainPanel(DWORD timeoutMs = 20000) const;
    // The visible window holding control `id` with the given client size in pixels, or null.
    HWND WindowWithControl(int id, DWORD timeoutMs = 10000) const;
    // The prompt showing now (its content panel), or null when none shows within the time.
    HWND Prompt(DWORD timeoutMs = 10000) const;
    HWND ProgressPrompt(DWORD timeoutMs = 10000) const;
    HWND FeedbackDialog(DWORD timeoutMs = 10000) const;
    // The prompt showing `text`, once it does; null when none does in time.
    HWND PromptSaying(const wchar_t* text, DWORD timeoutMs = 30000) const;
    // The shell around a content panel.
    static HWND ShellOf(HWND panel) { return GetWindow(panel, GW_OWNER); }

    // Waits for the process to end; its exit code, or -1 when it did not end in time.
    long WaitForExit(DWORD timeoutMs = 20000);
    void Kill();
    // Ends the tool as a user does: the close button, then the problem-solved dialog's close
    // button; the exit code, or -1 when it did not end.
    long CloseAsUser();
    // Whether the tool has loaded a module of this file name.
    bool HasLoaded(const wchar_t* moduleName) const;
    // A process the tool started that still runs (the removal of its folder), or none.
    CHandle RunningChild() const;

    // The journal's lines that record `exportName` (each as UTF-8).
    std::vector<std::string> JournalLines(const char* exportName) const;

private:
    void WaitUntilSettled(HWND window) const;

    ScratchFolder m_scratch;
    ScopedToolWindowsVersion m_windowsVersion;
    CString m_folder;
    CHandle m_process;
    DWORD m_processId = 0;
};

// The value of field `name` in a journal line ("" when the line has none).
std::string JournalField(const std::string& line, const char* name);

// Real input, in screen pixels.
void MoveCursorTo(POINT point);
void ClickAt(POINT point);
// A click at `offset` from the top left of a window's client area (default: its centre).
void ClickWindow(HWND window, POINT offset = {-1, -1});
void ClickControl(HWND dialog, int id);
void PressKey(WORD key);
// The keys pressed in order and let go in reverse, as a chord (Alt+Space: {VK_MENU, VK_SPACE}).
void PressKeys(std::initializer_list<WORD> keys);

CRect ClientRectOnScreen(HWND window);
CString WindowText(HWND window);
bool IsShown(HWND window);
// A control's rectangle in its dialog's client coordinates.
CRect ControlRect(HWND dialog, int id);
std::ostream& operator<<(std::ostream& out, const RECT& rect);
// Wide strings in failure messages as text, not as a list of characters.
inline void PrintTo(const CString& text, std::ostream* out)
{
    *out << text;
}

// The value the tool repairs, in the 64-bit registry view; -1 when it is absent or not a DWORD.
long long ReadRepairValue();
void WriteRepairValue(DWORD value);
// The tool's log file, whole; empty when there is none.
std::string ReadToolLog();

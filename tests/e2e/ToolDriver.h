#pragma once
// Drives the built tool as a user does: a scratch copy of its files, the tool started from there,
// its windows found on screen, real clicks, and only what a user or the maker can see: the windows,
// the registry value, the log file and the reference library's journal.
#include <windows.h>

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
    CString librarySettings;       // extra lines of the library's settings file
    DWORD dpi = 96;
};

class ToolRun {
public:
    explicit ToolRun(const ToolSetup& setup = ToolSetup());
    ~ToolRun();  // ends the tool if it still runs; the screen goes back to 96 DPI
    ToolRun(const ToolRun&) = delete;
    ToolRun& operator=(const ToolRun&) = delete;

    const CString& Folder() const { return m_folder; }
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

    // Waits for the process to end; its exit code, or -1 when it did not end in time.
    long WaitForExit(DWORD timeoutMs = 20000);
    void Kill();

    // The journal's lines that record `exportName` (each as UTF-8).
    std::vector<std::string> JournalLines(const char* exportName) const;

private:
    void WaitUntilSettled(HWND window) const;

    ScratchFolder m_scratch;
    CString m_folder;
    CHandle m_process;
    DWORD m_processId = 0;
};

// Real input, in screen pixels.
void ClickAt(POINT point);
// A click at `offset` from the top left of a window's client area (default: its centre).
void ClickWindow(HWND window, POINT offset = {-1, -1});
void ClickControl(HWND dialog, int id);
void PressKey(WORD key);

CRect ClientRectOnScreen(HWND window);
CString WindowText(HWND window);
bool IsShown(HWND window);

// The value the tool repairs, in the 64-bit registry view; -1 when it is absent or not a DWORD.
long long ReadRepairValue();
void WriteRepairValue(DWORD value);
// The tool's log file, whole; empty when there is none.
std::string ReadToolLog();

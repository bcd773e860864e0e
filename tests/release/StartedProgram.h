#pragma once
// A built program started as a process of its own, watched for its windows and ended by force:
// the release tests and the start-up benchmarks start the tool this way.
#include <windows.h>

#include "framework/Handle.h"
#include "framework/String.h"

enum class WindowToFind {
    AnyWindow,  // any visible top-level window of the process
    // The main window's content panel: visible, not layered, and owned by a window that has no
    // owner. A prompt's frame is layered and a prompt's content is owned by that frame, so neither
    // counts, even while a prompt stands in front of a panel not yet shown.
    MainPanel,
};

class CStartedProgram {
public:
    // Starts `path` with `arguments`, in the program's own folder; Started() tells whether it ran.
    explicit CStartedProgram(const CString& path, const CString& arguments = CString());
    ~CStartedProgram();  // ends the process if it still runs
    CStartedProgram(const CStartedProgram&) = delete;
    CStartedProgram& operator=(const CStartedProgram&) = delete;

    bool Started() const { return m_process.IsValid(); }
    HANDLE Process() const { return m_process.Get(); }

    HWND FindVisibleWindow(WindowToFind what) const;
    // Looks again about every millisecond; null when the window has not shown within `timeoutMs`.
    HWND WaitForVisibleWindow(WindowToFind what, DWORD timeoutMs) const;
    bool WaitForExit(DWORD timeoutMs) const;
    // Ends the process at once, as a crash would: nothing of the program's own exit path runs.
    void End();

private:
    CHandle m_process;
    DWORD m_id = 0;
};

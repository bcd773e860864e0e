#pragma once
// A built program started as a process of its own, watched for its windows and ended by force:
// the release tests and the start-up benchmarks start the tool this way.
#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

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
    DWORD Id() const { return m_id; }

    HWND FindVisibleWindow(WindowToFind what) const;
    // Looks again about every millisecond; null when the window has not shown within `timeoutMs`.
    HWND WaitForVisibleWindow(WindowToFind what, DWORD timeoutMs) const;
    // A visible top-level window of the process whose control `controlId` shows `text`; looks
    // again every 10 ms, null when none has shown within `timeoutMs`.
    HWND WaitForWindowShowing(int controlId, const wchar_t* text, DWORD timeoutMs) const;
    bool WaitForExit(DWORD timeoutMs) const;
    // Ends the process at once, as a crash would: nothing of the program's own exit path runs.
    void End();

private:
    HWND FindVisibleWindow(const std::function<bool(HWND)>& matches) const;
    HWND WaitForWindow(const std::function<HWND()>& find, DWORD timeoutMs, DWORD pollMs = 1) const;

    CHandle m_process;
    DWORD m_id = 0;
};

// The live handles of process `processId`, value to object type, read from outside by copying each
// value of its table (Wine reports no handle counts for a process); empty when the process cannot
// be opened. A leak shows as values held later that were not held before.
using HandleTable = std::map<ULONG_PTR, CString>;
HandleTable LiveHandlesOf(DWORD processId);
// The same once two readings 20 ms apart agree (at most about a second): a thread that is just
// ending still holds its handle.
HandleTable SettledLiveHandlesOf(DWORD processId);
// The handles of `these` whose values `those` does not hold, each as "value:type".
std::vector<std::string> HandlesOnlyIn(const HandleTable& these, const HandleTable& those);

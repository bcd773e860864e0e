#pragma once
// A built program started and driven from outside, for the benchmarks: its windows found as soon as
// they show (looked for about every millisecond), clicks given as the system's own input.
#include <windows.h>

#include <atomic>
#include <functional>

#include "framework/Handle.h"
#include "framework/String.h"

class BenchProgram {
public:
    // Starts `path` in its own folder; Process() is empty when it could not start.
    explicit BenchProgram(const CString& path);
    ~BenchProgram();  // ends the program if it still runs
    BenchProgram(const BenchProgram&) = delete;
    BenchProgram& operator=(const BenchProgram&) = delete;

    HANDLE Process() const { return m_process.Get(); }
    DWORD Id() const { return m_id; }
    // The program's first visible top-level window that `matches`; null when none has shown within
    // `timeoutMs` or the program has ended.
    HWND WaitForWindow(const std::function<bool(HWND)>& matches, DWORD timeoutMs) const;

private:
    CHandle m_process;
    DWORD m_id = 0;
};

// While it lives, a thread of its own looks for windows as WaitForWindow does, for one that never
// comes: a baseline measured meanwhile pays the same load on the window server as a measured
// program being waited for.
class WaitingLoad {
public:
    WaitingLoad();
    ~WaitingLoad();
    WaitingLoad(const WaitingLoad&) = delete;
    WaitingLoad& operator=(const WaitingLoad&) = delete;

private:
    static DWORD WINAPI Look(LPVOID self);

    std::atomic<bool> m_stop{false};
    CHandle m_thread;
};

// The tool's main panel: not layered, owned by a window that has no owner (a prompt's content is
// owned by its layered frame, which a prompt's owner owns).
bool IsMainPanel(HWND window);
// Whether control `id` of `window` shows exactly `text`.
bool ShowsText(HWND window, int id, const wchar_t* text);
// A match for WaitForWindow: the tool's prompt whose text is exactly `text`.
std::function<bool(HWND)> PromptSaying(const wchar_t* text);
// Clicks the middle of control `id` of `dialog` with real input, once the dialog has the foreground.
void ClickControl(HWND dialog, int id);
// How many handles the process holds now, counted from outside (Wine reports no count itself).
size_t LiveHandleCount(DWORD processId);

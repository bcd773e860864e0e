#pragma once
// One run of the tool per machine at a time, window or command line: two repairs at once would
// each record the other's half-done state, and two windows would each remove the tool. The
// machine-wide name lives in the tool's private namespace, which only administrators can make.
#include "framework/Handle.h"

class CSingleRun {
public:
    // Takes the name for this process; false when another run holds it (or keeps it from us).
    bool Acquire();

private:
    CHandle m_mutex;
};

// Whether this process's window station is one a person sees: a deployment tool's SYSTEM account
// has none, and a window there would wait for an answer that never comes. Session 0 counts as none
// either: its interactive station says it is visible, but no one has seen it since Windows 10.
bool HasVisibleDesktop();

// The session query HasVisibleDesktop uses; tests replace it to play session 0, which Wine never
// puts a process in. Null restores the real one.
using SessionIdQuery = bool (*)(DWORD& session);
void SetSessionIdQuery(SessionIdQuery query);

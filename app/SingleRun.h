#pragma once
// One run of the tool per machine at a time, window or command line: two repairs at once would
// each record the other's half-done state, and two windows would each remove the tool. The
// machine-wide name lives in the Global\ namespace, as installers keep theirs.
#include "framework/Handle.h"

class CSingleRun {
public:
    // Takes the name for this process; false when another run holds it (or keeps it from us).
    bool Acquire();

private:
    CHandle m_mutex;
};

// Whether this process's window station is one a person sees: a deployment tool's SYSTEM account
// in session 0 has none, and a window there would wait for an answer that never comes.
bool HasVisibleDesktop();

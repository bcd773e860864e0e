// Linked into a test build of the tool in place of the real repair command: a command that takes a
// few seconds (long enough to try the main window and the command line under the progress prompt)
// and then exits with a code other than 0, as reg does when it refuses.
#include "repair/RepairTarget.h"

CString RepairCommandFor(const CString&)
{
    return L"timeout /t 5 /nobreak >nul & exit 5";
}

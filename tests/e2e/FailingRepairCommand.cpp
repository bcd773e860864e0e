// Linked into a test build of the tool in place of the real repair command: a command that runs and
// exits with a code other than 0, as reg does when it refuses.
#include "repair/RepairTarget.h"

const wchar_t kRepairCommand[] = L"exit 5";

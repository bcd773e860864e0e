#include "repair/RepairTarget.h"

const wchar_t kRepairCommand[] = L"reg add \"HKEY_LOCAL_MACHINE\\" PALLUX_ADAPTER_KEY L"\" /v \"" PALLUX_PSR_VALUE
                                 L"\" /d 0 /t REG_DWORD /f";

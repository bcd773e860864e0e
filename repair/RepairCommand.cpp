#include "repair/RepairTarget.h"

CString RepairCommandFor(const CString& instance)
{
    return SystemReg() + L" add \"" + AdapterKeyName(instance) + L"\" /v \"" PALLUX_PSR_VALUE L"\" /d 0 /t REG_DWORD /f";
}

#include "repair/RepairTarget.h"

#include <string>

#include "framework/RegKey.h"

const wchar_t kAdapterKey[] = PALLUX_ADAPTER_KEY;
const wchar_t kPsrValueName[] = PALLUX_PSR_VALUE;

namespace {

CString Unreadable(LONG error)
{
    if (error == ERROR_FILE_NOT_FOUND) return L"不存在";
    return L"无法读取（错误 " + std::to_wstring(error) + L"）";
}

}  // namespace

BOOL IsPsrFeatureOff(CString& found)
{
    CRegKey key;
    LONG result = key.Open(HKEY_LOCAL_MACHINE, kAdapterKey, KEY_QUERY_VALUE | KEY_WOW64_64KEY);
    if (result != ERROR_SUCCESS) {
        found = Unreadable(result);
        return FALSE;
    }
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    result = RegQueryValueExW(key.Get(), kPsrValueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value) {
        found = L"REG_DWORD " + std::to_wstring(value);
        return value == 0;
    }
    // A value of another type (ERROR_MORE_DATA when it is longer than a DWORD) still says its type.
    found = result == ERROR_SUCCESS || result == ERROR_MORE_DATA ? L"类型 " + std::to_wstring(type) + L" 的值"
                                                                   : Unreadable(result);
    return FALSE;
}

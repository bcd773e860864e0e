#include "repair/RepairTarget.h"

#include <optional>
#include <string>

#include "framework/Paths.h"
#include "framework/RegKey.h"

const wchar_t kAdapterClassKey[] = PALLUX_ADAPTER_CLASS_KEY;
const wchar_t kPsrValueName[] = PALLUX_PSR_VALUE;

namespace {

constexpr REGSAM kDriverView = KEY_WOW64_64KEY;
const wchar_t* const kAmdProviders[] = {L"Advanced Micro Devices, Inc.", L"ATI Technologies Inc."};

CString InstancePath(const CString& instance)
{
    return CString(kAdapterClassKey) + L"\\" + instance;
}

enum class Provider { None, Amd, Other };

Provider ProviderOf(HKEY classKey, const CString& instance)
{
    wchar_t provider[128] = {};
    DWORD size = sizeof provider - sizeof(wchar_t);  // room for a terminator the value may lack
    const LONG result =
        RegGetValueW(classKey, instance.c_str(), L"ProviderName", RRF_RT_ANY, nullptr, provider, &size);
    if (result == ERROR_FILE_NOT_FOUND) return Provider::None;
    // Too long, or not text: some maker is named all the same, and it is not AMD.
    if (result != ERROR_SUCCESS) return Provider::Other;
    for (const wchar_t* amd : kAmdProviders)
        if (CompareStringOrdinal(provider, -1, amd, -1, TRUE) == CSTR_EQUAL) return Provider::Amd;
    return Provider::Other;
}

}  // namespace

CString PsrValue::Describe() const
{
    switch (kind) {
    case Dword: return L"REG_DWORD " + std::to_wstring(number);
    case Missing: return L"不存在";
    case OtherType: return L"类型 " + std::to_wstring(number) + L" 的值";
    case NoKey: return L"注册表项不存在";
    case Unreadable: break;
    }
    return L"无法读取（错误 " + std::to_wstring(number) + L"）";
}

bool IsAdapterInstanceName(const CString& name)
{
    if (name.size() != 4) return false;
    for (const wchar_t ch : name)
        if (ch < L'0' || ch > L'9') return false;
    return true;
}

CString AdapterKeyName(const CString& instance)
{
    return L"HKEY_LOCAL_MACHINE\\" + InstancePath(instance);
}

PsrValue ReadPsrValue(const CString& instance)
{
    CRegKey key;
    LONG result = key.Open(HKEY_LOCAL_MACHINE, InstancePath(instance).c_str(), KEY_QUERY_VALUE | kDriverView);
    if (result == ERROR_FILE_NOT_FOUND) return {PsrValue::NoKey};
    if (result != ERROR_SUCCESS) return {PsrValue::Unreadable, DWORD(result)};
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof value;
    result = RegQueryValueExW(key.Get(), kPsrValueName, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    if (result == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value) return {PsrValue::Dword, value};
    // A value of another type (ERROR_MORE_DATA when it is longer than a DWORD) still says its type.
    if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) return {PsrValue::OtherType, type};
    if (result == ERROR_FILE_NOT_FOUND) return {PsrValue::Missing};
    return {PsrValue::Unreadable, DWORD(result)};
}

bool RepairTargets::Contains(const CString& instance) const
{
    for (const CString& target : instances)
        if (target == instance) return true;
    return false;
}

const wchar_t* RepairTargets::WhyNone() const
{
    return otherMakerOnly ? L"未找到 AMD 显示适配器" : L"未找到显示适配器的注册表项";
}

RepairTargets FindRepairTargets()
{
    RepairTargets targets;
    std::vector<CString>& amd = targets.instances;
    std::optional<Provider> first;  // 0000's maker, when that key exists
    CRegKey classKey;
    if (classKey.Open(HKEY_LOCAL_MACHINE, kAdapterClassKey, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | kDriverView) !=
        ERROR_SUCCESS)
        return targets;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256] = {};
        DWORD length = 256;
        const LONG result = RegEnumKeyExW(classKey.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (result == ERROR_MORE_DATA) continue;  // far too long for an instance name
        if (result != ERROR_SUCCESS) break;
        const CString instance(name, length);
        if (!IsAdapterInstanceName(instance)) continue;  // "Properties" and the like
        const Provider provider = ProviderOf(classKey.Get(), instance);
        if (instance == L"0000") first = provider;
        if (provider == Provider::Amd) amd.push_back(instance);
    }
    if (amd.empty() && first == Provider::None) amd.push_back(L"0000");
    targets.otherMakerOnly = amd.empty() && first == Provider::Other;
    return targets;
}

CString SystemReg()
{
    return L"\"" + SystemFolder() + L"\\reg.exe\"";
}

CString RestoreCommandFor(const CString& instance, const PsrValue& previous)
{
    const CString key = SystemReg() + L" " + CString(previous.kind == PsrValue::Dword ? L"add" : L"delete") + L" \"" +
                        AdapterKeyName(instance) + L"\" /v \"" PALLUX_PSR_VALUE L"\"";
    if (previous.kind == PsrValue::Dword) return key + L" /d " + std::to_wstring(previous.number) + L" /t REG_DWORD /f";
    return key + L" /f";
}

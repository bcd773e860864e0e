#include "repair/RepairRecord.h"

#include <algorithm>
#include <cstring>

#include "framework/RegKey.h"

#define PALLUX_MAKER_KEY L"SOFTWARE\\Rapimend"
#define PALLUX_TOOL_KEY PALLUX_MAKER_KEY L"\\PalluxAMDFlashScreenRepair"

const wchar_t kToolRegistryKey[] = PALLUX_TOOL_KEY;
const wchar_t kRepairRecordKey[] = PALLUX_TOOL_KEY L"\\Backup";

namespace {

constexpr REGSAM kView = KEY_WOW64_64KEY;
// "No value", as a regedit file says a value is to be deleted.
constexpr wchar_t kNoValueMark[] = L"-";

bool DeleteKeyIfEmpty(const wchar_t* path)
{
    CRegKey key;
    DWORD subKeys = 0, values = 0;
    const LONG opened = key.Open(HKEY_LOCAL_MACHINE, path, KEY_QUERY_VALUE | kView);
    if (opened == ERROR_FILE_NOT_FOUND) return true;
    if (opened != ERROR_SUCCESS || RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr,
                                                    &values, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        return false;
    if (subKeys != 0 || values != 0) return true;  // holding something else: it stays
    key.Close();
    return RegDeleteKeyExW(HKEY_LOCAL_MACHINE, path, kView, 0) == ERROR_SUCCESS;
}

// The record's key holds nothing but the record, so it goes whole.
bool RemoveRecord()
{
    const LONG result = RegDeleteKeyExW(HKEY_LOCAL_MACHINE, kRepairRecordKey, kView, 0);
    return (result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND) && DeleteKeyIfEmpty(kToolRegistryKey) &&
           DeleteKeyIfEmpty(PALLUX_MAKER_KEY);
}

}  // namespace

const BackupEntry* RecordedEntry(const std::vector<BackupEntry>& entries, const CString& instance)
{
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [&](const BackupEntry& entry) { return entry.instance == instance; });
    return found == entries.end() ? nullptr : &*found;
}

RecordFound ReadRepairRecord(std::vector<BackupEntry>& entries)
{
    entries.clear();
    CRegKey record;
    const LONG opened = record.Open(HKEY_LOCAL_MACHINE, kRepairRecordKey, KEY_QUERY_VALUE | kView);
    if (opened == ERROR_FILE_NOT_FOUND) return RecordFound::Missing;
    if (opened != ERROR_SUCCESS) return RecordFound::Invalid;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16] = {};
        DWORD nameLength = 16;
        DWORD type = REG_NONE;
        wchar_t data[4] = {};
        DWORD size = sizeof data;
        const LONG result = RegEnumValueW(record.Get(), index, name, &nameLength, nullptr, &type,
                                          reinterpret_cast<BYTE*>(data), &size);
        if (result == ERROR_NO_MORE_ITEMS) break;
        const CString instance(name, nameLength);
        if (result != ERROR_SUCCESS || !IsAdapterInstanceName(instance)) return RecordFound::Invalid;
        DWORD number = 0;
        if (type == REG_DWORD && size == sizeof number) {
            std::memcpy(&number, data, sizeof number);
            entries.push_back({instance, {PsrValue::Dword, number}});
        } else if (type == REG_SZ && data[0] == kNoValueMark[0] && (size == 2 || (size == 4 && data[1] == 0))) {
            entries.push_back({instance, {PsrValue::Missing}});
        } else {
            return RecordFound::Invalid;
        }
    }
    return entries.empty() ? RecordFound::Missing : RecordFound::Read;
}

bool SaveRepairRecord(const std::vector<BackupEntry>& entries)
{
    if (entries.empty()) return RemoveRecord();
    CRegKey record;
    if (record.Create(HKEY_LOCAL_MACHINE, kRepairRecordKey, KEY_QUERY_VALUE | KEY_SET_VALUE | kView) != ERROR_SUCCESS)
        return false;
    // The new values first, then the old ones dropped: a failure half-way loses no state.
    std::vector<BackupEntry> old;
    ReadRepairRecord(old);
    for (const BackupEntry& entry : entries) {
        const LONG result =
            entry.previous.kind == PsrValue::Dword
                ? RegSetValueExW(record.Get(), entry.instance.c_str(), 0, REG_DWORD,
                                 reinterpret_cast<const BYTE*>(&entry.previous.number), sizeof(DWORD))
                : RegSetValueExW(record.Get(), entry.instance.c_str(), 0, REG_SZ,
                                 reinterpret_cast<const BYTE*>(kNoValueMark), sizeof kNoValueMark);
        if (result != ERROR_SUCCESS) return false;
    }
    for (const BackupEntry& gone : old)
        if (!RecordedEntry(entries, gone.instance) &&
            RegDeleteValueW(record.Get(), gone.instance.c_str()) != ERROR_SUCCESS)
            return false;
    return true;
}

#include "repair/RepairBackup.h"

#include <cwchar>
#include <string>

#include "log/LogFileAccess.h"

const wchar_t kRepairBackupFileName[] = L"屏闪修复工具-备份.reg";

namespace {

const wchar_t kHeader[] = L"Windows Registry Editor Version 5.00";
const wchar_t kValueLine[] = L"\"" PALLUX_PSR_VALUE L"\"=";
const wchar_t kDwordPrefix[] = L"dword:";

CString RepairBackupText(const std::vector<BackupEntry>& entries)
{
    CString text = CString(kHeader) + L"\r\n";
    for (const BackupEntry& entry : entries) {
        text += L"\r\n[" + AdapterKeyName(entry.instance) + L"]\r\n" + kValueLine;
        if (entry.previous.kind == PsrValue::Dword) {
            wchar_t hex[16] = {};
            std::swprintf(hex, 16, L"%08lx", static_cast<unsigned long>(entry.previous.number));
            text += kDwordPrefix + CString(hex) + L"\r\n";
        } else {
            text += L"-\r\n";
        }
    }
    return text + L"\r\n";
}

}  // namespace

bool SaveRepairBackupCopy(const CString& logDir, const std::vector<BackupEntry>& entries)
{
    CLogTarget target;
    if (!ResolveLogTarget(logDir, kRepairBackupFileName, target)) return false;
    if (entries.empty()) return DeleteLogFile(target);
    const CString text = RepairBackupText(entries);
    std::string bytes("\xFF\xFE", 2);  // UTF-16LE's byte order mark, as regedit writes it
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return ReplaceLogFile(target, bytes);
}

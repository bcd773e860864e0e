#include "repair/RepairBackup.h"

#include <cstring>
#include <cwchar>
#include <set>
#include <string>

#include "log/LogFileAccess.h"

const wchar_t kRepairBackupFileName[] = L"屏闪修复工具-备份.reg";

namespace {

const wchar_t kHeader[] = L"Windows Registry Editor Version 5.00";
const wchar_t kValueLine[] = L"\"" PALLUX_PSR_VALUE L"\"=";
const wchar_t kDwordPrefix[] = L"dword:";
constexpr size_t kMaxBackupBytes = 64 * 1024;
constexpr char kByteOrderMark[] = "\xFF\xFE";

// "dword:" and exactly eight hex digits, as regedit writes them.
bool ParseDword(const CString& text, DWORD& value)
{
    if (!StartsWithIgnoringCase(text, kDwordPrefix) || text.size() != 6 + 8) return false;
    value = 0;
    for (size_t i = 6; i < text.size(); ++i) {
        const wchar_t ch = text[i];
        const int digit = ch >= L'0' && ch <= L'9'   ? ch - L'0'
                          : ch >= L'a' && ch <= L'f' ? ch - L'a' + 10
                          : ch >= L'A' && ch <= L'F' ? ch - L'A' + 10
                                                     : -1;
        if (digit < 0) return false;
        value = value << 4 | DWORD(digit);
    }
    return true;
}

std::vector<CString> Lines(const CString& text)
{
    std::vector<CString> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == CString::npos) end = text.size();
        CString line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}

CLogTarget BackupTarget(const CString& logDir, bool& resolved)
{
    CLogTarget target;
    resolved = ResolveLogTarget(logDir, kRepairBackupFileName, target);
    return target;
}

}  // namespace

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

bool ParseRepairBackup(const CString& text, std::vector<BackupEntry>& entries)
{
    entries.clear();
    const CString keyPrefix = L"[" + AdapterKeyName(CString());  // "[HKEY_LOCAL_MACHINE\…\"
    std::set<CString> seen;
    bool headerSeen = false;
    BackupEntry* open = nullptr;  // the section still waiting for its value line
    for (const CString& line : Lines(text)) {
        if (line.empty()) continue;
        if (!headerSeen) {
            if (line != kHeader) return false;
            headerSeen = true;
        } else if (line.front() == L'[') {
            if (open != nullptr || !StartsWithIgnoringCase(line, keyPrefix) || line.back() != L']') return false;
            const CString instance = line.substr(keyPrefix.size(), line.size() - keyPrefix.size() - 1);
            if (!IsAdapterInstanceName(instance) || !seen.insert(instance).second) return false;
            entries.push_back({instance, {PsrValue::Missing}});
            open = &entries.back();
        } else {
            if (open == nullptr || !StartsWithIgnoringCase(line, kValueLine)) return false;
            const CString value = line.substr(std::wcslen(kValueLine));
            if (value != L"-" && !ParseDword(value, open->previous.number)) return false;
            open->previous.kind = value == L"-" ? PsrValue::Missing : PsrValue::Dword;
            open = nullptr;
        }
    }
    return headerSeen && open == nullptr && !entries.empty();
}

BackupFound ReadRepairBackup(const CString& logDir, std::vector<BackupEntry>& entries)
{
    bool resolved = false;
    const CLogTarget target = BackupTarget(logDir, resolved);
    std::string bytes;
    const WholeFileRead read = resolved ? ReadWholeLogFile(target, bytes, kMaxBackupBytes) : WholeFileRead::Refused;
    if (read == WholeFileRead::Missing) return BackupFound::Missing;
    if (read == WholeFileRead::Refused || bytes.size() % 2 != 0 || bytes.compare(0, 2, kByteOrderMark) != 0)
        return BackupFound::Invalid;
    // UTF-16LE is what wchar_t holds on Windows.
    CString text((bytes.size() - 2) / 2, L'\0');
    std::memcpy(text.data(), bytes.data() + 2, bytes.size() - 2);
    return ParseRepairBackup(text, entries) ? BackupFound::Read : BackupFound::Invalid;
}

bool WriteRepairBackup(const CString& logDir, const std::vector<BackupEntry>& entries)
{
    bool resolved = false;
    const CLogTarget target = BackupTarget(logDir, resolved);
    if (!resolved) return false;
    const CString text = RepairBackupText(entries);
    std::string bytes(kByteOrderMark, 2);
    bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    return ReplaceLogFile(target, bytes);
}

bool RemoveRepairBackup(const CString& logDir)
{
    bool resolved = false;
    const CLogTarget target = BackupTarget(logDir, resolved);
    return resolved && DeleteLogFile(target);
}

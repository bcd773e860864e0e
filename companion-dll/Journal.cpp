#include "Journal.h"

#include <windows.h>

#include <cstdio>

#include "framework/Encoding.h"
#include "framework/Handle.h"

namespace {

// The journal's own folder is made when missing (one level, as with a default place under ProgramData).
void MakeParentFolder(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos && slash > 0) CreateDirectoryW(path.substr(0, slash).c_str(), nullptr);
}

}  // namespace

std::wstring EscapeJournalValue(const wchar_t* value)
{
    if (value == nullptr) return L"(null)";
    std::wstring escaped;
    for (; *value != L'\0'; ++value) {
        switch (*value) {
        case L'\\': escaped += L"\\\\"; break;
        case L'\t': escaped += L"\\t"; break;
        case L'\r': escaped += L"\\r"; break;
        case L'\n': escaped += L"\\n"; break;
        default: escaped += *value;
        }
    }
    return escaped;
}

void Record(const std::wstring& journalPath, const wchar_t* exportName, const JournalFields& fields)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    wchar_t stamp[32];
    std::swprintf(stamp, 32, L"%04u-%02u-%02u %02u:%02u:%02u.%03u", now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond, now.wMilliseconds);

    std::wstring line = stamp;
    line += L'\t';
    line += exportName;
    for (const auto& [name, value] : fields) line += L'\t' + name + L'=' + value;
    line += L"\r\n";
    const CStringA bytes = CodePageFromWide(CP_UTF8, line);

    MakeParentFolder(journalPath);
    // Appending whole lines with one write keeps lines from several processes apart.
    const CHandle file(CreateFileW(journalPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

#include "Journal.h"

#include <windows.h>

#include <cstdio>

#include "framework/Encoding.h"
#include "framework/Handle.h"

namespace {

// Opens `path` itself, never what a reparse point (junction, symbolic link, mount point) at that
// place leads to, and keeps it from being renamed or deleted while the handle is held. Nothing
// when `path` is a reparse point: a journal there could be steered into a file the library must not
// write, with the tool's administrator rights.
CHandle OpenUnlessReparsePoint(const std::wstring& path, DWORD access, DWORD disposition, DWORD flags,
                               FileInformationByHandle fileInformation)
{
    CHandle handle(CreateFileW(path.c_str(), access | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, disposition, flags | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (handle && (!fileInformation(handle.Get(), &information) ||
                   (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)))
        handle.Close();
    return handle;
}

// The journal's own folder, made when missing (one level, as with a default place under
// ProgramData), held open while the journal is written.
CHandle HoldParentFolder(const std::wstring& path, FileInformationByHandle fileInformation)
{
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash == 0) return CHandle();
    const std::wstring folder = path.substr(0, slash);
    CreateDirectoryW(folder.c_str(), nullptr);
    return OpenUnlessReparsePoint(folder, 0, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, fileInformation);
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

void Record(const std::wstring& journalPath, const wchar_t* exportName, const JournalFields& fields,
            FileInformationByHandle fileInformation)
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

    const CHandle folder = HoldParentFolder(journalPath, fileInformation);
    if (!folder) return;
    // Appending whole lines with one write keeps lines from several processes apart.
    const CHandle file =
        OpenUnlessReparsePoint(journalPath, FILE_APPEND_DATA, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, fileInformation);
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

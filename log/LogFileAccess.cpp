#include "log/LogFileAccess.h"

#include <algorithm>
#include <atomic>

#include "log/LogLine.h"

namespace {

bool RealAttributes(HANDLE handle, DWORD& attributes)
{
    FILE_BASIC_INFO basic{};
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)) return false;
    attributes = basic.FileAttributes;
    return true;
}

std::atomic<LogAttributeQuery> g_attributeQuery{&RealAttributes};

bool IsLink(DWORD attributes)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

CString FullPathOf(const CString& path)
{
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return CString();
    CString full(needed, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) return CString();
    full.resize(length);
    return full;
}

CHandle HoldFolder(const CString& folder)
{
    // Reading attributes needs no sharing; leaving out FILE_SHARE_DELETE keeps the folder from
    // being renamed or replaced while it is held.
    CHandle held(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    DWORD attributes = 0;
    if (!held || !g_attributeQuery.load()(held.Get(), attributes)) return CHandle();
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || IsLink(attributes)) return CHandle();
    return held;
}

bool RenameOpenFile(HANDLE file, const CString& newPath)
{
    const DWORD nameBytes = static_cast<DWORD>(newPath.size() * sizeof(wchar_t));
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + nameBytes);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = TRUE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = nameBytes;
    std::copy(newPath.begin(), newPath.end(), rename->FileName);
    return SetFileInformationByHandle(file, FileRenameInfo, rename, static_cast<DWORD>(buffer.size())) != FALSE;
}

// A plain file: no link, no folder, one name only.
bool IsPlainFile(HANDLE file)
{
    DWORD attributes = 0;
    FILE_STANDARD_INFO standard{};
    return g_attributeQuery.load()(file, attributes) && !IsLink(attributes) &&
           GetFileInformationByHandleEx(file, FileStandardInfo, &standard, sizeof standard) && !standard.Directory &&
           standard.NumberOfLinks == 1;
}

}  // namespace

bool ResolveLogTarget(const CString& logDir, const CString& fileName, CLogTarget& target)
{
    target.folder = FullPathOf(logDir);
    target.path = FullPathOf(logDir + fileName);
    if (target.folder.empty() || target.folder.back() != L'\\') return false;
    return target.path.size() > target.folder.size() && StartsWithIgnoringCase(target.path, target.folder);
}

std::vector<CHandle> HoldLogFolders(const CLogTarget& target)
{
    std::vector<CHandle> held;
    // The log folder itself, then each folder below it on the way to the file.
    for (size_t end = target.folder.size() - 1; end != CString::npos; end = target.path.find(L'\\', end + 1)) {
        CHandle folder = HoldFolder(target.path.substr(0, end));
        if (!folder) return {};
        held.push_back(std::move(folder));
    }
    return held;
}

CHandle OpenLogFile(const CLogTarget& target)
{
    const std::vector<CHandle> folders = HoldLogFolders(target);
    if (folders.empty()) return CHandle();
    // Append-only access: every write lands at the end of the file, also between processes.
    CHandle file(CreateFileW(target.path.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES | DELETE | SYNCHRONIZE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    // A second name (hard link) could make the log write into a file kept elsewhere.
    if (!file || !IsPlainFile(file.Get())) return CHandle();
    return file;
}

bool MoveToBackup(const CLogTarget& target, HANDLE file)
{
    const std::vector<CHandle> folders = HoldLogFolders(target);
    if (folders.empty()) return false;
    return RenameOpenFile(file, BackupPathOf(target.path));
}

void SetLogAttributeQuery(LogAttributeQuery query)
{
    g_attributeQuery.store(query ? query : &RealAttributes);
}

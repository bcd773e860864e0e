#include "framework/Paths.h"

#include <vector>

CString SystemFolder()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return CString();
    return CString(folder, length);
}

CString SystemInterpreterPath()
{
    const CString folder = SystemFolder();
    return folder.IsEmpty() ? CString() : folder + L"\\cmd.exe";
}

CString ProgramPath()
{
    std::vector<wchar_t> path(MAX_PATH + 1, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return CString();
    return CString(path.data(), length);
}

CString FolderOf(const CString& path)
{
    const size_t cut = path.rfind(L'\\');
    return cut == CString::npos ? CString() : path.substr(0, cut);
}

bool IsDriveRoot(const CString& folder)
{
    const wchar_t letter = folder.size() == 2 ? (folder[0] | 0x20) : 0;
    return letter >= L'a' && letter <= L'z' && folder[1] == L':';
}

CString FinalPathOf(HANDLE file)
{
    const DWORD flags = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
    const DWORD needed = GetFinalPathNameByHandleW(file, nullptr, 0, flags);
    if (needed == 0) return CString();
    CString path(needed, L'\0');
    const DWORD length = GetFinalPathNameByHandleW(file, path.data(), needed, flags);
    if (length == 0 || length >= needed) return CString();
    path.resize(length);
    if (StartsWithIgnoringCase(path, L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
    if (StartsWithIgnoringCase(path, L"\\\\?\\")) return path.substr(4);
    return path;
}

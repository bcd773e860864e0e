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

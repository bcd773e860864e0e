#include "support/TestSupport.h"

#include <atomic>
#include <stdexcept>

#include "framework/Encoding.h"
#include "framework/Handle.h"
#include "framework/LiveCount.h"

namespace {

CString TempFolder()
{
    wchar_t buffer[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    CString folder(buffer, length);
    if (!folder.IsEmpty() && folder.back() == L'\\') folder.pop_back();
    return folder;
}

}  // namespace

ScratchFolder::ScratchFolder()
{
    static std::atomic<unsigned> counter{0};
    for (;;) {
        m_path = TempFolder() + L"\\pallux-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                 std::to_wstring(counter++);
        if (CreateDirectoryW(m_path.c_str(), nullptr)) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot make a scratch folder");
    }
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(m_path);
}

void RemoveTree(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const CString name = found.cFileName;
            if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}

bool FileExists(const CString& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolder(const CString& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadBytes(const CString& path)
{
    CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::string();
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file.Get(), chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    return bytes;
}

void WriteBytes(const CString& path, const std::string& bytes)
{
    CHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                             nullptr));
    if (!file) throw std::runtime_error("cannot write a test file");
    DWORD written = 0;
    if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw std::runtime_error("short write of a test file");
}

long long FileSize(const CString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

CString ExecutableFolder()
{
    wchar_t buffer[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    CString path(buffer, length);
    return path.substr(0, path.find_last_of(L'\\'));
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(20);
    }
}

std::vector<long> LiveHandleCounts()
{
    std::vector<long> counts;
    for (int kind = 0; kind < static_cast<int>(HandleKind::kCount); ++kind)
        counts.push_back(LiveHandles(static_cast<HandleKind>(kind)));
    return counts;
}

size_t CountOccurrences(const std::string& haystack, const std::string& needle)
{
    if (needle.empty()) return 0;
    size_t count = 0;
    for (size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + needle.size()))
        ++count;
    return count;
}

std::ostream& operator<<(std::ostream& out, const CString& text)
{
    return out << CodePageFromWide(CP_UTF8, text);
}

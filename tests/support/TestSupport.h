#pragma once
// Helpers the tests share: scratch folders, whole-file reads and writes, waiting with a deadline.
#include <windows.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "framework/String.h"

// A fresh, empty folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const CString& Path() const { return m_path; }  // no trailing backslash
    CString operator/(const CString& name) const { return m_path + L"\\" + name; }

private:
    CString m_path;
};

// Removes a file or a folder tree; quiet when it is not there.
void RemoveTree(const CString& path);

bool FileExists(const CString& path);
bool IsFolder(const CString& path);
std::string ReadBytes(const CString& path);  // empty when missing
void WriteBytes(const CString& path, const std::string& bytes);
long long FileSize(const CString& path);  // -1 when missing

// The folder of the running test executable, without a trailing backslash.
CString ExecutableFolder();

// Polls `condition` until it holds or `timeoutMs` has passed; returns whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

// The handles the tool's owners hold right now, one count per kind.
std::vector<long> LiveHandleCounts();

// Wide strings in test messages, as UTF-8.
std::ostream& operator<<(std::ostream& out, const CString& text);

// Counts how often `needle` occurs in `haystack`.
size_t CountOccurrences(const std::string& haystack, const std::string& needle);

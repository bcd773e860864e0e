#pragma once
// The journal: one UTF-8 line per recorded call, appended to the file the settings name.
//   <local time yyyy-mm-dd hh:mm:ss.mmm> TAB <export> { TAB <name>=<value> } CR LF
// In values a backslash, tab, carriage return and line feed are written as \\, \t, \r and \n,
// so every value reads back exactly. A journal file or folder that is a reparse point is never
// written.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

using JournalFields = std::vector<std::pair<std::wstring, std::wstring>>;

// How the journal reads a file's attributes by handle; tests play file systems Wine cannot make.
using FileInformationByHandle = BOOL(WINAPI*)(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);

void Record(const std::wstring& journalPath, const wchar_t* exportName, const JournalFields& fields,
            FileInformationByHandle fileInformation = &GetFileInformationByHandle);

// A value as the journal writes it (before the UTF-8 encoding).
std::wstring EscapeJournalValue(const wchar_t* value);

#pragma once
// Makes `folder` the current directory for the owner's lifetime, then puts the previous one back.
#include <windows.h>

#include "framework/String.h"

class CurrentDirectory {
public:
    explicit CurrentDirectory(const CString& folder)
    {
        wchar_t previous[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, previous);
        m_previous = previous;
        SetCurrentDirectoryW(folder.c_str());
    }
    ~CurrentDirectory() { SetCurrentDirectoryW(m_previous.c_str()); }
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    CString m_previous;
};

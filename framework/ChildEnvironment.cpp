#include "framework/ChildEnvironment.h"

#include "framework/Paths.h"

CString MinimalChildEnvironment()
{
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
    const CString systemFolder = SystemFolder();
    if (length == 0 || length >= MAX_PATH || systemFolder.IsEmpty()) return CString();
    const CString windowsFolder(windows, length);
    // In the order CreateProcess expects, names compared without case; each entry ends with its null.
    const CString entries[] = {
        L"ComSpec=" + SystemInterpreterPath(),
        L"PATH=" + systemFolder,
        L"PATHEXT=.COM;.EXE;.BAT;.CMD",
        L"SystemRoot=" + windowsFolder,
        L"windir=" + windowsFolder,
    };
    CString block;
    for (const CString& entry : entries) block += entry + L'\0';
    return block + L'\0';
}

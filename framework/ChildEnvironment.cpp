#include "framework/ChildEnvironment.h"

#include "framework/Paths.h"

namespace {

// The Windows folder of the system, not a per-user one a terminal server may give.
CString WindowsFolder()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemWindowsDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return CString();
    return CString(folder, length);
}

}  // namespace

CString MinimalChildEnvironment()
{
    const CString windows = WindowsFolder();
    const CString system = SystemFolder();
    if (windows.IsEmpty() || system.IsEmpty()) return CString();
    // In the order of their names compared without case.
    const CString variables[] = {
        L"ComSpec=" + SystemInterpreterPath(), L"PATH=" + system, L"PATHEXT=.COM;.EXE;.BAT;.CMD",
        L"SystemRoot=" + windows,              L"windir=" + windows,
    };
    CString block;
    for (const CString& variable : variables) {
        block += variable;
        block += L'\0';
    }
    block += L'\0';
    return block;
}

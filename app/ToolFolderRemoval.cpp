#include "app/ToolFolderRemoval.h"

#include <vector>

#include "framework/Handle.h"
#include "repair/CommandRunner.h"

namespace {
// What the tool brings into its folder: the program (under whatever name it was started with),
// the companion library and that library's settings.
const wchar_t* const kCompanionFiles[] = {L"QueltoFeedbackInformation.dll", L"QueltoFeedbackInformation.ini"};

CString Quoted(const CString& path)
{
    return L"\"" + path + L"\"";
}
}  // namespace

CString ToolRemovalCommandLine(const CString& interpreterPath, const CString& programPath)
{
    const size_t cut = programPath.rfind(L'\\');
    if (cut == CString::npos || cut == 0 || cut + 1 == programPath.size()) return CString();
    // cmd expands %NAME% even inside quotes; a quote would end the quoting early.
    if (programPath.find_first_of(L"%\"") != CString::npos) return CString();
    const CString folder = programPath.substr(0, cut);

    CString files = Quoted(programPath);
    for (const wchar_t* name : kCompanionFiles) files += L" " + Quoted(folder + L"\\" + name);
    // rmdir without /s removes the folder only when it is empty: anything of the user's keeps it.
    const CString command =
        L"timeout /t 3 /nobreak >nul & del /f /q " + files + L" & rmdir " + Quoted(folder);
    // /S: everything between the outer quotes reaches the interpreter exactly as written. /V:OFF:
    // a "!" in the path stays a "!" even where the registry turns delayed expansion on.
    return Quoted(interpreterPath) + L" /D /V:OFF /S /C \"" + command + L"\"";
}

BOOL ScheduleToolFolderRemoval()
{
    std::vector<wchar_t> path(MAX_PATH + 1, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), MAX_PATH + 1);
    // A path that filled the buffer may have been cut short: it names some other file.
    if (length == 0 || length > MAX_PATH) return FALSE;
    CString commandLine = ToolRemovalCommandLine(SystemInterpreterPath(), CString(path.data(), length));
    if (commandLine.empty()) return FALSE;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process{};
    // Started in the system folder, so the tool's folder is not held open as a working directory.
    const CString folder = SystemFolder();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                        folder.c_str(), &startup, &process))
        return FALSE;
    CHandle processHandle(process.hProcess);
    CHandle threadHandle(process.hThread);
    return TRUE;
}

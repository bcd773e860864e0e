#include "app/ToolFolderRemoval.h"

#include <vector>

#include "companion/FeedbackAbi.h"
#include "framework/Handle.h"
#include "framework/Paths.h"
#include "framework/String.h"

namespace {
// The package's read-me, a name no other program uses, so it can go with the tool.
constexpr wchar_t kReadMeName[] = L"PalluxAMD屏闪修复工具使用说明.txt";

CString Quoted(const CString& path)
{
    return L"\"" + path + L"\"";
}

// What the tool brings into its folder: the program (under whatever name it was started with),
// the companion library, that library's settings and the read-me. Empty for a path without a folder.
std::vector<CString> ToolFilesBeside(const CString& programPath)
{
    const CString folder = FolderOf(programPath);
    if (folder.IsEmpty() || folder.size() + 1 == programPath.size()) return {};
    return {programPath, folder + L"\\" + kCompanionLibraryName, folder + L"\\QueltoFeedbackInformation.ini",
            folder + L"\\" + kReadMeName};
}

// The interpreter's command line for removing the tool started as `programPath`, or an empty
// string when that path must not be touched.
CString ToolRemovalCommandLine(const CString& interpreterPath, const CString& programPath)
{
    const std::vector<CString> files = ToolFilesBeside(programPath);
    if (files.empty()) return CString();
    // cmd expands %NAME% even inside quotes; a quote would end the quoting early.
    if (programPath.find_first_of(L"%\"") != CString::npos) return CString();

    CString command = L"timeout /t 3 /nobreak >nul & del /f /q";
    for (const CString& file : files) command += L" " + Quoted(file);
    // rmdir without /s removes the folder only when it is empty: anything of the user's keeps it.
    // "rmdir E:" would name the interpreter's current folder on that drive, not its root.
    const CString folder = FolderOf(programPath);
    if (!IsDriveRoot(folder)) command += L" & rmdir " + Quoted(folder);
    // /S: everything between the outer quotes reaches the interpreter exactly as written. /V:OFF:
    // a "!" in the path stays a "!" even where the registry turns delayed expansion on.
    return Quoted(interpreterPath) + L" /D /V:OFF /S /C \"" + command + L"\"";
}
}  // namespace

BOOL ScheduleToolFolderRemoval()
{
    CString commandLine = ToolRemovalCommandLine(SystemInterpreterPath(), ProgramPath());
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

BOOL ScheduleToolRemovalAtRestart()
{
    const CString program = ProgramPath();
    const std::vector<CString> files = ToolFilesBeside(program);
    if (files.empty()) return FALSE;
    BOOL all = TRUE;
    // Windows works through the list in order: the files first, so the folder can be empty by then.
    for (const CString& file : files) {
        if (GetFileAttributesW(file.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
        if (!MoveFileExW(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) all = FALSE;
    }
    // A folder that still holds anything then is left where it is.
    const CString folder = FolderOf(program);
    if (!IsDriveRoot(folder) && !MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) all = FALSE;
    return all;
}

#include "app/ToolFolderRemoval.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "companion/FeedbackAbi.h"
#include "framework/ChildEnvironment.h"
#include "framework/Handle.h"
#include "framework/Paths.h"
#include "repair/RepairLog.h"

namespace {
// The package's read-me, a name no other program uses, so it can go with the tool.
constexpr wchar_t kReadMeName[] = L"PalluxAMD屏闪修复工具使用说明.txt";

CString RealFinalPath(const CString& path)
{
    const CHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file ? FinalPathOf(file.Get()) : CString();
}

bool RealFileTag(const CString& path, FILE_ATTRIBUTE_TAG_INFO& tag)
{
    // The name itself, opened for its attributes only: no link followed, no cloud file fetched.
    const CHandle file(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return file && GetFileInformationByHandleEx(file.Get(), FileAttributeTagInfo, &tag, sizeof tag);
}

std::atomic<FinalPathQuery> g_finalPathQuery{&RealFinalPath};
std::atomic<FileTagQuery> g_fileTagQuery{&RealFileTag};

CString Quoted(const CString& path)
{
    return L"\"" + path + L"\"";
}

// Whether the program's path names the program itself. Through a junction, a subst or mapped drive
// or a short name, the interpreter and Windows' deletions at the restart would act on names that
// lead elsewhere, or that someone can make lead elsewhere.
bool IsFinalPath(const CString& program)
{
    const CString final = g_finalPathQuery.load()(program);
    if (final.size() == program.size() && StartsWithIgnoringCase(final, program)) return true;
    LogNote(L"工具的路径 " + program + L" 经过链接、替换的驱动器或短文件名（实际为 " +
            (final.empty() ? CString(L"无法确定") : final) + L"），工具文件不予删除");
    return false;
}

// What the tool brings into its folder: the program (under whatever name it was started with),
// the companion library, that library's settings and the read-me. Empty for a path without a folder
// and for one that does not name the program itself.
std::vector<CString> ToolFilesBeside(const CString& programPath)
{
    const CString folder = FolderOf(programPath);
    if (folder.IsEmpty() || folder.size() + 1 == programPath.size() || !IsFinalPath(programPath)) return {};
    return {programPath, folder + L"\\" + kCompanionLibraryName, folder + L"\\QueltoFeedbackInformation.ini",
            folder + L"\\" + kReadMeName};
}

constexpr size_t kDeletedAfterExit = 2;  // the program and the library, in use until the tool ends

// A link of any kind: a symbolic link, a junction or a mount point, the reparse points that name
// another file or folder. Others (a OneDrive cloud file, a deduplicated one) are the file itself.
bool IsLink(const FILE_ATTRIBUTE_TAG_INFO& tag)
{
    return (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) && IsReparseTagNameSurrogate(tag.ReparseTag);
}

// A file of its own name, neither a folder nor a link: the only thing a deletion may touch.
bool IsPlainFile(const FILE_ATTRIBUTE_TAG_INFO& tag)
{
    return !(tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !IsLink(tag);
}

bool IsPlainFile(const CString& path)
{
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return g_fileTagQuery.load()(path, tag) && IsPlainFile(tag);
}

// A folder the removal may take away once it is empty: not a junction or mount point, whose
// removal would take away the user's link, and never a drive's root.
bool IsRemovableFolder(const CString& folder)
{
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return !IsDriveRoot(folder) && g_fileTagQuery.load()(folder, tag) && !IsLink(tag);
}

// Deletes one of the tool's files now. DeleteFileW refuses a folder and removes a link itself,
// never what it leads to. True when the name is gone.
bool DeleteToolFile(const CString& path)
{
    if (DeleteFileW(path.c_str())) return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
    // Read-only, as some unpackers and copies from a disc leave it.
    FILE_ATTRIBUTE_TAG_INFO tag{};
    return g_fileTagQuery.load()(path, tag) && IsPlainFile(tag) && (tag.FileAttributes & FILE_ATTRIBUTE_READONLY) &&
           SetFileAttributesW(path.c_str(), tag.FileAttributes & ~FILE_ATTRIBUTE_READONLY) &&
           DeleteFileW(path.c_str());
}

// A path the interpreter would not take as written: it expands %NAME% even inside quotes, a quote
// ends the quoting early, and a control character (a line break above all) cuts the command.
bool InterpreterWouldRewrite(const CString& path)
{
    return std::any_of(path.begin(), path.end(), [](wchar_t ch) { return ch == L'%' || ch == L'"' || ch < L' '; });
}

// The interpreter's command line that deletes `files` after the tool has ended, and then `folder`
// if it is empty by then (no folder when that is empty). Only the interpreter's own commands and
// the system folder's timeout run.
CString ToolRemovalCommandLine(const CString& systemFolder, const std::vector<CString>& files, const CString& folder)
{
    CString command = Quoted(systemFolder + L"\\timeout.exe") + L" /t 3 /nobreak >nul";
    for (const CString& file : files) {
        // del given a folder deletes the files in it: the name is touched only while it is still
        // no folder (also none that a link makes of it) when its turn comes.
        command += L" & (if not exist " + Quoted(file + L"\\*") + L" del /f /q " + Quoted(file) + L")";
    }
    // rmdir without /s removes the folder only when it is empty: anything of the user's keeps it.
    if (!folder.empty()) command += L" & rmdir " + Quoted(folder);
    // /S: everything between the outer quotes reaches the interpreter exactly as written. /V:OFF:
    // a "!" in the path stays a "!" even where the registry turns delayed expansion on.
    return Quoted(systemFolder + L"\\cmd.exe") + L" /D /V:OFF /S /C \"" + command + L"\"";
}

// What a process started with `token` creates (its console's objects among them) is its user's, as
// for an ordinary program: the elevated token's default grants Administrators, whom the copy below
// only denies. Where the system does not take it, the interpreter still has the user's rights, and
// it runs without: only objects of its own would stay out of its reach.
void GiveDefaultAccessToUser(HANDLE token)
{
    std::vector<BYTE> user(sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE);
    BYTE system[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = 0;
    DWORD systemSize = sizeof system;
    if (!GetTokenInformation(token, TokenUser, user.data(), DWORD(user.size()), &size) ||
        !CreateWellKnownSid(WinLocalSystemSid, nullptr, system, &systemSize))
        return;
    std::vector<BYTE> acl(sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE));
    auto* const list = reinterpret_cast<ACL*>(acl.data());
    TOKEN_DEFAULT_DACL defaultDacl{list};
    if (InitializeAcl(list, DWORD(acl.size()), ACL_REVISION) &&
        AddAccessAllowedAce(list, ACL_REVISION, GENERIC_ALL, reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid) &&
        AddAccessAllowedAce(list, ACL_REVISION, GENERIC_ALL, system))
        SetTokenInformation(token, TokenDefaultDacl, &defaultDacl, sizeof defaultDacl);
}

// A copy of the tool's own token with the rights the user's ordinary programs have: the
// Administrators group only ever denies, no privilege is left but passing through folders, and
// the integrity is medium. Empty when it cannot be made.
CHandle UserRightsToken()
{
    HANDLE own = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY, &own))
        return CHandle();
    const CHandle ownToken(own);
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    BYTE medium[SECURITY_MAX_SID_SIZE] = {};
    DWORD administratorsSize = sizeof administrators;
    DWORD mediumSize = sizeof medium;
    if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &administratorsSize) ||
        !CreateWellKnownSid(WinMediumLabelSid, nullptr, medium, &mediumSize))
        return CHandle();
    SID_AND_ATTRIBUTES denyOnly{administrators, 0};
    HANDLE restricted = nullptr;
    if (!CreateRestrictedToken(ownToken.Get(), DISABLE_MAX_PRIVILEGE, 1, &denyOnly, 0, nullptr, 0, nullptr,
                               &restricted))
        return CHandle();
    CHandle token(restricted);
    TOKEN_MANDATORY_LABEL label{{medium, SE_GROUP_INTEGRITY}};
    if (!SetTokenInformation(token.Get(), TokenIntegrityLevel, &label, sizeof label + mediumSize)) return CHandle();
    GiveDefaultAccessToUser(token.Get());
    return token;
}

BOOL RealRemovalStarter(HANDLE token, CString& commandLine, CString& environment, const CString& folder,
                        PROCESS_INFORMATION& process)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    // Started in the system folder, so the tool's folder is not held open as a working directory.
    return CreateProcessAsUserW(token, nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                CREATE_NO_WINDOW | CREATE_UNICODE_ENVIRONMENT, environment.data(), folder.c_str(),
                                &startup, &process);
}

std::atomic<RemovalStarter> g_removalStarter{&RealRemovalStarter};
}  // namespace

BOOL ScheduleToolFolderRemoval()
{
    return ScheduleToolFolderRemoval(ProgramPath());
}

BOOL ScheduleToolFolderRemoval(const CString& program)
{
    const std::vector<CString> files = ToolFilesBeside(program);
    if (files.empty()) return FALSE;
    // The program cannot go before it has ended, so the interpreter deletes it afterwards: a path it
    // would not take as written keeps every file where it is, rather than leave a tool without its
    // library.
    if (InterpreterWouldRewrite(program)) return FALSE;
    // Elevated, the interpreter would delete wherever a junction swapped in while it waits leads:
    // without the user's own rights it does not run, and nothing is deleted.
    const CHandle token = UserRightsToken();
    const CString systemFolder = SystemFolder();
    CString environment = MinimalChildEnvironment();
    const CString folder = FolderOf(program);
    CString commandLine = ToolRemovalCommandLine(systemFolder, files, IsRemovableFolder(folder) ? folder : CString());
    PROCESS_INFORMATION process{};
    if (!token || systemFolder.IsEmpty() || environment.IsEmpty() ||
        !g_removalStarter.load()(token.Get(), commandLine, environment, systemFolder, process)) {
        LogNote(L"无法以普通用户权限删除工具文件（错误 " + std::to_wstring(GetLastError()) + L"），工具文件保留");
        return FALSE;
    }
    CHandle processHandle(process.hProcess);
    CHandle threadHandle(process.hThread);
    // The settings and the read-me go now, from here; the interpreter takes what is still held open,
    // and the program and the library, in use until the tool has ended.
    for (size_t i = kDeletedAfterExit; i < files.size(); ++i) DeleteToolFile(files[i]);
    return TRUE;
}

BOOL ScheduleToolRemovalAtRestart()
{
    return ScheduleToolRemovalAtRestart(ProgramPath());
}

BOOL ScheduleToolRemovalAtRestart(const CString& program)
{
    const std::vector<CString> files = ToolFilesBeside(program);
    if (files.empty()) return FALSE;
    BOOL all = TRUE;
    // Windows works through the list in order: the files first, so the folder can be empty by then.
    for (const CString& file : files)
        if (IsPlainFile(file) && !MoveFileExW(file.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) all = FALSE;
    // A folder that still holds anything then is left where it is.
    const CString folder = FolderOf(program);
    if (IsRemovableFolder(folder) && !MoveFileExW(folder.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT)) all = FALSE;
    return all;
}

FinalPathQuery SetFinalPathQuery(FinalPathQuery query)
{
    return g_finalPathQuery.exchange(query ? query : &RealFinalPath);
}

RemovalStarter SetRemovalStarter(RemovalStarter starter)
{
    return g_removalStarter.exchange(starter ? starter : &RealRemovalStarter);
}

FileTagQuery SetFileTagQuery(FileTagQuery query)
{
    return g_fileTagQuery.exchange(query ? query : &RealFileTag);
}

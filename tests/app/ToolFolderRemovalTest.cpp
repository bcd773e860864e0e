// The removal of the tool's files, run in-process on a folder of the test's own, where Wine cannot
// show what Windows 10 does: a program reached through a junction or another drive letter, a folder
// synced to the cloud (every name a reparse point that is no link), and the interpreter's rights.
// The usual removal after a close and at the restart is the end-to-end tests' part.
#include <gtest/gtest.h>

#include "app/ToolFolderRemoval.h"
#include "support/TestSupport.h"

namespace {

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingDeletions[] = L"PendingFileRenameOperations";

// A tool's folder: the program (never run), its library, settings and read-me.
struct ToolFolder {
    ScratchFolder scratch;
    CString folder = scratch / L"工具";
    CString program = folder + L"\\tool.exe";
    CString library = folder + L"\\QueltoFeedbackInformation.dll";
    CString settings = folder + L"\\QueltoFeedbackInformation.ini";
    CString readMe = folder + L"\\PalluxAMD屏闪修复工具使用说明.txt";

    ToolFolder()
    {
        CreateDirectoryW(folder.c_str(), nullptr);
        for (const CString& file : {program, library, settings, readMe}) WriteBytes(file, "the tool's");
    }
};

// What Windows is to delete at its next start, as the registry lists it ("\??\path", then an empty
// name for "delete").
CString PendingDeletions()
{
    CString value(32768, L'\0');
    DWORD bytes = DWORD(value.size() * sizeof(wchar_t));
    const LSTATUS read = RegGetValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingDeletions, RRF_RT_REG_MULTI_SZ,
                                      nullptr, value.data(), &bytes);
    value.resize(read == ERROR_SUCCESS ? bytes / sizeof(wchar_t) : 0);
    return value;
}
bool PendingDeletion(const CString& path)
{
    return PendingDeletions().find(CString(L"\\??\\") + path + L'\0') != CString::npos;
}
void ForgetPendingDeletions()
{
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kSessionManager, kPendingDeletions);
}

// The queries put back whatever a test's failure leaves, and the test prefix is to delete nothing of
// the tests' at its next start.
class ToolRemovalQueries : public testing::Test {
protected:
    ToolRemovalQueries() { ForgetPendingDeletions(); }
    ~ToolRemovalQueries() override
    {
        ForgetPendingDeletions();
        SetFinalPathQuery(nullptr);
        SetFileTagQuery(nullptr);
        SetRemovalStarter(nullptr);
    }
};

// Windows as it is on a Desktop that OneDrive backs up: every name there a cloud file; and one with
// a junction at the tool's folder.
FileTagQuery g_realTag = nullptr;
bool CloudTag(const CString& path, FILE_ATTRIBUTE_TAG_INFO& tag)
{
    if (!g_realTag(path, tag)) return false;
    tag.FileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    tag.ReparseTag = IO_REPARSE_TAG_CLOUD_6;
    return true;
}
bool JunctionFolderTag(const CString& path, FILE_ATTRIBUTE_TAG_INFO& tag)
{
    if (!CloudTag(path, tag)) return false;
    if (tag.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) tag.ReparseTag = IO_REPARSE_TAG_MOUNT_POINT;
    return true;
}

// Whether `token` counts as an Administrators member, as the tool's own does and a user's ordinary
// programs' does not. (The medium integrity of its copy Windows shows too; Wine keeps every token at high.)
bool IsAdministrator(HANDLE token)
{
    BYTE administrators[SECURITY_MAX_SID_SIZE] = {};
    DWORD size = sizeof administrators;
    HANDLE identification = nullptr;
    BOOL member = FALSE;
    if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &size) &&
        DuplicateToken(token, SecurityIdentification, &identification))
        CheckTokenMembership(CHandle(identification).Get(), administrators, &member);
    return member != FALSE;
}

// What the removal's start was given; the start itself goes on as the tool makes it, or fails.
struct RemovalStart {
    bool administrator = true;
    CString commandLine, environment;
};
RemovalStart g_start;
RemovalStarter g_realStarter = nullptr;
bool g_startFails = false;
BOOL ObservedStart(HANDLE token, CString& commandLine, CString& environment, const CString& folder,
                   PROCESS_INFORMATION& process)
{
    g_start = {IsAdministrator(token), commandLine, environment};
    if (g_startFails) SetLastError(ERROR_PRIVILEGE_NOT_HELD);
    return !g_startFails && g_realStarter(token, commandLine, environment, folder, process);
}

}  // namespace

TEST_F(ToolRemovalQueries, AProgramReachedThroughALinkOrAPathWithAControlCharacterKeepsEveryFile)
{
    const ToolFolder tool;
    const size_t refusals = LogRecords(L"实际为 D:\\Users\\someone\\Downloads\\tool.exe");
    const size_t failedStarts = LogRecords(L"无法以普通用户权限删除工具文件（错误 1314）");
    // The program reached through a junction, a subst drive, a mapped drive or a short name.
    SetFinalPathQuery([](const CString&) { return CString(L"D:\\Users\\someone\\Downloads\\tool.exe"); });
    EXPECT_FALSE(ScheduleToolFolderRemoval(tool.program));
    EXPECT_FALSE(ScheduleToolRemovalAtRestart(tool.program));
    EXPECT_EQ(PendingDeletions(), L"") << "deletions registered for the restart";
    EXPECT_EQ(LogRecords(L"实际为 D:\\Users\\someone\\Downloads\\tool.exe"), refusals + 2);

    // A line break would end the interpreter's command where the path does.
    SetFinalPathQuery([](const CString& path) { return path; });
    EXPECT_FALSE(ScheduleToolFolderRemoval(tool.folder + L"\\tool\n.exe"));
    // Where the interpreter cannot start with the user's rights, it does not start with the tool's.
    g_realStarter = SetRemovalStarter(&ObservedStart);
    g_startFails = true;
    EXPECT_FALSE(ScheduleToolFolderRemoval(tool.program));
    g_startFails = false;
    EXPECT_EQ(FolderNames(tool.folder).size(), 4u) << "a file went";
    EXPECT_EQ(LogRecords(L"无法以普通用户权限删除工具文件（错误 1314）"), failedStarts + 1);
}

TEST_F(ToolRemovalQueries, InACloudSyncedFolderTheFilesAndTheFolderGoWithTheUsersRightsAndAJunctionStays)
{
    const ToolFolder tool;
    g_realTag = SetFileTagQuery(&CloudTag);
    EXPECT_TRUE(ScheduleToolRemovalAtRestart(tool.program));
    for (const CString& path : {tool.program, tool.library, tool.settings, tool.readMe, tool.folder})
        EXPECT_TRUE(PendingDeletion(path)) << path << " not registered for deletion at the restart";
    ForgetPendingDeletions();
    SetFileTagQuery(&JunctionFolderTag);
    ScheduleToolRemovalAtRestart(tool.program);
    EXPECT_TRUE(PendingDeletion(tool.program));
    EXPECT_FALSE(PendingDeletion(tool.folder)) << "a junction registered for deletion";

    // The interpreter runs the system's programs only, with the user's ordinary rights.
    SetFileTagQuery(&CloudTag);
    g_realStarter = SetRemovalStarter(&ObservedStart);
    ASSERT_TRUE(ScheduleToolFolderRemoval(tool.program));
    EXPECT_EQ(FolderNames(tool.folder), (std::vector<CString>{L"QueltoFeedbackInformation.dll", L"tool.exe"}))
        << "the program and the library wait for the tool's end; its settings and read-me go at once";
    EXPECT_FALSE(g_start.administrator) << "the removal runs with administrator rights";
    EXPECT_EQ(g_start.commandLine.find(L"\"" + SystemFolder() + L"\\cmd.exe\" "), 0u) << g_start.commandLine;
    EXPECT_NE(g_start.commandLine.find(L"\"" + SystemFolder() + L"\\timeout.exe\" "), CString::npos) << g_start.commandLine;
    EXPECT_NE(g_start.environment.find(CString(L"\0PATH=", 6) + SystemFolder() + L'\0'), CString::npos);
    EXPECT_EQ(g_start.environment.find(L"TEMP="), CString::npos) << "the tool's own environment reached the removal";
    EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesW(tool.folder.c_str()) == INVALID_FILE_ATTRIBUTES; }, 30000))
        << "the cloud-synced folder stayed";
}

// The adapter the value goes to, the backup that undoes it, and the command line support staff
// use: what a deployment script or a support engineer sees (exit codes, output, the registry, the
// backup file, the log) and what a user sees in the window.
#include <gtest/gtest.h>

#include "ToolDriver.h"

#include <stdexcept>

#include "framework/RegKey.h"

namespace {

// Written out here rather than taken from the tool, so that a wrong key in the tool shows.
const CString kClassKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";
constexpr wchar_t kAmd[] = L"Advanced Micro Devices, Inc.";
constexpr long kRestartNeeded = 3010;

bool RegKeyExists(HKEY root, const CString& path)
{
    CRegKey key;
    return key.Open(root, path.c_str(), KEY_READ | KEY_WOW64_64KEY) == ERROR_SUCCESS;
}

// An adapter instance key of the test's own, with its provider, gone with everything in it at the end.
// Added while Wine's desktop runs: Wine lays the display keys out afresh when its desktop starts.
class TestAdapter {
public:
    TestAdapter(const wchar_t* instance, const wchar_t* provider) : m_path(kClassKey + L"\\" + instance)
    {
        CRegKey key;
        if (key.Create(HKEY_LOCAL_MACHINE, m_path.c_str(), KEY_SET_VALUE | KEY_WOW64_64KEY) != ERROR_SUCCESS ||
            RegSetValueExW(key.Get(), L"ProviderName", 0, REG_SZ, reinterpret_cast<const BYTE*>(provider),
                           DWORD((wcslen(provider) + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
            throw std::runtime_error("cannot add a test adapter");
    }
    ~TestAdapter() { RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_path.c_str()); }
    TestAdapter(const TestAdapter&) = delete;
    TestAdapter& operator=(const TestAdapter&) = delete;

private:
    CString m_path;
};

// Wine's own adapter key 0000 kept aside for a while, as on a machine without it.
class FirstAdapterAway {
public:
    FirstAdapterAway()
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kAside);
        if (m_kept.Create(HKEY_LOCAL_MACHINE, kAside, KEY_ALL_ACCESS | KEY_WOW64_64KEY) != ERROR_SUCCESS ||
            RegCopyTreeW(HKEY_LOCAL_MACHINE, (kClassKey + L"\\0000").c_str(), m_kept.Get()) != ERROR_SUCCESS ||
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kClassKey + L"\\0000").c_str()) != ERROR_SUCCESS)
            throw std::runtime_error("cannot put the first adapter aside");
    }
    ~FirstAdapterAway()
    {
        CRegKey first;
        if (first.Create(HKEY_LOCAL_MACHINE, (kClassKey + L"\\0000").c_str(), KEY_ALL_ACCESS | KEY_WOW64_64KEY) ==
            ERROR_SUCCESS)
            RegCopyTreeW(m_kept.Get(), nullptr, first.Get());
        m_kept.Close();
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kAside);
    }
    FirstAdapterAway(const FirstAdapterAway&) = delete;
    FirstAdapterAway& operator=(const FirstAdapterAway&) = delete;

private:
    static constexpr wchar_t kAside[] = L"SOFTWARE\\PalluxTestAside";
    CRegKey m_kept;
};

// A folder with the tool and its library in it that is never started as a window.
ToolSetup NotStarted()
{
    ToolSetup setup;
    setup.start = false;
    return setup;
}

}  // namespace

TEST(CommandLine, TheAmdAdapterAtTheSecondKeyIsRepairedReportedAndUndoneAndTheOtherLeftAsItWas)
{
    RemoveTree(RepairBackupPath());
    ToolRun tool(NotStarted());
    const std::vector<CString> files = tool.FolderContents();
    const TestAdapter amd(L"0001", kAmd);
    const TestAdapter ati(L"0002", L"ATI Technologies Inc.");  // older drivers' name; no value yet
    const TestAdapter misnamed(L"001", kAmd);  // not an instance key: never written
    SetRepairValue(1, L"0001");
    SetRepairValue(5, L"0000");
    // The backup's name already leads to a user's file: writing the backup must not change it.
    const CString userFile = tool.Beside(L"notes.txt");
    WriteBytes(userFile, "mine");
    ASSERT_TRUE(CreateHardLinkW(RepairBackupPath().c_str(), userFile.c_str(), nullptr));

    std::string output;
    EXPECT_EQ(tool.RunCommandLine(L"/status", &output), 1);
    EXPECT_NE(output.find("0001"), std::string::npos) << output;
    EXPECT_EQ(output.find("\\0000"), std::string::npos) << "0000 is no AMD adapter: " << output;

    EXPECT_EQ(tool.RunCommandLine(L"/quiet"), kRestartNeeded);
    EXPECT_EQ(RepairValue(L"0001"), 0);
    EXPECT_EQ(RepairValue(L"0002"), 0);
    EXPECT_EQ(RepairValue(L"0000"), 5) << "another adapter's key was written";
    EXPECT_EQ(RepairValue(L"001"), -1) << "a key that is no instance was written";
    EXPECT_EQ(ReadBytes(userFile), "mine") << "the backup was written through a link";
    const std::string backup = ReadBytes(RepairBackupPath());
    const CString text(reinterpret_cast<const wchar_t*>(backup.data() + 2), (backup.size() - 2) / 2);
    EXPECT_EQ(backup.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(text, L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" + kClassKey +
                        L"\\0001]\r\n\"DalPSRFeatureEnable\"=dword:00000001\r\n\r\n[HKEY_LOCAL_MACHINE\\" +
                        kClassKey + L"\\0002]\r\n\"DalPSRFeatureEnable\"=-\r\n\r\n");

    // Nothing left to change: nothing written, and the backup still holds the state from before.
    EXPECT_EQ(tool.RunCommandLine(L"-QUIET"), 0);
    EXPECT_EQ(ReadBytes(RepairBackupPath()), backup);
    EXPECT_EQ(tool.RunCommandLine(L"/status", &output), 0) << output;

    EXPECT_EQ(tool.RunCommandLine(L"/Undo /quiet"), kRestartNeeded);
    EXPECT_EQ(RepairValue(L"0001"), 1) << "the undo did not bring the old value back";
    EXPECT_EQ(RepairValue(L"0002"), -1) << "the undo left a value where there was none";
    EXPECT_EQ(RepairValue(L"0000"), 5);
    EXPECT_EQ(GetFileAttributesW(RepairBackupPath().c_str()), INVALID_FILE_ATTRIBUTES) << "the backup stayed after it was restored";
    EXPECT_EQ(tool.RunCommandLine(L"/quiet /undo"), 0) << "no backup, nothing to undo";

    EXPECT_EQ(tool.FolderContents(), files) << "a command-line run changed the tool's folder";
    EXPECT_EQ(GetFileAttributesW(tool.JournalPath().c_str()), INVALID_FILE_ATTRIBUTES) << "a command-line run used the companion library";
}

TEST(CommandLine, WithoutAnAmdAdapterTheFirstKeyIsTheTargetAndWithoutThatKeyNothingIsCreated)
{
    RemoveTree(RepairBackupPath());
    ToolRun tool(NotStarted());
    SetRepairValue(1, L"0000");
    EXPECT_EQ(tool.RunCommandLine(L"/quiet"), kRestartNeeded);
    EXPECT_EQ(RepairValue(L"0000"), 0);
    EXPECT_EQ(tool.RunCommandLine(L"/quiet /undo"), kRestartNeeded);
    EXPECT_EQ(RepairValue(L"0000"), 1);

    const size_t failures = RepairFailureRecords().size();
    {
        const FirstAdapterAway away;
        std::string output;
        EXPECT_EQ(tool.RunCommandLine(L"/quiet", &output), 1) << output;
        EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kClassKey + L"\\0000")) << "the repair made an adapter key of its own";
        EXPECT_EQ(tool.RunCommandLine(L"/status"), 1);
    }
    const std::vector<CString> records = RepairFailureRecords();
    ASSERT_EQ(records.size(), failures + 1);
    EXPECT_NE(records.back().find(L"未找到"), CString::npos) << records.back();
    EXPECT_EQ(RepairValue(L"0000"), 1);
}

TEST(CommandLine, UsageUnknownArgumentsAnotherSystemAndAForeignBackupChangeNothing)
{
    ToolRun tool(NotStarted());
    const std::vector<CString> files = tool.FolderContents();
    SetRepairValue(1, L"0000");
    // A backup anyone could have written that names a key that is no adapter's: the undo, which runs
    // elevated, refuses it whole and keeps it.
    const CString foreign = L"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\" + kClassKey +
                            L"\\0000]\r\n\"DalPSRFeatureEnable\"=dword:00000002\r\n\r\n"
                            L"[HKEY_LOCAL_MACHINE\\" + kClassKey + L"\\0000\\PalluxTestForeign]\r\n"
                            L"\"DalPSRFeatureEnable\"=dword:00000000\r\n";
    const std::string bytes = "\xFF\xFE" + std::string(reinterpret_cast<const char*>(foreign.data()), foreign.size() * 2);
    WriteBytes(RepairBackupPath(), bytes);
    EXPECT_EQ(tool.RunCommandLine(L"/quiet /undo"), 1);
    EXPECT_EQ(ReadBytes(RepairBackupPath()), bytes);
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kClassKey + L"\\0000\\PalluxTestForeign"));
    RemoveTree(RepairBackupPath());

    std::string output;
    EXPECT_EQ(tool.RunCommandLine(L"/?", &output), 0);
    EXPECT_NE(output.find("/quiet /undo"), std::string::npos) << output;
    for (const wchar_t* wrong : {L"/repair", L"quiet", L"/quiet /quiet", L"/undo", L"/status /quiet"}) {
        EXPECT_EQ(tool.RunCommandLine(wrong, &output), 87) << wrong;
        EXPECT_NE(output.find("/status"), std::string::npos) << "no usage for " << wrong;
    }
    {
        const WineProgramSetting windows7(kTool, L"", L"Version", L"win7");
        EXPECT_EQ(tool.RunCommandLine(L"/quiet"), 1);
    }
    EXPECT_EQ(RepairValue(L"0000"), 1);
    EXPECT_EQ(tool.FolderContents(), files);
}

namespace {

constexpr wchar_t kUndoConfirmText[] = L"将恢复修复前的显示设置，需要重新启动电脑后生效。";
constexpr wchar_t kUndoRestartQuestion[] = L"撤销完成，需要重新启动电脑后生效。现在就要重启吗？";

// Alt+Space on the main window and the system menu's last item, as a user picks it. Keys can be lost
// while Wine hands the focus around under load: a hand that saw no menu tries again.
HWND ChooseLastSystemMenuItem(const ToolRun& tool, const std::function<bool(HWND)>& opens)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        SendKeys({VK_MENU, VK_SPACE});
        if (!WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)) != FALSE; }, 5000)) continue;
        SendKeys({VK_UP});
        SendKeys({VK_RETURN});
        if (HWND opened = tool.Window(opens, 5000)) return opened;
        SendKeys({VK_ESCAPE});
    }
    return nullptr;
}

}  // namespace

TEST(UndoInTheWindow, TheRepairGoesToTheAmdAdapterAndTheSystemMenuUndoesItWhileThereIsABackup)
{
    RemoveTree(RepairBackupPath());
    ToolRun tool;
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    const TestAdapter amd(L"0001", kAmd);
    SetRepairValue(3, L"0001");
    SetRepairValue(5, L"0000");

    ClickControl(panel, IDC_REPAIR);
    ClickControl(tool.PromptSaying(kConfirmText), IDC_PROMPT_OK);
    HWND question = tool.PromptSaying(kRestartQuestion);
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(RepairValue(L"0001"), 0);
    EXPECT_EQ(RepairValue(L"0000"), 5) << "another adapter's key was written";
    ClickControl(question, IDC_PROMPT_CANCEL);

    HWND confirm = ChooseLastSystemMenuItem(tool, ToolRun::Saying(kUndoConfirmText));
    ASSERT_NE(confirm, nullptr) << "no 撤销屏闪修复 at the end of the system menu";
    ClickControl(confirm, IDC_PROMPT_OK);
    HWND restart = tool.PromptSaying(kUndoRestartQuestion);
    ASSERT_NE(restart, nullptr);
    EXPECT_EQ(RepairValue(L"0001"), 3) << "the undo did not bring the old value back";
    EXPECT_EQ(RepairValue(L"0000"), 5);
    EXPECT_EQ(GetFileAttributesW(RepairBackupPath().c_str()), INVALID_FILE_ATTRIBUTES);
    ClickControl(restart, IDC_PROMPT_CANCEL);

    // Nothing left to undo: the menu's last item is About again, and the undo's command does nothing.
    HWND about = ChooseLastSystemMenuItem(tool, [](HWND window) { return TextOf(window).find(L"关于") == 0; });
    ASSERT_NE(about, nullptr) << "the last item of the system menu is not About";
    ClickControl(about, IDOK);
    PostMessageW(ToolRun::ShellOf(panel), WM_SYSCOMMAND, IDM_UNDO_REPAIR, 0);
    EXPECT_EQ(tool.Prompt(1500), nullptr) << "an undo without a backup asked";
    EXPECT_EQ(RepairValue(L"0001"), 3);
}

// The adapter the value goes to, the record that undoes it, and the command line support staff
// use: what a deployment script or a support engineer sees (exit codes, output, the registry, the
// log folder, the log) and what a user sees in the window.
#include <gtest/gtest.h>

#include "ToolDriver.h"

#include <memory>
#include <optional>
#include <stdexcept>

#include "framework/Encoding.h"
#include "framework/RegKey.h"

namespace {

// Written out here rather than taken from the tool, so that a wrong key in the tool shows.
const CString kClassKey = L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";
constexpr wchar_t kAmd[] = L"Advanced Micro Devices, Inc.";
constexpr long kRestartNeeded = 3010;

// Where the tool keeps what the undo needs, under HKEY_LOCAL_MACHINE\SOFTWARE.
constexpr wchar_t kMakerName[] = L"Rapimend";
const CString kMakerKey = CString(L"SOFTWARE\\") + kMakerName;

bool RegKeyExists(HKEY root, const CString& path)
{
    CRegKey key;
    return key.Open(root, path.c_str(), KEY_READ | KEY_WOW64_64KEY) == ERROR_SUCCESS;
}

// No repair to undo: neither the tool's record nor a backup file an earlier version wrote for people.
void ForgetRepairs()
{
    RemoveTree(RepairBackupPath());
    CreateDirectoryW(RepairBackupPath().substr(0, RepairBackupPath().rfind(L'\\')).c_str(), nullptr);
    CRegKey software;  // the 64-bit view the tool writes, also from the 32-bit build of this test
    if (software.Open(HKEY_LOCAL_MACHINE, L"SOFTWARE", KEY_ALL_ACCESS | KEY_WOW64_64KEY) == ERROR_SUCCESS)
        RegDeleteTreeW(software.Get(), kMakerName);
}

// An adapter instance key with its provider, for the test's length: a key of the test's own goes
// with everything in it; on a key that was there (Wine's 0000) only the provider goes again.
class TestAdapter {
public:
    TestAdapter(const wchar_t* instance, const wchar_t* provider)
        : m_path(kClassKey + L"\\" + instance), m_ownKey(!RegKeyExists(HKEY_LOCAL_MACHINE, m_path))
    {
        if (m_key.Create(HKEY_LOCAL_MACHINE, m_path.c_str(), KEY_SET_VALUE | KEY_WOW64_64KEY) != ERROR_SUCCESS ||
            RegSetValueExW(m_key.Get(), L"ProviderName", 0, REG_SZ, reinterpret_cast<const BYTE*>(provider),
                           DWORD((wcslen(provider) + 1) * sizeof(wchar_t))) != ERROR_SUCCESS)
            throw std::runtime_error("cannot add a test adapter");
    }
    ~TestAdapter()
    {
        RegDeleteValueW(m_key.Get(), L"ProviderName");
        m_key.Close();
        if (m_ownKey) RegDeleteTreeW(HKEY_LOCAL_MACHINE, m_path.c_str());
    }

private:
    CString m_path;
    bool m_ownKey;
    CRegKey m_key;
};

// A folder with the tool and its library in it that is never started as a window.
ToolSetup NotStarted()
{
    ToolSetup setup;
    setup.start = false;
    return setup;
}

}  // namespace

TEST(CommandLine, TheAmdAdaptersAreRepairedReportedAndUndoneAndAfterADriverReinstallNoOtherMakersKeyIsWritten)
{
    ForgetRepairs();
    ToolRun tool(NotStarted());
    const std::vector<CString> files = tool.FolderContents();
    std::optional<TestAdapter> amd(std::in_place, L"0001", kAmd);
    std::optional<TestAdapter> ati(std::in_place, L"0002", L"ATI Technologies Inc.");  // older drivers' name; no value yet
    const TestAdapter misnamed(L"001", kAmd);  // not an instance key: never written
    SetRepairValue(1, L"0001");
    SetRepairValue(5, L"0000");
    // 0000 (no AMD adapter), 0001, 0002 and 001; -1 for no value.
    const auto values = [] {
        return std::vector<long long>{RepairValue(L"0000"), RepairValue(L"0001"), RepairValue(L"0002"), RepairValue(L"001")};
    };
    const auto says = [](const std::string& output, const wchar_t* text) {
        return output.find(CodePageFromWide(936, text)) != std::string::npos;
    };

    std::string output;
    EXPECT_EQ(tool.RunCommandLine(L"/status", &output), 1);
    EXPECT_TRUE(says(output, L"\\0001  DalPSRFeatureEnable：REG_DWORD 1（无修复记录）")) << output;
    EXPECT_EQ(output.find("\\0000"), std::string::npos) << "0000 is no AMD adapter: " << output;

    EXPECT_EQ(tool.RunCommandLine(L"/quiet"), kRestartNeeded);
    EXPECT_EQ(values(), (std::vector<long long>{5, 0, 0, -1})) << "only the AMD adapters' instance keys are written";
    EXPECT_EQ(GetFileAttributesW(RepairBackupPath().c_str()), INVALID_FILE_ATTRIBUTES) << "a copy of the backup was written";

    // Nothing left to change: nothing written, and the record still holds the state from before,
    // which is what support staff read.
    EXPECT_EQ(tool.RunCommandLine(L"-QUIET"), 0);
    EXPECT_EQ(tool.RunCommandLine(L"/status", &output), 0) << output;
    EXPECT_TRUE(says(output, L"\\0001  DalPSRFeatureEnable：REG_DWORD 0（修复前：REG_DWORD 1）")) << output;
    EXPECT_TRUE(says(output, L"\\0002  DalPSRFeatureEnable：REG_DWORD 0（修复前：不存在）")) << output;

    // A copy an earlier version wrote is neither read nor removed.
    WriteBytes(RepairBackupPath(), "an earlier version's copy");
    EXPECT_EQ(tool.RunCommandLine(L"/Undo /quiet"), kRestartNeeded);
    EXPECT_EQ(values(), (std::vector<long long>{5, 1, -1, -1})) << "the undo brings back each old value, or none";
    EXPECT_EQ(ReadBytes(RepairBackupPath()), "an earlier version's copy");
    RemoveTree(RepairBackupPath());
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kMakerKey)) << "a key of the tool's stayed after the undo";

    // Repaired again, then a driver reinstall takes 0001 away and gives 0002 to another maker's
    // adapter: the undo drops the gone key, leaves the other maker's value and ends the record.
    ASSERT_EQ(tool.RunCommandLine(L"/quiet"), kRestartNeeded);
    amd.reset();
    ati.emplace(L"0002", L"Intel Corporation");  // a key of its own, the value the repair left
    SetRepairValue(0, L"0002");
    EXPECT_EQ(tool.RunCommandLine(L"/quiet /undo"), 0);
    EXPECT_EQ(RepairValue(L"0002"), 0) << "the undo wrote into another adapter's key";
    EXPECT_FALSE(RegKeyExists(HKEY_LOCAL_MACHINE, kMakerKey)) << "the record stayed";
    EXPECT_NE(ToolLog().find(CodePageFromWide(936, L"0001 注册表项已不存在")), std::string::npos);

    EXPECT_EQ(tool.FolderContents(), files) << "a command-line run changed the tool's folder";
    EXPECT_EQ(GetFileAttributesW(tool.JournalPath().c_str()), INVALID_FILE_ATTRIBUTES) << "a command-line run used the companion library";
}

TEST(CommandLine, WithoutAnAmdAdapterOnlyAFirstKeyNamingNoMakerIsTheTarget)
{
    ForgetRepairs();
    ToolRun tool(NotStarted());
    SetRepairValue(1, L"0000");
    EXPECT_EQ(tool.RunCommandLine(L"/quiet"), kRestartNeeded);
    EXPECT_EQ(RepairValue(L"0000"), 0);
    EXPECT_EQ(tool.RunCommandLine(L"/quiet /undo"), kRestartNeeded);
    EXPECT_EQ(RepairValue(L"0000"), 1);

    const size_t failures = RepairFailureRecords().size();
    {
        // Another maker's adapter: nothing of it is the tool's to change, and no restart is asked for.
        const TestAdapter intel(L"0000", L"Intel Corporation");
        std::string output;
        EXPECT_EQ(tool.RunCommandLine(L"/quiet"), 1);
        EXPECT_EQ(tool.RunCommandLine(L"/status", &output), 1);
        EXPECT_NE(output.find(CodePageFromWide(936, L"未找到 AMD 显示适配器")), std::string::npos) << output;
    }
    const std::vector<CString> records = RepairFailureRecords();
    ASSERT_EQ(records.size(), failures + 1);
    EXPECT_NE(records.back().find(L"未找到 AMD 显示适配器"), CString::npos) << records.back();
    EXPECT_EQ(RepairValue(L"0000"), 1);
}

TEST(CommandLine, UsageUnknownArgumentsAnotherSystemNoRecordAndAnUnseenStartChangeNothing)
{
    ToolRun tool(NotStarted());
    const std::vector<CString> files = tool.FolderContents();
    SetRepairValue(1, L"0000");
    // Without a record the undo has nothing to do, whatever an earlier version left in the log folder.
    ForgetRepairs();
    std::string output;
    EXPECT_EQ(tool.RunCommandLine(L"/quiet /undo", &output), 0);
    EXPECT_NE(output.find(CodePageFromWide(936, L"没有备份")), std::string::npos) << output;

    // Started as a deployment tool's service account starts it, on a window station nobody sees:
    // no window waits for an answer; the tool ends at once and the log names the way that works.
    const HWINSTA visible = GetProcessWindowStation();
    const std::unique_ptr<HWINSTA__, decltype(&CloseWindowStation)> hidden(
        CreateWindowStationW(L"PalluxTestUnseen", 0, WINSTA_ALL_ACCESS, nullptr), &CloseWindowStation);
    ASSERT_TRUE(hidden && SetProcessWindowStation(hidden.get()));
    const std::unique_ptr<HDESK__, decltype(&CloseDesktop)> desktop(
        CreateDesktopW(L"Default", nullptr, nullptr, 0, GENERIC_ALL, nullptr), &CloseDesktop);
    SetProcessWindowStation(visible);
    ASSERT_TRUE(desktop);
    const CHandle unseen = StartProgram(tool.Folder() + L"\\" + kTool, CString(), nullptr, L"PalluxTestUnseen\\Default");
    ASSERT_TRUE(unseen);
    EXPECT_EQ(ExitCodeWithin(unseen, 20000), 1) << "the tool waited where nobody sees it";
    EXPECT_NE(ToolLog().find("/quiet"), std::string::npos);
    // The way it names works there, the undo too.
    for (const wchar_t* quiet : {L"/quiet", L"/quiet /undo"})
        EXPECT_EQ(ExitCodeWithin(StartProgram(tool.Folder() + L"\\" + kTool, quiet, nullptr, L"PalluxTestUnseen\\Default"),
                                 kRepairWaitMs), 3010) << quiet << " where nobody sees it";

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

TEST(UndoInTheWindow, OneToolRunsAtATimeAndTheSystemMenuUndoesTheRepairWhileThereIsARecord)
{
    ForgetRepairs();
    ToolRun tool;
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    // One tool at a time: a second start brings the minimised window back and ends; a deployment
    // tool's run is told to try later (1618, which Wine's exit codes cut to a byte).
    ShowWindow(ToolRun::ShellOf(panel), SW_MINIMIZE);
    const CHandle second = StartProgram(tool.Folder() + L"\\" + kTool);
    EXPECT_EQ(ExitCodeWithin(second, 20000), 0) << "a second start stayed";
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(ToolRun::ShellOf(panel)); })) << "the running window stayed minimised";
    EXPECT_TRUE(WaitUntil([&] {
        DWORD foreground = 0;
        return GetWindowThreadProcessId(GetForegroundWindow(), &foreground), foreground == tool.ProcessId();
    })) << "the running window did not come to the front";
    EXPECT_EQ(tool.RunCommandLine(L"/quiet") & 0xFF, 1618 & 0xFF);
    SetRepairValue(3);

    // Which key the repair and the undo write is the command line's case: the window runs the same.
    HWND question = tool.ConfirmedRepair(panel);
    ASSERT_NE(question, nullptr);
    ClickControl(question, IDC_PROMPT_CANCEL);

    HWND confirm = ChooseLastSystemMenuItem(tool, ToolRun::Saying(kUndoConfirmText));
    ASSERT_NE(confirm, nullptr) << "no 撤销屏闪修复 at the end of the system menu";
    ClickControl(confirm, IDC_PROMPT_OK);
    HWND restart = tool.AnswerTo(confirm, kUndoRestartQuestion);
    ASSERT_NE(restart, nullptr);
    EXPECT_EQ(RepairValue(), 3) << "the undo did not bring the old value back";
    EXPECT_EQ(GetFileAttributesW(RepairBackupPath().c_str()), INVALID_FILE_ATTRIBUTES);
    ClickControl(restart, IDC_PROMPT_CANCEL);

    // Nothing left to undo: the menu's last item is About again, and the undo's command does nothing.
    HWND about = ChooseLastSystemMenuItem(tool, [](HWND window) { return TextOf(window).find(L"关于") == 0; });
    ASSERT_NE(about, nullptr) << "the last item of the system menu is not About";
    ClickControl(about, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); })) << "the about box stayed";
    PostMessageW(ToolRun::ShellOf(panel), WM_SYSCOMMAND, IDM_UNDO_REPAIR, 0);
    EXPECT_EQ(tool.Prompt(1500), nullptr) << "an undo without a backup asked";
}

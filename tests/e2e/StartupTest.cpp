// The start-up checks and the version check, each in a tool process of its own: the prompt a failing
// check shows, the way out through it, and what the companion library was asked on the way.
#include <gtest/gtest.h>

#include "ToolDriver.h"

namespace {

const wchar_t kUnsupportedSystem[] = L"此工具不支持当前系统";

struct StartupFailure {
    const char* name;
    const wchar_t* library;   // the built library put beside the tool, or none
    const wchar_t* settings;  // more of its settings
    const wchar_t* windows;   // the system Wine reports to the tool (Windows 10 when null)
    const wchar_t* text;      // the prompt
    size_t initCalls;         // how often the library's initialisation is reached
    bool loaded;              // whether the library is in the process by the time of the notice
    size_t versionChecks;     // whether the version check ran: only after every other check passed

    friend void PrintTo(const StartupFailure& failure, std::ostream* out) { *out << failure.name; }
};

const StartupFailure kFailures[] = {
    {"NoLibrary", nullptr, L"", nullptr, kInitFailed, 0, false, 0},
    // A library without every export is never called, but stays: its DllMain has run.
    {"MissingExport", L"incomplete-companion\\QueltoFeedbackInformation.dll", L"", nullptr, kInitFailed, 0, true, 0},
    {"InitialisationRefused", kCompanion, L"InitResult=0", nullptr, kInitFailed, 1, true, 0},
    // The version check comes before the library is even loaded.
    {"Windows7", kCompanion, L"", L"win7", kUnsupportedSystem, 0, false, 0},
    {"Windows81", kCompanion, L"", L"win81", kUnsupportedSystem, 0, false, 0},
    // Over the main window; the download page opens once the notice has been read.
    {"NewerVersion", kCompanion, L"[Version]\r\nNewest=1.6", nullptr, kNewerVersion, 1, true, 1},
};

class StartupChecks : public testing::TestWithParam<StartupFailure> {};

// After OK on the notice (a notice has no Cancel: RepairFlowFailed's case) the tool ends with exit
// code 0 and leaves its folder alone.
TEST_P(StartupChecks, AFailingCheckShowsItsNoticeAndEndsTheTool)
{
    const StartupFailure& failure = GetParam();
    ToolSetup setup;
    setup.withLibrary = failure.library != nullptr;
    if (setup.withLibrary) setup.library = failure.library;
    setup.librarySettings = failure.settings;
    setup.windowsVersion = failure.windows;
    ToolRun tool(setup);

    HWND notice = tool.Prompt(30000);
    ASSERT_NE(notice, nullptr) << "no notice";
    EXPECT_EQ(TextOf(GetDlgItem(notice, IDC_PROMPT_TEXT)), CString(failure.text));
    // Found again from the taskbar or Alt+Tab after a click elsewhere, though the main window is hidden.
    EXPECT_EQ(TaskbarButtons(tool.ProcessId()), 1u) << "the notice has no taskbar button of its own or its owner's";
    EXPECT_TRUE(failure.versionChecks > 0 || tool.MainPanel(0) == nullptr) << "the main window showed although a check failed";
    EXPECT_EQ(!LoadedModule(tool.ProcessId(), kCompanion).empty(), failure.loaded);
    const auto checks = tool.JournalLines("GetToolIsNewVersion");
    ASSERT_EQ(checks.size(), failure.versionChecks);
    for (const std::string& check : checks)  // what the tool says of itself, and the library's answer
        for (const auto& [field, value] : {std::pair{"tool", "10060"}, {"version", "1.5.21.423"}, {"result", "3"}})
            EXPECT_EQ(JournalField(check, field), value) << field;
    EXPECT_TRUE(tool.JournalLines("OpenToolDownUrl").empty()) << "the download page opened before the notice was read";

    const std::vector<CString> files = tool.FolderContents();
    ClickControl(notice, IDC_PROMPT_OK);
    EXPECT_EQ(tool.WaitForExit(), 0);
    EXPECT_FALSE(tool.RunningChild()) << "the tool started something on its way out (its removal?)";
    EXPECT_EQ(tool.FolderContents(), files);
    EXPECT_EQ(tool.JournalLines("InitFreedbackDll").size(), failure.initCalls);
    EXPECT_EQ(tool.JournalLines("OpenToolDownUrl").size(), failure.versionChecks);
}

INSTANTIATE_TEST_SUITE_P(Failures, StartupChecks, testing::ValuesIn(kFailures),
                         [](const testing::TestParamInfo<StartupFailure>& info) { return info.param.name; });

}  // namespace

// A release package unpacked into a folder of its own: its tool starts there and shows its panel,
// its library takes nothing from a settings file beside it, and once closed through the
// problem-solved question the tool takes its whole folder with it. A signed package's tool loads
// only a library its own signer signed, and the signature check's crypt32.dll only from the system.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ToolDriver.h"

namespace {

// The shipped library's journal, in its fixed place: its lines that record `exportName`.
size_t FixedJournalLines(const char* exportName)
{
    return Occurrences(ReadBytes(ProgramDataFolder() + L"\\QueltoFeedback\\journal.txt"), std::string("\t") + exportName + "\t");
}

// Runs only from package_starts.sh, which unpacks the package and names its tool in
// PALLUX_UNPACKED_TOOL.
TEST(ReleasePackage, DISABLED_TheUnpackedToolShowsItsPanelTakesNoSettingsAndLeavesNothingWhenClosed)
{
    const wchar_t* tool = _wgetenv(L"PALLUX_UNPACKED_TOOL");
    ASSERT_NE(tool, nullptr);
    // Settings as the test build reads them: a journal elsewhere, other addresses, a newer version.
    const CString folder = FolderOf(tool), elsewhere = FolderOf(folder) + L"\\elsewhere.txt";
    const CString settings = L"[Journal]\r\nPath=" + elsewhere +
                             L"\r\n[Addresses]\r\nToolDownload=https://elsewhere.example/download\r\n"
                             L"UseAgreement=https://elsewhere.example/agreement\r\n[Version]\r\nNewest=99\r\n";
    WriteUtf16(folder + L"\\QueltoFeedbackInformation.ini", settings);
    const size_t versionChecks = FixedJournalLines("GetToolIsNewVersion");
    const size_t downloads = FixedJournalLines("OpenToolDownUrl");

    ToolSetup unpacked;
    unpacked.startAt = tool;
    ToolRun started(unpacked);
    ASSERT_NE(started.MainPanel(30000), nullptr) << "the packaged tool did not show its panel";
    // The version check is answered in the fixed journal with nothing demanded, and the window stays.
    EXPECT_TRUE(WaitUntil([&] { return FixedJournalLines("GetToolIsNewVersion") > versionChecks; }))
        << "no version check in the journal under ProgramData";
    EXPECT_EQ(started.PromptSaying(kNewerVersion, 2000), nullptr) << "the settings file demanded an update";
    EXPECT_EQ(FixedJournalLines("OpenToolDownUrl"), downloads) << "a download page was opened";

    ASSERT_EQ(started.CloseAsUser(), 0) << "the tool did not end through the problem-solved question";
    EXPECT_TRUE(WaitUntil([&] { return !IsFolder(started.Folder()); }, 20000))
        << "the unpacked folder is still there, holding: " << testing::PrintToString(started.FolderContents());
    EXPECT_EQ(GetFileAttributesW(elsewhere.c_str()), INVALID_FILE_ATTRIBUTES) << "the settings file chose the journal";
}

// The signed tool from PALLUX_SIGNED_FILES beside `library` under the library's name.
ToolSetup SignedTool(const CString& library)
{
    ToolSetup setup;
    setup.program = _wgetenv(L"PALLUX_SIGNED_FILES") + (L"\\" + CString(kTool));
    setup.library = library;
    return setup;
}

// Runs only from package_signed.sh, which names in PALLUX_SIGNED_FILES a folder holding the signed
// package's tool and library, that library signed by a second certificate (other-signer.dll),
// with one byte changed after signing (changed.dll) and with its signature's value changed (forged.dll).
TEST(SignedReleasePackage, DISABLED_OnlyALibraryOfTheToolsOwnSignerLoadsAndCrypt32ComesFromTheSystem)
{
    const wchar_t* signedFiles = _wgetenv(L"PALLUX_SIGNED_FILES");
    ASSERT_NE(signedFiles, nullptr);
    const CString planted = ExecutableFolder() + L"\\planted\\gdiplus.dll";  // leaves "<its name>.loaded"

    {
        // Wine takes a crypt32.dll beside the program before its own only when told to, as Windows would.
        const WineProgramSetting search{kTool, L"DllOverrides", L"crypt32", L"native,builtin"};
        ToolSetup setup = SignedTool(CString(signedFiles) + L"\\" + kCompanion);
        setup.besideIt = {{planted, L"crypt32.dll"}};
        ToolRun signedTool(setup);
        EXPECT_NE(signedTool.MainPanel(30000), nullptr) << "the signed tool refused its own library";
        EXPECT_FALSE(LoadedModule(signedTool.ProcessId(), L"crypt32.dll").empty()) << "no signature was checked";
        signedTool.End();
        EXPECT_EQ(GetFileAttributesW((signedTool.Folder() + L"\\crypt32.dll.loaded").c_str()), INVALID_FILE_ATTRIBUTES)
            << "the crypt32.dll beside the tool was loaded";
    }

    const struct {
        const char* name;
        CString library;
        const wchar_t* why;  // in the log record
    } refused[] = {
        {"unsigned", planted, L"没有签名"},
        {"another signer", CString(signedFiles) + L"\\other-signer.dll", L"签名者不是工具本身的签名者"},
        {"changed after signing", CString(signedFiles) + L"\\changed.dll", L"的签名无效"},
        {"signature value changed", CString(signedFiles) + L"\\forged.dll", L"的签名无效"},
    };
    for (const auto& library : refused) {
        SCOPED_TRACE(library.name);
        const size_t records = LogRecords(library.why);
        ToolRun signedTool(SignedTool(library.library));
        const HWND notice = signedTool.PromptSaying(kInitFailed);
        ASSERT_NE(notice, nullptr);
        EXPECT_TRUE(LoadedModule(signedTool.ProcessId(), kCompanion).empty()) << "the refused library was loaded";
        const CString loaded = signedTool.Folder() + L"\\QueltoFeedbackInformation.dll.loaded";
        ClickControl(notice, IDC_PROMPT_OK);
        EXPECT_EQ(signedTool.WaitForExit(), 0);
        EXPECT_EQ(LogRecords(library.why), records + 1) << "the log does not say why";
        EXPECT_EQ(GetFileAttributesW(loaded.c_str()), INVALID_FILE_ATTRIBUTES) << "the refused library's DllMain ran";
    }
}

}  // namespace

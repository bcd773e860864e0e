// The companion library interface against the real reference library: loading, the six strings,
// the journal of every call, the version check and the settings file; the feedback time text.
#include <gtest/gtest.h>

#include <memory>
#include <regex>

#include "DesktopShell.h"
#include "Journal.h"
#include "companion/DllInfoStrings.h"
#include "companion/FeedbackLibrary.h"
#include "companion/FeedbackTime.h"
#include "companion/ToolIdentity.h"
#include "framework/Encoding.h"
#include "support/CurrentDirectory.h"
#include "support/TestSupport.h"

namespace {

const wchar_t* const kToolId = TOOL_ID;
const wchar_t* const kToolVersion = TOOL_VERSION;

// One copy of the reference library in a scratch folder for the whole suite; each test rewrites its
// settings file, which the library reads at every call.
class FeedbackLibraryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_folder = std::make_unique<ScratchFolder>();
        ASSERT_TRUE(CopyFileW((ExecutableFolder() + L"\\" + kCompanionLibraryName).c_str(),
                              (*s_folder / kCompanionLibraryName).c_str(), FALSE));
    }
    static void TearDownTestSuite() { s_folder.reset(); }  // the loaded copy stays: nothing frees it

    void SetUp() override
    {
        m_journal = *s_folder / (L"journal-" + std::to_wstring(++s_journals) + L".txt");
        DeleteFileW(Ini().c_str());
        WritePrivateProfileStringW(nullptr, nullptr, nullptr, Ini().c_str());  // drop any cached copy
        Set(L"Journal", L"Path", m_journal);
        Set(L"Library", L"OpenPages", L"0");
        ASSERT_TRUE(m_library.Load(s_folder->Path()));
    }

    static CString Ini() { return *s_folder / L"QueltoFeedbackInformation.ini"; }
    static void Set(const wchar_t* section, const wchar_t* key, const CString& value)
    {
        ASSERT_TRUE(WritePrivateProfileStringW(section, key, value.c_str(), Ini().c_str()));
    }

    // The journal's lines without their time stamps, each checked for its stamp.
    std::vector<CString> Journal() const
    {
        static const std::wregex stamp(LR"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3}\t)");
        const std::string bytes = ReadBytes(m_journal);
        const CString text = WideFromCodePage(CP_UTF8, bytes.data(), static_cast<int>(bytes.size()));
        std::vector<CString> lines;
        size_t from = 0;
        for (size_t end = text.find(L"\r\n"); end != CString::npos; end = text.find(L"\r\n", from)) {
            const CString line = text.substr(from, end - from);
            EXPECT_TRUE(std::regex_search(line, stamp)) << line;
            lines.push_back(line.size() > 24 ? CString(line.substr(24)) : line);
            from = end + 2;
        }
        return lines;
    }

    int NewVersionAnswer(const CString& newest, const wchar_t* toolVersion = kToolVersion)
    {
        Set(L"Version", L"Newest", newest);
        return m_library.GetToolIsNewVersion(kToolId, toolVersion);
    }

    static std::unique_ptr<ScratchFolder> s_folder;
    static int s_journals;
    CString m_journal;
    CFeedbackLibrary m_library;
};

std::unique_ptr<ScratchFolder> FeedbackLibraryTest::s_folder;
int FeedbackLibraryTest::s_journals = 0;

TEST_F(FeedbackLibraryTest, LoadResolvesEveryExportAndInitFillsTheSixStrings)
{
    Set(L"Addresses", L"MoreTools", L"https://tools.example.org/更多工具");
    Set(L"Addresses", L"MoreSolutions", L"https://help.example.org/solutions");
    Set(L"Version", L"Newest", L"1.6");
    CDllInfoStrings info;
    EXPECT_NE(m_library.InitFreedbackDll(info.ForFilling()), 0);
    const std::pair<int, CString> kFilled[] = {
        {kInfoNewestVersion, L"1.6"}, {kInfoMoreToolsUrl, L"https://tools.example.org/更多工具"},
        {kInfoMoreSolutionsUrl, L"https://help.example.org/solutions"}, {kDllInfoCount, L""}};
    for (const auto& [index, text] : kFilled) EXPECT_EQ(info.Get(index), text) << index;
    EXPECT_FALSE(info.Get(kInfoLibraryVersion).IsEmpty());
    for (const int url : {kInfoFeedbackUrl, kInfoUseAgreementUrl}) EXPECT_EQ(info.Get(url).substr(0, 8), L"https://");

    // Filling again frees the earlier strings and takes the new ones.
    Set(L"Addresses", L"MoreTools", L"https://tools.example.org/v2");
    EXPECT_NE(m_library.InitFreedbackDll(info.ForFilling()), 0);
    EXPECT_EQ(info.Get(kInfoMoreToolsUrl), L"https://tools.example.org/v2");
}

TEST_F(FeedbackLibraryTest, JournalHoldsEachCallWithExactlyItsArguments)
{
    Set(L"Addresses", L"ToolDownload", L"https://dl.example.org/10060");
    Set(L"Addresses", L"UseAgreement", L"https://legal.example.org/agreement");

    m_library.FeedbackQuestion(kToolId, kToolVersion);
    m_library.CustomerFeedbackEx(kToolId, kToolVersion, 1, L"1765057201");
    m_library.CustomerFeedbackEx(kToolId, kToolVersion, 3, L"-2147483648");
    m_library.CustomerFeedbackEx(L"a\tb", L"c\\d", -7, L"line\r\nnext 时间");
    EXPECT_NE(m_library.OpenUrl(SysAllocString(L"https://tools.example.org/更多工具")), 0);
    m_library.OpenToolDownUrl();
    m_library.OpenUseAgreementUrl();
    // Not a web address: recorded as refused and never started.
    EXPECT_EQ(m_library.OpenUrl(SysAllocString(L"C:\\windows\\system32\\cmd.exe")), 0);

    const std::vector<CString> expected = {
        L"FeedbackQuestion\ttool=10060\tversion=1.5.21.423",
        L"CustomerFeedbackEx\ttool=10060\tversion=1.5.21.423\tanswer=1\ttime=1765057201",
        L"CustomerFeedbackEx\ttool=10060\tversion=1.5.21.423\tanswer=3\ttime=-2147483648",
        L"CustomerFeedbackEx\ttool=a\\tb\tversion=c\\\\d\tanswer=-7\ttime=line\\r\\nnext 时间",
        L"OpenUrl\turl=https://tools.example.org/更多工具\tpage=recorded",
        L"OpenToolDownUrl\turl=https://dl.example.org/10060\tpage=recorded",
        L"OpenUseAgreementUrl\turl=https://legal.example.org/agreement\tpage=recorded",
        L"OpenUrl\turl=C:\\\\windows\\\\system32\\\\cmd.exe\tpage=refused",
    };
    EXPECT_EQ(Journal(), expected);
}

TEST_F(FeedbackLibraryTest, InitResultComesFromTheSettingsAndMalformedSettingsMeanDefaults)
{
    CDllInfoStrings info;
    const std::pair<const wchar_t*, int> kResults[] = {{L"0", 0}, {L"not a number", 1}, {L"99999999999", 1}};
    for (const auto& [setting, result] : kResults) {
        Set(L"Library", L"InitResult", setting);
        EXPECT_EQ(m_library.InitFreedbackDll(info.ForFilling()), result) << setting;
    }

    // A file of garbage is no settings file: every value is the default.
    WriteBytes(Ini(), std::string("\xFF\xFE\x00garbage=\r\n[[[\r\n=\x01\x02", 20));
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, Ini().c_str());
    EXPECT_EQ(m_library.InitFreedbackDll(info.ForFilling()), 1);
    EXPECT_EQ(info.Get(kInfoNewestVersion), kToolVersion);
    EXPECT_EQ(m_library.GetToolIsNewVersion(kToolId, kToolVersion), 0);
}

TEST_F(FeedbackLibraryTest, NewerVersionIsDemandedOnlyWhenItReallyIsNewer)
{
    for (const wchar_t* newer : {L"1.5.21.424", L"1.5.22", L"1.6", L"2.0", L"2", L"1.5.21.1000", L" 1.5.22 "})
        EXPECT_EQ(NewVersionAnswer(newer), kNewerVersionRequired) << newer;
    for (const wchar_t* notNewer : {L"1.5.21.423", L"1.5.21.9", L"1.5.21", L"1.5", L"01.05.21.423", L"1.4.99.999"})
        EXPECT_NE(NewVersionAnswer(notNewer), kNewerVersionRequired) << notNewer;
    for (const wchar_t* malformed : {L"", L" ", L"abc", L"1..6", L"2.0-beta", L"-2.0", L"+2", L"2.", L".2",
                                     L"2.0.0.0.0", L"２.0", L"1,6"})
        EXPECT_NE(NewVersionAnswer(malformed), kNewerVersionRequired) << malformed;

    // A tool version that cannot be read never demands an update either.
    for (const wchar_t* tool : {L"", L"1.5.x", L"v1.5"})
        EXPECT_NE(NewVersionAnswer(L"9.9", tool), kNewerVersionRequired) << tool;
    EXPECT_NE(NewVersionAnswer(L"9.9", nullptr), kNewerVersionRequired);

    const std::vector<CString> journal = Journal();
    ASSERT_FALSE(journal.empty());
    EXPECT_EQ(journal.front(), L"GetToolIsNewVersion\ttool=10060\tversion=1.5.21.423\tnewest=1.5.21.424\tresult=3");
}

TEST(FeedbackLibraryLoad, MissingIncompleteOrNotAbsolutelyPlacedLibraryFails)
{
    // A complete library in the current directory and in a folder below it: a loader that let the
    // system search for the name would find them.
    ScratchFolder current;
    ASSERT_TRUE(CreateDirectoryW((current / L"sub").c_str(), nullptr));
    for (const CString& folder : {current.Path(), current / L"sub"})
        ASSERT_TRUE(CopyFileW((ExecutableFolder() + L"\\" + kCompanionLibraryName).c_str(),
                              (folder + L"\\" + kCompanionLibraryName).c_str(), FALSE));
    const CurrentDirectory inCurrent(current.Path());

    ScratchFolder empty;
    for (const CString& folder : {CString(), CString(L"sub"), CString(L".\\sub"), CString(L"C:sub"),
                                  CString(L"\\sub"), empty.Path(), CString(ExecutableFolder() + L"\\incomplete-companion")}) {
        CFeedbackLibrary library;
        EXPECT_FALSE(library.Load(folder)) << "folder '" << folder << "'";
        // Every entry point stays unusable, even of a library that was found but incomplete.
        EXPECT_FALSE(library.IsLoaded());
        EXPECT_EQ(library.InitFreedbackDll, nullptr);
        EXPECT_EQ(library.OpenToolDownUrl, nullptr);
    }
    EXPECT_TRUE(CFeedbackLibrary().Load(current / L"sub")) << "the same library by its absolute folder loads";
}

TEST(FeedbackTime, WholeSecondsInPlainDecimalDigits)
{
    // The last past 32 bits: 2038-01-19 03:14:08; then 2100-01-01.
    for (const long long seconds : {1765057201LL, 2147483648LL, 4102444800LL})
        EXPECT_EQ(FeedbackTimeText(seconds), std::to_wstring(seconds));

    const __time64_t before = _time64(nullptr);
    const CString now = FeedbackTimeTextNow();
    ASSERT_FALSE(now.IsEmpty());
    EXPECT_EQ(now.find_first_not_of(L"0123456789"), CString::npos) << now;
    EXPECT_GE(std::stoll(now), before);
    EXPECT_LE(std::stoll(now), _time64(nullptr));
}

// Wine cannot make junctions or symbolic links, so a file system that has them is played: the
// attributes read by handle report a reparse point at the folder (call 1) or at the file (call 2).
int g_reparseAtCall = 0;
int g_calls = 0;
BOOL WINAPI InformationWithReparsePoint(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information)
{
    const BOOL known = GetFileInformationByHandle(handle, information);
    if (++g_calls == g_reparseAtCall) information->dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    return known;
}

TEST(Journal, ReparsePointFolderOrFileIsNeverWritten)
{
    for (int reparseAt : {0, 1, 2}) {
        ScratchFolder folder;
        const CString journal = folder / L"QueltoFeedback\\journal.txt";
        g_reparseAtCall = reparseAt;
        g_calls = 0;
        Record(journal, L"FeedbackQuestion", {{L"tool", L"10060"}}, &InformationWithReparsePoint);
        EXPECT_EQ(g_calls, reparseAt == 1 ? 1 : 2) << reparseAt;
        EXPECT_EQ(FileSize(journal) > 0, reparseAt == 0) << reparseAt;
    }
}

// A page or program is opened by the desktop's shell. Where there is none (as under Wine), nothing
// is started and the caller is told so.
TEST(DesktopShell, OpensThroughTheDesktopsShellOrStartsNothing)
{
    ScratchFolder folder;
    const CString marker = folder / L"ran.txt";
    WriteBytes(folder / L"mark.bat", "@echo ran> \"%~dp0ran.txt\"\r\n");
    const ShellOpen result = OpenThroughDesktopShell(folder / L"mark.bat");
    if (result == ShellOpen::NoDesktopShell) {
        EXPECT_FALSE(WaitUntil([&] { return FileExists(marker); }, 2000)) << "started without a desktop shell";
        GTEST_SKIP() << "no desktop shell to ask here";
    }
    ASSERT_EQ(result, ShellOpen::Opened);
    EXPECT_TRUE(WaitUntil([&] { return FileExists(marker); }, 20000));
}

}  // namespace

#include "Settings.h"

#include <windows.h>
#include <shlobj.h>

#include <climits>

#include "companion/ToolIdentity.h"

namespace {

// Knowing no newer version than the tool's own, the library demands no update by default.
const wchar_t* const kDefaultNewestVersion = TOOL_VERSION;
const wchar_t kDefaultFeedbackUrl[] = L"https://www.example.com/rapimend/feedback";
const wchar_t kDefaultMoreToolsUrl[] = L"https://www.example.com/rapimend/more-tools";
const wchar_t kDefaultMoreSolutionsUrl[] = L"https://www.example.com/rapimend/more-solutions";
const wchar_t kDefaultUseAgreementUrl[] = L"https://www.example.com/rapimend/use-agreement";
const std::wstring kDefaultToolDownloadUrl = std::wstring(L"https://www.example.com/rapimend/download/") + TOOL_ID;

#if PALLUX_REFERENCE_SETTINGS_FILE
std::wstring ReadString(const std::wstring& ini, const wchar_t* section, const wchar_t* key, const wchar_t* fallback)
{
    wchar_t value[2048] = {};
    GetPrivateProfileStringW(section, key, fallback, value, 2048, ini.c_str());
    std::wstring text = value;
    return text.empty() ? std::wstring(fallback) : text;
}

int ReadInteger(const std::wstring& ini, const wchar_t* section, const wchar_t* key, int fallback)
{
    int value = 0;
    return ParseWholeInteger(ReadString(ini, section, key, L""), value) ? value : fallback;
}
#endif

// Under ProgramData; none when there is no such folder, never beside the library, whose folder is
// one that others may write.
std::wstring DefaultJournalPath()
{
    wchar_t folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_COMMON_APPDATA, FALSE)) return std::wstring();
    return std::wstring(folder) + L"\\QueltoFeedback\\journal.txt";
}

}  // namespace

bool ParseWholeInteger(const std::wstring& text, int& value)
{
    size_t i = 0;
    const size_t end = text.find_last_not_of(L" \t");
    if (end == std::wstring::npos) return false;
    while (text[i] == L' ' || text[i] == L'\t') ++i;
    bool negative = false;
    if (text[i] == L'+' || text[i] == L'-') negative = text[i++] == L'-';
    if (i > end) return false;
    long long magnitude = 0;
    for (; i <= end; ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        magnitude = magnitude * 10 + (text[i] - L'0');
        if (magnitude > INT_MAX) return false;
    }
    value = static_cast<int>(negative ? -magnitude : magnitude);
    return true;
}

std::wstring LibraryFolder()
{
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&LibraryFolder), &self);
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(self, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

LibrarySettings ReadSettings()
{
    LibrarySettings settings;
    settings.newestVersion = kDefaultNewestVersion;
    settings.feedbackUrl = kDefaultFeedbackUrl;
    settings.moreToolsUrl = kDefaultMoreToolsUrl;
    settings.moreSolutionsUrl = kDefaultMoreSolutionsUrl;
    settings.useAgreementUrl = kDefaultUseAgreementUrl;
    settings.toolDownloadUrl = kDefaultToolDownloadUrl;
    settings.journalPath = DefaultJournalPath();
#if PALLUX_REFERENCE_SETTINGS_FILE
    const std::wstring ini = LibraryFolder() + L"QueltoFeedbackInformation.ini";
    settings.initResult = ReadInteger(ini, L"Library", L"InitResult", settings.initResult);
    settings.openPages = ReadInteger(ini, L"Library", L"OpenPages", 1) != 0;
    settings.newestVersion = ReadString(ini, L"Version", L"Newest", settings.newestVersion.c_str());
    settings.feedbackUrl = ReadString(ini, L"Addresses", L"Feedback", settings.feedbackUrl.c_str());
    settings.moreToolsUrl = ReadString(ini, L"Addresses", L"MoreTools", settings.moreToolsUrl.c_str());
    settings.moreSolutionsUrl = ReadString(ini, L"Addresses", L"MoreSolutions", settings.moreSolutionsUrl.c_str());
    settings.useAgreementUrl = ReadString(ini, L"Addresses", L"UseAgreement", settings.useAgreementUrl.c_str());
    settings.toolDownloadUrl = ReadString(ini, L"Addresses", L"ToolDownload", settings.toolDownloadUrl.c_str());
    const std::wstring journalPath = ReadString(ini, L"Journal", L"Path", L"");
    if (!journalPath.empty()) settings.journalPath = journalPath;
#endif
    return settings;
}

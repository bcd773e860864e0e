// The eleven exports of the reference companion library (the .def file names them). Every call the
// tool makes is recorded in the journal; pages open in the user's default browser, started by the
// desktop's shell, unless the settings say to only record them.
#include <windows.h>

#include "DesktopShell.h"
#include "Journal.h"
#include "Settings.h"
#include "VersionCompare.h"
#include "companion/FeedbackAbi.h"

namespace {

const wchar_t kLibraryVersion[] = L"QueltoFeedbackInformation reference 1.0";

// Only web addresses are opened: a string that names a program or a file is recorded, never run.
bool IsWebAddress(const std::wstring& url)
{
    auto startsWith = [&url](const wchar_t* prefix) { return _wcsnicmp(url.c_str(), prefix, wcslen(prefix)) == 0; };
    return startsWith(L"https://") || startsWith(L"http://");
}

int OpenPage(const wchar_t* exportName, const std::wstring& url)
{
    const LibrarySettings settings = ReadSettings();
    std::wstring outcome;
    if (!IsWebAddress(url)) {
        outcome = L"refused";
    } else if (!settings.openPages) {
        outcome = L"recorded";
    } else {
        // Without a desktop shell the page stays closed: a browser started from here would run
        // with the tool's administrator rights.
        switch (OpenThroughDesktopShell(url)) {
        case ShellOpen::Opened: outcome = L"opened"; break;
        case ShellOpen::Refused: outcome = L"failed"; break;
        case ShellOpen::NoDesktopShell: outcome = L"withheld"; break;
        }
    }
    Record(settings.journalPath, exportName, {{L"url", EscapeJournalValue(url.c_str())}, {L"page", outcome}});
    return outcome == L"opened" || outcome == L"recorded";
}

BSTR Copy(const std::wstring& text)
{
    return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}

}  // namespace

extern "C" {

int QUELTO_CALL InitFreedbackDll(QueltoDllInfo* info)
{
    const LibrarySettings settings = ReadSettings();
    if (info != nullptr) {
        const std::wstring values[kDllInfoCount] = {kLibraryVersion,           settings.newestVersion,
                                                    settings.feedbackUrl,      settings.moreToolsUrl,
                                                    settings.moreSolutionsUrl, settings.useAgreementUrl};
        for (int i = 0; i < kDllInfoCount; ++i) {
            SysFreeString(info->strings[i]);
            info->strings[i] = Copy(values[i]);
        }
    }
    Record(settings.journalPath, L"InitFreedbackDll", {{L"result", std::to_wstring(settings.initResult)}});
    return settings.initResult;
}

int QUELTO_CALL FeedbackQuestion(const wchar_t* toolId, const wchar_t* toolVersion)
{
    Record(ReadSettings().journalPath, L"FeedbackQuestion",
           {{L"tool", EscapeJournalValue(toolId)}, {L"version", EscapeJournalValue(toolVersion)}});
    return 1;
}

int QUELTO_CALL OpenUrl(BSTR url)
{
    const std::wstring address = url != nullptr ? std::wstring(url, SysStringLen(url)) : std::wstring();
    SysFreeString(url);  // the caller hands the string over
    return OpenPage(L"OpenUrl", address);
}

int QUELTO_CALL GetInterNetState()
{
    return 0;
}

int QUELTO_CALL CustomerFeedback()
{
    return 0;
}

int QUELTO_CALL CustomerFeedbackEx(const wchar_t* toolId, const wchar_t* toolVersion, int answer,
                                                         const wchar_t* timeText)
{
    Record(ReadSettings().journalPath, L"CustomerFeedbackEx",
           {{L"tool", EscapeJournalValue(toolId)},
            {L"version", EscapeJournalValue(toolVersion)},
            {L"answer", std::to_wstring(answer)},
            {L"time", EscapeJournalValue(timeText)}});
    return 1;
}

int QUELTO_CALL WriteCustomerFeedbackInfoFile()
{
    return 0;
}

int QUELTO_CALL GetToolIsNewVersion(const wchar_t* toolId, const wchar_t* toolVersion)
{
    const LibrarySettings settings = ReadSettings();
    // 0: no newer version; 1: a version could not be read, so nothing is demanded; 3: update.
    // With no server to ask, the shipped library demands nothing; the test build's settings may.
    int result = 0;
#if PALLUX_REFERENCE_SETTINGS_FILE
    result = 1;
    if (toolVersion != nullptr) {
        if (const auto order = CompareVersions(settings.newestVersion, toolVersion))
            result = *order > 0 ? kNewerVersionRequired : 0;
    }
#endif
    Record(settings.journalPath, L"GetToolIsNewVersion",
           {{L"tool", EscapeJournalValue(toolId)},
            {L"version", EscapeJournalValue(toolVersion)},
            {L"newest", EscapeJournalValue(settings.newestVersion.c_str())},
            {L"result", std::to_wstring(result)}});
    return result;
}

int QUELTO_CALL GetToolIsNewVersionDown()
{
    return 0;
}

int QUELTO_CALL OpenToolDownUrl()
{
    return OpenPage(L"OpenToolDownUrl", ReadSettings().toolDownloadUrl);
}

int QUELTO_CALL OpenUseAgreementUrl()
{
    return OpenPage(L"OpenUseAgreementUrl", ReadSettings().useAgreementUrl);
}

}  // extern "C"

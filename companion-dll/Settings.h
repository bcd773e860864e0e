#pragma once
// The reference library's settings. The shipped library has fixed ones: its journal under
// ProgramData, the maker's addresses, and no newer version known. Only the build the tests use
// (PALLUX_REFERENCE_SETTINGS_FILE) reads "QueltoFeedbackInformation.ini" beside the library, again at
// every call so a change takes effect at once; a missing file, key or malformed value means the
// fixed value. A file beside a tool run as administrator must not choose where it writes or which
// page its user is sent to.
#include <string>

struct LibrarySettings {
    int initResult = 1;               // [Library] InitResult: what InitFreedbackDll returns
    bool openPages = true;            // [Library] OpenPages: 0 = only record, never open a browser
    std::wstring newestVersion;       // [Version] Newest
    std::wstring feedbackUrl;         // [Addresses] Feedback
    std::wstring moreToolsUrl;        // [Addresses] MoreTools
    std::wstring moreSolutionsUrl;    // [Addresses] MoreSolutions
    std::wstring useAgreementUrl;     // [Addresses] UseAgreement
    std::wstring toolDownloadUrl;     // [Addresses] ToolDownload
    std::wstring journalPath;         // [Journal] Path
};

LibrarySettings ReadSettings();

// The folder of this library, with a trailing backslash.
std::wstring LibraryFolder();

// A whole decimal integer with an optional sign and surrounding blanks; false for anything else.
bool ParseWholeInteger(const std::wstring& text, int& value);

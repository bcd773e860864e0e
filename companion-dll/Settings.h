#pragma once
// The reference library's settings: the optional "QueltoFeedbackInformation.ini" beside the library,
// read again at every call so a change takes effect at once. A missing file, key or malformed value
// means the default.
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

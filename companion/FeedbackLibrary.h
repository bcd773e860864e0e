#pragma once
// The companion library: loaded from the program's folder by full path, its eleven exports
// resolved in table order. It stays loaded until its owner goes (the main panel, with the window),
// so that the tool can delete it on the way out.
#include "companion/FeedbackAbi.h"
#include "framework/String.h"

class CFeedbackLibrary {
public:
    CFeedbackLibrary() = default;
    ~CFeedbackLibrary() { Unload(); }
    CFeedbackLibrary(const CFeedbackLibrary&) = delete;
    CFeedbackLibrary& operator=(const CFeedbackLibrary&) = delete;

    // Loads "QueltoFeedbackInformation.dll" from `programFolder`, an absolute folder (no trailing
    // backslash needed), and resolves every export; FALSE for an empty or relative folder, or when
    // the file or any export is missing, and then every entry point stays null.
    BOOL Load(const CString& programFolder);
    bool IsLoaded() const { return InitFreedbackDll != nullptr; }
    void Unload();

    InitFreedbackDllFn InitFreedbackDll = nullptr;
    FeedbackQuestionFn FeedbackQuestion = nullptr;
    OpenUrlFn OpenUrl = nullptr;
    GetInterNetStateFn GetInterNetState = nullptr;
    CustomerFeedbackFn CustomerFeedback = nullptr;
    CustomerFeedbackExFn CustomerFeedbackEx = nullptr;
    WriteCustomerFeedbackInfoFileFn WriteCustomerFeedbackInfoFile = nullptr;
    GetToolIsNewVersionFn GetToolIsNewVersion = nullptr;
    GetToolIsNewVersionDownFn GetToolIsNewVersionDown = nullptr;
    OpenToolDownUrlFn OpenToolDownUrl = nullptr;
    OpenUseAgreementUrlFn OpenUseAgreementUrl = nullptr;

private:
    void ClearEntryPoints();

    HMODULE m_hModule = nullptr;
};

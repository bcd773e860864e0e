#pragma once
// The companion library: loaded from the program's folder by full path, its eleven exports
// resolved in table order. Once loaded it stays loaded until the process ends.
#include "companion/FeedbackAbi.h"
#include "framework/String.h"

class CFeedbackLibrary {
public:
    // Loads "QueltoFeedbackInformation.dll" from `programFolder`, an absolute folder (no trailing
    // backslash needed), and resolves every export; FALSE for an empty or relative folder, or when
    // the file or any export is missing, and then every entry point stays null.
    BOOL Load(const CString& programFolder);
    bool IsLoaded() const { return InitFreedbackDll != nullptr; }

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

    // Never freed: the entry points above stay valid for the life of the process.
    HMODULE m_hModule = nullptr;
};

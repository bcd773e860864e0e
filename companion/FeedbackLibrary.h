#pragma once
// The companion library: loaded from the program's folder by full path, its eleven exports
// resolved in table order. Once loaded it stays until the process ends: a maker's library may still
// run a thread, a timer or a callback of its own after any call has returned, and must never be
// unmapped under it.
//
// The file is opened first and held, sharing nothing but reading, until the library is loaded, and
// judged meanwhile (companion/LibraryFile.h): nobody can change, rename or replace it between the
// checks and the load, and the load takes the held file by its final path. When the running program
// is signed, the library must carry a signature by the program's own signer: the tool runs as
// administrator from a folder others may write, and anything else there would run with its rights.
// The library's own imports come from the system folder only.
#include "companion/FeedbackAbi.h"
#include "companion/LibraryFile.h"
#include "framework/String.h"

class CFeedbackLibrary {
public:
    CFeedbackLibrary() = default;
    CFeedbackLibrary(const CFeedbackLibrary&) = delete;
    CFeedbackLibrary& operator=(const CFeedbackLibrary&) = delete;

    // Loads "QueltoFeedbackInformation.dll" from `programFolder`, an absolute folder (no trailing
    // backslash needed), and resolves every export.
    LibraryLoad Load(const CString& programFolder, FileInformationFn fileInformation = &GetFileInformationByHandle);
    bool IsLoaded() const { return InitFreedbackDll != nullptr; }
    // Why the last load failed, as the tool's log records it.
    CString LoadFailureText(LibraryLoad outcome) const;

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
    bool ResolveExports(HMODULE module);
    void ClearEntryPoints();

    LONG m_trustStatus = 0;  // the verifier's answer for a library whose signature failed
};

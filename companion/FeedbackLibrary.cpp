#include "companion/FeedbackLibrary.h"

namespace {

template <class Fn>
bool Resolve(HMODULE module, const char* name, Fn& entry)
{
    entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return entry != nullptr;
}

}  // namespace

BOOL CFeedbackLibrary::Load(const CString& programFolder)
{
    ClearEntryPoints();
    CString path = programFolder;
    if (!path.IsEmpty() && path.back() != L'\\') path += L'\\';
    path += kCompanionLibraryName;

    // A full path: no other folder is searched for a library of that name.
    m_hModule = LoadLibraryW(path.c_str());
    if (m_hModule == nullptr) return FALSE;

    // In table order; the first missing export ends the load.
    const bool complete = Resolve(m_hModule, "InitFreedbackDll", InitFreedbackDll) &&
                          Resolve(m_hModule, "FeedbackQuestion", FeedbackQuestion) &&
                          Resolve(m_hModule, "OpenUrl", OpenUrl) &&
                          Resolve(m_hModule, "GetInterNetState", GetInterNetState) &&
                          Resolve(m_hModule, "CustomerFeedback", CustomerFeedback) &&
                          Resolve(m_hModule, "CustomerFeedbackEx", CustomerFeedbackEx) &&
                          Resolve(m_hModule, "WriteCustomerFeedbackInfoFile", WriteCustomerFeedbackInfoFile) &&
                          Resolve(m_hModule, "GetToolIsNewVersion", GetToolIsNewVersion) &&
                          Resolve(m_hModule, "GetToolIsNewVersionDown", GetToolIsNewVersionDown) &&
                          Resolve(m_hModule, "OpenToolDownUrl", OpenToolDownUrl) &&
                          Resolve(m_hModule, "OpenUseAgreementUrl", OpenUseAgreementUrl);
    if (!complete) {
        ClearEntryPoints();
        return FALSE;
    }
    return TRUE;
}

void CFeedbackLibrary::ClearEntryPoints()
{
    InitFreedbackDll = nullptr;
    FeedbackQuestion = nullptr;
    OpenUrl = nullptr;
    GetInterNetState = nullptr;
    CustomerFeedback = nullptr;
    CustomerFeedbackEx = nullptr;
    WriteCustomerFeedbackInfoFile = nullptr;
    GetToolIsNewVersion = nullptr;
    GetToolIsNewVersionDown = nullptr;
    OpenToolDownUrl = nullptr;
    OpenUseAgreementUrl = nullptr;
}

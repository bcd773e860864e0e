#include "companion/FeedbackLibrary.h"

#include <utility>

#include "framework/Paths.h"

namespace {

template <class Fn>
bool Resolve(HMODULE module, const char* name, Fn& entry)
{
    entry = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    return entry != nullptr;
}

// "C:\...", "C:" (a drive's root, as a program started there gives it) or "\\server\share\...": a
// path that names one place whatever the current directory and drive are. "C:sub" does not.
bool IsAbsoluteFolder(const CString& folder)
{
    if (IsDriveRoot(folder)) return true;
    if (folder.size() < 3) return false;
    const bool drive = IsDriveRoot(folder.substr(0, 2)) && folder[2] == L'\\';
    const bool network = folder[0] == L'\\' && folder[1] == L'\\';
    return drive || network;
}

}  // namespace

BOOL CFeedbackLibrary::Load(const CString& programFolder)
{
    Unload();
    // An empty or relative folder would leave a bare or relative name for the system to search for.
    if (!IsAbsoluteFolder(programFolder)) return FALSE;
    CString path = programFolder;
    if (path.back() != L'\\') path += L'\\';
    path += kCompanionLibraryName;

    // What the library itself needs comes from its own folder or the system folder, nowhere else.
    m_hModule = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
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
        Unload();
        return FALSE;
    }
    return TRUE;
}

void CFeedbackLibrary::Unload()
{
    ClearEntryPoints();
    if (m_hModule != nullptr) FreeLibrary(std::exchange(m_hModule, nullptr));
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

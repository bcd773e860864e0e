#include "companion/FeedbackLibrary.h"

#include <cstdio>

#include "companion/FileSignature.h"
#include "framework/Handle.h"
#include "framework/Module.h"
#include "framework/Paths.h"

namespace {

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

LibraryLoad CFeedbackLibrary::Load(const CString& programFolder, FileInformationFn fileInformation)
{
    ClearEntryPoints();
    // An empty or relative folder would leave a bare or relative name for the system to search for.
    if (!IsAbsoluteFolder(programFolder)) return LibraryLoad::NotAbsolute;
    CString path = programFolder;
    if (path.back() != L'\\') path += L'\\';
    path += kCompanionLibraryName;

    // The name itself, not what a link at it leads to; a folder opens too, so that it can be told apart.
    const CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? LibraryLoad::Missing
                                                                                : LibraryLoad::Unreadable;
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!fileInformation(file.Get(), &information)) return LibraryLoad::Unreadable;
    if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return LibraryLoad::Link;
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return LibraryLoad::Folder;
    // Another name of the same file may lie in a folder its owner can still write through.
    if (information.nNumberOfLinks != 1) return LibraryLoad::Link;

    if (ProgramImageIsSigned()) {
        const LibraryLoad signer = CheckSigner(file.Get());
        if (signer != LibraryLoad::Loaded) return signer;
    }

    // The file held is the file loaded. What the library itself imports comes from the system
    // folder only: its own folder is the one others may write.
    const CString finalPath = FinalPathOf(file.Get());
    const HMODULE module =
        finalPath.IsEmpty() ? nullptr : LoadLibraryExW(finalPath.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr) return LibraryLoad::NotLoadable;
    // Never freed, also when incomplete: its DllMain has run and may have left work behind.
    if (!ResolveExports(module)) {
        ClearEntryPoints();
        return LibraryLoad::ExportMissing;
    }
    return LibraryLoad::Loaded;
}

LibraryLoad CFeedbackLibrary::CheckSigner(HANDLE file)
{
    // The program's own signer, from the program's file, held likewise. Its signature is not judged:
    // the program is already running, and what counts is who signed it.
    const CString programPath = ProgramPath();
    const CHandle program(programPath.IsEmpty() ? INVALID_HANDLE_VALUE
                                                : CreateFileW(programPath.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                              nullptr, OPEN_EXISTING, 0, nullptr));
    const FileSignature own = program ? ReadSignerCertificate(program.Get()) : FileSignature();
    if (own.status != ERROR_SUCCESS) {
        m_trustStatus = own.status;
        return LibraryLoad::ProgramUnsigned;
    }
    const FileSignature library = ReadSignerCertificate(file);
    m_trustStatus = library.status;
    if (library.status == TRUST_E_NOSIGNATURE) return LibraryLoad::Unsigned;
    if (library.status != ERROR_SUCCESS) return LibraryLoad::BadSignature;
    if (library.signer != own.signer) return LibraryLoad::OtherSigner;
    m_trustStatus = VerifySignedBy(file, own.signer);
    return m_trustStatus == ERROR_SUCCESS ? LibraryLoad::Loaded : LibraryLoad::BadSignature;
}

CString CFeedbackLibrary::LoadFailureText(LibraryLoad outcome) const
{
    wchar_t status[16] = {};
    swprintf(status, 16, L"0x%08lX", static_cast<unsigned long>(m_trustStatus));
    const CString library = CString(L"配套库 ") + kCompanionLibraryName;
    switch (outcome) {
    case LibraryLoad::Loaded: return CString();
    case LibraryLoad::NotAbsolute: return L"工具所在文件夹的路径无效，" + library + L" 未加载";
    case LibraryLoad::Missing: return L"工具所在文件夹中没有" + library;
    case LibraryLoad::Folder: return library + L" 的位置上是一个文件夹，已拒绝";
    case LibraryLoad::Link: return library + L" 是链接或有多个文件名，已拒绝";
    case LibraryLoad::Unreadable: return library + L" 无法打开（正被写入或无权访问），未加载";
    case LibraryLoad::ProgramUnsigned: return L"无法读取工具本身的签名（" + CString(status) + L"），" + library + L" 未加载";
    case LibraryLoad::Unsigned: return L"工具已签名，但" + library + L" 没有签名，已拒绝";
    case LibraryLoad::BadSignature:
        return library + L" 的签名无效（" + CString(status) + L"，例如签名后文件被改动），已拒绝";
    case LibraryLoad::OtherSigner: return library + L" 的签名者不是工具本身的签名者，已拒绝";
    case LibraryLoad::NotLoadable: return L"系统无法加载" + library;
    case LibraryLoad::ExportMissing: return library + L" 缺少导出函数";
    }
    return CString();
}

bool CFeedbackLibrary::ResolveExports(HMODULE module)
{
    // In table order; the first missing export ends the load.
    return ResolveExport(module, "InitFreedbackDll", InitFreedbackDll) &&
           ResolveExport(module, "FeedbackQuestion", FeedbackQuestion) && ResolveExport(module, "OpenUrl", OpenUrl) &&
           ResolveExport(module, "GetInterNetState", GetInterNetState) &&
           ResolveExport(module, "CustomerFeedback", CustomerFeedback) &&
           ResolveExport(module, "CustomerFeedbackEx", CustomerFeedbackEx) &&
           ResolveExport(module, "WriteCustomerFeedbackInfoFile", WriteCustomerFeedbackInfoFile) &&
           ResolveExport(module, "GetToolIsNewVersion", GetToolIsNewVersion) &&
           ResolveExport(module, "GetToolIsNewVersionDown", GetToolIsNewVersionDown) &&
           ResolveExport(module, "OpenToolDownUrl", OpenToolDownUrl) &&
           ResolveExport(module, "OpenUseAgreementUrl", OpenUseAgreementUrl);
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

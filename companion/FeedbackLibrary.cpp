#include "companion/FeedbackLibrary.h"

#include <cstdio>

#include "framework/Module.h"
#include "framework/Paths.h"

LibraryLoad CFeedbackLibrary::Load(const CString& programFolder, FileInformationFn fileInformation)
{
    ClearEntryPoints();
    // The check started with the program, when there was one for this folder; otherwise it is made now.
    std::optional<LibraryFile> started = TakeLibraryCheck(programFolder);
    const LibraryFile library = started ? std::move(*started) : CheckLibraryFile(programFolder, fileInformation);
    m_trustStatus = library.trustStatus;
    if (library.verdict != LibraryLoad::Loaded) return library.verdict;

    // The file held is the file loaded. What the library itself imports comes from the system
    // folder only: its own folder is the one others may write.
    const CString finalPath = FinalPathOf(library.file.Get());
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

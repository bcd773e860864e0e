#include "companion/LibraryFile.h"

#include <memory>

#include "companion/FeedbackAbi.h"
#include "companion/FileSignature.h"
#include "framework/Paths.h"
#include "framework/StepTimes.h"

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

// A signed program takes only a library its own signer signed, over exactly the library's bytes.
LibraryLoad CheckSigner(HANDLE file, LONG& trustStatus)
{
    // The program's own signer, from the program's file, held likewise. Its signature is not judged:
    // the program is already running, and what counts is who signed it.
    const CString programPath = ProgramPath();
    const CHandle program(programPath.IsEmpty() ? INVALID_HANDLE_VALUE
                                                : CreateFileW(programPath.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                              nullptr, OPEN_EXISTING, 0, nullptr));
    const FileSignature own = program ? ReadSignerCertificate(program.Get()) : FileSignature();
    trustStatus = own.status;
    if (own.status != ERROR_SUCCESS) return LibraryLoad::ProgramUnsigned;
    trustStatus = VerifySignedBy(file, own.signer);
    switch (trustStatus) {
    case ERROR_SUCCESS: return LibraryLoad::Loaded;
    case TRUST_E_NOSIGNATURE: return LibraryLoad::Unsigned;
    case CRYPT_E_SIGNER_NOT_FOUND: return LibraryLoad::OtherSigner;
    default: return LibraryLoad::BadSignature;
    }
}

LibraryLoad OpenAndJudge(const CString& programFolder, FileInformationFn fileInformation, LibraryFile& library)
{
    // An empty or relative folder would leave a bare or relative name for the system to search for.
    if (!IsAbsoluteFolder(programFolder)) return LibraryLoad::NotAbsolute;
    CString path = programFolder;
    if (path.back() != L'\\') path += L'\\';
    path += kCompanionLibraryName;

    // The name itself, not what a link at it leads to; a folder opens too, so that it can be told apart.
    library.file.Reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!library.file) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? LibraryLoad::Missing
                                                                                : LibraryLoad::Unreadable;
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    if (!fileInformation(library.file.Get(), &information)) return LibraryLoad::Unreadable;
    if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return LibraryLoad::Link;
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return LibraryLoad::Folder;
    // Another name of the same file may lie in a folder its owner can still write through.
    if (information.nNumberOfLinks != 1) return LibraryLoad::Link;
    return ProgramImageIsSigned() ? CheckSigner(library.file.Get(), library.trustStatus) : LibraryLoad::Loaded;
}

// The one check started early; made and taken on the program's main thread.
struct StartedCheck {
    CString folder;
    LibraryFile result;
    CHandle thread;

    ~StartedCheck()
    {
        // An early exit (a start-up check that failed before the library's) waits for the thread,
        // which writes into this object.
        if (thread) WaitForSingleObject(thread.Get(), INFINITE);
    }
    static DWORD WINAPI Run(LPVOID self)
    {
        auto* check = static_cast<StartedCheck*>(self);
        check->result = CheckLibraryFile(check->folder, &GetFileInformationByHandle);
        MarkStep("companion library judged (its own thread)");
        return 0;
    }
};
std::unique_ptr<StartedCheck> g_started;

}  // namespace

LibraryFile CheckLibraryFile(const CString& programFolder, FileInformationFn fileInformation)
{
    LibraryFile library;
    library.verdict = OpenAndJudge(programFolder, fileInformation, library);
    if (library.verdict != LibraryLoad::Loaded) library.file.Reset();
    return library;
}

void StartLibraryCheck(const CString& programFolder)
{
    if (g_started) return;
    auto check = std::make_unique<StartedCheck>();
    check->folder = programFolder;
    check->thread.Reset(CreateThread(nullptr, 0, &StartedCheck::Run, check.get(), 0, nullptr));
    // Without a thread the load judges the file itself, as it would have.
    if (check->thread) g_started = std::move(check);
}

std::optional<LibraryFile> TakeLibraryCheck(const CString& programFolder)
{
    if (!g_started || g_started->folder != programFolder) return std::nullopt;
    WaitForSingleObject(g_started->thread.Get(), INFINITE);
    g_started->thread.Reset();
    const std::unique_ptr<StartedCheck> check = std::move(g_started);
    return std::move(check->result);
}

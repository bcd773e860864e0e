#pragma once
// The companion library's file before the system maps it: opened and held, sharing nothing but
// reading, and judged. A folder, a link of any kind or a file with more than one name at the
// library's name is refused; when the running program is signed, so is a library that its signer
// did not sign. The judging may start with the program, on a thread of its own, so that the
// start-up checks find it done: the file is held from then on, and nobody can change it before it
// is loaded.
#include <optional>

#include "framework/Handle.h"
#include "framework/String.h"

// What a load came to; anything but Loaded leaves every entry point null.
enum class LibraryLoad {
    Loaded,
    NotAbsolute,     // the folder given was empty or relative
    Missing,         // no file of the name
    Folder,          // a folder at the name
    Link,            // a reparse point (a symbolic link, a junction…) or a file with more than one name
    Unreadable,      // the file could not be opened and held (in use for writing, access denied)
    ProgramUnsigned, // the program's own signer could not be read from its file
    Unsigned,        // the program is signed, the library is not
    BadSignature,    // the library's signature does not verify (changed after signing, forged)
    OtherSigner,     // the library is signed by someone else than the program
    NotLoadable,     // the system could not load it
    ExportMissing,   // loaded, but an export is missing
};

// How the loader reads a file's attributes by handle; tests play file systems Wine cannot make.
using FileInformationFn = BOOL(WINAPI*)(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);

// A library file held and judged: `verdict` Loaded means ready for the system to load.
struct LibraryFile {
    LibraryLoad verdict = LibraryLoad::Missing;
    CHandle file;
    LONG trustStatus = 0;  // the signature check's answer, for a refusal's log record
};

// Opens, holds and judges the library in `programFolder` (absolute; no trailing backslash needed).
LibraryFile CheckLibraryFile(const CString& programFolder, FileInformationFn fileInformation);

// Starts CheckLibraryFile for `programFolder` on a thread of its own; nothing while one started
// earlier waits to be taken.
void StartLibraryCheck(const CString& programFolder);
// The result of the check started for `programFolder`, once it has ended; nothing when none was.
std::optional<LibraryFile> TakeLibraryCheck(const CString& programFolder);

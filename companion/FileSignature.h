#pragma once
// Authenticode signatures as Windows checks them (WinVerifyTrust), read from an open file handle so
// that the file checked is the file held. wintrust.dll is loaded from the system folder only.
#include <windows.h>

#include <string>

#include "framework/String.h"

struct FileSignature {
    // ERROR_SUCCESS for a valid signature, TRUST_E_NOSIGNATURE for none, WinVerifyTrust's error
    // otherwise (a changed file, an expired certificate, wintrust.dll missing: TRUST_E_SYSTEM_ERROR).
    LONG status = TRUST_E_SYSTEM_ERROR;
    // The signer's certificate as encoded (DER bytes), when the signature is valid. (A byte vector
    // here meets PngResource.cpp's, built without link-time optimisation: i686's linker rejects it.)
    std::string signer;
};

// Verifies the file open as `file` (at `path`, for the verifier's messages) without any window and
// without asking the network about revocation, so that an offline computer neither waits nor fails.
FileSignature ReadFileSignature(HANDLE file, const CString& path);

// Whether the running program's image carries a certificate table: the program was signed.
bool ProgramImageIsSigned();

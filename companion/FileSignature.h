#pragma once
// Authenticode signatures of PE files, judged against one known signer, read from an open file
// handle so that the file checked is the file held. No certificate chain is built: a file counts
// only when the holder of that signer's key signed exactly its bytes, which no chain can add to,
// and a chain would hang on the computer's root certificates (an offline computer may lack the
// root, and fetching it is not allowed). The system's libraries for this are loaded from the system
// folder only.
#include <windows.h>

#include <string>

#include "framework/String.h"

struct FileSignature {
    // ERROR_SUCCESS, TRUST_E_NOSIGNATURE for none, TRUST_E_NO_SIGNER_CERT, or TRUST_E_SYSTEM_ERROR
    // when the system's libraries are missing.
    LONG status = TRUST_E_SYSTEM_ERROR;
    // The first signer's certificate as encoded (DER bytes). (A byte vector here meets
    // PngResource.cpp's, built without link-time optimisation: i686's linker rejects it.)
    std::string signer;
};

// The first signer's certificate of the signature in the file, read without judging the signature.
FileSignature ReadSignerCertificate(HANDLE file);

// ERROR_SUCCESS when the file's signature names `signer` (its certificate, DER) as its first signer,
// was made with that certificate's key and states the file's own digest. Otherwise
// TRUST_E_NOSIGNATURE without a signature, CRYPT_E_SIGNER_NOT_FOUND when another signed it,
// TRUST_E_BAD_DIGEST for a file changed after signing, or the verifier's error (NTE_BAD_SIGNATURE…)
// for a signature that key did not make.
LONG VerifySignedBy(HANDLE file, const std::string& signer);

// Whether the running program's image carries a certificate table: the program was signed.
bool ProgramImageIsSigned();

#include "companion/FileSignature.h"

// clang-format off
#include <wintrust.h>
#include <imagehlp.h>
// clang-format on

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "framework/Module.h"

namespace {

using ImageGetCertificateDataFn = BOOL(WINAPI*)(HANDLE, DWORD, LPWIN_CERTIFICATE, PDWORD);
using CryptQueryObjectFn = BOOL(WINAPI*)(DWORD, const void*, DWORD, DWORD, DWORD, DWORD*, DWORD*, DWORD*, HCERTSTORE*,
                                         HCRYPTMSG*, const void**);
using CryptMsgGetParamFn = BOOL(WINAPI*)(HCRYPTMSG, DWORD, DWORD, void*, DWORD*);
using CryptMsgControlFn = BOOL(WINAPI*)(HCRYPTMSG, DWORD, DWORD, const void*);
using CryptMsgCloseFn = BOOL(WINAPI*)(HCRYPTMSG);
using CryptDecodeObjectExFn = BOOL(WINAPI*)(DWORD, LPCSTR, const BYTE*, DWORD, DWORD, PCRYPT_DECODE_PARA, void*, DWORD*);
using CertFindCertificateInStoreFn = PCCERT_CONTEXT(WINAPI*)(HCERTSTORE, DWORD, DWORD, DWORD, const void*, PCCERT_CONTEXT);
using CertCreateCertificateContextFn = PCCERT_CONTEXT(WINAPI*)(DWORD, const BYTE*, DWORD);
using CertFreeCertificateContextFn = BOOL(WINAPI*)(PCCERT_CONTEXT);
using CertCloseStoreFn = BOOL(WINAPI*)(HCERTSTORE, DWORD);

// The certificate table (imagehlp) and the signed message in it (crypt32). Neither is among the
// libraries Windows always takes from the system folder: named here, they are looked for there and
// nowhere else, whatever the program's DLL search is. They stay for the life of the process.
struct CryptoLibraries {
    ImageGetCertificateDataFn certificateData = nullptr;
    CryptQueryObjectFn queryObject = nullptr;
    CryptMsgGetParamFn messageParameter = nullptr;
    CryptMsgControlFn messageControl = nullptr;
    CryptMsgCloseFn closeMessage = nullptr;
    CryptDecodeObjectExFn decode = nullptr;
    CertFindCertificateInStoreFn findCertificate = nullptr;
    CertCreateCertificateContextFn createCertificate = nullptr;
    CertFreeCertificateContextFn freeCertificate = nullptr;
    CertCloseStoreFn closeStore = nullptr;

    CryptoLibraries()
    {
        const HMODULE imagehlp = LoadLibraryExW(L"imagehlp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        const HMODULE crypt32 = LoadLibraryExW(L"crypt32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        complete = ResolveExport(imagehlp, "ImageGetCertificateData", certificateData) &&
                   ResolveExport(crypt32, "CryptQueryObject", queryObject) &&
                   ResolveExport(crypt32, "CryptMsgGetParam", messageParameter) &&
                   ResolveExport(crypt32, "CryptMsgControl", messageControl) &&
                   ResolveExport(crypt32, "CryptMsgClose", closeMessage) &&
                   ResolveExport(crypt32, "CryptDecodeObjectEx", decode) &&
                   ResolveExport(crypt32, "CertFindCertificateInStore", findCertificate) &&
                   ResolveExport(crypt32, "CertCreateCertificateContext", createCertificate) &&
                   ResolveExport(crypt32, "CertFreeCertificateContext", freeCertificate) &&
                   ResolveExport(crypt32, "CertCloseStore", closeStore);
    }
    bool complete = false;
};

const CryptoLibraries& TheCryptoLibraries()
{
    static const CryptoLibraries libraries;
    return libraries;
}

// A crypt32 object and the call that releases it.
template <class Object, class Release>
class CryptObject {
public:
    CryptObject(Object object, Release release) : m_object(object), m_release(release) {}
    ~CryptObject()
    {
        if (m_object != Object{}) m_release(m_object);
    }
    CryptObject(const CryptObject&) = delete;
    CryptObject& operator=(const CryptObject&) = delete;
    Object Get() const { return m_object; }

private:
    Object m_object;
    Release m_release;
};

// The first signature of a file, decoded: its message and the certificates that came with it.
struct Signature {
    const CryptoLibraries& crypto;
    HCERTSTORE store = nullptr;
    HCRYPTMSG message = nullptr;
    DWORD encoding = 0;
    LONG status = TRUST_E_SYSTEM_ERROR;

    Signature(const CryptoLibraries& libraries, HANDLE file) : crypto(libraries)
    {
        if (!crypto.complete) return;
        // The first entry of the certificate table: a header, then the signed message (PKCS #7).
        DWORD size = 0;
        crypto.certificateData(file, 0, nullptr, &size);
        std::string table(size, '\0');
        auto* entry = reinterpret_cast<WIN_CERTIFICATE*>(table.data());
        status = TRUST_E_NOSIGNATURE;
        if (size <= offsetof(WIN_CERTIFICATE, bCertificate) || !crypto.certificateData(file, 0, entry, &size) ||
            entry->wCertificateType != WIN_CERT_TYPE_PKCS_SIGNED_DATA || entry->dwLength > size ||
            entry->dwLength <= offsetof(WIN_CERTIFICATE, bCertificate))
            return;
        CERT_BLOB signedMessage{DWORD(entry->dwLength - offsetof(WIN_CERTIFICATE, bCertificate)), entry->bCertificate};
        if (crypto.queryObject(CERT_QUERY_OBJECT_BLOB, &signedMessage, CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED,
                               CERT_QUERY_FORMAT_FLAG_BINARY, 0, &encoding, nullptr, nullptr, &store, &message, nullptr))
            status = ERROR_SUCCESS;
    }
    ~Signature()
    {
        if (message != nullptr) crypto.closeMessage(message);
        if (store != nullptr) crypto.closeStore(store, 0);
    }
    Signature(const Signature&) = delete;
    Signature& operator=(const Signature&) = delete;

    // A parameter of the message as bytes; empty when it has none.
    std::string Parameter(DWORD type) const
    {
        DWORD size = 0;
        if (!crypto.messageParameter(message, type, 0, nullptr, &size) || size == 0) return {};
        std::string value(size, '\0');
        if (!crypto.messageParameter(message, type, 0, value.data(), &size)) return {};
        value.resize(size);
        return value;
    }
};

// The file's Authenticode digest as a signing tool computes it: every byte up to the certificate
// table but the header's checksum and the table's own directory entry. Every byte Windows maps is
// among them. Empty when the file is not a signed PE image laid out so.
std::string ImageDigest(HANDLE file, ALG_ID algorithm)
{
    const auto readAt = [file](ULONGLONG offset, void* buffer, DWORD size) {
        OVERLAPPED at{};
        at.Offset = DWORD(offset);
        at.OffsetHigh = DWORD(offset >> 32);
        DWORD read = 0;
        return ReadFile(file, buffer, size, &read, &at) && read == size;
    };
    LARGE_INTEGER fileSize{};
    LONG peOffset = 0;
    WORD magic = 0;
    if (!GetFileSizeEx(file, &fileSize) || !readAt(offsetof(IMAGE_DOS_HEADER, e_lfanew), &peOffset, sizeof peOffset) ||
        peOffset <= 0 || !readAt(ULONGLONG(peOffset) + 4 + sizeof(IMAGE_FILE_HEADER), &magic, sizeof magic))
        return {};
    const ULONGLONG optionalHeader = ULONGLONG(peOffset) + 4 + sizeof(IMAGE_FILE_HEADER);
    const ULONGLONG checksum = optionalHeader + offsetof(IMAGE_OPTIONAL_HEADER32, CheckSum);
    const ULONGLONG directories = optionalHeader + (magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC
                                                        ? offsetof(IMAGE_OPTIONAL_HEADER64, DataDirectory)
                                                        : offsetof(IMAGE_OPTIONAL_HEADER32, DataDirectory));
    const ULONGLONG securityEntry = directories + IMAGE_DIRECTORY_ENTRY_SECURITY * sizeof(IMAGE_DATA_DIRECTORY);
    IMAGE_DATA_DIRECTORY security{};
    if ((magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC && magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC) ||
        !readAt(securityEntry, &security, sizeof security))
        return {};
    // The table ends the file: nothing after it escapes the digest unseen.
    const ULONGLONG tableStart = security.VirtualAddress;
    if (tableStart < securityEntry + sizeof security || tableStart + security.Size != ULONGLONG(fileSize.QuadPart))
        return {};

    HCRYPTPROV provider = 0;
    if (!CryptAcquireContextW(&provider, nullptr, nullptr, PROV_RSA_AES, CRYPT_VERIFYCONTEXT)) return {};
    const CryptObject<HCRYPTPROV, void (*)(HCRYPTPROV)> providerHeld(provider, [](HCRYPTPROV p) { CryptReleaseContext(p, 0); });
    HCRYPTHASH hash = 0;
    if (!CryptCreateHash(provider, algorithm, 0, 0, &hash)) return {};
    const CryptObject<HCRYPTHASH, BOOL(WINAPI*)(HCRYPTHASH)> hashHeld(hash, &CryptDestroyHash);
    const ULONGLONG pieces[][2] = {{0, checksum}, {checksum + 4, securityEntry}, {securityEntry + sizeof security, tableStart}};
    std::string buffer(64 * 1024, '\0');
    for (const auto& piece : pieces) {
        for (ULONGLONG at = piece[0]; at < piece[1];) {
            const DWORD size = DWORD(std::min<ULONGLONG>(buffer.size(), piece[1] - at));
            if (!readAt(at, buffer.data(), size) || !CryptHashData(hash, reinterpret_cast<const BYTE*>(buffer.data()), size, 0))
                return {};
            at += size;
        }
    }
    DWORD digestSize = 0;
    if (!CryptGetHashParam(hash, HP_HASHVAL, nullptr, &digestSize, 0)) return {};
    std::string digest(digestSize, '\0');
    if (!CryptGetHashParam(hash, HP_HASHVAL, reinterpret_cast<BYTE*>(digest.data()), &digestSize, 0)) return {};
    return digest;
}

// The digest algorithms a signing tool uses today; anything else is not taken on trust.
ALG_ID DigestAlgorithm(const char* oid)
{
    if (oid == nullptr) return 0;
    if (std::strcmp(oid, szOID_NIST_sha256) == 0) return CALG_SHA_256;
    if (std::strcmp(oid, szOID_NIST_sha384) == 0) return CALG_SHA_384;
    if (std::strcmp(oid, szOID_NIST_sha512) == 0) return CALG_SHA_512;
    if (std::strcmp(oid, szOID_OIWSEC_sha1) == 0) return CALG_SHA1;
    return 0;
}

// The first signer's certificate (DER), named by issuer and serial number among the certificates
// the message carries; empty when it carries none of that name.
std::string FirstSignerOf(const Signature& signature)
{
    const std::string signerInfo = signature.Parameter(CMSG_SIGNER_CERT_INFO_PARAM);
    if (signerInfo.empty()) return {};
    const CryptObject<PCCERT_CONTEXT, CertFreeCertificateContextFn> signer(
        signature.crypto.findCertificate(signature.store, signature.encoding, 0, CERT_FIND_SUBJECT_CERT,
                                         signerInfo.data(), nullptr),
        signature.crypto.freeCertificate);
    if (signer.Get() == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(signer.Get()->pbCertEncoded), signer.Get()->cbCertEncoded);
}

LONG LastErrorOr(LONG fallback)
{
    const DWORD error = GetLastError();
    return error != 0 ? LONG(error) : fallback;
}

}  // namespace

FileSignature ReadSignerCertificate(HANDLE file)
{
    FileSignature result;
    const Signature signature(TheCryptoLibraries(), file);
    result.status = signature.status;
    if (signature.status != ERROR_SUCCESS) return result;
    result.signer = FirstSignerOf(signature);
    if (result.signer.empty()) result.status = TRUST_E_NO_SIGNER_CERT;
    return result;
}

LONG VerifySignedBy(HANDLE file, const std::string& signer)
{
    const CryptoLibraries& crypto = TheCryptoLibraries();
    const Signature signature(crypto, file);
    if (signature.status != ERROR_SUCCESS) return signature.status;
    const std::string firstSigner = FirstSignerOf(signature);
    if (firstSigner.empty()) return TRUST_E_NO_SIGNER_CERT;
    if (firstSigner != signer) return CRYPT_E_SIGNER_NOT_FOUND;
    // What was signed must be a statement of the file's digest, not some other content.
    const std::string contentType = signature.Parameter(CMSG_INNER_CONTENT_TYPE_PARAM);
    if (std::strcmp(contentType.c_str(), SPC_INDIRECT_DATA_OBJID) != 0) return TRUST_E_SUBJECT_FORM_UNKNOWN;

    // The first signer's signature checked with the given certificate's key: only its holder made it.
    const CryptObject<PCCERT_CONTEXT, CertFreeCertificateContextFn> certificate(
        crypto.createCertificate(X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(signer.data()), DWORD(signer.size())),
        crypto.freeCertificate);
    if (certificate.Get() == nullptr) return TRUST_E_NO_SIGNER_CERT;
    CMSG_CTRL_VERIFY_SIGNATURE_EX_PARA verify{sizeof verify, 0, 0, CMSG_VERIFY_SIGNER_CERT,
                                              const_cast<CERT_CONTEXT*>(certificate.Get())};
    SetLastError(0);
    if (!crypto.messageControl(signature.message, 0, CMSG_CTRL_VERIFY_SIGNATURE_EX, &verify))
        return LastErrorOr(NTE_BAD_SIGNATURE);

    // The digest so signed against the file's own.
    const std::string content = signature.Parameter(CMSG_CONTENT_PARAM);
    DWORD size = 0;
    const auto* bytes = reinterpret_cast<const BYTE*>(content.data());
    if (content.empty() ||
        !crypto.decode(signature.encoding, SPC_INDIRECT_DATA_OBJID, bytes, DWORD(content.size()), 0, nullptr, nullptr, &size))
        return TRUST_E_BAD_DIGEST;
    std::string decoded(size, '\0');
    if (!crypto.decode(signature.encoding, SPC_INDIRECT_DATA_OBJID, bytes, DWORD(content.size()), 0, nullptr,
                       decoded.data(), &size))
        return TRUST_E_BAD_DIGEST;
    const auto* statement = reinterpret_cast<const SPC_INDIRECT_DATA_CONTENT*>(decoded.data());
    const ALG_ID algorithm = DigestAlgorithm(statement->DigestAlgorithm.pszObjId);
    if (algorithm == 0) return NTE_BAD_ALGID;
    const std::string digest = ImageDigest(file, algorithm);
    const std::string stated(reinterpret_cast<const char*>(statement->Digest.pbData), statement->Digest.cbData);
    return !digest.empty() && digest == stated ? ERROR_SUCCESS : TRUST_E_BAD_DIGEST;
}

bool ProgramImageIsSigned()
{
    const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    return headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY].Size != 0;
}

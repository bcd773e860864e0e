#include "companion/FileSignature.h"

// clang-format off
#include <wintrust.h>
#include <softpub.h>
// clang-format on

#include "framework/Module.h"

namespace {

using WinVerifyTrustFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
using ProvDataFromStateDataFn = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
using ProvSignerFromChainFn = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);

// wintrust.dll is not among the libraries Windows always takes from the system folder: named
// here, it is looked for there and nowhere else, whatever the program's DLL search is. It stays
// for the life of the process.
struct WinTrust {
    WinVerifyTrustFn verify = nullptr;
    ProvDataFromStateDataFn providerData = nullptr;
    ProvSignerFromChainFn signer = nullptr;

    WinTrust()
    {
        const HMODULE module = LoadLibraryExW(L"wintrust.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module == nullptr) return;
        ResolveExport(module, "WinVerifyTrust", verify);
        ResolveExport(module, "WTHelperProvDataFromStateData", providerData);
        ResolveExport(module, "WTHelperGetProvSignerFromChain", signer);
    }
    bool IsComplete() const { return verify != nullptr && providerData != nullptr && signer != nullptr; }
};

const WinTrust& TheWinTrust()
{
    static const WinTrust winTrust;
    return winTrust;
}

// The certificate of the first signer, as encoded; empty when the verifier kept none.
std::string SignerCertificate(const WinTrust& winTrust, HANDLE state)
{
    CRYPT_PROVIDER_DATA* data = winTrust.providerData(state);
    CRYPT_PROVIDER_SGNR* signer = data != nullptr ? winTrust.signer(data, 0, FALSE, 0) : nullptr;
    if (signer == nullptr || signer->csCertChain == 0 || signer->pasCertChain == nullptr) return {};
    const CERT_CONTEXT* certificate = signer->pasCertChain[0].pCert;
    if (certificate == nullptr || certificate->pbCertEncoded == nullptr) return {};
    return std::string(reinterpret_cast<const char*>(certificate->pbCertEncoded), certificate->cbCertEncoded);
}

}  // namespace

FileSignature ReadFileSignature(HANDLE file, const CString& path)
{
    FileSignature result;
    const WinTrust& winTrust = TheWinTrust();
    if (!winTrust.IsComplete()) return result;

    WINTRUST_FILE_INFO fileInfo = {};
    fileInfo.cbStruct = sizeof fileInfo;
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    // Nothing is fetched over the network: no revocation lists, no missing certificates of the chain.
    data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const HWND noWindow = static_cast<HWND>(INVALID_HANDLE_VALUE);
    result.status = winTrust.verify(noWindow, &action, &data);
    if (result.status == ERROR_SUCCESS) {
        result.signer = SignerCertificate(winTrust, data.hWVTStateData);
        if (result.signer.empty()) result.status = TRUST_E_NO_SIGNER_CERT;
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    winTrust.verify(noWindow, &action, &data);
    return result;
}

bool ProgramImageIsSigned()
{
    const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    return headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_SECURITY].Size != 0;
}

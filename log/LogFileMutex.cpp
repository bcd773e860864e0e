#include "log/LogFileMutex.h"

#include <cstdint>
#include <cstdio>

#include "framework/PrivateNamespace.h"

namespace {

constexpr DWORD kLockWaitMs = 5000;

// A fixed-length name from the lower-cased path (object names may hold no backslash and are
// limited in length). In the tool's namespace, which copies of the tool in every session share and
// no other account can make names in.
CString MutexNameOf(const CString& fullPath)
{
    CString lower(fullPath.size(), L'\0');
    const int length =
        fullPath.empty() ? 0
                         : LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, fullPath.data(),
                                         static_cast<int>(fullPath.size()), lower.data(),
                                         static_cast<int>(lower.size()), nullptr, nullptr, 0);
    if (length > 0)
        lower.resize(static_cast<size_t>(length));
    else
        lower = fullPath;
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (wchar_t ch : lower) {
        hash = (hash ^ static_cast<std::uint16_t>(ch)) * 1099511628211ull;
    }
    wchar_t name[64];
    std::swprintf(name, 64, L"PalluxAMDFlashScreenRepair.Log.%016llx", static_cast<unsigned long long>(hash));
    return ToolObjectName(name);
}

}  // namespace

CLogFileMutex::CLogFileMutex(const CString& fullPath) : m_name(MutexNameOf(fullPath)) {}

bool CLogFileMutex::Lock()
{
    if (!m_mutex && !m_name.empty()) m_mutex.Reset(CreateMutexW(nullptr, FALSE, m_name.c_str()));
    if (!m_mutex) return false;
    const DWORD waited = WaitForSingleObject(m_mutex.Get(), kLockWaitMs);
    return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

void CLogFileMutex::Unlock()
{
    ReleaseMutex(m_mutex.Get());
}

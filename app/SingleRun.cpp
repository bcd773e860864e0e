#include "app/SingleRun.h"

namespace {
constexpr wchar_t kRunName[] = L"Global\\RapimendPalluxAMDFlashScreenRepair";
}  // namespace

bool CSingleRun::Acquire()
{
    m_mutex.Reset(CreateMutexW(nullptr, FALSE, kRunName));
    // Null with access denied: the name exists and belongs to someone else.
    if (m_mutex && GetLastError() != ERROR_ALREADY_EXISTS) return true;
    m_mutex.Close();
    return false;
}

bool HasVisibleDesktop()
{
    USEROBJECTFLAGS flags{};
    return GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, nullptr) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

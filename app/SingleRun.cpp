#include "app/SingleRun.h"

#include <atomic>

#include "framework/PrivateNamespace.h"

bool CSingleRun::Acquire()
{
    const CString name = ToolObjectName(L"RapimendPalluxAMDFlashScreenRepair");
    // Without the tool's namespace no name is safe to hold: as if another run held it.
    if (name.empty()) return false;
    m_mutex.Reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    // Null with access denied: the name exists and belongs to someone else.
    if (m_mutex && GetLastError() != ERROR_ALREADY_EXISTS) return true;
    m_mutex.Close();
    return false;
}

namespace {

bool RealSessionId(DWORD& session)
{
    return ProcessIdToSessionId(GetCurrentProcessId(), &session) != FALSE;
}

std::atomic<SessionIdQuery> g_sessionIdQuery{&RealSessionId};

}  // namespace

void SetSessionIdQuery(SessionIdQuery query)
{
    g_sessionIdQuery = query != nullptr ? query : &RealSessionId;
}

bool HasVisibleDesktop()
{
    DWORD session = 0;
    if (g_sessionIdQuery.load()(session) && session == 0) return false;
    USEROBJECTFLAGS flags{};
    return GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, nullptr) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

#include "framework/PrivateNamespace.h"

#include "framework/Module.h"

namespace {

constexpr wchar_t kBoundaryName[] = L"RapimendPalluxAMDFlashScreenRepair";
constexpr wchar_t kAliasPrefix[] = L"RapimendPalluxAMDFlashScreenRepair";

// A well-known group's SID in a buffer of its own.
struct WellKnownSid {
    explicit WellKnownSid(WELL_KNOWN_SID_TYPE type)
    {
        DWORD size = sizeof bytes;
        made = CreateWellKnownSid(type, nullptr, bytes, &size) != FALSE;
    }
    PSID Get() { return made ? bytes : nullptr; }
    BYTE bytes[SECURITY_MAX_SID_SIZE]{};
    bool made = false;
};

// A security descriptor whose DACL gives Administrators and SYSTEM full access and no one else any.
class CAdminsOnlyDescriptor {
public:
    CAdminsOnlyDescriptor()
    {
        PSID admins = m_admins.Get();
        PSID system = m_system.Get();
        m_made = admins != nullptr && system != nullptr && InitializeAcl(&m_acl.header, sizeof m_acl, ACL_REVISION) &&
                 AddAccessAllowedAce(&m_acl.header, ACL_REVISION, GENERIC_ALL, admins) &&
                 AddAccessAllowedAce(&m_acl.header, ACL_REVISION, GENERIC_ALL, system) &&
                 InitializeSecurityDescriptor(&m_descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                 SetSecurityDescriptorDacl(&m_descriptor, TRUE, &m_acl.header, FALSE);
    }
    SECURITY_ATTRIBUTES* Attributes() { return m_made ? &m_attributes : nullptr; }

private:
    WellKnownSid m_admins{WinBuiltinAdministratorsSid};
    WellKnownSid m_system{WinLocalSystemSid};
    union {
        ACL header;
        BYTE bytes[sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) + SECURITY_MAX_SID_SIZE)];
    } m_acl{};
    SECURITY_DESCRIPTOR m_descriptor{};
    SECURITY_ATTRIBUTES m_attributes{sizeof m_attributes, &m_descriptor, FALSE};
    bool m_made = false;
};

}  // namespace

PrivateNamespaceApi PrivateNamespaceApi::OfSystem()
{
    PrivateNamespaceApi api;
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (kernel == nullptr) return api;
    ResolveExport(kernel, "CreateBoundaryDescriptorW", api.createBoundary);
    ResolveExport(kernel, "AddSIDToBoundaryDescriptor", api.addSid);
    ResolveExport(kernel, "DeleteBoundaryDescriptor", api.deleteBoundary);
    ResolveExport(kernel, "CreatePrivateNamespaceW", api.createNamespace);
    ResolveExport(kernel, "OpenPrivateNamespaceW", api.openNamespace);
    ResolveExport(kernel, "ClosePrivateNamespace", api.closeNamespace);
    return api;
}

bool PrivateNamespaceApi::IsComplete() const
{
    return createBoundary != nullptr && addSid != nullptr && deleteBoundary != nullptr && createNamespace != nullptr &&
           openNamespace != nullptr && closeNamespace != nullptr;
}

CToolNamespace::CToolNamespace(const PrivateNamespaceApi& api) : m_api(api)
{
    if (!m_api.IsComplete()) return;
    // The boundary is needed only to make or open the namespace.
    struct BoundaryHold {
        const PrivateNamespaceApi& api;
        HANDLE handle;
        ~BoundaryHold()
        {
            if (handle != nullptr) api.deleteBoundary(handle);
        }
    } boundary{m_api, m_api.createBoundary(kBoundaryName, 0)};
    WellKnownSid admins(WinBuiltinAdministratorsSid);
    if (boundary.handle == nullptr || admins.Get() == nullptr || !m_api.addSid(&boundary.handle, admins.Get())) return;
    CAdminsOnlyDescriptor security;
    if (security.Attributes() == nullptr) return;
    // Another copy may have made it, or may close it between our two tries: a few rounds settle that.
    for (int round = 0; round < 3 && m_namespace == nullptr; ++round) {
        m_namespace = m_api.createNamespace(security.Attributes(), boundary.handle, kAliasPrefix);
        if (m_namespace != nullptr || GetLastError() != ERROR_ALREADY_EXISTS) break;
        m_namespace = m_api.openNamespace(boundary.handle, kAliasPrefix);
    }
}

CToolNamespace::~CToolNamespace()
{
    if (m_namespace != nullptr) m_api.closeNamespace(m_namespace, 0);
}

CString CToolNamespace::ObjectName(const wchar_t* name) const
{
    if (!m_api.IsComplete()) return CString(L"Global\\") + name;
    if (m_namespace == nullptr) return CString();
    return CString(kAliasPrefix) + L"\\" + name;
}

CString ToolObjectName(const wchar_t* name)
{
    // Never destroyed: a log record may still be written while the process ends.
    static const CToolNamespace& tool = *new CToolNamespace(PrivateNamespaceApi::OfSystem());
    return tool.ObjectName(name);
}

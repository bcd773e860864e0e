// Where the tool may start a window, and where its named objects live: what Wine cannot show
// (session 0, private namespaces) played by injected answers.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "app/SingleRun.h"
#include "framework/PrivateNamespace.h"

namespace {

TEST(StartPlace, SessionZeroIsNoVisibleDesktop)
{
    SetSessionIdQuery([](DWORD& session) { return session = 0, true; });
    EXPECT_FALSE(HasVisibleDesktop());
    SetSessionIdQuery([](DWORD& session) { return session = 1, true; });
    EXPECT_TRUE(HasVisibleDesktop());  // Wine's station is a visible one
    SetSessionIdQuery(nullptr);
}

// Private namespace functions that record what they were asked.
namespace fake {
int liveBoundaries = 0;
bool adminsInBoundary = false;
bool namespaceExists = false;
int opened = 0, closed = 0;
std::vector<std::pair<WELL_KNOWN_SID_TYPE, DWORD>> grants;

HANDLE WINAPI CreateBoundary(LPCWSTR, ULONG) { return ++liveBoundaries, reinterpret_cast<HANDLE>(0x10); }
BOOL WINAPI AddSid(HANDLE*, PSID sid) { return adminsInBoundary = IsWellKnownSid(sid, WinBuiltinAdministratorsSid), TRUE; }
VOID WINAPI DeleteBoundary(HANDLE) { --liveBoundaries; }
HANDLE WINAPI CreateNamespace(LPSECURITY_ATTRIBUTES attributes, LPVOID, LPCWSTR)
{
    BOOL present = FALSE, defaulted = FALSE;
    ACL* acl = nullptr;
    grants.clear();
    if (attributes != nullptr && GetSecurityDescriptorDacl(attributes->lpSecurityDescriptor, &present, &acl, &defaulted) &&
        present && acl != nullptr) {
        for (DWORD i = 0; i < acl->AceCount; ++i) {
            ACCESS_ALLOWED_ACE* ace = nullptr;
            if (!GetAce(acl, i, reinterpret_cast<void**>(&ace)) || ace->Header.AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
            for (WELL_KNOWN_SID_TYPE type : {WinBuiltinAdministratorsSid, WinLocalSystemSid, WinWorldSid})
                if (IsWellKnownSid(&ace->SidStart, type)) grants.emplace_back(type, ace->Mask);
        }
    }
    if (!namespaceExists) return reinterpret_cast<HANDLE>(0x20);
    SetLastError(ERROR_ALREADY_EXISTS);
    return nullptr;
}
HANDLE WINAPI OpenNamespace(LPVOID, LPCWSTR) { return ++opened, reinterpret_cast<HANDLE>(0x30); }
HANDLE WINAPI OpenNoNamespace(LPVOID, LPCWSTR) { return nullptr; }
BOOLEAN WINAPI CloseNamespace(HANDLE, ULONG) { return ++closed, TRUE; }
}  // namespace fake

TEST(ToolObjects, LiveInAnAdministratorsOnlyNamespaceWhereTheSystemHasOne)
{
    PrivateNamespaceApi api{&fake::CreateBoundary, &fake::AddSid,        &fake::DeleteBoundary,
                            &fake::CreateNamespace, &fake::OpenNamespace, &fake::CloseNamespace};
    for (bool exists : {false, true}) {
        fake::namespaceExists = exists;
        fake::opened = fake::closed = 0;
        {
            const CToolNamespace made(api);
            EXPECT_EQ(made.ObjectName(L"Run"), L"RapimendPalluxAMDFlashScreenRepair\\Run");
            EXPECT_EQ(fake::opened, exists ? 1 : 0);
        }
        EXPECT_EQ(fake::closed, 1);
        EXPECT_TRUE(fake::adminsInBoundary);
        EXPECT_EQ(fake::liveBoundaries, 0);
        const std::vector<std::pair<WELL_KNOWN_SID_TYPE, DWORD>> adminsAndSystem{
            {WinBuiltinAdministratorsSid, GENERIC_ALL}, {WinLocalSystemSid, GENERIC_ALL}};
        EXPECT_EQ(fake::grants, adminsAndSystem);
    }
    // A namespace that can be neither made nor opened gives no name at all, never a Global\ one.
    api.openNamespace = &fake::OpenNoNamespace;
    EXPECT_EQ(CToolNamespace(api).ObjectName(L"Run"), L"");
    // A system without the functions (Wine 8) keeps the machine-wide names.
    api.addSid = nullptr;
    EXPECT_EQ(CToolNamespace(api).ObjectName(L"Run"), L"Global\\Run");
}

}  // namespace

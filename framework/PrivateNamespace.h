#pragma once
// Names for the tool's kernel objects (its one run at a time, the log's locks) that no other account
// can create first: they live in a private namespace whose boundary is the Administrators group and
// which only administrators and SYSTEM may open. Where the system has no private namespaces (Wine),
// the machine-wide Global\ names stand in.
#include <windows.h>

#include "framework/String.h"

// The functions a private namespace takes, looked up at run time since not every system has them.
struct PrivateNamespaceApi {
    decltype(&CreateBoundaryDescriptorW) createBoundary = nullptr;
    decltype(&AddSIDToBoundaryDescriptor) addSid = nullptr;
    decltype(&DeleteBoundaryDescriptor) deleteBoundary = nullptr;
    decltype(&CreatePrivateNamespaceW) createNamespace = nullptr;
    decltype(&OpenPrivateNamespaceW) openNamespace = nullptr;
    decltype(&ClosePrivateNamespace) closeNamespace = nullptr;

    // The system's own, as far as it has them.
    static PrivateNamespaceApi OfSystem();
    bool IsComplete() const;
};

// The tool's namespace, made, or opened when another copy of the tool made it first.
class CToolNamespace {
public:
    explicit CToolNamespace(const PrivateNamespaceApi& api);
    ~CToolNamespace();
    CToolNamespace(const CToolNamespace&) = delete;
    CToolNamespace& operator=(const CToolNamespace&) = delete;

    // "<namespace>\<name>"; "Global\<name>" where the system has no private namespaces; empty when
    // it has them but the namespace could be neither made nor opened (the object is then not made
    // at all, rather than where others could make it first).
    CString ObjectName(const wchar_t* name) const;

private:
    PrivateNamespaceApi m_api;
    HANDLE m_namespace = nullptr;  // closed with the namespace's own function
};

// ObjectName of this process's namespace, made on first use and kept for the life of the process
// (a name in it resolves only while the process holds the namespace open).
CString ToolObjectName(const wchar_t* name);

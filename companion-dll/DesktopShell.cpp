#include "DesktopShell.h"

#include <windows.h>
#include <exdisp.h>
#include <servprov.h>
#include <shldisp.h>
#include <shlguid.h>
#include <shlobj.h>

#include <utility>

namespace {

// Sole owner of one COM interface reference.
template <class T>
class ComRef {
public:
    ComRef() = default;
    ~ComRef() { Reset(); }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    T* operator->() const { return m_p; }
    T* Get() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    // For a call that hands a new reference over.
    T** Out()
    {
        Reset();
        return &m_p;
    }
    void** OutVoid() { return reinterpret_cast<void**>(Out()); }
    void Reset()
    {
        if (m_p != nullptr) std::exchange(m_p, nullptr)->Release();
    }

private:
    T* m_p = nullptr;
};

// COM for this call on this thread; a thread that already has COM keeps it as it was.
class ComScope {
public:
    ComScope() : m_result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComScope()
    {
        if (SUCCEEDED(m_result)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    // Also usable when the thread had chosen the other threading model before.
    bool Usable() const { return SUCCEEDED(m_result) || m_result == RPC_E_CHANGED_MODE; }

private:
    HRESULT m_result;
};

// The desktop shell's automation object: its folder view's application.
bool DesktopShellDispatch(ComRef<IShellDispatch2>& shell)
{
    ComRef<IShellWindows> windows;
    if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows,
                                windows.OutVoid())))
        return false;
    VARIANT none{};
    VariantInit(&none);
    long window = 0;
    ComRef<IDispatch> desktop;
    if (windows->FindWindowSW(&none, &none, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.Out()) != S_OK ||
        !desktop)
        return false;
    ComRef<IServiceProvider> services;
    ComRef<IShellBrowser> browser;
    ComRef<IShellView> view;
    ComRef<IDispatch> background;
    ComRef<IShellFolderViewDual> folderView;
    ComRef<IDispatch> application;
    return SUCCEEDED(desktop->QueryInterface(IID_IServiceProvider, services.OutVoid())) &&
           SUCCEEDED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.OutVoid())) &&
           SUCCEEDED(browser->QueryActiveShellView(view.Out())) && view &&
           SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.OutVoid())) &&
           SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual, folderView.OutVoid())) &&
           SUCCEEDED(folderView->get_Application(application.Out())) && application &&
           SUCCEEDED(application->QueryInterface(IID_IShellDispatch2, shell.OutVoid())) && shell;
}

}  // namespace

ShellOpen OpenThroughDesktopShell(const std::wstring& target)
{
    const ComScope com;
    if (!com.Usable()) return ShellOpen::NoDesktopShell;
    ComRef<IShellDispatch2> shell;
    if (!DesktopShellDispatch(shell)) return ShellOpen::NoDesktopShell;

    BSTR file = SysAllocStringLen(target.data(), static_cast<UINT>(target.size()));
    if (file == nullptr) return ShellOpen::Refused;
    VARIANT none{};
    VariantInit(&none);
    VARIANT show{};
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    const HRESULT result = shell->ShellExecute(file, none, none, none, show);
    SysFreeString(file);
    return SUCCEEDED(result) ? ShellOpen::Opened : ShellOpen::Refused;
}

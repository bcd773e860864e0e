#pragma once
// The application object: one per program, built before WinMain, which runs InitInstance.
#include <windows.h>

#include "framework/Wnd.h"

class CWinApp {
public:
    explicit CWinApp(const wchar_t* appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // FALSE ends the program after ExitInstance; TRUE would run a message loop, which this tool
    // never needs (everything happens inside the main dialog's DoModal).
    virtual BOOL InitInstance();
    virtual int ExitInstance();
    int Run();
    // The user has accepted an immediate restart of Windows, which ends this program without its
    // usual way out: what must still happen is arranged here, just before the restart is asked for.
    virtual void BeforeSystemRestart() {}

    // Kept for the application's own record; the tool never reads or writes profile settings.
    void SetRegistryKey(const wchar_t* key);

    HINSTANCE m_hInstance = nullptr;
    CWnd* m_pMainWnd = nullptr;
    DWORD m_dwRestartManagerSupportFlags = 0;
    CString m_strRegistryKey;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

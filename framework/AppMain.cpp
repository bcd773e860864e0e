// The program's entry: the application object already exists; its InitInstance does the rest.
#include <windows.h>

#include <cstdlib>
#include <exception>

#include "framework/StepTimes.h"
#include "framework/WinApp.h"

namespace {

// Every DLL the program loads after this comes from the system folder, never from the folder the
// program was started from, where anyone could have put a DLL of the same name. The DLLs the
// program cannot count on being among the system's known DLLs (GDI+, the common controls) are
// delay-imported, so they load on first use, after this; the theme library the common controls pull
// in follows the same rule. A DLL that must come from beside the program is loaded by its full path.
//
// It runs as a static constructor of the highest priority a program may use, so before wWinMain and
// before every other static constructor: none of them can load a DLL from the program's folder.
__attribute__((constructor(101))) void LimitDllSearchToSystemFolder()
{
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace

// An exception that nothing catches ends the program as abort() does. The library's own handler
// would first print the exception's type to a console this windowed program does not have, and
// brings a C++ name demangler of some 45 KB into the program for it.
void __gnu_cxx::__verbose_terminate_handler()
{
    std::abort();
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int)
{
    MarkStep("program entered");
    CWinApp* app = AfxGetApp();
    if (app == nullptr) return 1;
    app->m_hInstance = instance;
    if (!app->InitInstance()) return app->ExitInstance();
    return app->Run();
}

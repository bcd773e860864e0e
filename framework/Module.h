#pragma once
// The module whose resources the tool's windows and images use: the program itself unless a
// caller names another (a test, say, whose resources live in its own executable or a library).
#include <windows.h>

HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE module);

// Sets `entry` to the function `module` exports as `name`, typed as the caller declares it; true
// when there is one (a null module gives none).
template <class Fn>
bool ResolveExport(HMODULE module, const char* name, Fn& entry)
{
    entry = module != nullptr ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
    return entry != nullptr;
}

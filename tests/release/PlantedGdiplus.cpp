// A stranger's gdiplus.dll, as someone might put it beside the tool: when a process loads it, it
// leaves a marker file beside itself, "gdiplus.dll.loaded".
#include <windows.h>

// What a program importing GDI+ statically needs of it to start at all.
extern "C" __declspec(dllexport) int WINAPI GdiplusStartup(ULONG_PTR* token, const void*, void*)
{
    *token = 0;
    return 1;  // GenericError: this is not GDI+
}

extern "C" __declspec(dllexport) void WINAPI GdiplusShutdown(ULONG_PTR) {}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    wchar_t marker[MAX_PATH + 8] = {};
    const DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
    if (reason == DLL_PROCESS_ATTACH && length > 0 && length < MAX_PATH)
        CloseHandle(CreateFileW(lstrcatW(marker, L".loaded"), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return TRUE;
}

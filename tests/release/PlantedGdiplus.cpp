// A stranger's gdiplus.dll, as someone might put it beside the tool: when a process loads it, it
// leaves a marker file beside itself, "gdiplus.dll.loaded", holding that process's path.
#include <windows.h>

namespace {

void LeaveMarker(HINSTANCE self)
{
    wchar_t marker[MAX_PATH + 8] = {};
    const DWORD length = GetModuleFileNameW(self, marker, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return;
    lstrcatW(marker, L".loaded");
    wchar_t loader[MAX_PATH] = {};
    const DWORD loaderLength = GetModuleFileNameW(nullptr, loader, MAX_PATH);
    HANDLE file = CreateFileW(marker, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, loader, loaderLength * sizeof(wchar_t), &written, nullptr);
    CloseHandle(file);
}

}  // namespace

// What a program importing GDI+ statically needs of it to start at all.
extern "C" __declspec(dllexport) int WINAPI GdiplusStartup(ULONG_PTR* token, const void*, void*)
{
    *token = 0;
    return 1;  // GenericError: this is not GDI+
}

extern "C" __declspec(dllexport) void WINAPI GdiplusShutdown(ULONG_PTR) {}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) LeaveMarker(self);
    return TRUE;
}

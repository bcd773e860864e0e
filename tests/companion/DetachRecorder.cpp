// Added to the reference library for the removal tests: when it leaves a process it writes how, to
// "<its folder>-detach.txt" beside that folder: "process ended" when it was still loaded as the
// process ended (lpReserved non-null), "freed" when it was freed while the process ran.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved)
{
    if (reason != DLL_PROCESS_DETACH) return TRUE;
    wchar_t record[MAX_PATH + 16] = {};
    const DWORD length = GetModuleFileNameW(self, record, MAX_PATH);
    wchar_t* slash = length > 0 && length < MAX_PATH ? wcsrchr(record, L'\\') : nullptr;
    if (slash == nullptr) return TRUE;
    lstrcpyW(slash, L"-detach.txt");
    const char* how = reserved != nullptr ? "process ended" : "freed";
    const HANDLE file = CreateFileW(record, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    if (file != INVALID_HANDLE_VALUE) {
        WriteFile(file, how, lstrlenA(how), &written, nullptr);
        CloseHandle(file);
    }
    return TRUE;
}

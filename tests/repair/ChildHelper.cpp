// A child process for the runner's tests.
//   child_helper --emit FILE   copies FILE's bytes unchanged to standard output;
//   anything else              leaves "<own path>.ran": planted under a system program's name, it
//                              proves that it was started.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// One write of the whole file, so the reader's 4095-byte reads take full chunks from it.
int Emit(const char* path)
{
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return 2;
    std::string bytes;
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.append(chunk, got);
    std::fclose(file);
    DWORD written = 0;
    const BOOL ok = WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
                              &written, nullptr);
    return ok && written == bytes.size() ? 0 : 3;
}

int LeaveMarker()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH - 8);
    if (length == 0) return 3;
    lstrcatW(path, L".ran");
    HANDLE marker = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (marker == INVALID_HANDLE_VALUE) return 4;
    CloseHandle(marker);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--emit") == 0) return Emit(argv[2]);
    return LeaveMarker();
}

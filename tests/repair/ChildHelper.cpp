// A child process for the runner's tests.
//   child_helper --emit FILE    copies FILE's bytes unchanged to standard output;
//   child_helper --sleep FILE   writes "sleeping" to standard output and its process id to FILE,
//                               then sleeps ten minutes: a child that holds the pipe and never ends;
//   child_helper --await FILE   waits (up to a minute) until FILE exists;
//   anything else               a stand-in interpreter: writes its own command line and, for a
//                               "handle=<hex>" in it, whether that handle is open here; then leaves
//                               "<own path>.ran", which proves that it was started.
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <fstream>
#include <iterator>
#include <string>

namespace {

bool WriteOut(const std::string& bytes)
{
    DWORD written = 0;
    return WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

// One write of the whole file, so the reader's 4095-byte reads take full chunks from it.
int Emit(const char* path)
{
    std::ifstream file(path, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return file.is_open() && WriteOut(bytes) ? 0 : 2;
}

int SleepHoldingThePipe(const char* pidFile)
{
    WriteOut("sleeping\r\n");
    std::ofstream(pidFile) << GetCurrentProcessId();
    Sleep(600000);
    return 0;
}

int Await(const char* path)
{
    for (int i = 0; i < 600 && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
    return 0;
}

int StandIn()
{
    const std::wstring line = GetCommandLineW();
    std::string report(WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_ACP, 0, line.c_str(), -1, report.data(), static_cast<int>(report.size()), nullptr,
                        nullptr);
    report.back() = '\r';
    report += '\n';
    const size_t at = line.find(L"handle=");
    if (at != std::wstring::npos) {
        const auto value = static_cast<ULONG_PTR>(std::wcstoull(line.c_str() + at + 7, nullptr, 16));
        DWORD flags = 0;
        report += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? "inherited\r\n" : "not inherited\r\n";
    }
    WriteOut(report);

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
    if (argc == 3 && std::strcmp(argv[1], "--sleep") == 0) return SleepHoldingThePipe(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--await") == 0) return Await(argv[2]);
    return StandIn();
}

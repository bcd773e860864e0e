// A child process for the repair tests.
//   child_helper --sleep FILE   writes "sleeping" to standard output and its process id to FILE,
//                               then sleeps ten minutes: a child that holds the pipe and never ends;
//   child_helper --await FILE   waits (up to a minute) until FILE exists;
//   child_helper --give-stdout PID  gives process PID a copy of its standard output, then sleeps
//                               ten minutes: a holder of the pipe outside the run's job;
//   anything else               a stand-in interpreter: writes its own command line and, for a
//                               "handle=<n>" in it, whether that handle is open here, then its
//                               environment, one variable a line; then leaves "<own path>.ran",
//                               which proves that it was started.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <fstream>
#include <string>

namespace {

void WriteOut(const std::string& bytes)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

int StandIn()
{
    const std::string line = GetCommandLineA();
    std::string report = line + "\r\n";
    const size_t at = line.find("handle=");
    if (at != std::string::npos) {
        const auto value = ULONG_PTR(std::stoull(line.substr(at + 7)));
        DWORD flags = 0;
        report += GetHandleInformation(HANDLE(value), &flags) ? "inherited\r\n" : "not inherited\r\n";
    }
    const LPWCH environment = GetEnvironmentStringsW();
    for (const wchar_t* variable = environment; *variable != L'\0'; variable += wcslen(variable) + 1) {
        char narrow[1024] = {};
        WideCharToMultiByte(CP_ACP, 0, variable, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
        report += std::string(narrow) + "\r\n";
    }
    FreeEnvironmentStringsW(environment);
    WriteOut(report);
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length == MAX_PATH) return 3;
    std::ofstream(std::string(path) + ".ran") << "ran";
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--sleep") == 0) {
        WriteOut("sleeping\r\n");
        std::ofstream(argv[2]) << GetCurrentProcessId();
        Sleep(600000);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--await") == 0) {
        for (int i = 0; i < 600 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(100);
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "--give-stdout") == 0) {
        const HANDLE target = OpenProcess(PROCESS_DUP_HANDLE, FALSE, std::strtoul(argv[2], nullptr, 10));
        HANDLE copy = nullptr;
        if (target == nullptr || !DuplicateHandle(GetCurrentProcess(), GetStdHandle(STD_OUTPUT_HANDLE), target, &copy,
                                                  0, FALSE, DUPLICATE_SAME_ACCESS))
            return 4;
        Sleep(600000);
        return 0;
    }
    return StandIn();
}

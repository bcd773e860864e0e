#include "repair/CommandRunner.h"

#include <cstring>
#include <string>
#include <vector>

#include "framework/Encoding.h"
#include "framework/Handle.h"

namespace {

constexpr DWORD kReadChunk = 4095;  // one byte of the 4096-byte buffer stays zero
constexpr DWORD kPauseAfterReadMs = 500;

UINT ThreadAnsiCodePage()
{
    UINT codePage = 0;
    if (GetLocaleInfoW(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                       reinterpret_cast<LPWSTR>(&codePage), sizeof codePage / sizeof(wchar_t)) &&
        codePage != 0)
        return codePage;
    return GetACP();
}

// Length of the longest prefix of `bytes` that ends on a character boundary, so a double-byte
// character split between two reads is converted whole.
size_t CompleteCharacters(UINT codePage, const std::string& bytes)
{
    size_t i = 0;
    while (i < bytes.size()) {
        if (IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[i]))) {
            if (i + 1 >= bytes.size()) break;
            i += 2;
        } else {
            ++i;
        }
    }
    return i;
}

void ReadUntilEnd(HANDLE readEnd, CString& output)
{
    const UINT codePage = ThreadAnsiCodePage();
    std::string pending;
    std::vector<char> buffer(kReadChunk + 1);
    for (;;) {
        std::fill(buffer.begin(), buffer.end(), '\0');
        DWORD got = 0;
        // Fails once every writer has gone: the interpreter and all it started have ended.
        if (!ReadFile(readEnd, buffer.data(), kReadChunk, &got, nullptr)) break;
        // A zero byte ends the text taken from this chunk.
        pending.append(buffer.data(), strnlen(buffer.data(), got));
        const size_t complete = CompleteCharacters(codePage, pending);
        output += WideFromCodePage(codePage, pending.data(), static_cast<int>(complete));
        pending.erase(0, complete);
        Sleep(kPauseAfterReadMs);
    }
    output += WideFromCodePage(codePage, pending.data(), static_cast<int>(pending.size()));
}

}  // namespace

CString SystemFolder()
{
    wchar_t folder[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return CString();
    return CString(folder, length);
}

CString SystemInterpreterPath()
{
    const CString folder = SystemFolder();
    return folder.IsEmpty() ? CString() : folder + L"\\cmd.exe";
}

BOOL ExecuteCommand(CString command, CString& output)
{
    DWORD exitCode = 0;
    return ExecuteCommand(std::move(command), output, exitCode);
}

BOOL ExecuteCommand(CString command, CString& output, DWORD& exitCode)
{
    return ExecuteCommandWith(SystemInterpreterPath(), std::move(command), output, exitCode);
}

BOOL ExecuteCommandWith(const CString& interpreterPath, CString command, CString& output, DWORD& exitCode)
{
    const CString workingFolder = SystemFolder();
    if (interpreterPath.IsEmpty() || workingFolder.IsEmpty()) return FALSE;

    // /D: no AutoRun command from the user's registry runs with the tool's rights.
    const CString commandLine = L"cmd /D /C " + command;
    if (commandLine.size() >= kCommandLineChars) return FALSE;
    std::vector<wchar_t> writableLine(kCommandLineChars, L'\0');
    std::copy(commandLine.begin(), commandLine.end(), writableLine.begin());

    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE rawRead = nullptr;
    HANDLE rawWrite = nullptr;
    if (!CreatePipe(&rawRead, &rawWrite, &inheritable, 0)) return FALSE;
    CHandle readEnd(rawRead);
    CHandle writeEnd(rawWrite);
    // Only the write end goes to the child; an inherited read end would keep the pipe open.
    if (!SetHandleInformation(readEnd.Get(), HANDLE_FLAG_INHERIT, 0)) return FALSE;

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    // The runtime's inherited-descriptor block belongs to this process, not to the child.
    startup.lpReserved = nullptr;
    startup.cbReserved2 = 0;
    startup.lpReserved2 = nullptr;
    startup.hStdOutput = writeEnd.Get();
    startup.hStdError = writeEnd.Get();
    startup.wShowWindow = SW_HIDE;
    startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;

    PROCESS_INFORMATION created{};
    if (!CreateProcessW(interpreterPath.c_str(), writableLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                        workingFolder.c_str(), &startup, &created))
        return FALSE;
    CHandle process(created.hProcess);
    CHandle thread(created.hThread);

    // Without our copy of the write end the pipe reports its end once the child's side is gone.
    writeEnd.Close();
    ReadUntilEnd(readEnd.Get(), output);
    readEnd.Close();

    WaitForSingleObject(process.Get(), INFINITE);
    DWORD code = 0;
    if (!GetExitCodeProcess(process.Get(), &code)) code = static_cast<DWORD>(-1);
    exitCode = code;
    return TRUE;
}

#include "app/ConsoleOutput.h"

#include "framework/Encoding.h"

CConsoleOutput::CConsoleOutput()
{
    // Taken before attaching, which may replace the standard handles with the console's.
    const HANDLE inherited = GetStdHandle(STD_OUTPUT_HANDLE);
    const bool usable = inherited != nullptr && inherited != INVALID_HANDLE_VALUE &&
                        GetFileType(inherited) != FILE_TYPE_UNKNOWN;
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        m_codePage = GetConsoleOutputCP();
        if (!usable)
            m_console.Reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_EXISTING, 0, nullptr));
    }
    m_output = usable ? inherited : (m_console ? m_console.Get() : nullptr);
}

void CConsoleOutput::WriteLine(const CString& text) const
{
    if (m_output == nullptr) return;
    const CString line = text + L"\r\n";
    DWORD written = 0;
    DWORD mode = 0;
    if (GetConsoleMode(m_output, &mode)) {
        WriteConsoleW(m_output, line.data(), DWORD(line.size()), &written, nullptr);
        return;
    }
    const CStringA bytes = CodePageFromWide(m_codePage, line);
    WriteFile(m_output, bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

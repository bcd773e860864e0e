#include "ToolDriver.h"

#include <tlhelp32.h>

#include <sstream>
#include <stdexcept>

namespace {

void SetScreenDpi(DWORD dpi)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
}

}  // namespace

ToolRun::ToolRun(const ToolSetup& setup)
    : m_windowsVersion(L"RapimendPalluxAMDFlashScreenRepair.exe", L"", L"Version", setup.windowsVersion)
{
    m_folder = m_scratch / setup.folderName;
    CreateDirectoryW(m_folder.c_str(), nullptr);
    const CString built = ExecutableFolder();
    if (!CopyFileW((built + L"\\" + setup.program).c_str(), (m_folder + L"\\RapimendPalluxAMDFlashScreenRepair.exe").c_str(),
                   FALSE))
        throw std::runtime_error("the built tool is missing");
    if (setup.withLibrary) {
        if (!CopyFileW((built + L"\\" + setup.library).c_str(), (m_folder + L"\\QueltoFeedbackInformation.dll").c_str(),
                       FALSE))
            throw std::runtime_error("the built companion library is missing");
        const CString settings = L"[Library]\r\nOpenPages=0\r\n" + setup.libraryKeys + L"\r\n[Journal]\r\nPath=" +
                                 JournalPath() + L"\r\n" + setup.librarySettings + L"\r\n";
        // UTF-16 with its mark, so any folder name reads back whole.
        std::string bytes = "\xFF\xFE";
        bytes.append(reinterpret_cast<const char*>(settings.data()), settings.size() * sizeof(wchar_t));
        WriteBytes(m_folder + L"\\QueltoFeedbackInformation.ini", bytes);
    }
    SetScreenDpi(setup.dpi);
    m_program = std::make_unique<CStartedProgram>(m_folder + L"\\RapimendPalluxAMDFlashScreenRepair.exe");
    if (!m_program->Started()) throw std::runtime_error("the tool did not start");
    m_processId = GetProcessId(m_program->Process());
}

ToolRun::~ToolRun()
{
    m_program.reset();
    SetScreenDpi(96);
}

HWND ToolRun::WindowWithControl(int id, DWORD timeoutMs) const
{
    HWND found = ::WindowWithControl(id, timeoutMs, m_processId);
    if (found == nullptr) return nullptr;
    WaitForInputIdle(m_program->Process(), 5000);
    Settle(found);
    return found;
}

HWND ToolRun::PromptSaying(const wchar_t* text, DWORD timeoutMs) const
{
    HWND found = nullptr;
    WaitUntil([&] {
        HWND prompt = Prompt(0);
        if (prompt != nullptr && TextOf(GetDlgItem(prompt, IDC_PROMPT_TEXT)) == text) found = prompt;
        return found != nullptr;
    }, timeoutMs);
    return found;
}

long ToolRun::CloseAsUser()
{
    HWND panel = MainPanel();
    if (panel == nullptr) return -1;
    ClickControl(panel, IDC_CLOSE);
    HWND feedback = FeedbackDialog();
    if (feedback == nullptr) return -1;
    ClickControl(feedback, IDC_FEEDBACK_CLOSE);
    return WaitForExit();
}

CHandle ToolRun::RunningChild() const
{
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        if (entry.th32ParentProcessID == m_processId && entry.th32ProcessID != m_processId)
            return CHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
    }
    return CHandle();
}

long ToolRun::WaitForExit(DWORD timeoutMs)
{
    DWORD code = 0;
    if (!m_program->WaitForExit(timeoutMs)) return -1;
    GetExitCodeProcess(m_program->Process(), &code);
    return static_cast<long>(code);
}

std::vector<std::string> ToolRun::JournalLines(const char* exportName) const
{
    std::vector<std::string> lines;
    std::istringstream journal(ReadBytes(JournalPath()));
    const std::string field = std::string("\t") + exportName + "\t";
    for (std::string line; std::getline(journal, line);)
        if ((line.substr(0, line.find_last_not_of('\r') + 1) + "\t").find(field) != std::string::npos) lines.push_back(line);
    return lines;
}

std::string JournalField(const std::string& line, const char* name)
{
    const std::string key = std::string("\t") + name + "=";
    const size_t at = line.find(key);
    if (at == std::string::npos) return std::string();
    const size_t start = at + key.size();
    return line.substr(start, line.find_first_of("\t\r", start) - start);
}

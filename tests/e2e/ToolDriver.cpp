#include "ToolDriver.h"

#include <gtest/gtest.h>

#include "framework/Encoding.h"
#include "framework/Gdi.h"

#include <winioctl.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>

namespace {

void SetScreenDpi(DWORD dpi)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", L"LogPixels", REG_DWORD, &dpi, sizeof dpi);
}

// Maps drive `letter` onto `folder`, or removes the mapping when that is null, the way Wine's own
// configuration does: through its mount manager, which keeps the prefix's drive links.
bool MapDrive(wchar_t letter, const wchar_t* folder)
{
    using ToUnix = char*(CDECL*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<ToUnix>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32"), "wine_get_unix_file_name")));
    std::unique_ptr<char, void (*)(char*)> unixPath(folder != nullptr && toUnix != nullptr ? toUnix(folder) : nullptr,
                                                    [](char* path) { HeapFree(GetProcessHeap(), 0, path); });
    if (folder != nullptr && unixPath == nullptr) return false;
    struct UnixDrive {
        ULONG size, type, fsType;
        DWORD serial;
        ULONGLONG unixDevice;
        WCHAR letter;
        USHORT mountPointOffset, deviceOffset, labelOffset;
    };
    std::string request(sizeof(UnixDrive), '\0');
    auto* drive = reinterpret_cast<UnixDrive*>(request.data());
    drive->type = folder != nullptr ? DRIVE_FIXED : DRIVE_NO_ROOT_DIR;
    drive->letter = static_cast<WCHAR>(letter | 0x20);
    if (folder != nullptr) {
        drive->mountPointOffset = static_cast<USHORT>(request.size());
        request.append(unixPath.get()).push_back('\0');
    }
    reinterpret_cast<UnixDrive*>(request.data())->size = static_cast<ULONG>(request.size());
    CHandle manager(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    const DWORD defineUnixDrive = CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
    return manager && DeviceIoControl(manager.Get(), defineUnixDrive, request.data(), static_cast<DWORD>(request.size()),
                                      nullptr, 0, nullptr, nullptr);
}

}  // namespace

ToolRun::ToolRun(const ToolSetup& setup)
    : m_windowsVersion(kTool, L"", L"Version", setup.windowsVersion)
{
    SetProcessDPIAware();  // window geometry in real pixels at any screen DPI
    SetScreenDpi(setup.dpi);
    CString program = setup.startAt;
    if (program.empty()) {
        m_folder = m_scratch / setup.folderName;
        CreateDirectoryW(m_folder.c_str(), nullptr);
        const CString built = ExecutableFolder();
        std::vector<std::pair<CString, CString>> copies = setup.besideIt;
        copies.emplace_back(setup.program, kTool);
        if (setup.withLibrary) copies.emplace_back(setup.library, kCompanion);
        for (const auto& [from, to] : copies) {
            const CString source = from.find(L':') != CString::npos ? from : CString(built + L"\\" + from);
            if (!CopyFileW(source.c_str(), (m_folder + L"\\" + to).c_str(), FALSE))
                throw std::runtime_error("a file to copy is missing");
        }
        if (setup.withLibrary) {
            const CString settings = L"[Journal]\r\nPath=" + JournalPath() + L"\r\n[Library]\r\nOpenPages=0\r\n" +
                                     setup.librarySettings + L"\r\n";
            WriteUtf16(m_folder + L"\\QueltoFeedbackInformation.ini", settings);
        }
        program = m_folder + L"\\" + kTool;
        if (setup.drive != 0) {
            if (!MapDrive(setup.drive, m_folder.c_str())) throw std::runtime_error("cannot map a drive onto the tool's folder");
            m_drive = setup.drive;
            program = CString(1, setup.drive) + L":\\" + kTool;
        }
    } else {
        m_folder = program.substr(0, program.rfind(L'\\'));
    }
    if (!setup.start) return;
    m_process = StartProgram(program);
    if (!m_process) throw std::runtime_error("the tool did not start");
    m_processId = GetProcessId(m_process.Get());
}

long ToolRun::RunCommandLine(const CString& arguments, std::string* output) const
{
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    // Room for all the tool writes, so it never waits for this side to read.
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 1 << 16)) return -1;
    const CHandle reader(readEnd);
    CHandle writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    const CHandle process = StartProgram(m_folder + L"\\" + kTool, arguments, writer.Get());
    writer.Close();
    const long exitCode = process ? ExitCodeWithin(process, kRepairWaitMs) : -1;
    if (output != nullptr) *output = ReadAll(reader.Get());
    return exitCode;
}

ToolRun::~ToolRun()
{
    End();
    if (m_drive != 0) MapDrive(m_drive, nullptr);
    SetScreenDpi(96);
}

void ToolRun::End()
{
    if (!m_process) return;
    TerminateProcess(m_process.Get(), 1);
    WaitForSingleObject(m_process.Get(), 10000);
}

HWND ToolRun::Window(const std::function<bool(HWND)>& matches, DWORD timeoutMs) const
{
    HWND found = nullptr;
    // A tool that has ended shows nothing more.
    WaitUntil([&] {
        for (HWND window : VisibleWindows(m_processId))
            if (found == nullptr && matches(window)) found = window;
        return found != nullptr || WaitForSingleObject(m_process.Get(), 0) == WAIT_OBJECT_0;
    }, timeoutMs);
    if (found == nullptr) return nullptr;
    WaitForInputIdle(m_process.Get(), 5000);
    Settle(found);
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

std::vector<PROCESSENTRY32W> ToolRun::StartedSince() const
{
    // Wine hands out process ids again at once, so a parent id alone may name an older process's
    // child (the desktop's explorer, say): only processes started after the tool count.
    std::vector<PROCESSENTRY32W> started;
    CHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    FILETIME toolStarted{}, startedAt{}, unused{};
    GetProcessTimes(m_process.Get(), &toolStarted, &unused, &unused, &unused);
    for (BOOL more = snapshot && Process32FirstW(snapshot.Get(), &entry); more;
         more = Process32NextW(snapshot.Get(), &entry)) {
        CHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, entry.th32ProcessID));
        if (process && GetProcessTimes(process.Get(), &startedAt, &unused, &unused, &unused) &&
            CompareFileTime(&startedAt, &toolStarted) > 0)
            started.push_back(entry);
    }
    return started;
}

CHandle ToolRun::RunningChild() const
{
    for (const PROCESSENTRY32W& process : StartedSince())
        if (process.th32ParentProcessID == m_processId)
            if (CHandle child{OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.th32ProcessID)})
                return child;
    return CHandle();
}

HWND ToolRun::AnswerTo(HWND confirm, const wchar_t* expected, bool again) const
{
    const size_t logBefore = ToolLog().size();
    MarkAdapterKey();
    if (!WaitUntil([&] { return !IsWindowVisible(confirm); }, 5000)) {
        ADD_FAILURE() << "the confirmation stayed: the click or key on 确认 did not arrive";
        return nullptr;
    }
    HWND answer = Window([](HWND window) { return GetDlgItem(window, IDC_PROMPT_TEXT) != nullptr; }, kRepairWaitMs);
    const CString said = TextOf(GetDlgItem(answer, IDC_PROMPT_TEXT));
    if (answer != nullptr && said == expected) return answer;
    if (answer != nullptr && said == kFailedText && CString(expected) == kRestartQuestion && again && !AdapterKeyMarked()) {
        // Not the tool's doing: the notice is answered and the repair asked for again.
        std::cout << "note: Wine rebuilt the display adapters' keys during the repair; repairing again\n";
        ClickControl(answer, IDC_PROMPT_OK);
        WaitUntil([&] { return !IsWindow(answer) || !IsWindowVisible(answer); });
        return ConfirmedRepair(MainPanel(), false);
    }
    if (answer != nullptr) {
        // A question is answered 否, never 是 (a restart); a notice's record is written once it is answered.
        ClickControl(answer, IsWindowVisible(GetDlgItem(answer, IDC_PROMPT_CANCEL)) ? IDC_PROMPT_CANCEL : IDC_PROMPT_OK);
        std::string log;
        WaitUntil([&] { return (log = ToolLog()).size() > logBefore; }, 5000);
        log.erase(0, std::min(logBefore, log.size()));
        ADD_FAILURE() << "instead of \"" << CString(expected) << "\" the tool said \"" << said
                      << "\"; its log since the confirmation: " << WideFromCodePage(936, log.data(), int(log.size()));
    } else {
        std::ostringstream screen;
        for (HWND window : VisibleWindows(m_processId))
            screen << " [" << TextOf(window) << ": " << TextOf(GetDlgItem(window, IDC_STATE_TEXT)) << "]";
        std::ostringstream started;
        for (const PROCESSENTRY32W& process : StartedSince())
            started << " " << CString(process.szExeFile) << " (" << process.th32ProcessID << ", of "
                    << process.th32ParentProcessID << ")";
        ADD_FAILURE() << "no answer within " << kRepairWaitMs / 1000 << " s (exit code " << WaitForExit(0)
                      << ", -1: still running); on screen:" << screen.str() << "; the processes started since the tool ("
                      << m_processId << "):" << started.str() << "; the registry value " << RepairValue();
    }
    return nullptr;
}

HWND ToolRun::ConfirmedRepair(HWND panel, bool again) const
{
    ClickControl(panel, IDC_REPAIR);
    if (HWND confirm = PromptSaying(kConfirmText)) {
        ClickControl(confirm, IDC_PROMPT_OK);
        return AnswerTo(confirm, kRestartQuestion, again);
    }
    ADD_FAILURE() << "no confirmation after the click on 一键修复";
    return nullptr;
}

long ToolRun::WaitForExit(DWORD timeoutMs) const
{
    DWORD code = 0;
    if (WaitForSingleObject(m_process.Get(), timeoutMs) != WAIT_OBJECT_0) return -1;
    GetExitCodeProcess(m_process.Get(), &code);
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

SIZE TextExtent(const wchar_t* text, DWORD dpi, int wrapWidth)
{
    CFont font(CreateFontW(-MulDiv(10, static_cast<int>(dpi), 72), 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE,
                           GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, FF_DONTCARE,
                           L"宋体"));
    CClientDC screen(nullptr);
    CSelectObject select(screen.GetSafeHdc(), font.Get());
    RECT room{0, 0, wrapWidth, 0};
    const UINT layout = wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE;
    DrawTextW(screen.GetSafeHdc(), text, -1, &room, DT_CALCRECT | DT_NOPREFIX | layout);
    return SIZE{room.right - room.left, room.bottom - room.top};
}

bool FocusComesTo(HWND dialog, int id)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    return WaitUntil([&] { return GetGUIThreadInfo(thread, &info) && info.hwndFocus == GetDlgItem(dialog, id); }, 3000);
}

std::string JournalField(const std::string& line, const char* name)
{
    const std::string key = std::string("\t") + name + "=";
    const size_t at = line.find(key);
    if (at == std::string::npos) return std::string();
    const size_t start = at + key.size();
    return line.substr(start, line.find_first_of("\t\r", start) - start);
}

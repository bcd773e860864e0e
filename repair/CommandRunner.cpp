#include "repair/CommandRunner.h"

#include <cstring>
#include <string>
#include <vector>

#include "framework/Encoding.h"
#include "framework/Handle.h"

namespace {

constexpr DWORD kReadChunk = 4095;  // one byte of the 4096-byte buffer stays zero
constexpr DWORD kPauseAfterReadMs = 500;
// The exit code of processes ended with their run's job.
constexpr UINT kEndedWithRun = 1;

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
        // Fails once every writer has gone, which the end of the run's job guarantees.
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

// A job that ends every process in it when its last handle closes, so no exit path leaves any of
// the command's processes behind.
CHandle MakeRunJob()
{
    CHandle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (job && !SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits))
        job.Close();
    return job;
}

// Attributes that let the child inherit exactly one handle, however many inheritable handles other
// parts of the process hold.
class InheritOnly {
public:
    explicit InheritOnly(HANDLE handle) : m_handle(handle)
    {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        m_storage.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_storage.data());
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) return;
        m_list = list;
        if (!UpdateProcThreadAttribute(m_list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &m_handle, sizeof m_handle,
                                       nullptr, nullptr))
            Release();
    }
    ~InheritOnly() { Release(); }
    InheritOnly(const InheritOnly&) = delete;
    InheritOnly& operator=(const InheritOnly&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST List() const { return m_list; }

private:
    void Release()
    {
        if (m_list != nullptr) DeleteProcThreadAttributeList(m_list);
        m_list = nullptr;
    }

    HANDLE m_handle;
    std::vector<char> m_storage;
    LPPROC_THREAD_ATTRIBUTE_LIST m_list = nullptr;
};

// Waits on its own thread for the interpreter, at most the run's limit, then ends the run's job:
// the processes the command left behind go with it, and with them every holder of the pipe's
// write end, so the read on the calling thread ends however the run went.
struct RunWatch {
    HANDLE interpreter;
    HANDLE job;
    DWORD limitMs;
    bool timedOut = false;

    static DWORD WINAPI Run(LPVOID param)
    {
        auto* watch = static_cast<RunWatch*>(param);
        watch->timedOut = WaitForSingleObject(watch->interpreter, watch->limitMs) != WAIT_OBJECT_0;
        TerminateJobObject(watch->job, kEndedWithRun);
        return 0;
    }
};

}  // namespace

BOOL ExecuteCommand(CString command, CString& output)
{
    DWORD exitCode = 0;
    return RunCommand(std::move(command), output, exitCode) == CommandEnd::Exited;
}

CommandEnd RunCommand(CString command, CString& output, DWORD& exitCode, const CommandRunnerSetup& setup)
{
    const CString workingFolder = SystemFolder();
    if (setup.interpreterPath.IsEmpty() || workingFolder.IsEmpty()) return CommandEnd::NotStarted;

    // /D: no AutoRun command from the user's registry runs with the tool's rights. /S with the
    // whole command in quotes: the interpreter drops exactly those two quotes and no others.
    const CString commandLine = L"cmd /D /S /C \"" + command + L"\"";
    if (commandLine.size() >= kCommandLineChars) return CommandEnd::NotStarted;
    std::vector<wchar_t> writableLine(kCommandLineChars, L'\0');
    std::copy(commandLine.begin(), commandLine.end(), writableLine.begin());

    const CHandle job = MakeRunJob();
    if (!job) return CommandEnd::NotStarted;

    HANDLE rawRead = nullptr;
    HANDLE rawWrite = nullptr;
    if (!CreatePipe(&rawRead, &rawWrite, nullptr, 0)) return CommandEnd::NotStarted;
    CHandle readEnd(rawRead);
    CHandle writeEnd(rawWrite);
    // The handle list names it, and only inheritable handles may be named.
    if (!SetHandleInformation(writeEnd.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) return CommandEnd::NotStarted;
    const InheritOnly inherit(writeEnd.Get());
    if (inherit.List() == nullptr) return CommandEnd::NotStarted;

    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    startup.StartupInfo.hStdOutput = writeEnd.Get();
    startup.StartupInfo.hStdError = writeEnd.Get();
    startup.StartupInfo.hStdInput = nullptr;  // the command is asked nothing
    startup.StartupInfo.wShowWindow = SW_HIDE;
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    startup.lpAttributeList = inherit.List();

    // Suspended until it is in the job, so everything it starts is in the job too.
    PROCESS_INFORMATION created{};
    if (!CreateProcessW(setup.interpreterPath.c_str(), writableLine.data(), nullptr, nullptr, TRUE,
                        CREATE_NO_WINDOW | CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT, nullptr,
                        workingFolder.c_str(), &startup.StartupInfo, &created))
        return CommandEnd::NotStarted;
    const CHandle interpreter(created.hProcess);
    const CHandle mainThread(created.hThread);
    // Without our copy of the write end the pipe reports its end once the child's side is gone.
    writeEnd.Close();
    if (!AssignProcessToJobObject(job.Get(), interpreter.Get())) {
        TerminateProcess(interpreter.Get(), kEndedWithRun);
        return CommandEnd::NotStarted;
    }

    RunWatch watch{interpreter.Get(), job.Get(), setup.timeLimitMs};
    const CHandle watcher(CreateThread(nullptr, 0, &RunWatch::Run, &watch, 0, nullptr));
    if (!watcher || ResumeThread(mainThread.Get()) == static_cast<DWORD>(-1)) {
        TerminateJobObject(job.Get(), kEndedWithRun);
        if (watcher) WaitForSingleObject(watcher.Get(), INFINITE);  // ends at once: the interpreter is gone
        return CommandEnd::NotStarted;
    }

    ReadUntilEnd(readEnd.Get(), output);
    // Ends within the limit: its own wait is bounded.
    WaitForSingleObject(watcher.Get(), INFINITE);
    if (watch.timedOut) return CommandEnd::TimedOut;
    DWORD code = 0;
    if (!GetExitCodeProcess(interpreter.Get(), &code)) return CommandEnd::NotStarted;
    exitCode = code;
    return CommandEnd::Exited;
}

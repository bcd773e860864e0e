#include "repair/CommandRunner.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "framework/ChildEnvironment.h"
#include "framework/Encoding.h"
#include "framework/Handle.h"

namespace {

constexpr DWORD kReadChunk = 4095;  // one byte of the 4096-byte buffer stays zero
constexpr DWORD kPauseAfterReadMs = 500;
// How often the pipe is looked at while nothing is in it.
constexpr DWORD kPollMs = 20;
// Before the second and the third attempt of a start that failed.
constexpr DWORD kRetryPausesMs[kStartAttempts - 1] = {250, 1000};
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

// Reads until every writer has gone, or at the latest kPipeGraceMs after `watcher` ended the run's
// job: then only a process outside the job (a write end duplicated out, something started through a
// service) can still hold the pipe, and it must not keep the run open.
void ReadUntilEnd(HANDLE readEnd, HANDLE watcher, CString& output)
{
    const UINT codePage = ThreadAnsiCodePage();
    std::string pending;
    std::vector<char> buffer(kReadChunk + 1);
    ULONGLONG giveUpAt = 0;
    for (;;) {
        if (giveUpAt == 0 && WaitForSingleObject(watcher, 0) == WAIT_OBJECT_0)
            giveUpAt = GetTickCount64() + kPipeGraceMs;
        if (giveUpAt != 0 && GetTickCount64() >= giveUpAt) break;
        DWORD available = 0;
        // Fails once every writer has gone and everything written was read.
        if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) break;
        if (available == 0) {
            if (giveUpAt == 0) WaitForSingleObject(watcher, kPollMs);
            else Sleep(kPollMs);
            continue;
        }
        std::fill(buffer.begin(), buffer.end(), '\0');
        DWORD got = 0;
        if (!ReadFile(readEnd, buffer.data(), std::min(available, kReadChunk), &got, nullptr)) break;
        // A zero byte ends the text taken from this chunk.
        pending.append(buffer.data(), strnlen(buffer.data(), got));
        const size_t complete = CompleteCharacters(codePage, pending);
        output += WideFromCodePage(codePage, pending.data(), static_cast<int>(complete));
        pending.erase(0, complete);
        // Once the job has ended nothing in it writes any more: what is left is read at once.
        if (giveUpAt == 0) Sleep(kPauseAfterReadMs);
    }
    output += WideFromCodePage(codePage, pending.data(), static_cast<int>(pending.size()));
}

// Errors a second attempt cannot get past: the program is missing or is none, or a policy blocks it.
bool CannotPass(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
    case ERROR_FILENAME_EXCED_RANGE:
    case ERROR_ACCESS_DISABLED_BY_POLICY:
        return true;
    default:
        return false;
    }
}

// One attempt's calls. Each is made through Call, which keeps the first that failed with the error
// it left, taken before any other call can change it; the setup's test hook refuses a call there
// without making it.
class Attempt {
public:
    Attempt(const CommandRunnerSetup& setup, int number) : m_setup(setup), m_number(number) {}

    // Makes `call` (which says whether it succeeded) unless the test hook refuses `step`.
    template <class Action>
    bool Call(const wchar_t* step, Action&& call)
    {
        if (m_setup.failAt != nullptr && m_number <= m_setup.failingAttempts && std::wcscmp(m_setup.failAt, step) == 0)
            return Failed(step, m_setup.failError);
        return call() || Failed(step, GetLastError());
    }
    const RunFailure& Failure() const { return m_failure; }

private:
    bool Failed(const wchar_t* step, DWORD error)
    {
        if (m_failure.step == nullptr) m_failure = {step, error};
        return false;
    }

    const CommandRunnerSetup& m_setup;
    int m_number;
    RunFailure m_failure;
};

// A job that ends every process in it when its last handle closes, so no exit path leaves any of
// the command's processes behind.
CHandle MakeRunJob(Attempt& attempt)
{
    CHandle job;
    if (!attempt.Call(L"CreateJobObjectW", [&] {
            job.Reset(CreateJobObjectW(nullptr, nullptr));
            return job.IsValid();
        }))
        return CHandle();
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!attempt.Call(L"SetInformationJobObject", [&] {
            return SetInformationJobObject(job.Get(), JobObjectExtendedLimitInformation, &limits, sizeof limits) !=
                   FALSE;
        }))
        return CHandle();
    return job;
}

// Attributes that let the child inherit exactly one handle, however many inheritable handles other
// parts of the process hold.
class InheritOnly {
public:
    InheritOnly(HANDLE handle, Attempt& attempt) : m_handle(handle)
    {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        m_storage.resize(size);
        auto* list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(m_storage.data());
        if (!attempt.Call(L"InitializeProcThreadAttributeList",
                          [&] { return InitializeProcThreadAttributeList(list, 1, 0, &size) != FALSE; }))
            return;
        m_list = list;
        if (!attempt.Call(L"UpdateProcThreadAttribute", [&] {
                return UpdateProcThreadAttribute(m_list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &m_handle,
                                                 sizeof m_handle, nullptr, nullptr) != FALSE;
            }))
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

// The file name of each process in `job`, "cmd.exe、reg.exe"; `fallback` when the job cannot say.
CString ProgramsIn(HANDLE job, const CString& fallback)
{
    constexpr DWORD kMostListed = 32;
    std::vector<BYTE> storage(sizeof(JOBOBJECT_BASIC_PROCESS_ID_LIST) + kMostListed * sizeof(ULONG_PTR));
    auto* list = reinterpret_cast<JOBOBJECT_BASIC_PROCESS_ID_LIST*>(storage.data());
    list->NumberOfAssignedProcesses = kMostListed;
    // ERROR_MORE_DATA still fills the list as far as it reaches.
    if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, list, DWORD(storage.size()), nullptr) &&
        GetLastError() != ERROR_MORE_DATA)
        return fallback;
    CString names;
    for (DWORD i = 0; i < std::min<DWORD>(list->NumberOfProcessIdsInList, kMostListed); ++i) {
        const CHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, DWORD(list->ProcessIdList[i])));
        wchar_t path[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        CString name = L"进程 " + std::to_wstring(list->ProcessIdList[i]);
        if (process && QueryFullProcessImageNameW(process.Get(), 0, path, &length))
            name = CString(path, length).substr(CString(path, length).find_last_of(L'\\') + 1);
        names += (names.IsEmpty() ? L"" : L"、") + name;
    }
    return names.IsEmpty() ? fallback : names;
}

// Waits on its own thread for the interpreter, at most the run's limit, then ends the run's job:
// the processes the command left behind go with it, and with them every holder of the pipe's
// write end inside the job. What ran past the limit is named first.
struct RunWatch {
    HANDLE interpreter;
    HANDLE job;
    DWORD limitMs;
    CString interpreterName;
    bool timedOut = false;
    CString stillRunning;

    static DWORD WINAPI Run(LPVOID param)
    {
        auto* watch = static_cast<RunWatch*>(param);
        watch->timedOut = WaitForSingleObject(watch->interpreter, watch->limitMs) != WAIT_OBJECT_0;
        if (watch->timedOut) watch->stillRunning = ProgramsIn(watch->job, watch->interpreterName);
        TerminateJobObject(watch->job, kEndedWithRun);
        return 0;
    }
};

CommandRun NotStarted(const RunFailure& failure)
{
    CommandRun run;
    run.failure = failure;
    return run;
}

// One start of the interpreter and, when it started, the whole run. `line` is the writable
// command line CreateProcessW may change.
CommandRun RunOnce(std::vector<wchar_t> line, const CString& environment, const CommandRunnerSetup& setup,
                   int number, CString& output)
{
    Attempt attempt(setup, number);
    const CHandle job = MakeRunJob(attempt);
    if (!job) return NotStarted(attempt.Failure());

    HANDLE rawRead = nullptr;
    HANDLE rawWrite = nullptr;
    const bool piped =
        attempt.Call(L"CreatePipe", [&] { return CreatePipe(&rawRead, &rawWrite, nullptr, 0) != FALSE; });
    CHandle readEnd(rawRead);
    CHandle writeEnd(rawWrite);
    if (!piped) return NotStarted(attempt.Failure());
    // The handle list names it, and only inheritable handles may be named.
    if (!attempt.Call(L"SetHandleInformation", [&] {
            return SetHandleInformation(writeEnd.Get(), HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT) != FALSE;
        }))
        return NotStarted(attempt.Failure());
    const InheritOnly inherit(writeEnd.Get(), attempt);
    if (inherit.List() == nullptr) return NotStarted(attempt.Failure());

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
    const CString workingFolder = SystemFolder();
    if (!attempt.Call(L"CreateProcessW", [&] {
            return CreateProcessW(setup.interpreterPath.c_str(), line.data(), nullptr, nullptr, TRUE,
                                  CREATE_NO_WINDOW | CREATE_SUSPENDED | CREATE_UNICODE_ENVIRONMENT |
                                      EXTENDED_STARTUPINFO_PRESENT,
                                  const_cast<wchar_t*>(environment.c_str()), workingFolder.c_str(),
                                  &startup.StartupInfo, &created) != FALSE;
        }))
        return NotStarted(attempt.Failure());
    const CHandle interpreter(created.hProcess);
    const CHandle mainThread(created.hThread);
    // Without our copy of the write end the pipe reports its end once the child's side is gone.
    writeEnd.Close();
    if (!attempt.Call(L"AssignProcessToJobObject",
                      [&] { return AssignProcessToJobObject(job.Get(), interpreter.Get()) != FALSE; })) {
        TerminateProcess(interpreter.Get(), kEndedWithRun);
        return NotStarted(attempt.Failure());
    }

    const CString& path = setup.interpreterPath;
    RunWatch watch{interpreter.Get(), job.Get(), setup.timeLimitMs, path.substr(path.find_last_of(L'\\') + 1),
                   false, {}};
    CHandle watcher;
    if (!attempt.Call(L"CreateThread",
                      [&] {
                          watcher.Reset(CreateThread(nullptr, 0, &RunWatch::Run, &watch, 0, nullptr));
                          return watcher.IsValid();
                      }) ||
        !attempt.Call(L"ResumeThread", [&] { return ResumeThread(mainThread.Get()) != static_cast<DWORD>(-1); })) {
        TerminateJobObject(job.Get(), kEndedWithRun);
        if (watcher) WaitForSingleObject(watcher.Get(), INFINITE);  // ends at once: the interpreter is gone
        return NotStarted(attempt.Failure());
    }

    ReadUntilEnd(readEnd.Get(), watcher.Get(), output);
    // Ends within the limit: its own wait is bounded.
    WaitForSingleObject(watcher.Get(), INFINITE);
    CommandRun run;
    if (watch.timedOut) {
        run.end = CommandEnd::TimedOut;
        run.stillRunning = watch.stillRunning;
        return run;
    }
    DWORD code = 0;
    if (!attempt.Call(L"GetExitCodeProcess", [&] { return GetExitCodeProcess(interpreter.Get(), &code) != FALSE; })) {
        run.end = CommandEnd::ExitCodeUnread;
        run.failure = attempt.Failure();
        return run;
    }
    run.end = CommandEnd::Exited;
    run.exitCode = code;
    return run;
}

}  // namespace

BOOL ExecuteCommand(CString command, CString& output)
{
    return RunCommand(command, output).end == CommandEnd::Exited;
}

CommandRun RunCommand(const CString& command, CString& output, const CommandRunnerSetup& setup)
{
    const CString environment = MinimalChildEnvironment();
    if (setup.interpreterPath.IsEmpty() || environment.IsEmpty())
        return NotStarted({L"GetSystemDirectoryW", GetLastError()});

    // /D: no AutoRun command from the user's registry runs with the tool's rights. /S with the
    // whole command in quotes: the interpreter drops exactly those two quotes and no others.
    const CString commandLine = L"cmd /D /S /C \"" + command + L"\"";
    if (commandLine.size() >= kCommandLineChars)
        return NotStarted({L"命令行长度检查", ERROR_FILENAME_EXCED_RANGE});
    std::vector<wchar_t> line(kCommandLineChars, L'\0');
    std::copy(commandLine.begin(), commandLine.end(), line.begin());

    // Nothing ran before the interpreter was resumed, so a failed start is safe to repeat: Wine's
    // fresh processes sometimes die in their own start, and on Windows a scan or a short shortage
    // of resources does the same.
    std::vector<RunFailure> failedAttempts;
    for (int number = 1;; ++number) {
        CommandRun run = RunOnce(line, environment, setup, number, output);
        if (run.end != CommandEnd::NotStarted || number == kStartAttempts || CannotPass(run.failure.error)) {
            run.failedAttempts = std::move(failedAttempts);
            return run;
        }
        failedAttempts.push_back(run.failure);
        Sleep(kRetryPausesMs[number - 1]);
    }
}

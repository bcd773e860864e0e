#pragma once
// The repair engine: finds the AMD adapter's keys, keeps a backup of their values, changes them
// through the system's reg command and reads them back; and undoes that from the backup. On a
// worker thread it reports to a window with WM_CLOSE_EXECUTE_PROMPT and then WM_REPAIR_RESULT; the
// command line calls it directly. It creates no window and shows nothing.
#include <windows.h>

#include <vector>

#include "framework/String.h"
#include "repair/CommandRunner.h"

struct BackupEntry;

enum class RepairOutcome {
    Changed,    // written (or put back) and read back as wanted: a restart makes it count
    Unchanged,  // every key was as wanted already (the undo: or is gone): nothing written
    NoBackup,   // the undo found no record: nothing to undo
    Failed,     // logged
};

class CFlashScreenRepair {
public:
    CFlashScreenRepair();
    // An engine that runs `command` in place of each key's repair command, as `runner` says; for
    // tests of the reporting.
    explicit CFlashScreenRepair(CString command, CommandRunnerSetup runner = CommandRunnerSetup());

    // FALSE for a null window, which leaves the notify window as it was.
    BOOL SetNotifyWindow(HWND hWnd);
    HWND GetNotifyWindow() const { return m_hNotifyWnd; }

    // Starts a detached worker that runs DoRepair (or DoUndo); FALSE (and a log record) when it
    // cannot start.
    BOOL StartRepairThread(bool undo = false);
    static DWORD WINAPI RepairThreadProc(LPVOID param);
    static DWORD WINAPI UndoThreadProc(LPVOID param);

    // The workers' bodies. TRUE only when every key reads back as wanted. Each message is sent
    // and handled before the next step; a failure is logged last, after WM_REPAIR_RESULT was handled.
    // The window's repair always runs the command, also over keys that are off already.
    BOOL DoRepair();
    BOOL DoUndo();

    // The same work without a window. `writeWhenOff`: run the command even when every key reads 0.
    RepairOutcome Repair(bool writeWhenOff, CString& failure);
    RepairOutcome Undo(CString& failure);

    // Whether a record is there to undo (also one that turns out unreadable: the undo says so).
    bool HasBackup() const;

    // TRUE only on Windows 10 (version 10.0), read from the process environment block.
    BOOL CheckSystemVersion();

    // Restarts Windows at once, closing running programs without asking them. TRUE when the
    // restart was requested and accepted; FALSE when it was not (nothing then restarts).
    BOOL RestartSystem();

private:
    BOOL Report(RepairOutcome outcome, const CString& failure, void (*log)(const CString&));
    // Makes the undo's record hold `entries`; FALSE, with the reason added to `failure`, when it
    // could not be written.
    bool SaveRecord(const std::vector<BackupEntry>& entries, CString& failure) const;
    // Runs one reg command; on failure says why in `failure`, after `instance`.
    bool RunRegCommand(const CString& command, const CString& instance, CString& failure) const;

    HWND m_hNotifyWnd = nullptr;
    CString m_strCommand;  // empty: each key's own command
    CommandRunnerSetup m_runner;
};

#pragma once
// The process-wide log front end: decides whether a record is written and hands it to the sink.
// Configured once, when built, from the switch "print" in section "Log" of "logCfg.ini".
#include <memory>

#include "framework/String.h"
#include "log/LogBase.h"

class CLogSave {
public:
    // The one front end of the process, built on first use (safe when threads arrive together)
    // over the all-users application-data folder.
    static CLogSave& GetInstance();

    // A front end over `baseFolder` (empty, or ending with a backslash): the log folder is
    // baseFolder + "ToolLog\", the configuration baseFolder + "logCfg.ini".
    explicit CLogSave(const CString& baseFolder);
    virtual ~CLogSave();
    CLogSave(const CLogSave&) = delete;
    CLogSave& operator=(const CLogSave&) = delete;

    // Writes the record when `force` is set, or when the configuration switches printing on.
    void WriteLog(CStringA text, CStringA fileName, bool force);

    const CString& GetLogDir() const { return m_strLogDir; }
    bool IsPrintOn() const { return m_bPrint; }

private:
    bool m_bPrint = false;
    CString m_strLogDir;
    std::unique_ptr<CLogBase> m_pLog;
};

// The sink a selector value picks: 1 keeps files open between records, anything else closes them
// after each record. The tool's selector is "0".
std::unique_ptr<CLogBase> MakeLogSink(int selector, const CString& logDir, long long maxSize = kLogSizeThreshold);

// The configuration value as the platform's integer conversion reads it: surrounding white space
// ignored, an optional sign, decimal digits up to the first other character, 0 without digits.
int ParseProfileInteger(const CString& value);

// The all-users application-data folder with a trailing backslash, or empty when it is unknown.
CString CommonAppDataBase();

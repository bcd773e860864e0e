#include "log/LogSave.h"

#include <windows.h>
#include <shlobj.h>

#include <climits>
#include <cwctype>

#include "log/LogSaveCloseFile.h"
#include "log/LogSaveOpenFile.h"

namespace {

const wchar_t kConfigFile[] = L"logCfg.ini";
const wchar_t kConfigSection[] = L"Log";
const wchar_t kConfigKey[] = L"print";
const wchar_t kConfigDefault[] = L"-1";
constexpr DWORD kConfigValueChars = 100;
// The sink is chosen here, not by the configuration file: the close-after-each-record sink.
const wchar_t kSinkSelector[] = L"0";

bool ReadPrintSwitch(const CString& configPath)
{
    wchar_t value[kConfigValueChars] = {};
    GetPrivateProfileStringW(kConfigSection, kConfigKey, kConfigDefault, value, kConfigValueChars,
                             configPath.c_str());
    return ParseProfileInteger(value) == 1;
}

}  // namespace

int ParseProfileInteger(const CString& value)
{
    size_t i = 0;
    while (i < value.size() && std::iswspace(value[i])) ++i;
    bool negative = false;
    if (i < value.size() && (value[i] == L'+' || value[i] == L'-')) negative = value[i++] == L'-';
    long long magnitude = 0;
    for (; i < value.size() && value[i] >= L'0' && value[i] <= L'9'; ++i) {
        magnitude = magnitude * 10 + (value[i] - L'0');
        if (magnitude > INT_MAX) magnitude = static_cast<long long>(INT_MAX) + 1;  // saturate, keep sign
    }
    const long long result = negative ? -magnitude : magnitude;
    if (result > INT_MAX) return INT_MAX;
    if (result < INT_MIN) return INT_MIN;
    return static_cast<int>(result);
}

std::unique_ptr<CLogBase> MakeLogSink(int selector, const CString& logDir, long long maxSize)
{
    if (selector == 1) return std::make_unique<CLogSaveOpenFile>(logDir, maxSize);
    return std::make_unique<CLogSaveCloseFile>(logDir, maxSize);
}

CString CommonAppDataBase()
{
    wchar_t folder[1024] = {};
    if (!SHGetSpecialFolderPathW(nullptr, folder, CSIDL_COMMON_APPDATA, FALSE)) return CString();
    return CString(folder) + L"\\";
}

CLogSave& CLogSave::GetInstance()
{
    // A function-local static is built once even when threads arrive together, and is built
    // again on the next call if its construction threw.
    static CLogSave instance(CommonAppDataBase());
    return instance;
}

CLogSave::CLogSave(const CString& baseFolder)
{
    m_strLogDir = baseFolder + L"ToolLog";
    // Only this one level is made; when it exists (or a plain file holds the name) nothing changes.
    CreateDirectoryW(m_strLogDir.c_str(), nullptr);
    m_strLogDir += L"\\";

    m_bPrint = ReadPrintSwitch(baseFolder + kConfigFile);
    m_pLog = MakeLogSink(ParseProfileInteger(kSinkSelector), m_strLogDir);
}

CLogSave::~CLogSave() = default;

void CLogSave::WriteLog(CStringA text, CStringA fileName, bool force)
{
    if (!m_pLog) return;
    if (force || m_bPrint) m_pLog->WriteText(std::move(text), std::move(fileName));
}

#include "log/LogSaveCloseFile.h"

#include "framework/Encoding.h"
#include "framework/Handle.h"
#include "log/LogLine.h"

namespace {

// Appends the whole line or nothing: a write that fails part way is cut back off the file, so a
// broken record never sits in front of the next one.
bool AppendWhole(HANDLE file, const CStringA& line)
{
    LARGE_INTEGER end{};
    if (!SetFilePointerEx(file, LARGE_INTEGER{}, &end, FILE_END)) return false;
    DWORD written = 0;
    if (WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) &&
        written == line.size())
        return true;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    return false;
}

}  // namespace

void CLogSaveCloseFile::WritePacket(const CPacketLog& record)
{
    CScopedLock hold(m_lock);

    const CString path = m_strLogDir + WideFromCodePage(CP_ACP, record.GetFileName());
    CHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;

    SYSTEMTIME now;
    GetLocalTime(&now);
    if (!AppendWhole(file.Get(), FormatLogLine(now, WideFromCodePage(CP_ACP, record.GetText())))) return;

    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > kLogSizeThreshold) {
        file.Close();
        MoveFileExW(path.c_str(), BackupPathOf(path).c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

void CLogSaveCloseFile::WriteHex(const void* data, int length, CStringA fileName)
{
    WriteText(HexText(data, length), std::move(fileName));
}

void CLogSaveCloseFile::WriteText(CStringA text, CStringA fileName)
{
    CPacketLog record;
    record.SetText(text);
    record.SetFileName(fileName);
    WritePacket(record);
}

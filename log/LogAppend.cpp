#include "log/LogAppend.h"

#include "log/LogLine.h"

namespace {

BOOL WriteToFile(HANDLE file, const void* bytes, DWORD length, DWORD* written)
{
    return WriteFile(file, bytes, length, written, nullptr);
}

long long SizeOf(HANDLE file)
{
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) ? size.QuadPart : -1;
}

// False when another process has moved the file this handle writes to its backup: the file now
// at the path is not as long as the one held (a moved file is over the limit, a current one not).
bool StillAtPath(HANDLE file, const CString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA there{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &there)) return false;
    const long long size = (static_cast<long long>(there.nFileSizeHigh) << 32) | there.nFileSizeLow;
    return size == SizeOf(file);
}

}  // namespace

bool AppendWhole(HANDLE file, const CStringA& line, LogWriteFn write)
{
    const long long before = SizeOf(file);
    if (before < 0) return false;
    const DWORD length = static_cast<DWORD>(line.size());
    DWORD written = 0;
    if ((write ? write : &WriteToFile)(file, line.data(), length, &written) && written == length) return true;

    if (written > 0 && SizeOf(file) == before + written) {
        // The append-only handle cannot shorten the file; a second handle to the same file can.
        CHandle cut(ReOpenFile(file, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = before;
        if (cut) SetFileInformationByHandle(cut.Get(), FileEndOfFileInfo, &end, sizeof end);
    }
    return false;
}

bool AppendLogRecord(CHandle& file, const CLogTarget& target, CLogFileMutex& mutex, const CPacketLog& record,
                     long long maxSize)
{
    CLogFileMutexHold hold(mutex);
    if (!hold) return false;
    if (file && !StillAtPath(file.Get(), target.path)) file.Close();
    if (!file) file = OpenLogFile(target);
    if (!file) return false;
    if (!AppendWhole(file.Get(), LogLineOf(record))) {
        file.Close();
        return false;
    }
    if (SizeOf(file.Get()) > maxSize) {
        // A failed move leaves the file in place; the next record finds it too long and tries again.
        MoveToBackup(target, file.Get());
        file.Close();
    }
    return true;
}

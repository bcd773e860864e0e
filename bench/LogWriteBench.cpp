// Records per second of the log sink against a plain open-append-close loop that writes the same
// bytes, in the same process. Prints the ratio; a figure, not a pass/fail test.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "framework/Handle.h"
#include "log/LogSaveCloseFile.h"

namespace {

constexpr int kDefaultRecords = 20000;
const char kText[] = "\xD6\xB4\xD0\xD0\xD0\xDE\xB8\xC4 DalPSRFeatureEnable benchmark record";

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// The baseline: what any logger must at least do per record.
double PlainLoop(const CString& path, int records)
{
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < records; ++i) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        char line[256];
        const int length = std::snprintf(line, sizeof line, "[%04d-%02d-%02d %02d:%02d:%02d %03dms]   %s\r\n",
                                         now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond,
                                         now.wMilliseconds, kText);
        CHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        SetFilePointerEx(file.Get(), LARGE_INTEGER{}, nullptr, FILE_END);
        DWORD written = 0;
        WriteFile(file.Get(), line, DWORD(length), &written, nullptr);
    }
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

double SinkLoop(const CString& folder, int records)
{
    CLogSaveCloseFile sink(folder);
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    for (int i = 0; i < records; ++i) sink.WriteText(kText, "sink.txt");
    QueryPerformanceCounter(&end);
    return Seconds(start, end);
}

}  // namespace

int main(int argc, char** argv)
{
    const int records = argc > 1 ? std::atoi(argv[1]) : kDefaultRecords;
    if (records <= 0) {
        std::fprintf(stderr, "usage: log_bench [records > 0]\n");
        return 2;
    }
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const CString folder = CString(temp) + L"pallux-log-bench-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);

    // Alternate the two, twice, so neither gains from running second.
    double plain = 0, sink = 0;
    for (int round = 0; round < 2; ++round) {
        plain += PlainLoop(folder + L"plain.txt", records);
        sink += SinkLoop(folder, records);
        DeleteFileW((folder + L"plain.txt").c_str());
        DeleteFileW((folder + L"sink.txt").c_str());
    }
    RemoveDirectoryW(folder.c_str());

    const double plainRate = 2.0 * records / plain;
    const double sinkRate = 2.0 * records / sink;
    std::printf("plain open-append-close: %.0f records/s\n", plainRate);
    std::printf("CLogSaveCloseFile::WriteText: %.0f records/s\n", sinkRate);
    std::printf("ratio (sink / plain): %.2f (aim: at least 0.80)\n", sinkRate / plainRate);
    return 0;
}

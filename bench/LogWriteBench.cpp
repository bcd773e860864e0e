// Records per second of both log sinks against a plain open-append-close loop that writes the same
// bytes, in the same process. Prints the figures and their ratios; not a pass/fail test.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <functional>

#include "framework/Handle.h"
#include "log/LogSave.h"

namespace {

constexpr int kDefaultRecords = 20000;
const char kText[] = "\xD6\xB4\xD0\xD0\xD0\xDE\xB8\xC4 DalPSRFeatureEnable benchmark record";

double SecondsFor(int records, const std::function<void()>& writeOne)
{
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < records; ++i) writeOne();
    QueryPerformanceCounter(&end);
    return double(end.QuadPart - start.QuadPart) / double(frequency.QuadPart);
}

// The baseline: what any logger must at least do per record.
void PlainRecord(const CString& path)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char line[256];
    const int length = std::snprintf(line, sizeof line, "[%04d-%02d-%02d %02d:%02d:%02d %03dms]   %s\r\n", now.wYear,
                                     now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds,
                                     kText);
    CHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    WriteFile(file.Get(), line, DWORD(length), &written, nullptr);
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

    // Alternate the three, twice, so none gains from running later.
    double plain = 0, closing = 0, keeping = 0;
    for (int round = 0; round < 2; ++round) {
        plain += SecondsFor(records, [&] { PlainRecord(folder + L"plain.txt"); });
        const auto closeSink = MakeLogSink(0, folder);
        closing += SecondsFor(records, [&] { closeSink->WriteText(kText, "close.txt"); });
        {
            const auto openSink = MakeLogSink(1, folder);
            keeping += SecondsFor(records, [&] { openSink->WriteText(kText, "open.txt"); });
        }
        for (const wchar_t* name : {L"plain.txt", L"close.txt", L"open.txt"}) DeleteFileW((folder + name).c_str());
    }
    RemoveDirectoryW(folder.c_str());

    const double plainRate = 2.0 * records / plain;
    const double closeRate = 2.0 * records / closing;
    const double openRate = 2.0 * records / keeping;
    std::printf("plain open-append-close:        %8.0f records/s\n", plainRate);
    std::printf("CLogSaveCloseFile (selector 0): %8.0f records/s  (%.2f of plain)\n", closeRate, closeRate / plainRate);
    std::printf("CLogSaveOpenFile  (selector 1): %8.0f records/s  (%.2f of plain)\n", openRate, openRate / plainRate);
    std::printf("ratio keep-open / close-after-each-record: %.2f\n", openRate / closeRate);
    return 0;
}

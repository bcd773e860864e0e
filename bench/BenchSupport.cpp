#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>

CString BesideThisProgram(const wchar_t* file)
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    const CString self(path, length);
    return self.substr(0, self.find_last_of(L'\\') + 1) + file;
}

double NowMs()
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return 1000.0 * double(now.QuadPart) / double(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    if (values.empty()) return -1;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

bool PrintFigures(const char* label, const std::vector<double>& runs)
{
    if (runs.empty() || std::any_of(runs.begin(), runs.end(), [](double ms) { return ms < 0; })) {
        std::printf("  %-30s no figure: a run did not get there\n", label);
        return false;
    }
    std::printf("  %-30s %7.0f ms   (min %.0f, max %.0f)\n", label, Median(runs),
                *std::min_element(runs.begin(), runs.end()), *std::max_element(runs.begin(), runs.end()));
    return true;
}

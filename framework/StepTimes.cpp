#include "framework/StepTimes.h"

#ifdef PALLUX_STEP_TIMES
#include <windows.h>

#include <cstdio>

void MarkStep(const char* step)
{
    FILETIME created, exited, kernel, user, now;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return;
    GetSystemTimePreciseAsFileTime(&now);
    const auto ticks = [](FILETIME time) { return (ULONGLONG(time.dwHighDateTime) << 32) | time.dwLowDateTime; };
    char line[160];
    std::snprintf(line, sizeof line, "step %.2f %s", double(ticks(now) - ticks(created)) / 10000.0, step);
    OutputDebugStringA(line);
}
#endif

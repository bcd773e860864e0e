#pragma once
// The Windows version the system records for this process in its process environment block: the
// true numbers, not the older ones the version query functions report to a program whose manifest
// does not declare the newer system.
#include <windows.h>

struct SystemVersion {
    ULONG major;
    ULONG minor;
};

SystemVersion ReadSystemVersion();

// The tool runs on Windows 10 only; the build number does not matter.
inline bool IsSupportedSystemVersion(SystemVersion version)
{
    return version.major == 10 && version.minor == 0;
}

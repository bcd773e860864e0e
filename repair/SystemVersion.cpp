#include "repair/SystemVersion.h"

#include <cstddef>
#include <cstring>

#include "repair/FlashScreenRepair.h"

namespace {
// Where OSMajorVersion sits in the process environment block; OSMinorVersion follows it.
#ifdef _WIN64
constexpr size_t kOsMajorVersionOffset = 0x118;
#else
constexpr size_t kOsMajorVersionOffset = 0xA4;
#endif

// The thread's environment block holds the address of the process's one.
const BYTE* ProcessEnvironmentBlock()
{
    const BYTE* peb = nullptr;
#ifdef _WIN64
    __asm__("movq %%gs:0x60, %0" : "=r"(peb));
#else
    __asm__("movl %%fs:0x30, %0" : "=r"(peb));
#endif
    return peb;
}
}  // namespace

SystemVersion ReadSystemVersion()
{
    const BYTE* peb = ProcessEnvironmentBlock();
    SystemVersion version{};
    std::memcpy(&version.major, peb + kOsMajorVersionOffset, sizeof version.major);
    std::memcpy(&version.minor, peb + kOsMajorVersionOffset + sizeof(ULONG), sizeof version.minor);
    return version;
}

BOOL CFlashScreenRepair::CheckSystemVersion()
{
    return IsSupportedSystemVersion(ReadSystemVersion()) ? TRUE : FALSE;
}

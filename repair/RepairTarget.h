#pragma once
// What the repair changes: DalPSRFeatureEnable under the AMD display adapter's instance key (the
// four-digit keys under the display class), which must end up as the DWORD 0 (panel self-refresh
// off). The adapter is not always 0000: a driver reinstall, a second adapter or a dock moves it.
#include <windows.h>

#include <vector>

#include "framework/String.h"

#define PALLUX_ADAPTER_CLASS_KEY L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}"
#define PALLUX_PSR_VALUE L"DalPSRFeatureEnable"

extern const wchar_t kAdapterClassKey[];  // under HKEY_LOCAL_MACHINE
extern const wchar_t kPsrValueName[];

// What one instance key holds under the value's name, in the 64-bit registry view (the one the
// display driver reads, also from the 32-bit build).
struct PsrValue {
    enum Kind { Dword, Missing, OtherType, NoKey, Unreadable };
    Kind kind = Missing;
    DWORD number = 0;  // the DWORD for Dword, the type for OtherType, the error for Unreadable

    bool IsOff() const { return kind == Dword && number == 0; }
    bool operator==(const PsrValue& other) const { return kind == other.kind && number == other.number; }
    // For the log and the command line: "REG_DWORD 0", "不存在", …
    CString Describe() const;
};

// Four decimal digits, as the system names an adapter's instance key.
bool IsAdapterInstanceName(const CString& name);
// "HKEY_LOCAL_MACHINE\…\0001": the key as reg and regedit name it.
CString AdapterKeyName(const CString& instance);

PsrValue ReadPsrValue(const CString& instance);

// The instance keys the repair writes: every one whose ProviderName is AMD's (or ATI's, as older
// drivers say); when none is, 0000 alone if it exists and names no maker at all (as stripped images
// and Wine leave it); none otherwise. Nothing is created. Another maker's adapter is never a target:
// a repair there would fix nothing and still ask for a restart.
struct RepairTargets {
    std::vector<CString> instances;
    bool otherMakerOnly = false;  // no AMD key, and 0000 names another maker

    bool Contains(const CString& instance) const;
    // Why there are none, for the log and the command line: "未找到 AMD 显示适配器", …
    const wchar_t* WhyNone() const;
};
RepairTargets FindRepairTargets();

// The system's reg by its full path in the system folder, in quotes: no reg the interpreter might
// find elsewhere first (the current folder, PATH) ever runs.
CString SystemReg();

// The registry change under `instance` as the system's reg command runs it. Defined alone in its
// own file, so a test build of the tool can link a command of its own in its place.
CString RepairCommandFor(const CString& instance);
// The reg command that puts back `previous` (a DWORD, or no value) under `instance`.
CString RestoreCommandFor(const CString& instance, const PsrValue& previous);

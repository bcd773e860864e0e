#pragma once
// What the repair changes: DalPSRFeatureEnable under the first display adapter's key, which must
// end up as the DWORD 0 (panel self-refresh off).
#include <windows.h>

#include "framework/String.h"

#define PALLUX_ADAPTER_KEY L"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}\\0000"
#define PALLUX_PSR_VALUE L"DalPSRFeatureEnable"

extern const wchar_t kAdapterKey[];  // under HKEY_LOCAL_MACHINE
extern const wchar_t kPsrValueName[];
// The registry change as the system's reg command runs it. Defined alone in its own file, so a test
// build of the tool can link a command of its own in its place.
extern const wchar_t kRepairCommand[];

// Reads the value back in the 64-bit registry view, the one the display driver reads, also from the
// 32-bit build. TRUE when it is a REG_DWORD 0; otherwise `found` says what is there, for the log.
BOOL IsPsrFeatureOff(CString& found);

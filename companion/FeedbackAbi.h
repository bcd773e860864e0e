#pragma once
// The binary interface between the tool and its companion library "QueltoFeedbackInformation.dll":
// the eleven exports (cdecl, undecorated names, wide strings) and the six information strings.
// The tool and our reference library both build against this one header.
#include <windows.h>
#include <oleauto.h>

#define QUELTO_CALL __cdecl

// The six information strings that InitFreedbackDll fills, in order.
enum DllInfoIndex {
    kInfoLibraryVersion = 0,  // the library's own name and version
    kInfoNewestVersion = 1,   // the newest tool version the library knows
    kInfoFeedbackUrl = 2,     // where feedback questions are answered
    kInfoMoreToolsUrl = 3,    // opened by "更多工具"
    kInfoMoreSolutionsUrl = 4,  // opened by "更多方案"
    kInfoUseAgreementUrl = 5,   // the use agreement
    kDllInfoCount = 6
};

// Each string is a BSTR made by the library with SysAllocString and owned from then on by the tool,
// which frees it with SysFreeString. The system's string allocator is shared by every module of the
// process, so a string made in the library may be read and freed in the program. The tool hands
// the library a block of null strings; a slot the library leaves null reads as empty.
struct QueltoDllInfo {
    BSTR strings[kDllInfoCount];
};

extern "C" {
// Fills the six strings; nonzero when the library is ready.
using InitFreedbackDllFn = int(QUELTO_CALL*)(QueltoDllInfo* info);
// Records that the user asked a feedback question about the tool.
using FeedbackQuestionFn = int(QUELTO_CALL*)(const wchar_t* toolId, const wchar_t* toolVersion);
// Opens `url`; the library takes the BSTR over and frees it.
using OpenUrlFn = int(QUELTO_CALL*)(BSTR url);
using GetInterNetStateFn = int(QUELTO_CALL*)();
using CustomerFeedbackFn = int(QUELTO_CALL*)();
// Records an answer: 1 solved, 2 not solved, 3 closed without an answer. `timeText` is the
// seconds since 1970-01-01 UTC in decimal digits (FeedbackTimeText).
using CustomerFeedbackExFn = int(QUELTO_CALL*)(const wchar_t* toolId, const wchar_t* toolVersion, int answer,
                                               const wchar_t* timeText);
using WriteCustomerFeedbackInfoFileFn = int(QUELTO_CALL*)();
// 3 when a newer version of the tool must be used; any other value lets the tool go on.
using GetToolIsNewVersionFn = int(QUELTO_CALL*)(const wchar_t* toolId, const wchar_t* toolVersion);
using GetToolIsNewVersionDownFn = int(QUELTO_CALL*)();
using OpenToolDownUrlFn = int(QUELTO_CALL*)();
using OpenUseAgreementUrlFn = int(QUELTO_CALL*)();
}

// The newest-version answer that makes the tool stop and send the user to the download page.
constexpr int kNewerVersionRequired = 3;

// The library's file name, beside the program.
constexpr wchar_t kCompanionLibraryName[] = L"QueltoFeedbackInformation.dll";

// A second process for the log tests: waits for the start signal, then writes numbered records
// "<tag> r<n>" through one sink, to the file's name and its upper-case spelling in turn.
// log_test_writer <selector> <log folder> <file name> <records> <tag> <max size> <start event>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "framework/Encoding.h"
#include "framework/Handle.h"
#include "log/LogSave.h"

int wmain(int argc, wchar_t** argv)
{
    if (argc != 8) return 2;
    const auto sink = MakeLogSink(_wtoi(argv[1]), CString(argv[2]) + L"\\", _wtoi64(argv[6]));
    const CStringA fileName = CodePageFromWide(kLogCodePage, argv[3]);
    const CStringA upperName = CodePageFromWide(kLogCodePage, CharUpperW(argv[3]));
    const CStringA tag = CodePageFromWide(kLogCodePage, argv[5]);
    const int records = _wtoi(argv[4]);

    CHandle start(OpenEventW(SYNCHRONIZE, FALSE, argv[7]));
    if (!start || WaitForSingleObject(start.Get(), 60000) != WAIT_OBJECT_0) return 3;
    for (int r = 0; r < records; ++r) sink->WriteText(tag + " r" + std::to_string(r), r % 2 ? upperName : fileName);
    return 0;
}

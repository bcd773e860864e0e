#pragma once
// The bytes of one log line and the other fixed rules every sink shares.
#include <windows.h>

#include "framework/String.h"
#include "log/PacketLog.h"

// Log files are stored in code page 936 (GBK), whatever the system's own code page.
constexpr UINT kLogCodePage = 936;

// A file whose length after a record is strictly greater than this moves to its backup.
constexpr long long kLogSizeThreshold = 6020000;

// "[yyyy-mm-dd hh:mm:ss mmmms]   " + text + CR LF, in code page 936. A line feed in the text
// becomes CR LF; a carriage return stays as it is.
CStringA FormatLogLine(const SYSTEMTIME& time, const CString& text);

// The line of a record written now. Its text is code page 936 bytes, as the log's callers make them,
// whatever the system's own code page.
CStringA LogLineOf(const CPacketLog& record);

// The record's file name. It is code page 936 bytes too, the code page the log is made for.
CString LogFileNameOf(const CPacketLog& record);

// "%02X " for every byte, in order, the last one included; empty for a length of 0 or less.
CStringA HexText(const void* data, int length);

// The single backup of a log file: its full path with "bak" appended, no dot.
CString BackupPathOf(const CString& path);

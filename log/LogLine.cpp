#include "log/LogLine.h"

#include <cstdio>

#include "framework/Encoding.h"

CStringA FormatLogLine(const SYSTEMTIME& time, const CString& text)
{
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%04d-%02d-%02d %02d:%02d:%02d %03dms]   ", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds);

    CString body;
    body.reserve(text.size() + 2);
    for (wchar_t ch : text) {
        if (ch == L'\n') body += L'\r';
        body += ch;
    }
    body += L"\r\n";
    return CStringA(stamp) + CodePageFromWide(kLogCodePage, body);
}

CStringA LogLineOf(const CPacketLog& record)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return FormatLogLine(now, WideFromCodePage(kLogCodePage, record.GetText()));
}

CString LogFileNameOf(const CPacketLog& record)
{
    return WideFromCodePage(kLogCodePage, record.GetFileName());
}

CStringA HexText(const void* data, int length)
{
    CStringA text;
    if (data == nullptr || length <= 0) return text;
    static const char digits[] = "0123456789ABCDEF";
    const auto* bytes = static_cast<const unsigned char*>(data);
    text.reserve(static_cast<size_t>(length) * 3);
    for (int i = 0; i < length; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
        text += ' ';
    }
    return text;
}

CString BackupPathOf(const CString& path)
{
    return path + L"bak";
}

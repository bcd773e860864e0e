#include "log/LogBase.h"

#include <utility>

void CLogBase::WriteHex(const void* data, int length, CStringA fileName)
{
    WriteText(HexText(data, length), std::move(fileName));
}

void CLogBase::WriteText(CStringA text, CStringA fileName)
{
    CPacketLog record;
    record.SetText(text);
    record.SetFileName(fileName);
    WritePacket(record);
}

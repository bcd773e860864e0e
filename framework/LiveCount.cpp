#include "framework/LiveCount.h"

#include <atomic>

namespace {
std::atomic<long> g_live[static_cast<int>(HandleKind::kCount)];
}

long LiveHandles(HandleKind kind)
{
    return g_live[static_cast<int>(kind)].load();
}

void CountHandleTaken(HandleKind kind)
{
    ++g_live[static_cast<int>(kind)];
}

void CountHandleGiven(HandleKind kind)
{
    --g_live[static_cast<int>(kind)];
}

#pragma once
// Sole owner of one kernel handle (pipe end, process, thread, file, event): closed exactly once,
// when the owner goes or is given another handle.
#include <windows.h>

#include <utility>

#include "framework/LiveCount.h"

class CHandle {
public:
    CHandle() = default;
    explicit CHandle(HANDLE handle) { Reset(handle); }
    ~CHandle() { Close(); }

    CHandle(CHandle&& other) noexcept { Reset(other.Release()); }
    CHandle& operator=(CHandle&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;

    HANDLE Get() const { return m_handle; }
    // Both null and INVALID_HANDLE_VALUE mean "no handle": the APIs use one or the other.
    bool IsValid() const { return m_handle != nullptr && m_handle != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return IsValid(); }

    void Reset(HANDLE handle = nullptr)
    {
        if (IsValid()) {
            CloseHandle(m_handle);
            CountHandleGiven(HandleKind::Kernel);
        }
        m_handle = handle;
        if (IsValid()) CountHandleTaken(HandleKind::Kernel);
    }
    void Close() { Reset(); }
    // Hands the handle over to the caller, who closes it.
    HANDLE Release()
    {
        if (IsValid()) CountHandleGiven(HandleKind::Kernel);
        return std::exchange(m_handle, nullptr);
    }

private:
    HANDLE m_handle = nullptr;
};

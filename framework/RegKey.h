#pragma once
// Sole owner of one open registry key: closed exactly once, when the owner goes.
#include <windows.h>

#include <utility>

class CRegKey {
public:
    CRegKey() = default;
    ~CRegKey() { Close(); }
    CRegKey(CRegKey&& other) noexcept : m_key(std::exchange(other.m_key, nullptr)) {}
    CRegKey& operator=(CRegKey&& other) noexcept
    {
        if (this != &other) {
            Close();
            m_key = std::exchange(other.m_key, nullptr);
        }
        return *this;
    }
    CRegKey(const CRegKey&) = delete;
    CRegKey& operator=(const CRegKey&) = delete;

    // RegOpenKeyExW's result; on success the key is held here (an earlier one is closed first).
    LONG Open(HKEY parent, const wchar_t* subKey, REGSAM access)
    {
        Close();
        return RegOpenKeyExW(parent, subKey, 0, access, &m_key);
    }
    // RegCreateKeyExW's result, opening the key when it exists already.
    LONG Create(HKEY parent, const wchar_t* subKey, REGSAM access)
    {
        Close();
        return RegCreateKeyExW(parent, subKey, 0, nullptr, 0, access, nullptr, &m_key, nullptr);
    }
    HKEY Get() const { return m_key; }
    void Close()
    {
        if (m_key != nullptr) RegCloseKey(std::exchange(m_key, nullptr));
    }

private:
    HKEY m_key = nullptr;
};

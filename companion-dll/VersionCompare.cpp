#include "VersionCompare.h"

#include <vector>

namespace {

constexpr size_t kMostParts = 4;

// The parts as digit strings without leading zeros, so any length compares without overflow.
std::optional<std::vector<std::wstring>> Parts(const std::wstring& version)
{
    const size_t first = version.find_first_not_of(L' ');
    if (first == std::wstring::npos) return std::nullopt;
    const std::wstring text = version.substr(first, version.find_last_not_of(L' ') - first + 1);

    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t dot = text.find(L'.', start);
        std::wstring part = text.substr(start, dot == std::wstring::npos ? std::wstring::npos : dot - start);
        if (part.empty()) return std::nullopt;
        for (wchar_t ch : part)
            if (ch < L'0' || ch > L'9') return std::nullopt;
        part.erase(0, part.find_first_not_of(L'0'));
        parts.push_back(part);
        if (parts.size() > kMostParts) return std::nullopt;
        if (dot == std::wstring::npos) break;
        start = dot + 1;
    }
    parts.resize(kMostParts);  // missing parts are 0, an empty digit string
    return parts;
}

int CompareNumbers(const std::wstring& a, const std::wstring& b)
{
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    const int order = a.compare(b);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

}  // namespace

std::optional<int> CompareVersions(const std::wstring& a, const std::wstring& b)
{
    const auto left = Parts(a);
    const auto right = Parts(b);
    if (!left || !right) return std::nullopt;
    for (size_t i = 0; i < kMostParts; ++i)
        if (const int order = CompareNumbers((*left)[i], (*right)[i]); order != 0) return order;
    return 0;
}

#pragma once
// Tool versions: one to four dot-separated decimal parts ("1.5.21.423"), compared numerically part
// by part, a missing part counting as 0. Anything else is malformed.
#include <optional>
#include <string>

// -1, 0 or 1 as `a` is older than, equal to or newer than `b`; nothing when either is malformed.
std::optional<int> CompareVersions(const std::wstring& a, const std::wstring& b);

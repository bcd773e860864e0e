#pragma once
// Who the tool is to its companion library: every window and the repair flow pass these, and the
// main panel shows the version.
constexpr wchar_t TOOL_ID[] = L"10060";
constexpr wchar_t TOOL_VERSION[] = L"1.5.21.423";

// The test prefix must look like the tool's users' Windows, or every other test proves little.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

TEST(WinePrefix, IsWindows10InSimplifiedChinese)
{
    auto getVersion = reinterpret_cast<RtlGetVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    ASSERT_NE(getVersion, nullptr);
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    ASSERT_EQ(getVersion(&version), 0);
    EXPECT_EQ(version.dwMajorVersion, 10u);
    EXPECT_EQ(version.dwMinorVersion, 0u);

    EXPECT_EQ(GetACP(), 936u);
}

TEST(WinePrefix, ScreenIs96DpiAndSimSunHasChineseGlyphs)
{
    HDC screen = GetDC(nullptr);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);

    HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET, 0, 0, 0, 0, L"宋体");
    ASSERT_NE(font, nullptr);
    HGDIOBJ previous = SelectObject(screen, font);
    WORD glyphs[3] = {};
    ASSERT_EQ(GetGlyphIndicesW(screen, L"屏闪修", 3, glyphs, GGI_MARK_NONEXISTING_GLYPHS), 3u);
    for (WORD glyph : glyphs) EXPECT_NE(glyph, 0xFFFF) << "a Chinese character has no glyph in SimSun's stand-in";
    SelectObject(screen, previous);
    DeleteObject(font);
    ReleaseDC(nullptr, screen);
}

}  // namespace

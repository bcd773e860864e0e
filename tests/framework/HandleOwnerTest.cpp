// The owners of kernel and GDI handles: each handle closed exactly once, counted while held.
#include <gtest/gtest.h>

#include "framework/Gdi.h"
#include "framework/Handle.h"

namespace {

bool IsOpen(HANDLE handle)
{
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(HandleOwners, KernelHandleIsClosedOnceAndCounted)
{
    const long before = LiveHandles(HandleKind::Kernel);
    HANDLE raw = nullptr;
    {
        CHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        raw = event.Get();
        CHandle moved(std::move(event));
        EXPECT_FALSE(event.IsValid());
        EXPECT_EQ(LiveHandles(HandleKind::Kernel), before + 1);

        moved.Close();
        moved.Close();  // a second close does nothing
        EXPECT_FALSE(IsOpen(raw));
        EXPECT_EQ(LiveHandles(HandleKind::Kernel), before);
        moved.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        raw = moved.Get();
        EXPECT_EQ(LiveHandles(HandleKind::Kernel), before + 1);
    }
    EXPECT_FALSE(IsOpen(raw)) << "the handle outlived its owner";
    EXPECT_EQ(LiveHandles(HandleKind::Kernel), before);

    // Released handles are the caller's to close; the count no longer holds them.
    HANDLE released = CHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr)).Release();
    EXPECT_EQ(LiveHandles(HandleKind::Kernel), before);
    EXPECT_TRUE(IsOpen(released));
    CloseHandle(released);

    // INVALID_HANDLE_VALUE, as CreateFile fails, is no handle.
    CHandle failed(CreateFileW(L"C:\\no\\such\\file", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_FALSE(failed.IsValid());
    EXPECT_EQ(LiveHandles(HandleKind::Kernel), before);
}

TEST(HandleOwners, GdiObjectsAndDeviceContextsAreDeletedOnceAndCounted)
{
    const long objects = LiveHandles(HandleKind::GdiObject), dcs = LiveHandles(HandleKind::DeviceContext);
    HBRUSH rawBrush = nullptr;
    HDC rawDc = nullptr;
    {
        CBrush brush(CreateSolidBrush(RGB(1, 2, 3)));
        rawBrush = brush.Get();
        CBrush other(std::move(brush));
        EXPECT_FALSE(brush);
        EXPECT_EQ(LiveHandles(HandleKind::GdiObject), objects + 1);

        CWindowDC screen(nullptr, CWindowDC::ClientArea);
        CDC memory;
        ASSERT_TRUE(memory.CreateCompatibleDC(screen.GetSafeHdc()));
        rawDc = memory.GetSafeHdc();
        EXPECT_EQ(LiveHandles(HandleKind::DeviceContext), dcs + 2);

        CBitmap bitmap(CreateCompatibleBitmap(screen.GetSafeHdc(), 4, 4));
        {
            CSelectObject select(memory.GetSafeHdc(), bitmap.Get());
            EXPECT_EQ(GetCurrentObject(memory.GetSafeHdc(), OBJ_BITMAP), bitmap.Get());
        }
        EXPECT_NE(GetCurrentObject(memory.GetSafeHdc(), OBJ_BITMAP), bitmap.Get()) << "selection not undone";
    }
    EXPECT_EQ(GetObjectType(rawBrush), 0u) << "the brush outlived its owner";
    EXPECT_EQ(GetObjectType(rawDc), 0u) << "the memory DC outlived its owner";
    EXPECT_EQ(LiveHandles(HandleKind::GdiObject), objects);
    EXPECT_EQ(LiveHandles(HandleKind::DeviceContext), dcs);
}

}  // namespace

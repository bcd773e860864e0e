// The check box and the labels as real windows: a real click and the strip's frames, the box and
// text at three scales, nothing of the system's own look left after the messages on which it paints
// by itself, the status dots, missing artwork, and the GDI handles a dialog full of them holds.
#include <functional>
#include <iostream>

#include "ControlsDialog.h"
#include "framework/LiveCount.h"
#include "framework/Module.h"

namespace {

constexpr uint32_t kWhite = 0xFFFFFF;

CRect Client(HWND window)
{
    CRect rect;
    GetClientRect(window, &rect);
    return rect;
}

using LabelAndCheckBox = ControlsTest;

TEST_F(LabelAndCheckBox, RealClickTogglesTheCheckAndTheBoxShowsTheStripsFrame)
{
    const RECT emptyBox = {0, 0, 16, 16}, tickedBox = {16, 0, 32, 16};
    const Pixels frames[2] = {Picture(140, &emptyBox), Picture(140, &tickedBox)};
    const HWND box = dialog.m_chkAgree.m_hWnd;
    const RECT boxPart = {0, 2, 16, 18};  // 16 × 16 at y = 20 / 2 − 8

    for (const int expected : {BST_UNCHECKED, BST_CHECKED}) {
        SendMouseTo(OnScreen(box, {8, 10}));
        SendMouseButton(true);
        SendMouseButton(false);
        EXPECT_TRUE(PumpUntil([&] { return dialog.m_chkAgree.GetCheck() == expected; })) << "the click did not toggle";
        const Pixels shown = CaptureClient(box);
        EXPECT_GE(MatchShare(CaptureClient(box, boxPart), frames[expected]), 0.99)
            << "the box does not show the strip's " << (expected ? "ticked" : "empty") << " frame";
        Repaint(box);
        EXPECT_EQ(MatchShare(shown, CaptureClient(box), 0), 1.0) << "the click left the system's look on the box";
    }
    EXPECT_EQ(dialog.m_clicks[1010], 2);
}

TEST_F(LabelAndCheckBox, BoxAndTextFollowTheScale)
{
    const HWND box = dialog.m_chkAgree.m_hWnd;
    for (const float scale : {1.0f, 1.25f, 1.5f}) {
        SCOPED_TRACE(scale);
        const int height = static_cast<int>(20 * scale);
        const int side = static_cast<int>(16 * scale);
        const int top = height / 2 - static_cast<int>(8 * scale);
        dialog.m_chkAgree.m_fScale = scale;
        dialog.m_chkAgree.MoveWindow(8, 160, 200, height);
        Repaint(box);
        const Pixels shown = CaptureClient(box);
        // The strip's frames leave a one-pixel rim free: the box's ink is the middle 14 of 16.
        const CRect ink = InkBounds(shown, kWhite, {0, 0, side, height});
        EXPECT_NEAR(ink.left, scale, 1.0);
        EXPECT_NEAR(ink.right, 15 * scale, 1.0);
        EXPECT_NEAR(ink.top, top + scale, 1.0);
        EXPECT_NEAR(ink.bottom, top + 15 * scale, 1.0);
        const CRect text = InkBounds(shown, kWhite, {side, 0, shown.width, height});
        EXPECT_GE(text.left, side + 2) << "the text starts inside the gap after the box";
        EXPECT_LE(text.left, side + 2 + 3);
    }
}

TEST_F(LabelAndCheckBox, NothingOfTheSystemsOwnLookStaysOverTheSkin)
{
    struct Case {
        const char* what;
        int id;
        std::function<void(HWND)> act;
    };
    const Case kCases[] = {
        {"keyboard cues", 1010, [](HWND w) { SendMessageW(w, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0); }},
        {"focus", 1010, [](HWND w) { SetFocus(w); }},
        {"check state", 1010, [](HWND w) { SendMessageW(w, BM_SETCHECK, BST_UNCHECKED, 0); }},
        {"push state", 1010, [](HWND w) { SendMessageW(w, BM_SETSTATE, TRUE, 0); }},
        {"text", 1010, [](HWND w) { SetWindowTextW(w, L"同意并继续"); }},
        {"style", 1010, [](HWND w) { SendMessageW(w, BM_SETSTYLE, BS_AUTOCHECKBOX, TRUE); }},
        {"focus lost", 1010, [](HWND w) { SetFocus(GetParent(w)); }},
        {"disabled", 1010, [](HWND w) { EnableWindow(w, FALSE); }},
        {"label text", 1013, [](HWND w) { SetWindowTextW(w, L"反馈问题"); }},
        {"label disabled", 1013, [](HWND w) { EnableWindow(w, FALSE); }},
        {"status text", 1000, [](HWND w) { SetWindowTextW(w, L"正在修复"); }},
        {"PNG button focus", 1004, [](HWND w) { SetFocus(w); }},
        {"PNG button pushed", 1004, [](HWND w) { SendMessageW(w, BM_SETSTATE, TRUE, 0); }},
        {"image button focus", 1012, [](HWND w) { SetFocus(w); }},
        {"image button text", 1012, [](HWND w) { SetWindowTextW(w, L"修复"); }},
    };
    for (const Case& c : kCases) {
        const HWND control = dialog.GetDlgItem(c.id);
        c.act(control);
        const Pixels shown = CaptureClient(control);
        Repaint(control);
        EXPECT_EQ(MatchShare(shown, CaptureClient(control), 0), 1.0) << c.what << ": differs from a fresh paint";
    }
}

TEST_F(LabelAndCheckBox, StatusDotsGrowThreeTimesAndStartAgain)
{
    const HWND status = dialog.m_stcStatus.m_hWnd;
    const auto inkEnd = [&] { return InkBounds(CaptureClient(status), kWhite, Client(status)).right; };
    const auto step = [&] {
        SendMessageW(status, WM_TIMER, 36, 0);
        UpdateWindow(status);
        return inkEnd();
    };
    const LONG bare = inkEnd();
    ASSERT_GT(bare, 0);
    dialog.m_stcStatus.StartAnimation();
    EXPECT_TRUE(PumpUntil([&] { return inkEnd() > bare; }, 2500)) << "timer 36 added no dot";
    const LONG one = inkEnd();
    const LONG two = step();
    const LONG three = step();
    EXPECT_GT(two, one);
    EXPECT_GT(three, two);
    EXPECT_EQ(step(), bare) << "after three dots the text does not start again";
    step();
    dialog.m_stcStatus.StopAnimation();
    UpdateWindow(status);
    EXPECT_EQ(inkEnd(), bare) << "StopAnimation left dots";
    EXPECT_FALSE(KillTimer(status, 36)) << "StopAnimation left timer 36 running";
}

struct HandleCounts {
    long dcs = LiveHandles(HandleKind::DeviceContext);
    long objects = LiveHandles(HandleKind::GdiObject);
    bool operator==(const HandleCounts& other) const { return dcs == other.dcs && objects == other.objects; }
};

std::ostream& operator<<(std::ostream& out, const HandleCounts& counts)
{
    return out << counts.dcs << " DCs, " << counts.objects << " GDI objects";
}

TEST(SkinnedControls, GdiHandlesStayBalancedThroughRepaintsAndGoWithTheDialog)
{
    const HandleCounts start;
    {
        ControlsDialog dialog;
        ASSERT_TRUE(dialog.Create());
        ASSERT_TRUE(dialog.Show());
        const HandleCounts before;
        const CRect link = dialog.m_stcAgreement.GetWindowRect();
        for (int round = 0; round < 20; ++round) {
            const bool in = round % 2 == 0;
            dialog.m_stcAgreement.UpdateHover(in ? link.left + 1 : link.left - 1, link.top + 1);
            for (const HWND button : {dialog.m_btnClose.m_hWnd, dialog.m_btnRepair.m_hWnd})
                SendMessageW(button, in ? WM_MOUSEHOVER : WM_MOUSELEAVE, 0, MAKELPARAM(20, 20));
            SendMessageW(dialog.m_stcStatus.m_hWnd, WM_TIMER, 36, 0);
            RedrawWindow(dialog.m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        const HandleCounts after;
        std::cout << "[ handles  ] before the repaints: " << before << "; after 20: " << after << std::endl;
        EXPECT_EQ(after, before);
        dialog.DestroyWindow();
        EXPECT_EQ(HandleCounts(), start) << "the destroyed dialog's controls still hold handles";
    }
}

TEST(SkinnedControls, MissingArtworkDrawsWhatThereIs)
{
    ControlsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_FALSE(dialog.m_btnClose.SetStateImages(4321, 4322, 4323, 4324));
    EXPECT_FALSE(dialog.m_btnRepair.SetStateImages(4321, 4322, 4323, 4324));
    dialog.m_btnRepair.SetBackgroundImage(nullptr);
    // The check box loads its strip at its first paint: from a module without it, it cannot.
    AfxSetResourceHandle(GetModuleHandleW(L"kernel32.dll"));
    const bool shown = dialog.Show();
    AfxSetResourceHandle(nullptr);
    ASSERT_TRUE(shown);

    const HWND box = dialog.m_chkAgree.m_hWnd;
    EXPECT_TRUE(InkBounds(CaptureClient(box), kWhite, Client(box)).IsRectEmpty()) << "no strip, yet a box or text";
    const HWND repair = dialog.m_btnRepair.m_hWnd;
    EXPECT_TRUE(InkBounds(CaptureClient(repair), kWhite, Client(repair)).IsRectEmpty())
        << "an image button with nothing to draw is white";
    const HWND link = dialog.m_stcAgreement.m_hWnd;
    EXPECT_FALSE(InkBounds(CaptureClient(link), kWhite, Client(link)).IsRectEmpty()) << "the label lost its text";
    EXPECT_GE(MatchShare(CaptureClient(dialog.m_btnMoreTools.m_hWnd), Picture(192)), 0.99)
        << "a button with its images lost them to its neighbours' missing ones";

    // Once the strip can be found, the next paint draws the box.
    Repaint(box);
    EXPECT_FALSE(InkBounds(CaptureClient(box), kWhite, {0, 0, 16, 20}).IsRectEmpty());
}

}  // namespace

// The check box and the labels as real windows: a real click and the strip's frames, the box and
// text at three scales, nothing of the system's own look left after the messages on which it paints
// by itself, the status dots, missing artwork, and the GDI handles the controls hold.
#include <functional>

#include "ControlsDialog.h"
#include "framework/LiveCount.h"
#include "framework/Module.h"

namespace {

using LabelAndCheckBox = ControlsTest;

TEST_F(LabelAndCheckBox, RealClickTogglesTheCheckAndTheBoxShowsTheStripsFrame)
{
    const RECT emptyBox = {0, 0, 16, 16}, tickedBox = {16, 0, 32, 16};
    const Pixels frames[2] = {Picture(140, &emptyBox), Picture(140, &tickedBox)};
    const HWND box = dialog.m_chkAgree.m_hWnd;
    const RECT boxPart = {0, 2, 16, 18};  // 16 × 16 at y = 20 / 2 − 8
    for (const int expected : {BST_UNCHECKED, BST_CHECKED}) {
        SendClick(OnScreen(box, {8, 10}));
        EXPECT_TRUE(PumpUntil([&] { return dialog.m_chkAgree.GetCheck() == expected; })) << "the click did not toggle";
        const Pixels shown = CaptureClient(box);
        EXPECT_GE(MatchShare(CaptureClient(box, &boxPart), frames[expected]), 0.99) << "not the strip's frame";
        Repaint(box);
        EXPECT_EQ(MatchShare(shown, CaptureClient(box), 0), 1.0) << "the click left the system's look on the box";
    }
    EXPECT_EQ(dialog.m_clicks[1010], 2);
}

TEST_F(LabelAndCheckBox, BoxAndTextFollowTheScale)
{
    const HWND box = dialog.m_chkAgree.m_hWnd;
    // The control's height and the box's side and top at each scale, in whole pixels.
    const struct { float scale; int height, side, top; } kScales[] = {{1.0f, 20, 16, 2}, {1.25f, 25, 20, 2}, {1.5f, 30, 24, 3}};
    for (const auto& [scale, height, side, top] : kScales) {
        SCOPED_TRACE(scale);
        dialog.m_chkAgree.m_fScale = scale;
        dialog.m_chkAgree.MoveWindow(8, 160, 200, height);
        Repaint(box);
        const Pixels shown = CaptureClient(box);
        // The strip's frames leave a one-pixel rim free: the box's ink is the middle 14 of 16.
        const CRect ink = InkBounds(shown, {0, 0, side, height});
        EXPECT_NEAR(ink.left, scale, 1.0);
        EXPECT_NEAR(ink.right, 15 * scale, 1.0);
        EXPECT_NEAR(ink.top, top + scale, 1.0);
        EXPECT_NEAR(ink.bottom, top + 15 * scale, 1.0);
        const CRect text = InkBounds(shown, {side, 0, shown.width, height});
        EXPECT_GE(text.left, side + 2) << "the text starts inside the gap after the box";
        EXPECT_LE(text.left, side + 2 + 3);
    }
}

TEST_F(LabelAndCheckBox, NothingOfTheSystemsOwnLookStaysOverTheSkin)
{
    const std::pair<const char*, std::function<void(HWND)>> kBoxMessages[] = {
        {"keyboard cues", [](HWND w) { SendMessageW(w, WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0); }},
        {"focus", [](HWND w) { SetFocus(w); }},
        {"check state", [](HWND w) { SendMessageW(w, BM_SETCHECK, BST_UNCHECKED, 0); }},
        {"push state", [](HWND w) { SendMessageW(w, BM_SETSTATE, TRUE, 0); }},
        {"text", [](HWND w) { SetWindowTextW(w, L"同意并继续"); }},
        {"style", [](HWND w) { SendMessageW(w, BM_SETSTYLE, BS_AUTOCHECKBOX, TRUE); }},
        {"focus lost", [](HWND w) { SetFocus(GetParent(w)); }},
        {"disabled", [](HWND w) { EnableWindow(w, FALSE); }},
    };
    // What the screen shows right after the message must be what a fresh paint draws.
    for (const HWND control : {dialog.m_chkAgree.m_hWnd, dialog.m_stcAgreement.m_hWnd, dialog.m_stcStatus.m_hWnd}) {
        for (const auto& [what, send] : kBoxMessages) {
            send(control);
            const Pixels shown = CaptureClient(control);
            Repaint(control);
            EXPECT_EQ(MatchShare(shown, CaptureClient(control), 0), 1.0) << what << " on control " << GetDlgCtrlID(control);
        }
    }
}

TEST_F(LabelAndCheckBox, StatusDotsGrowThreeTimesAndStartAgain)
{
    const HWND status = dialog.m_stcStatus.m_hWnd;
    const auto inkEnd = [&] { return InkBounds(CaptureClient(status)).right; };
    const auto step = [&] {
        SendMessageW(status, WM_TIMER, 36, 0);
        UpdateWindow(status);
        return inkEnd();
    };
    const LONG bare = inkEnd();
    ASSERT_GT(bare, 0);
    dialog.m_stcStatus.StartAnimation();
    EXPECT_TRUE(PumpUntil([&] { return inkEnd() > bare; }, 2500)) << "timer 36 added no dot";
    const LONG one = inkEnd(), two = step(), three = step();
    EXPECT_GT(two, one);
    EXPECT_GT(three, two);
    EXPECT_EQ(step(), bare) << "after three dots the text does not start again";
    step();
    dialog.m_stcStatus.StopAnimation();
    UpdateWindow(status);
    EXPECT_EQ(inkEnd(), bare) << "StopAnimation left dots";
    EXPECT_FALSE(KillTimer(status, 36)) << "StopAnimation left timer 36 running";
}

TEST_F(LabelAndCheckBox, GdiHandlesStayBalancedThroughRepaintsAndGoWithTheWindows)
{
    const auto counts = [] { return std::pair{LiveHandles(HandleKind::DeviceContext), LiveHandles(HandleKind::GdiObject)}; };
    const auto before = counts();
    const CRect link = dialog.m_stcAgreement.GetWindowRect();
    for (int round = 0; round < 20; ++round) {
        const bool in = round % 2 == 0;
        dialog.m_stcAgreement.UpdateHover(in ? link.left : link.left - 1, link.top);
        for (const HWND button : {dialog.m_btnClose.m_hWnd, dialog.m_btnRepair.m_hWnd})
            SendMessageW(button, in ? WM_MOUSEHOVER : WM_MOUSELEAVE, 0, MAKELPARAM(20, 20));
        SendMessageW(dialog.m_stcStatus.m_hWnd, WM_TIMER, 36, 0);
        Repaint(dialog.m_hWnd);
    }
    EXPECT_EQ(counts(), before);
    dialog.DestroyWindow();
    EXPECT_EQ(counts(), std::pair(0L, 0L)) << "the controls' handles outlived their windows";
}

TEST(SkinnedControls, MissingArtworkDrawsWhatThereIs)
{
    ControlsDialog dialog;
    ASSERT_TRUE(dialog.Create());
    EXPECT_FALSE(dialog.m_btnClose.SetStateImages(4321, 4322, 4323, 4324));
    EXPECT_FALSE(dialog.m_btnRepair.SetStateImages(151, 152, 4321, 154)) << "a half-loaded button reported ready";
    // The check box loads its strip at its first paint: from a module without it, it cannot.
    AfxSetResourceHandle(GetModuleHandleW(L"kernel32.dll"));
    const bool shown = dialog.Show();
    AfxSetResourceHandle(nullptr);
    ASSERT_TRUE(shown);

    const HWND box = dialog.m_chkAgree.m_hWnd, repair = dialog.m_btnRepair.m_hWnd;
    EXPECT_TRUE(InkBounds(CaptureClient(box)).IsRectEmpty()) << "no strip, yet a box or text";
    EXPECT_FALSE(InkBounds(CaptureClient(dialog.m_stcAgreement.m_hWnd)).IsRectEmpty()) << "the label lost its text";
    EXPECT_GE(MatchShare(CaptureClient(dialog.m_btnMoreTools.m_hWnd), Picture(192)), 0.99)
        << "a complete button lost its images to its neighbours' missing ones";
    // Pressed without a pressed image, the repair button's erase still paints its background.
    SendMessageW(repair, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(142, 42));
    Repaint(repair);
    const RECT slice = {58, 240, 342, 325};
    EXPECT_GE(MatchShare(CaptureClient(repair), Picture(139, &slice)), 0.99);
    SendMessageW(repair, WM_LBUTTONUP, 0, MAKELPARAM(142, 42));
    SendMessageW(repair, WM_MOUSELEAVE, 0, 0);

    // A second set takes the first one's place; once found, the strip is drawn at the next paint.
    EXPECT_TRUE(dialog.m_btnRepair.SetStateImages(154, 153, 152, 151));
    Repaint(dialog.m_hWnd);
    EXPECT_GE(MatchShare(CaptureClient(repair), Picture(154)), 0.99);
    EXPECT_FALSE(InkBounds(CaptureClient(box)).IsRectEmpty());
}

}  // namespace

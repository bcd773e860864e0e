// The two artwork buttons under real mouse input: the image of each state, exactly one click for a
// press and release inside and none for a release outside, disabling while hovered, the active
// area inside the hit margins, and what a half-loaded button shows.
#include <functional>
#include <vector>

#include "ControlsDialog.h"

namespace {

enum Look { kNormal, kHover, kPressed, kDisabled };

struct ButtonCase {
    const char* name;
    int id;
    UINT firstImage;  // then hover, pressed, disabled
    bool overBackground;
    RECT slice;  // of the background picture 139
};

const ButtonCase kButtons[] = {
    {"CPngButton", 1004, 141, false, {}},
    {"CImageButton", 1012, 151, true, {58, 240, 342, 325}},
};

// The four looks of a button: its state images, decoded, over its background.
std::vector<Pixels> LooksOf(const ButtonCase& button)
{
    const Pixels under = button.overBackground ? Picture(139, &button.slice) : Pixels();
    std::vector<Pixels> looks;
    for (UINT id = button.firstImage; id < button.firstImage + 4; ++id)
        looks.push_back(Picture(id, nullptr, button.overBackground ? &under : nullptr));
    return looks;
}

// The look nearly every pixel of the button matches, or -1.
int ShownLook(HWND button, const std::vector<Pixels>& looks)
{
    const Pixels shown = CaptureClient(button);
    int best = -1;
    double bestShare = 0.99;
    for (int look = 0; look < static_cast<int>(looks.size()); ++look) {
        const double share = MatchShare(shown, looks[look]);
        if (share >= bestShare) best = look, bestShare = share;
    }
    return best;
}

// Whether this thread waits for no WM_MOUSELEAVE: none asked for, or the one asked for has come.
bool NoLeavePending()
{
    TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
    return TrackMouseEvent(&query) && !(query.dwFlags & TME_LEAVE);
}

// One button under test: its window and the four looks it may show.
struct ButtonUnderTest {
    HWND hwnd;
    std::vector<Pixels> looks;

    bool Shows(Look look, DWORD timeoutMs = 2000) const
    {
        return PumpUntil([&] { return ShownLook(hwnd, looks) == look; }, timeoutMs);
    }
    POINT Centre() const
    {
        RECT client;
        GetClientRect(hwnd, &client);
        return OnScreen(hwnd, {client.right / 2, client.bottom / 2});
    }
};

class Buttons : public ControlsTest {
protected:
    // Runs `check` on each button class in turn.
    void ForEachButton(const std::function<void(const ButtonUnderTest&, int& clicks)>& check)
    {
        for (const ButtonCase& button : kButtons) {
            SCOPED_TRACE(button.name);
            const ButtonUnderTest under = {dialog.GetDlgItem(button.id), LooksOf(button)};
            ASSERT_EQ(under.looks.size(), 4u);
            check(under, dialog.m_clicks[button.id]);
        }
    }
};

TEST_F(Buttons, EachStateShowsItsImageAndOnlyAReleaseInsideClicks)
{
    ForEachButton([](const ButtonUnderTest& button, int& clicks) {
        EXPECT_TRUE(button.Shows(kNormal));
        SendMouseTo(button.Centre());
        EXPECT_TRUE(button.Shows(kHover, 500)) << "no hover image within 500 ms";
        SendMouseButton(true);
        EXPECT_TRUE(button.Shows(kPressed));
        SendMouseButton(false);
        EXPECT_TRUE(button.Shows(kHover));
        EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }));
        EXPECT_FALSE(PumpUntil([&] { return clicks > 1; }, 300)) << "one press gave more than one click";
        SendMouseTo(kAway);
        EXPECT_TRUE(button.Shows(kNormal));

        // Pressed inside, released outside: no click, and the button ends up normal.
        SendMouseTo(button.Centre());
        EXPECT_TRUE(button.Shows(kHover, 500));
        SendMouseButton(true);
        EXPECT_TRUE(button.Shows(kPressed));
        SendMouseTo(kAway);
        SendMouseButton(false);
        EXPECT_TRUE(button.Shows(kNormal));
        EXPECT_FALSE(PumpUntil([&] { return clicks != 1; }, 300)) << "a release outside clicked";
    });
}

TEST_F(Buttons, DisabledWhileHoveredShowsDisabledAndHoversAgainOnceEnabled)
{
    ForEachButton([](const ButtonUnderTest& button, int&) {
        SendMouseTo(button.Centre());
        ASSERT_TRUE(button.Shows(kHover, 500));
        EnableWindow(button.hwnd, FALSE);
        EXPECT_TRUE(button.Shows(kDisabled));
        // Away from the button, the leave has come (or never will) before the button is enabled.
        SendMouseTo(kAway);
        ASSERT_TRUE(PumpUntil(NoLeavePending));
        EnableWindow(button.hwnd, TRUE);
        EXPECT_TRUE(button.Shows(kNormal)) << "enabled again away from the cursor, yet not normal";
        SendMouseTo(button.Centre());
        EXPECT_TRUE(button.Shows(kHover, 500)) << "hover tracking stuck after the button was disabled";
        SendMouseTo(kAway);
    });
}

TEST_F(Buttons, ActiveAreaLiesInsideTheHitMargins)
{
    struct Edge {
        int id;
        POINT client;
        bool inside;
    };
    // Repair: 284 × 85 with margins 19. More tools: 58 × 18 with no margins.
    const Edge kEdges[] = {
        {1012, {18, 42}, false}, {1012, {19, 42}, true},  {1012, {264, 42}, true}, {1012, {265, 42}, false},
        {1012, {142, 18}, false}, {1012, {142, 65}, true}, {1012, {142, 66}, false},
        {1016, {0, 9}, true},    {1016, {57, 17}, true},  {1016, {58, 9}, false},  {1016, {30, 18}, false},
    };
    for (const Edge& edge : kEdges) {
        const POINT target = OnScreen(dialog.GetDlgItem(edge.id), edge.client);
        const CImageButton& button = edge.id == 1012 ? dialog.m_btnRepair : dialog.m_btnMoreTools;
        SendMouseTo(target);
        // Wine may still be catching up with earlier moves: take the answer given while the cursor
        // was at the target before and after it.
        bool inside = false;
        const auto cursorAtTarget = [&] {
            POINT cursor;
            return GetCursorPos(&cursor) && cursor.x == target.x && cursor.y == target.y;
        };
        EXPECT_TRUE(PumpUntil([&] {
            const bool before = cursorAtTarget();
            inside = button.IsCursorInActiveArea() != FALSE;
            return before && cursorAtTarget();
        }));
        EXPECT_EQ(inside, edge.inside) << "control " << edge.id << " at (" << edge.client.x << ", " << edge.client.y << ")";
    }
}

TEST_F(Buttons, OnlyAFullSetOfImagesCountsAsLoadedAndASecondSetReplacesTheFirst)
{
    const ButtonCase& repair = kButtons[1];
    const HWND hwnd = dialog.GetDlgItem(repair.id);
    const std::vector<Pixels> looks = LooksOf(repair);
    ASSERT_EQ(looks.size(), 4u);
    EXPECT_FALSE(dialog.m_btnRepair.SetStateImages(151, 152, 4321, 154)) << "a half-loaded button reported ready";
    // The erase still paints what there is; the missing pressed image is left out, not drawn.
    Repaint(hwnd);
    EXPECT_EQ(ShownLook(hwnd, looks), kNormal);
    SendMessageW(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(142, 42));
    Repaint(hwnd);
    EXPECT_GE(MatchShare(CaptureClient(hwnd), Picture(139, &repair.slice)), 0.99)
        << "pressed without a pressed image, the button is not just its background";
    SendMessageW(hwnd, WM_LBUTTONUP, 0, MAKELPARAM(142, 42));
    SendMessageW(hwnd, WM_MOUSELEAVE, 0, 0);

    EXPECT_TRUE(dialog.m_btnRepair.SetStateImages(154, 153, 152, 151));
    Repaint(hwnd);
    EXPECT_EQ(ShownLook(hwnd, looks), kDisabled) << "the second set did not take the first one's place";
}

}  // namespace

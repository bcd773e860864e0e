// The two artwork buttons under real mouse input: the image of each state, exactly one click for a
// press and release inside and none for a release outside, disabling while hovered, and the
// active area inside the hit margins.
#include <functional>
#include <vector>

#include "ControlsDialog.h"

namespace {

enum Look { kNormal, kHover, kPressed, kDisabled };

// One button under test: its window and its four state images as decoded.
struct ButtonUnderTest {
    HWND hwnd;
    std::vector<Pixels> looks;

    // Whether the button shows `look` (nearly all its opaque pixels) within the time given.
    bool Shows(Look look, DWORD timeoutMs = 2000) const
    {
        return PumpUntil([&] {
            const Pixels shown = CaptureClient(hwnd);
            for (size_t other = 0; other < looks.size(); ++other)
                if (other != static_cast<size_t>(look) && MatchShare(shown, looks[other]) >= 0.99) return false;
            return MatchShare(shown, looks[look]) >= 0.99;
        }, timeoutMs);
    }
};

// Whether this thread waits for no WM_MOUSELEAVE: none asked for, or the one asked for has come.
bool NoLeavePending()
{
    TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
    return TrackMouseEvent(&query) && !(query.dwFlags & TME_LEAVE);
}

class Buttons : public ControlsTest {
protected:
    // Runs `check` on a CPngButton (close, 141 to 144) and a CImageButton (repair, 151 to 154).
    void ForEachButton(const std::function<void(const ButtonUnderTest&, int& clicks)>& check)
    {
        for (const auto& [id, firstImage] : {std::pair<int, UINT>{1004, 141}, {1012, 151}}) {
            SCOPED_TRACE(id);
            ButtonUnderTest button{dialog.GetDlgItem(id), {}};
            for (UINT image = firstImage; image < firstImage + 4; ++image) button.looks.push_back(Picture(image));
            check(button, dialog.m_clicks[id]);
        }
    }
};

TEST_F(Buttons, EachStateShowsItsImageOnlyAReleaseInsideClicksAndDisablingWhileHoveredRecovers)
{
    ForEachButton([](const ButtonUnderTest& button, int& clicks) {
        EXPECT_TRUE(button.Shows(kNormal));
        // Released inside: one click, and hovered again; released outside: none, and normal again.
        for (const bool releasedInside : {true, false}) {
            SendMouseTo(ClientCentre(button.hwnd));
            EXPECT_TRUE(button.Shows(kHover, 500)) << "no hover image within 500 ms";
            SendMouseButton(true);
            EXPECT_TRUE(button.Shows(kPressed));
            if (!releasedInside) SendMouseTo(kAway);
            SendMouseButton(false);
            EXPECT_TRUE(button.Shows(releasedInside ? kHover : kNormal));
            EXPECT_TRUE(PumpUntil([&] { return clicks == 1; }));
            EXPECT_FALSE(PumpUntil([&] { return clicks > 1; }, 300)) << "one press and release inside clicked twice, "
                                                                       << "or a release outside clicked";
            SendMouseTo(kAway);
            EXPECT_TRUE(button.Shows(kNormal));
        }

        SendMouseTo(ClientCentre(button.hwnd));
        ASSERT_TRUE(button.Shows(kHover, 500));
        EnableWindow(button.hwnd, FALSE);
        EXPECT_TRUE(button.Shows(kDisabled));
        // Away from the button, the leave has come (or never will) before the button is enabled.
        SendMouseTo(kAway);
        ASSERT_TRUE(PumpUntil(NoLeavePending));
        EnableWindow(button.hwnd, TRUE);
        EXPECT_TRUE(button.Shows(kNormal)) << "enabled again away from the cursor, yet not normal";
        SendMouseTo(ClientCentre(button.hwnd));
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
    // Repair: 284 × 85 with margins 19. More tools: 58 × 18 with none.
    const Edge kEdges[] = {
        {1012, {18, 42}, false}, {1012, {19, 42}, true},  {1012, {264, 42}, true}, {1012, {265, 42}, false},
        {1012, {142, 18}, false}, {1012, {142, 65}, true}, {1012, {142, 66}, false},
        {1016, {0, 0}, true},    {1016, {57, 17}, true},  {1016, {58, 9}, false},  {1016, {30, 18}, false},
    };
    for (const Edge& edge : kEdges) {
        const POINT target = OnScreen(dialog.GetDlgItem(edge.id), edge.client);
        const CImageButton& button = edge.id == 1012 ? dialog.m_btnRepair : dialog.m_btnMoreTools;
        SendMouseTo(target);
        // Wine may still be catching up with earlier moves: take an answer given while the cursor
        // stood at the target before and after it.
        const auto atTarget = [&] {
            POINT cursor;
            return GetCursorPos(&cursor) && cursor.x == target.x && cursor.y == target.y;
        };
        bool inside = false;
        EXPECT_TRUE(PumpUntil([&] {
            const bool before = atTarget();
            inside = button.IsCursorInActiveArea() != FALSE;
            return before && atTarget();
        }));
        EXPECT_EQ(inside, edge.inside) << "control " << edge.id << " at (" << edge.client.x << ", " << edge.client.y << ")";
    }
}

}  // namespace

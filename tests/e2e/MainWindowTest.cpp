// The main window as a user meets it: where it opens on the work area, where its controls sit and the
// focus cue Tab brings at 96, 120 and 144 DPI; then one session: the images of its buttons and box
// under the real mouse, the box gating the repair, the links and what they ask of the companion
// library, and a drag, with a prompt centred over the window where it now stands.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "ToolDriver.h"

namespace {

// A window of the taskbar's class across the bottom of the screen from `top` down: Wine's desktop, as
// Windows does, leaves what it covers out of the work area. It has a thread of its own, so it
// answers whatever is sent to it.
class StandInTaskbar {
public:
    explicit StandInTaskbar(int top) : m_thread([this, top] { Run(top); })
    {
        WaitUntil([&] { return m_window.load() != nullptr; });
    }
    ~StandInTaskbar()
    {
        PostMessageW(m_window, WM_QUIT, 0, 0);
        m_thread.join();
    }

private:
    void Run(int top)
    {
        WNDCLASSW taskbar{};
        taskbar.lpfnWndProc = DefWindowProcW;
        taskbar.lpszClassName = L"Shell_TrayWnd";
        RegisterClassW(&taskbar);
        HWND window = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, L"Shell_TrayWnd", L"", WS_POPUP | WS_VISIBLE, 0,
                                      top, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN) - top, nullptr,
                                      nullptr, nullptr, nullptr);
        m_window = window;
        MSG message;
        while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
        DestroyWindow(window);
    }

    std::atomic<HWND> m_window{nullptr};
    std::thread m_thread;
};

// Worked out by hand from the layout's formulas with the single-precision scale (1.2f and 1.44f are
// a hair above 1.2 and 1.44). The check box ends at boxRight + 2·n, n = (width of the agreement's
// text in the dialog font) / 14.
struct Layout {
    DWORD dpi;
    int taskbarTop;  // 0: no taskbar
    int shellTop;    // centred on the work area; at its top when taller than that
    CSize client;
    CRect close, repair;
    int boxLeft, boxRight, boxTop, boxBottom;

    friend void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.dpi << " DPI"; }
};

const Layout kLayouts[] = {
    {96, 700, 45, {400, 600}, {368, 0, 394, 34}, {58, 240, 342, 325}, 8, 26, 575, 595},
    {120, 724, 0, {479, 719}, {441, 0, 472, 40}, {69, 288, 409, 390}, 9, 30, 688, 712},
    {144, 0, 73, {575, 863}, {530, 0, 567, 48}, {83, 345, 491, 467}, 11, 36, 826, 854},
};

class MainWindowAtScale : public testing::TestWithParam<Layout> {};

TEST_P(MainWindowAtScale, ItOpensOnTheWorkAreaWithItsControlsWhereTheScaleSaysAndShowsTheFocusCueAfterTab)
{
    const Layout& want = GetParam();
    std::optional<StandInTaskbar> taskbar;
    if (want.taskbarTop != 0) taskbar.emplace(want.taskbarTop);
    ToolSetup setup;
    setup.dpi = want.dpi;
    ToolRun tool(setup);
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);

    const CRect shell = WindowRectOf(ToolRun::ShellOf(panel));
    EXPECT_EQ(shell.top, want.shellTop);
    EXPECT_EQ(shell.left + shell.right, GetSystemMetrics(SM_CXSCREEN)) << "not centred across the screen";
    const CRect client = ClientRectOnScreen(panel);
    EXPECT_EQ(client, CRect(client.left, client.top, client.left + want.client.cx, client.top + want.client.cy));
    const int n = TextExtent(L"同意《Quelto服务工具使用许可协议》", want.dpi).cx / 14;
    EXPECT_EQ(ControlRect(panel, IDC_CLOSE), want.close);
    EXPECT_EQ(ControlRect(panel, IDC_REPAIR), want.repair);
    EXPECT_EQ(ControlRect(panel, IDC_AGREE), CRect(want.boxLeft, want.boxTop, want.boxRight + 2 * n, want.boxBottom));

    SendMouseTo(kAway);
    ASSERT_TRUE(FocusComesTo(panel, IDC_REPAIR));
    const int ids[] = {IDC_REPAIR, IDC_MORE_TOOLS};
    const CRect areas[] = {ClientRectOnScreen(GetDlgItem(panel, ids[0])),
                           ClientRectOnScreen(GetDlgItem(panel, ids[1]))};
    const Pixels atStart[] = {CaptureScreen(areas[0]), CaptureScreen(areas[1])};
    const auto unchanged = [&](int i) { return MatchShare(CaptureScreen(areas[i]), atStart[i], 0); };
    // Tab, then Shift+Tab: the control reached shows a cue a user can see (at least a quarter of the
    // dots of a ring around it change), the one left looks as it did at start. So 一键修复, which had
    // the focus at start, showed no cue then.
    for (const int reached : {1, 0}) {
        SendKeys(reached == 1 ? std::vector<WORD>{VK_TAB} : std::vector<WORD>{VK_SHIFT, VK_TAB});
        ASSERT_TRUE(FocusComesTo(panel, ids[reached]));
        const CRect& area = areas[reached];
        const double ringShare = (area.Width() + area.Height()) / 2.0 / (area.Width() * area.Height());
        EXPECT_TRUE(WaitUntil([&] { return unchanged(reached) <= 1.0 - ringShare; }, 2000))
            << "control " << ids[reached] << " has the focus and does not show it";
        EXPECT_TRUE(WaitUntil([&] { return unchanged(1 - reached) == 1.0; }, 2000))
            << "control " << ids[1 - reached] << " looks other than at start";
    }
}

INSTANTIATE_TEST_SUITE_P(Dpi, MainWindowAtScale, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<Layout>& info) { return std::to_string(info.param.dpi); });

TEST(MainWindow, OneSessionOfButtonsTheBoxGatingTheRepairLinksAndADragWithTheConfirmationCentredWhereItStands)
{
    ToolSetup setup;
    setup.librarySettings = L"[Addresses]\r\nMoreTools=https://www.example.com/more-tools-of-this-run";
    ToolRun tool(setup);
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    for (const auto& [id, normal] : {std::pair{IDC_REPAIR, 151u}, {IDC_CLOSE, 141u}}) {
        const HWND button = GetDlgItem(panel, id);
        SCOPED_TRACE(id);
        for (const bool pressed : {false, true}) {
            SendMouseTo(kAway);
            EXPECT_TRUE(ShowsPicture(button, normal)) << "the hover or pressed image stayed after the cursor left";
            SendMouseTo(ClientCentre(button));
            EXPECT_TRUE(ShowsPicture(button, normal + 1)) << "hover";
            if (!pressed) continue;
            SendMouseButton(true);
            EXPECT_TRUE(ShowsPicture(button, normal + 2)) << "pressed";
            SendMouseTo(kAway);
            SendMouseButton(false);
            EXPECT_TRUE(ShowsPicture(button, normal)) << "the pressed image stayed after a release away";
        }
    }
    EXPECT_EQ(tool.Prompt(1000), nullptr) << "a release away from 一键修复 repaired";
    EXPECT_EQ(tool.FeedbackDialog(0), nullptr) << "a release away from × closed";

    // The box shows the strip's empty or ticked frame; unticked, 一键修复 shows its disabled image and
    // a click on it asks nothing within a second and a half, as long as a user waits for a reaction.
    const CRect box = ClientRectOnScreen(GetDlgItem(panel, IDC_AGREE));
    const RECT boxPart = {box.left, box.top + 2, box.left + 16, box.top + 18};
    const RECT emptyFrame = {0, 0, 16, 16}, tickedFrame = {16, 0, 32, 16};
    for (const bool ticked : {false, true}) {
        ClickControl(panel, IDC_AGREE);
        SendMouseTo(kAway);
        EXPECT_TRUE(WaitUntil([&] {
            return MatchShare(CaptureScreen(boxPart), Picture(140, ticked ? &tickedFrame : &emptyFrame)) >= 0.99;
        }, 2000)) << "the box does not show the strip's frame, ticked " << ticked;
        EXPECT_TRUE(ShowsPicture(GetDlgItem(panel, IDC_REPAIR), ticked ? 151 : 154)) << "ticked " << ticked;
        if (!ticked) {
            ClickControl(panel, IDC_REPAIR);
            EXPECT_EQ(tool.Prompt(1500), nullptr) << "a disabled 一键修复 opened a prompt";
        }
    }

    // A click on the empty panel between the repair button and "更多工具" asks nothing of the library,
    // and each link asks for its own page once: a stray call shows as a second one in the end.
    SendClick(OnScreen(panel, POINT{200, 450}));
    const std::pair<int, const char*> links[] = {
        {IDC_FEEDBACK_LINK, "FeedbackQuestion"}, {IDC_AGREEMENT_LINK, "OpenUseAgreementUrl"}, {IDC_MORE_TOOLS, "OpenUrl"}};
    for (const auto& [id, exportName] : links) {
        ClickControl(panel, id);
        EXPECT_TRUE(WaitUntil([&] { return !tool.JournalLines(exportName).empty(); })) << exportName << " not called";
    }
    for (const auto& [id, exportName] : links) ASSERT_EQ(tool.JournalLines(exportName).size(), 1u) << exportName;
    const std::string feedback = tool.JournalLines("FeedbackQuestion")[0];
    EXPECT_EQ(JournalField(feedback, "tool"), "10060");
    EXPECT_EQ(JournalField(feedback, "version"), "1.5.21.423");
    EXPECT_EQ(JournalField(tool.JournalLines("OpenUrl")[0], "url"), "https://www.example.com/more-tools-of-this-run");
    // The version check ran once, seconds ago (a notice would have kept the confirmation below away).
    EXPECT_EQ(tool.JournalLines("GetToolIsNewVersion").size(), 1u);

    // Dragged by its top band, the pair moves as one; a prompt then stands centred over it.
    const CRect placed = ClientRectOnScreen(panel);
    const POINT grip{placed.left + 60, placed.top + 12}, to{grip.x - 200, grip.y - 100};
    SendMouseTo(grip);
    SendMouseButton(true);
    SendMouseTo(POINT{grip.x - 100, grip.y - 50}, false);
    SendMouseTo(to);
    SendMouseButton(false);
    const CRect moved = ClientRectOnScreen(panel), frame = WindowRectOf(ToolRun::ShellOf(panel));
    EXPECT_EQ(moved, CRect(placed.left - 200, placed.top - 100, placed.right - 200, placed.bottom - 100));
    EXPECT_EQ(frame, CRect(moved.left - 5, moved.top - 4, moved.left + 405, moved.top + 607)) << "the frame did not follow";
    ClickControl(panel, IDC_REPAIR);
    HWND confirm = tool.PromptSaying(kConfirmText);
    ASSERT_NE(confirm, nullptr);
    const CRect prompt = WindowRectOf(ToolRun::ShellOf(confirm));
    const int left = frame.left + (frame.Width() - 336) / 2, top = frame.top + (frame.Height() - 156) / 2;
    EXPECT_EQ(prompt, CRect(left, top, left + 336, top + 156)) << "the confirmation is not centred over the window";
}

}  // namespace

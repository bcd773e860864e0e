// The main window as a user meets it: where it opens on the work area and where every control sits
// at 96, 120 and 144 DPI, the links
// and what they ask of the companion library, the hover colour of the agreement link, the keys that
// must not close anything, the about box, minimising and restoring.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>
#include <thread>

#include "ToolDriver.h"

namespace {

// The width of `text` in the panel's dialog font at `dpi`.
int TextWidth(const wchar_t* text, DWORD dpi)
{
    return TextExtent(text, dpi).cx;
}

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
// a hair above 1.2 and 1.44). The check box, the agreement link and the feedback link also depend
// on measured text widths: the check box ends at boxRight + 2·n, n = (width of the agreement's
// text) / 14, and the feedback link is feedbackExtra wider than its text.
struct Layout {
    DWORD dpi;
    int taskbarTop;  // 0: no taskbar
    int shellTop;    // centred on the work area; at its top when taller than that
    CSize client;
    CRect close, minimise, version, repair, moreTools;
    int boxLeft, boxRight, linksTop, linksBottom, feedbackExtra;

    friend void PrintTo(const Layout& layout, std::ostream* out) { *out << layout.dpi << " DPI"; }
};

const Layout kLayouts[] = {
    {96, 700, 45, {400, 600}, {368, 0, 394, 34}, {340, 0, 366, 34}, {188, 16, 348, 31}, {58, 240, 342, 325},
     {45, 540, 103, 558}, 8, 26, 575, 595, 12},
    {120, 724, 0, {479, 719}, {441, 0, 472, 40}, {407, 0, 438, 40}, {225, 19, 417, 37}, {69, 288, 409, 390},
     {54, 647, 123, 668}, 9, 30, 688, 712, 12},
    {144, 0, 73, {575, 863}, {530, 0, 567, 48}, {488, 0, 525, 48}, {270, 23, 500, 44}, {83, 345, 491, 467},
     {64, 777, 147, 802}, 11, 36, 826, 854, 13},
};

class MainWindowLayout : public testing::TestWithParam<Layout> {};

TEST_P(MainWindowLayout, EveryControlSitsWhereTheScaleSays)
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
    EXPECT_EQ(client.Width(), want.client.cx);
    EXPECT_EQ(client.Height(), want.client.cy);
    const int n = TextWidth(L"同意《Quelto服务工具使用许可协议》", want.dpi) / 14;
    const int feedbackWidth = TextWidth(L"反馈问题", want.dpi) + want.feedbackExtra;
    const int boxRight = want.boxRight + 2 * n;
    // The links are wide enough for their own texts.
    EXPECT_LE(TextWidth(L"《Quelto服务工具使用许可协议》", want.dpi), 14 * n);
    EXPECT_LE(TextWidth(L"反馈问题", want.dpi), feedbackWidth);
    const struct {
        int id;
        CRect rect;
    } expected[] = {
        {IDC_CLOSE, want.close},
        {IDC_MINIMIZE, want.minimise},
        {IDC_VERSION, want.version},
        {IDC_REPAIR, want.repair},
        {IDC_MORE_TOOLS, want.moreTools},
        {IDC_AGREE, {want.boxLeft, want.linksTop, boxRight, want.linksBottom}},
        {IDC_AGREEMENT_LINK, {boxRight + 6, want.linksTop, boxRight + 6 + 14 * n, want.linksBottom}},
        {IDC_FEEDBACK_LINK,
         {want.client.cx - 6 - feedbackWidth, want.linksTop, want.client.cx - 6, want.linksBottom}},
    };
    for (const auto& control : expected)
        EXPECT_EQ(ControlRect(panel, control.id), control.rect) << "control " << control.id;
    EXPECT_EQ(TextOf(GetDlgItem(panel, IDC_VERSION)), CString(L"1.5.21.423"));
}

INSTANTIATE_TEST_SUITE_P(Dpi, MainWindowLayout, testing::ValuesIn(kLayouts),
                         [](const testing::TestParamInfo<Layout>& info) { return std::to_string(info.param.dpi); });

// The red channel of the darkest blue-ink pixel the screen shows in `rect`: the links are drawn in
// blues that differ only in their red and green (0xFF5C5C normal, 0xFF0000 under the cursor), blended
// into white at the edges of the strokes; 255 when there is no ink.
int DarkestInk(const CRect& rect)
{
    const Pixels shown = CaptureClient(nullptr, &rect);
    int darkest = 255;
    for (const uint32_t pixel : shown.argb) {
        const int red = (pixel >> 16) & 0xFF, green = (pixel >> 8) & 0xFF, blue = pixel & 0xFF;
        if (blue >= 0xE0 && std::abs(red - green) <= 8) darkest = std::min(darkest, red);
    }
    return darkest;
}

TEST(MainWindow, LinksKeysAndTheVersionCheck)
{
    ToolSetup setup;
    setup.librarySettings = L"[Addresses]\r\nMoreTools=https://www.example.com/more-tools-of-this-run";
    ToolRun tool(setup);
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    const CRect link = ClientRectOnScreen(GetDlgItem(panel, IDC_AGREEMENT_LINK));
    const POINT away = {5, 5};  // on the desktop, far from the tool
    SendMouseTo(away);
    const int normal = DarkestInk(link);
    EXPECT_GE(normal, 0x50) << "the link is darker than its colour";
    EXPECT_LT(normal, 0xC0) << "no link text on screen";

    // Neither key may end anything; what follows is handled after them.
    SendKeys({VK_ESCAPE});
    SendKeys({VK_RETURN});
    // A click on the empty panel between the repair button and "更多工具" asks nothing of the library;
    // the clicks that follow are handled after it.
    SendClick(OnScreen(panel, POINT{200, 450}));

    const struct {
        int id;
        const char* exportName;
    } links[] = {{IDC_FEEDBACK_LINK, "FeedbackQuestion"},
                 {IDC_AGREEMENT_LINK, "OpenUseAgreementUrl"},
                 {IDC_MORE_TOOLS, "OpenUrl"}};
    for (size_t clicked = 0; clicked < std::size(links); ++clicked) {
        ClickControl(panel, links[clicked].id);
        ASSERT_TRUE(WaitUntil([&] { return !tool.JournalLines(links[clicked].exportName).empty(); }))
            << links[clicked].exportName << " not called";
        for (size_t i = 0; i < std::size(links); ++i)
            EXPECT_EQ(tool.JournalLines(links[i].exportName).size(), i <= clicked ? 1u : 0u)
                << "after the click on control " << links[clicked].id << ": " << links[i].exportName;
    }
    const auto feedback = tool.JournalLines("FeedbackQuestion");
    ASSERT_EQ(feedback.size(), 1u);
    EXPECT_EQ(JournalField(feedback[0], "tool"), "10060");
    EXPECT_EQ(JournalField(feedback[0], "version"), "1.5.21.423");
    const auto moreTools = tool.JournalLines("OpenUrl");
    ASSERT_EQ(moreTools.size(), 1u);
    EXPECT_EQ(JournalField(moreTools[0], "url"), "https://www.example.com/more-tools-of-this-run");

    EXPECT_TRUE(IsWindowVisible(panel)) << "Esc or Enter closed the panel";
    EXPECT_EQ(tool.FeedbackDialog(0), nullptr) << "Esc or Enter started closing the tool";
    // The version check ran once, seconds ago, and said nothing to the user.
    const auto checks = tool.JournalLines("GetToolIsNewVersion");
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(JournalField(checks[0], "result"), "0");
    EXPECT_EQ(tool.Prompt(0), nullptr);

    // The agreement link turns blue under the cursor, and back when the cursor leaves the window
    // straight from it, where no hit test reaches the panel.
    SendMouseTo(POINT{link.right - 2, (link.top + link.bottom) / 2});
    EXPECT_TRUE(WaitUntil([&] { return DarkestInk(link) < normal - 0x30; })) << "no hover colour";
    SendMouseTo(away);
    EXPECT_TRUE(WaitUntil([&] { return std::abs(DarkestInk(link) - normal) <= 8; }, 2000))
        << "the hover colour stayed after the cursor left";
}

HWND WaitForAboutBox(const ToolRun& tool)
{
    HWND about = nullptr;
    WaitUntil([&] {
        for (HWND window : VisibleWindows(tool.ProcessId()))
            if (TextOf(window) == L"关于 RapimendPalluxAMDFlashScreenRepair") about = window;
        return about != nullptr;
    });
    return about;
}

// The About item of the shell's system menu, opened with Alt+Space: the last item. Keys can be lost
// while Wine hands the focus around under load, so a hand that saw no menu tries once more.
HWND OpenAboutBox(const ToolRun& tool)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        SendKeys({VK_MENU, VK_SPACE});
        if (!WaitUntil([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }, 5000)) continue;
        SendKeys({VK_UP});
        SendKeys({VK_RETURN});
        if (HWND about = WaitForAboutBox(tool)) return about;
        SendKeys({VK_ESCAPE});
    }
    // A keyboard left in another state by an earlier program of the session (Wine keeps one per
    // desktop) can keep the menu from opening: then the item's own command, as the menu sends it.
    PostMessageW(ToolRun::ShellOf(tool.MainPanel()), WM_SYSCOMMAND, 0x10, 0);
    return WaitForAboutBox(tool);
}

TEST(MainWindow, AboutBoxMinimiseAndRestore)
{
    ToolRun tool;
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    HWND shell = ToolRun::ShellOf(panel);
    EXPECT_EQ(TextOf(shell), CString(L"PalluxAMD屏闪修复工具"));

    HWND about = OpenAboutBox(tool);
    ASSERT_NE(about, nullptr) << "no about box";
    PostMessageW(shell, WM_CLOSE, 0, 0);  // waits for the box, which stays and works
    EXPECT_EQ(tool.FeedbackDialog(1000), nullptr) << "a close aimed at the main window asked over the about box";
    EXPECT_NE(FindWindowExW(about, nullptr, L"Static", L"RapimendPalluxAMDFlashScreenRepair，1.0 版"), nullptr);
    ClickControl(about, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(about); })) << "the about box stayed";
    EXPECT_TRUE(IsWindowVisible(panel));

    const CRect placed = ClientRectOnScreen(panel);
    ClickControl(panel, IDC_MINIMIZE);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(shell) && !IsWindowVisible(panel); }))
        << "minimising left the window on screen";
    PostMessageW(shell, WM_SYSCOMMAND, SC_RESTORE, 0);  // as the task bar does
    EXPECT_TRUE(WaitUntil([&] { return !IsIconic(shell) && IsWindowVisible(panel); })) << "not restored";
    EXPECT_EQ(ClientRectOnScreen(panel), placed);
    EXPECT_EQ(tool.WaitForExit(0), -1);
}

}  // namespace

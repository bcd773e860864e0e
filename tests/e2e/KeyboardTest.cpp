// The tool used without a mouse and with a screen reader: the whole repair with keys alone while the
// cursor rests far from every control; a focus cue that is not there at start and shows after Tab,
// at 96, 120 and 144 DPI; and what a screen reader reads, through the accessibility layer, as the
// keyboard goes round the main window and the confirmation.
#include <gtest/gtest.h>

#include <oleacc.h>

#include "ToolDriver.h"

namespace {

const POINT kAway = {5, 5};  // on the desktop, off every control of the tool

// The control of `window`'s thread that has the keyboard focus.
HWND FocusIn(HWND window)
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) ? info.hwndFocus : nullptr;
}

bool FocusComesTo(HWND dialog, int id)
{
    return WaitUntil([&] { return FocusIn(dialog) == GetDlgItem(dialog, id); }, 3000);
}

// The name a screen reader reads for `window`. IAccessible by its GUID: MinGW's IID_IAccessible
// symbol did not match it.
CString AccessibleName(HWND window)
{
    static const GUID kIAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    IAccessible* object = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&object))))
        return L"(no accessible object)";
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    CString text = SUCCEEDED(object->get_accName(self, &name)) && name != nullptr ? CString(name) : L"(no name)";
    SysFreeString(name);
    object->Release();
    return text;
}

// How many pixels of `area` differ from what it showed in `before`.
size_t PixelsChanged(const Pixels& before, const RECT& area)
{
    const Pixels now = CaptureScreen(area);
    size_t changed = 0;
    for (size_t i = 0; i < now.argb.size() && i < before.argb.size(); ++i) changed += now.argb[i] != before.argb[i];
    return changed;
}

TEST(Keyboard, TheWholeRepairIsDoneWithKeysAloneWhileTheCursorRestsAwayFromEveryControl)
{
    ToolRun tool;
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    SetRepairValue(1);
    SendMouseTo(kAway);
    ASSERT_TRUE(FocusComesTo(panel, IDC_REPAIR)) << "the keyboard does not start on 一键修复";

    // Space asks first; Esc changes nothing and gives the keyboard back to 一键修复.
    SendKeys({VK_SPACE});
    ASSERT_NE(tool.PromptSaying(kConfirmText), nullptr) << "Space on 一键修复 did not ask for confirmation";
    EXPECT_TRUE(FocusComesTo(tool.Prompt(0), IDC_PROMPT_OK)) << "the confirmation does not start on 确认";
    SendKeys({VK_ESCAPE});
    EXPECT_TRUE(WaitUntil([&] { return tool.Prompt(0) == nullptr; })) << "Esc did not cancel";
    EXPECT_TRUE(FocusComesTo(panel, IDC_REPAIR)) << "the keyboard did not come back to 一键修复";
    EXPECT_EQ(RepairValue(), 1);

    SendKeys({VK_SPACE});
    ASSERT_NE(tool.PromptSaying(kConfirmText), nullptr);
    SendKeys({VK_RETURN});
    HWND question = tool.PromptSaying(kRestartQuestion);
    ASSERT_NE(question, nullptr) << "Enter on the confirmation did not repair";
    EXPECT_EQ(RepairValue(), 0);
    // The question starts on 是; Tab goes to 否.
    SendKeys({VK_TAB});
    ASSERT_TRUE(FocusComesTo(question, IDC_PROMPT_CANCEL));
    SendKeys({VK_SPACE});
    EXPECT_TRUE(WaitUntil([&] { return tool.Prompt(0) == nullptr; }));
    EXPECT_TRUE(tool.JournalLines("CustomerFeedbackEx").empty()) << "否 recorded a restart";
    EXPECT_TRUE(FocusComesTo(panel, IDC_REPAIR));

    SendKeys({VK_MENU, VK_F4});
    HWND feedback = tool.FeedbackDialog();
    ASSERT_NE(feedback, nullptr) << "Alt+F4 did not ask whether the problem was solved";
    EXPECT_TRUE(FocusComesTo(feedback, IDC_SOLVED));
    SendKeys({VK_RETURN});
    EXPECT_EQ(tool.WaitForExit(), 0) << "the answer did not end the tool";
    const auto answers = tool.JournalLines("CustomerFeedbackEx");
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(JournalField(answers[0], "answer"), "1");
    EXPECT_TRUE(WaitUntil([&] { return !IsFolder(tool.Folder()); }, 15000)) << "the tool did not remove itself";
}

class FocusCue : public testing::TestWithParam<DWORD> {};

TEST_P(FocusCue, NoControlShowsItAtStartAndTheOneTabReachesDoes)
{
    ToolSetup setup;
    setup.dpi = GetParam();
    ToolRun tool(setup);
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    SendMouseTo(kAway);
    ASSERT_TRUE(FocusComesTo(panel, IDC_REPAIR));
    const CRect repair = ClientRectOnScreen(GetDlgItem(panel, IDC_REPAIR));
    const CRect moreTools = ClientRectOnScreen(GetDlgItem(panel, IDC_MORE_TOOLS));
    const Pixels repairAtStart = CaptureScreen(repair), moreToolsAtStart = CaptureScreen(moreTools);

    // A cue a user can see: at least a quarter of the dots of a ring around the button.
    const auto showsCue = [](const Pixels& before, const CRect& area) {
        return WaitUntil([&] { return PixelsChanged(before, area) >= size_t(area.Width() + area.Height()) / 2; }, 2000);
    };
    SendKeys({VK_TAB});
    ASSERT_TRUE(FocusComesTo(panel, IDC_MORE_TOOLS));
    EXPECT_TRUE(showsCue(moreToolsAtStart, moreTools)) << "更多工具 has the focus and does not show it";
    EXPECT_EQ(PixelsChanged(repairAtStart, repair), 0u) << "一键修复 showed a cue before any key";
    SendKeys({VK_SHIFT, VK_TAB});
    ASSERT_TRUE(FocusComesTo(panel, IDC_REPAIR));
    EXPECT_TRUE(showsCue(repairAtStart, repair)) << "一键修复 has the focus back and does not show it";
    EXPECT_TRUE(WaitUntil([&] { return PixelsChanged(moreToolsAtStart, moreTools) == 0; }, 2000))
        << "更多工具 kept its cue after the focus left";
}

INSTANTIATE_TEST_SUITE_P(Dpi, FocusCue, testing::Values(96, 120, 144),
                         [](const testing::TestParamInfo<DWORD>& info) { return std::to_string(info.param); });

TEST(ScreenReader, GoingRoundTheMainWindowAndTheConfirmationReadsWhatEachControlShows)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ToolRun tool;
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    SendMouseTo(kAway);
    EXPECT_EQ(AccessibleName(panel), CString(L"PalluxAMD屏闪修复工具"));
    EXPECT_EQ(AccessibleName(GetDlgItem(panel, IDC_VERSION)), CString(L"版本 1.5.21.423"));

    // In reading order, and round again to the start; Space and Enter work the links as a click does.
    const struct {
        int id;
        const wchar_t* name;
        WORD key;  // pressed there
        const char* opens;
    } round[] = {
        {IDC_REPAIR, L"一键修复", 0, nullptr},
        {IDC_MORE_TOOLS, L"更多工具", 0, nullptr},
        {IDC_AGREE, L"同意《Quelto服务工具使用许可协议》", VK_SPACE, nullptr},
        {IDC_AGREEMENT_LINK, L"《Quelto服务工具使用许可协议》", VK_RETURN, "OpenUseAgreementUrl"},
        {IDC_FEEDBACK_LINK, L"反馈问题", VK_SPACE, "FeedbackQuestion"},
        {IDC_MINIMIZE, L"最小化", 0, nullptr},
        {IDC_CLOSE, L"关闭", 0, nullptr},
    };
    for (const auto& stop : round) {
        ASSERT_TRUE(FocusComesTo(panel, stop.id)) << "Tab did not come to " << CString(stop.name);
        EXPECT_EQ(AccessibleName(FocusIn(panel)), CString(stop.name));
        if (stop.key != 0) SendKeys({stop.key});
        if (stop.opens != nullptr) {
            EXPECT_TRUE(WaitUntil([&] { return tool.JournalLines(stop.opens).size() == 1; })) << stop.opens;
        }
        SendKeys({VK_TAB});
    }
    // Space unticked the box: the repair is out of reach, and the round starts at 更多工具.
    EXPECT_EQ(SendMessageW(GetDlgItem(panel, IDC_AGREE), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    ASSERT_TRUE(FocusComesTo(panel, IDC_MORE_TOOLS));
    SendKeys({VK_TAB});
    SendKeys({VK_SPACE});
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(GetDlgItem(panel, IDC_REPAIR)) != FALSE; }));
    SendKeys({VK_SHIFT, VK_TAB});
    SendKeys({VK_SHIFT, VK_TAB});
    ASSERT_TRUE(FocusComesTo(panel, IDC_REPAIR)) << "Shift+Tab does not go back";

    SendKeys({VK_RETURN});
    HWND confirm = tool.PromptSaying(kConfirmText);
    ASSERT_NE(confirm, nullptr) << "Enter on 一键修复 did not ask for confirmation";
    EXPECT_EQ(AccessibleName(confirm), CString(L"提示"));
    EXPECT_EQ(AccessibleName(GetDlgItem(confirm, IDC_PROMPT_TEXT)), CString(kConfirmText));
    for (const auto& [id, name] : {std::pair{IDC_PROMPT_OK, L"确认"}, {IDC_PROMPT_CANCEL, L"取消"}, {IDC_CLOSE, L"关闭"}}) {
        ASSERT_TRUE(FocusComesTo(confirm, id)) << "Tab did not come to " << CString(name);
        EXPECT_EQ(AccessibleName(FocusIn(confirm)), CString(name));
        SendKeys({VK_TAB});
    }
    EXPECT_TRUE(FocusComesTo(confirm, IDC_PROMPT_OK)) << "Tab does not go round the confirmation";
    SendKeys({VK_ESCAPE});
    EXPECT_TRUE(WaitUntil([&] { return tool.Prompt(0) == nullptr; }));
    CoUninitialize();
}

}  // namespace

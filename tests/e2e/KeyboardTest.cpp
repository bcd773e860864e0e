// The tool used without a mouse and with a screen reader, in one session: what a screen reader reads,
// through the accessibility layer, as the keyboard goes round the main window and the confirmation,
// and then the whole repair with keys alone while the cursor rests far from every control. The focus
// cue is the main window's case at each scale.
#include <gtest/gtest.h>

#include <oleacc.h>

#include "ToolDriver.h"

namespace {

// The name a screen reader reads for `window`. IAccessible by its GUID: MinGW's IID_IAccessible
// symbol did not match it.
CString AccessibleName(HWND window)
{
    static const GUID kIAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    IAccessible* object = nullptr;
    BSTR name = nullptr;
    VARIANT self{};
    self.vt = VT_I4;  // CHILDID_SELF
    if (SUCCEEDED(AccessibleObjectFromWindow(window, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&object)))) {
        object->get_accName(self, &name);
        object->Release();
    }
    const CString text = name != nullptr ? CString(name) : CString(L"(none)");
    SysFreeString(name);
    return text;
}

TEST(Keyboard, AScreenReaderGoesRoundTheWindowAndTheWholeRepairIsDoneWithKeysAloneWhileTheCursorRestsAway)
{
    ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
    ToolRun tool;
    HWND panel = tool.MainPanel();
    ASSERT_NE(panel, nullptr);
    SetRepairValue(1);
    SendMouseTo(kAway);
    EXPECT_EQ(AccessibleName(panel), CString(L"PalluxAMD屏闪修复工具"));
    EXPECT_EQ(AccessibleName(GetDlgItem(panel, IDC_VERSION)), CString(L"版本 1.5.21.423"));
    SendKeys({VK_ESCAPE});  // does nothing to the main window

    // In reading order, and round to the start again; Space and Enter work the links and the
    // window buttons as a click does.
    const struct {
        int id;
        const wchar_t* name;
        WORD key;  // pressed there
        const char* opens;
    } round[] = {
        {IDC_REPAIR, L"一键修复", 0, nullptr},
        {IDC_MORE_TOOLS, L"更多工具", 0, nullptr},
        {IDC_AGREE, L"同意《Quelto服务工具使用许可协议》", 0, nullptr},
        {IDC_AGREEMENT_LINK, L"《Quelto服务工具使用许可协议》", VK_RETURN, "OpenUseAgreementUrl"},
        {IDC_FEEDBACK_LINK, L"反馈问题", VK_SPACE, "FeedbackQuestion"},
        {IDC_MINIMIZE, L"最小化", VK_SPACE, nullptr},
        {IDC_CLOSE, L"关闭", 0, nullptr},
    };
    HWND shell = ToolRun::ShellOf(panel);
    for (const auto& stop : round) {
        ASSERT_TRUE(FocusComesTo(panel, stop.id)) << "Tab did not come to " << CString(stop.name);
        EXPECT_EQ(AccessibleName(GetDlgItem(panel, stop.id)), CString(stop.name));
        if (stop.key != 0) SendKeys({stop.key});
        if (stop.opens != nullptr) {
            EXPECT_TRUE(WaitUntil([&] { return tool.JournalLines(stop.opens).size() == 1; })) << stop.opens;
        } else if (stop.id == IDC_MINIMIZE) {
            ASSERT_TRUE(WaitUntil([&] { return IsIconic(shell) && !IsWindowVisible(panel); })) << "not minimised";
            PostMessageW(shell, WM_SYSCOMMAND, SC_RESTORE, 0);  // as the taskbar does
            ASSERT_TRUE(WaitUntil([&] { return !IsIconic(shell) && IsWindowVisible(panel); })) << "not restored";
            Settle(panel);
            EXPECT_TRUE(FocusComesTo(panel, IDC_MINIMIZE)) << "the keyboard did not come back to 最小化";
        }
        SendKeys({VK_TAB});
    }
    ASSERT_TRUE(FocusComesTo(panel, IDC_REPAIR)) << "Tab does not go round to 一键修复";

    // Enter on 一键修复 asks first, and held down, its repeats answer nothing; Esc changes nothing and
    // gives the keyboard back to 一键修复, where Space asks again; Enter on the confirmation repairs.
    HWND confirm = nullptr;
    for (const auto& [press, answer] : {std::pair<WORD, WORD>{VK_RETURN, VK_ESCAPE}, {VK_SPACE, VK_RETURN}}) {
        // Enter is held until the prompt is up; a button takes Space when it is let go.
        const bool held = press == VK_RETURN;
        INPUT key{};
        key.type = INPUT_KEYBOARD;
        key.ki.wVk = press;
        SendInput(1, &key, sizeof key);
        key.ki.dwFlags = KEYEVENTF_KEYUP;
        if (!held) SendInput(1, &key, sizeof key);
        confirm = tool.PromptSaying(kConfirmText);
        // The keyboard's repeats as Windows gives them, the key's previous state "down": Wine forgets
        // a key held across the prompt's activation and would give them as new presses.
        for (int repeat = 0; held && confirm != nullptr && repeat < 10; ++repeat)
            PostMessageW(GetDlgItem(confirm, IDC_PROMPT_OK), WM_KEYDOWN, VK_RETURN, 0x401C0001);
        if (held) SendInput(1, &key, sizeof key);
        ASSERT_NE(confirm, nullptr) << "key " << press << " on 一键修复 did not ask for confirmation";
        EXPECT_EQ(AccessibleName(confirm), CString(L"提示"));
        for (const auto& [id, name] : {std::pair{IDC_PROMPT_TEXT, kConfirmText}, {IDC_PROMPT_OK, L"确认"},
                                       {IDC_PROMPT_CANCEL, L"取消"}, {IDC_CLOSE, L"关闭"}})
            EXPECT_EQ(AccessibleName(GetDlgItem(confirm, id)), CString(name));
        ASSERT_FALSE(WaitUntil([&] { return !IsWindowVisible(confirm); }, 1000)) << "the held key answered the confirmation";
        SendKeys({answer});
        if (answer == VK_ESCAPE) {
            EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(confirm); }));
        }
    }
    ASSERT_NE(tool.AnswerTo(confirm), nullptr) << "Enter on the confirmation did not repair";
    EXPECT_EQ(RepairValue(), 0);
    // The question starts on 是; Tab goes to 否.
    SendKeys({VK_TAB});
    SendKeys({VK_SPACE});
    EXPECT_TRUE(WaitUntil([&] { return tool.Prompt(0) == nullptr; }));
    EXPECT_TRUE(tool.JournalLines("CustomerFeedbackEx").empty()) << "否 recorded a restart";

    SendKeys({VK_MENU, VK_F4});
    ASSERT_NE(tool.FeedbackDialog(), nullptr) << "Alt+F4 did not ask whether the problem was solved";
    SendKeys({VK_RETURN});  // on "问题已解决，继续保持！"
    EXPECT_EQ(tool.WaitForExit(), 0) << "the answer did not end the tool";
    EXPECT_EQ(JournalField(tool.JournalLines("CustomerFeedbackEx").at(0), "answer"), "1");
    CoUninitialize();
}

}  // namespace

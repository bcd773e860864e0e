// Dialogs from templates with real windows and real messages: the modal loop and its results, the
// owner's disabling and reactivation, centring, PreTranslateMessage order and the order of
// destruction. Subclassed and owner-drawn controls are the skinned controls' tests' part.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"

namespace {

constexpr UINT kTemplate = 500;
constexpr int kPlain = 502;

CWinApp g_app;  // the application object the safe-owner rule looks at

using Log = std::vector<std::string>;
Log g_log;  // what the test windows saw, in order

class KeyWatchingButton : public CButton {
public:
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN) g_log.push_back("control sees key");
        return FALSE;
    }
};

// A test dialog: `onInit` runs inside OnInitDialog, `later` at the first timer tick after it.
class ScriptedDialog : public CDialog {
public:
    explicit ScriptedDialog(UINT templateId = kTemplate) : CDialog(templateId, nullptr) {}

    std::function<void(ScriptedDialog&)> onInit;
    std::function<void(ScriptedDialog&)> later;
    std::string name = "dialog";
    KeyWatchingButton plain;

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN) g_log.push_back(name + " sees key");
        // F5 is swallowed here, never dispatched.
        return (pMsg->message == WM_KEYDOWN && pMsg->wParam == VK_F5) || CDialog::PreTranslateMessage(pMsg);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, kPlain, plain); }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (onInit) onInit(*this);
        if (later) SetTimer(1, 10);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_TIMER) {
            KillTimer(1);
            later(*this);
            return 0;
        }
        if (message == WM_KEYDOWN) g_log.push_back(name + " got WM_KEYDOWN");
        if (message == WM_DESTROY) g_log.push_back(name + " destroyed");
        return CDialog::WindowProc(message, wParam, lParam);
    }
};

// A visible, modeless owner that serves as the application's main window for one test.
struct MainWindow {
    ScriptedDialog dialog;
    MainWindow()
    {
        EXPECT_TRUE(dialog.Create(kTemplate));
        dialog.MoveWindow(100, 120, 420, 300);
        dialog.ShowWindow(SW_SHOW);
        g_app.m_pMainWnd = &dialog;
    }
    ~MainWindow()
    {
        g_app.m_pMainWnd = nullptr;
        dialog.DestroyWindow();
    }
};

TEST(Dialog, ModalLoopEndsWithTheResultGiven)
{
    const struct {
        const char* how;
        std::function<void(ScriptedDialog&)> end;
        INT_PTR result;
    } kEndings[] = {
        {"OK", [](ScriptedDialog& d) { d.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)); }, IDOK},
        {"WM_CLOSE", [](ScriptedDialog& d) { d.PostMessage(WM_CLOSE); }, IDCANCEL},
        {"EndDialog", [](ScriptedDialog& d) { d.EndDialog(42); }, 42},
        // By its owner or the system, without EndDialog: the loop must end too.
        {"DestroyWindow", [](ScriptedDialog& d) { d.DestroyWindow(); }, -1},
    };
    for (const auto& ending : kEndings) {
        ScriptedDialog dialog;
        dialog.later = ending.end;
        EXPECT_EQ(dialog.DoModal(), ending.result) << ending.how;
        EXPECT_EQ(dialog.m_hWnd, nullptr) << "the dialog's window outlived DoModal: " << ending.how;
    }
    EXPECT_EQ(ScriptedDialog(9999).DoModal(), -1) << "a missing template";
}

TEST(Dialog, OwnerAndEveryWindowItOwnsAreDisabledWhileModalAndExactlyThoseEnabledAfter)
{
    MainWindow main;
    ScriptedDialog panel;  // owned by the main window, as a pair's content is
    ScriptedDialog disabledBefore;
    ASSERT_TRUE(panel.Create(kTemplate, &main.dialog));
    ASSERT_TRUE(disabledBefore.Create(kTemplate, &main.dialog));
    disabledBefore.EnableWindow(FALSE);
    HWND ownerSeen = nullptr;
    BOOL enabledDuring[2] = {TRUE, TRUE};
    BOOL hiddenAtEnd = FALSE;
    ScriptedDialog modal;  // no parent: the application's main window owns it
    modal.later = [&](ScriptedDialog& d) {
        ownerSeen = GetWindow(d.m_hWnd, GW_OWNER);
        enabledDuring[0] = main.dialog.IsWindowEnabled();
        enabledDuring[1] = panel.IsWindowEnabled();
        d.EndDialog(IDOK);
        hiddenAtEnd = !d.IsWindowVisible() && main.dialog.IsWindowEnabled();
    };
    EXPECT_EQ(modal.DoModal(), IDOK);
    EXPECT_EQ(ownerSeen, main.dialog.m_hWnd);
    EXPECT_FALSE(enabledDuring[0]);
    EXPECT_FALSE(enabledDuring[1]) << "a window the owner owns stayed clickable under the modal dialog";
    EXPECT_TRUE(hiddenAtEnd) << "EndDialog must give the owners back and leave the screen at once";
    EXPECT_TRUE(main.dialog.IsWindowEnabled());
    EXPECT_TRUE(panel.IsWindowEnabled());
    EXPECT_FALSE(disabledBefore.IsWindowEnabled()) << "a window disabled before must stay disabled";
    EXPECT_EQ(GetActiveWindow(), main.dialog.m_hWnd);
}

// Where a modal dialog stands while it runs; `onInit` may move it during its initialisation.
CRect ModalPlace(std::function<void(ScriptedDialog&)> onInit = {})
{
    CRect place;
    ScriptedDialog dialog;
    dialog.onInit = std::move(onInit);
    dialog.later = [&](ScriptedDialog& d) {
        place = d.GetWindowRect();
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    return place;
}

// Centred over a visible owner: the prompt's test sees that over the main window.
TEST(Dialog, DialogLeftInPlaceWithAHiddenOwnerIsCentredOverTheWorkAreaAndOneMovedStays)
{
    MainWindow main;
    main.dialog.ShowWindow(SW_HIDE);
    const CRect place = ModalPlace();
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    // Twice the centres, within a pixel each.
    EXPECT_NEAR(place.left + place.right, work.left + work.right, 2);
    EXPECT_NEAR(place.top + place.bottom, work.top + work.bottom, 2);

    const CRect moved =
        ModalPlace([](ScriptedDialog& d) { d.SetWindowPos(nullptr, 7, 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER); });
    EXPECT_EQ(moved, CRect(7, 9, 7 + place.Width(), 9 + place.Height()));
}

TEST(Dialog, PreTranslateMessageSeesMessagesFirstFromTheControlUp)
{
    ScriptedDialog dialog;
    dialog.later = [](ScriptedDialog& d) {
        PostMessageW(d.GetDlgItem(kPlain), WM_KEYDOWN, VK_F5, 0);  // swallowed by the dialog's PreTranslateMessage
        PostMessageW(d.m_hWnd, WM_KEYDOWN, VK_F6, 0);  // reaches the dialog's window procedure
        d.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    };
    g_log.clear();
    dialog.DoModal();
    EXPECT_EQ(g_log, (Log{"control sees key", "dialog sees key", "dialog sees key", "dialog got WM_KEYDOWN",
                          "dialog destroyed"}));
}

TEST(Dialog, ModelessDialogIsOwnedByItsParentAndDestroyedBeforeIt)
{
    ScriptedDialog owner;
    ScriptedDialog owned;
    owner.name = "owner";
    owned.name = "owned";
    ASSERT_TRUE(owner.Create(kTemplate));
    ASSERT_TRUE(owned.Create(kTemplate, &owner));
    EXPECT_EQ(GetWindow(owned.m_hWnd, GW_OWNER), owner.m_hWnd);
    g_log.clear();
    owner.DestroyWindow();
    EXPECT_EQ(owner.m_hWnd, nullptr);
    EXPECT_EQ(owned.m_hWnd, nullptr);
    EXPECT_EQ(owned.plain.m_hWnd, nullptr) << "a control's object is unbound when its window goes";
    EXPECT_EQ(g_log, (Log{"owned destroyed", "owner destroyed"})) << "owned windows go before their owner";
}

}  // namespace

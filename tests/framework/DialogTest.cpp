// Dialogs from templates with real windows and real messages: the modal loop and its results, the
// owner's disabling and reactivation, centring, PreTranslateMessage order, subclassed controls,
// owner-drawn buttons and the order of destruction.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/WinApp.h"

namespace {

constexpr UINT kTemplate = 500;
constexpr int kOwnerDrawn = 501;
constexpr int kPlain = 502;

CWinApp g_app;  // the application object the safe-owner rule looks at

using Log = std::vector<std::string>;

class RecordingButton : public CButton {
public:
    explicit RecordingButton(Log& log) : m_log(log) {}
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN) m_log.push_back("control sees key");
        return FALSE;
    }
    void DrawItem(LPDRAWITEMSTRUCT drawItem) override
    {
        m_log.push_back("DrawItem " + std::to_string(drawItem->CtlID));
        FillRect(drawItem->hDC, &drawItem->rcItem, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_LBUTTONDOWN:
            m_log.push_back("control got WM_LBUTTONDOWN");
            return Default();
        case WM_DESTROY:
            m_log.push_back("control destroyed");
            return Default();
        default:
            return CButton::WindowProc(message, wParam, lParam);
        }
    }

private:
    Log& m_log;
};

// A test dialog: `onInit` runs inside OnInitDialog, `later` at the first timer tick after it.
class ScriptedDialog : public CDialog {
public:
    explicit ScriptedDialog(CWnd* parent = nullptr, UINT templateId = kTemplate)
        : CDialog(templateId, parent), drawn(log), plain(log)
    {
    }

    std::function<void(ScriptedDialog&)> onInit;
    std::function<void(ScriptedDialog&)> later;
    Log log;
    std::string name = "dialog";
    Log* destructionOrder = nullptr;  // shared between dialogs
    RecordingButton drawn;
    RecordingButton plain;

    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_KEYDOWN) {
            log.push_back(name + " sees key");
            if (pMsg->wParam == VK_F5) return TRUE;  // swallowed here, never dispatched
        }
        return CDialog::PreTranslateMessage(pMsg);
    }

protected:
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, kOwnerDrawn, drawn);
        DDX_Control(pDX, kPlain, plain);
    }
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (onInit) onInit(*this);
        if (later) SetTimer(1, 10);
        return TRUE;
    }
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        switch (message) {
        case WM_TIMER:
            return OnTimer();
        case WM_COMMAND:
            if (LOWORD(wParam) == kPlain && HIWORD(wParam) == BN_CLICKED) log.push_back("dialog got BN_CLICKED");
            return CDialog::WindowProc(message, wParam, lParam);
        case WM_KEYDOWN:
            log.push_back(name + " got WM_KEYDOWN");
            return 0;
        case WM_DESTROY:
            log.push_back(name + " destroyed");
            if (destructionOrder != nullptr) destructionOrder->push_back(name);
            return Default();
        default:
            return CDialog::WindowProc(message, wParam, lParam);
        }
    }

private:
    LRESULT OnTimer()
    {
        KillTimer(1);
        if (later) later(*this);
        return 0;
    }
};

CPoint Centre(const RECT& rect)
{
    return CPoint((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

// A visible, modeless owner that serves as the application's main window for one test.
struct MainWindow {
    ScriptedDialog dialog;
    MainWindow()
    {
        dialog.name = "main";
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
    ScriptedDialog ok;
    ok.onInit = [](ScriptedDialog& d) { d.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)); };
    EXPECT_EQ(ok.DoModal(), IDOK);
    EXPECT_EQ(ok.m_hWnd, nullptr) << "the dialog's window outlived DoModal";

    ScriptedDialog closed;
    closed.later = [](ScriptedDialog& d) { d.PostMessage(WM_CLOSE); };
    EXPECT_EQ(closed.DoModal(), IDCANCEL) << "WM_CLOSE must end a dialog with IDCANCEL";

    ScriptedDialog ended;
    ended.later = [](ScriptedDialog& d) { d.EndDialog(42); };
    EXPECT_EQ(ended.DoModal(), 42);

    ScriptedDialog destroyed;  // by its owner or the system, without EndDialog: the loop must end too
    destroyed.later = [](ScriptedDialog& d) { d.DestroyWindow(); };
    EXPECT_EQ(destroyed.DoModal(), -1);

    ScriptedDialog missing(nullptr, 9999);
    EXPECT_EQ(missing.DoModal(), -1);
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

TEST(Dialog, DialogLeftInPlaceIsCentredOverItsOwnerOrTheWorkArea)
{
    MainWindow main;
    const CPoint overOwner = Centre(ModalPlace());
    const CPoint ownerCentre = Centre(main.dialog.GetWindowRect());
    EXPECT_NEAR(overOwner.x, ownerCentre.x, 1);
    EXPECT_NEAR(overOwner.y, ownerCentre.y, 1);

    main.dialog.ShowWindow(SW_HIDE);
    const CPoint overWorkArea = Centre(ModalPlace());
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(overWorkArea.x, Centre(work).x, 1);
    EXPECT_NEAR(overWorkArea.y, Centre(work).y, 1);

    const CRect moved =
        ModalPlace([](ScriptedDialog& d) { d.SetWindowPos(nullptr, 7, 9, 0, 0, SWP_NOSIZE | SWP_NOZORDER); });
    EXPECT_EQ(moved.TopLeft().x, 7);
    EXPECT_EQ(moved.TopLeft().y, 9);
}

TEST(Dialog, PreTranslateMessageSeesMessagesFirstFromTheControlUp)
{
    ScriptedDialog dialog;
    dialog.later = [](ScriptedDialog& d) {
        HWND plain = d.GetDlgItem(kPlain);
        PostMessageW(plain, WM_KEYDOWN, VK_F5, 0);  // swallowed by the dialog's PreTranslateMessage
        PostMessageW(d.m_hWnd, WM_KEYDOWN, VK_F6, 0);  // reaches the dialog's window procedure
        d.PostMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
    };
    dialog.DoModal();
    const Log expected = {"control sees key", "dialog sees key", "dialog sees key", "dialog got WM_KEYDOWN"};
    Log keys;
    for (const std::string& entry : dialog.log)
        if (entry.find("key") != std::string::npos || entry.find("KEYDOWN") != std::string::npos) keys.push_back(entry);
    EXPECT_EQ(keys, expected);
}

TEST(Dialog, SubclassedControlsGetTheirMessagesAndOwnerDrawnOnesPaintInDrawItem)
{
    ScriptedDialog dialog;
    dialog.later = [](ScriptedDialog& d) {
        d.plain.SendMessage(BM_CLICK);
        d.EndDialog(IDOK);
    };
    dialog.DoModal();
    const Log& log = dialog.log;
    auto has = [&log](const std::string& entry) { return std::find(log.begin(), log.end(), entry) != log.end(); };
    EXPECT_TRUE(has("DrawItem " + std::to_string(kOwnerDrawn)));
    EXPECT_TRUE(has("control got WM_LBUTTONDOWN"));
    EXPECT_TRUE(has("dialog got BN_CLICKED"));
    EXPECT_EQ(dialog.drawn.m_hWnd, nullptr) << "the control's object is unbound when its window goes";
}

TEST(Dialog, ModelessDialogIsOwnedByItsParentAndDestroyedBeforeIt)
{
    Log order;
    ScriptedDialog owner;
    ScriptedDialog owned;
    owner.name = "owner";
    owned.name = "owned";
    owner.destructionOrder = &order;
    owned.destructionOrder = &order;
    ASSERT_TRUE(owner.Create(kTemplate));
    ASSERT_TRUE(owned.Create(kTemplate, &owner));
    EXPECT_EQ(GetWindow(owned.m_hWnd, GW_OWNER), owner.m_hWnd);
    owner.DestroyWindow();
    EXPECT_EQ(owner.m_hWnd, nullptr);
    EXPECT_EQ(owned.m_hWnd, nullptr);
    EXPECT_EQ(order, (Log{"owned", "owner"})) << "owned windows go before their owner";
}

}  // namespace

#pragma once
// Dialogs from resource templates, modal (with their own loop) or modeless, and the binding of a
// template's controls to their objects.
#include <vector>

#include "framework/Wnd.h"

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, BOOL saveAndValidate) : m_pDlgWnd(dialog), m_bSaveAndValidate(saveAndValidate) {}
    CWnd* m_pDlgWnd;
    BOOL m_bSaveAndValidate;
};

// Binds control `id` of the dialog to `control` by subclassing, once.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally. The owner (the parent's top-level window, or without a parent the
    // application's main window), its owners and every window they own are disabled meanwhile;
    // exactly those are enabled again, and the owner activated, when the dialog ends. Returns the
    // EndDialog result, or -1 when the dialog could not be created or was destroyed without one.
    virtual INT_PTR DoModal();
    // Makes the window DoModal will run ahead of time, hidden and without the focus, with the owner
    // DoModal would give it, so that DoModal only has to show it. FALSE when it could not be made
    // (DoModal then makes it as usual).
    BOOL PrepareModal();
    // Creates the dialog modelessly; `parent` (or, without one, the main window) becomes its owner.
    BOOL Create(UINT templateId, CWnd* parent = nullptr);

    // A modal dialog gives its owners back and disappears at once (its loop ends once the message
    // being handled, and any modal loop running inside it, has returned); a modeless one hides.
    void EndDialog(INT_PTR result);
    UINT TemplateId() const { return m_nIDTemplate; }
    BOOL UpdateData(BOOL saveAndValidate = TRUE);

    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange*) {}
    // Shows the window DoModal runs, once it exists.
    virtual void ShowModalWindow() { ShowWindow(SW_SHOWNORMAL); }
    void PostNcDestroy() override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    BOOL HandleInitDialog();
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    BOOL CreateFromTemplate(HWND owner);
    void RunModalLoop();
    BOOL WalkPreTranslate(MSG* pMsg);
    static INT_PTR CALLBACK StaticDlgProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    void LeaveModalState();
    // The window a modal run of this dialog belongs to.
    HWND ModalOwner() const;

    INT_PTR m_nModalResult = -1;
    bool m_bModal = false;
    bool m_bEndModal = false;
    bool m_bPrepared = false;
    HWND m_hModalOwner = nullptr;
    std::vector<HWND> m_disabledByModal;
};

// Whether the last key or button press this thread's dialogs received came from the keyboard: a
// window opened by a key shows where the keyboard is from the start, one opened by a click does not.
bool LastInputWasKeyboard();

// The enabled top-level windows of this thread that belong to `owner`'s family: `owner`, the
// windows above it in its owner chain, and every window any of them owns.
std::vector<HWND> EnabledWindowsOwnedWith(HWND owner);

// The window a dialog belongs to: the first non-child window above `parent`, or the application's
// main window when there is no parent (unless `self` is that main window). `top` receives the
// highest owner above that one. None when that window is hidden, so that the dialog keeps a taskbar
// button of its own.
HWND SafeOwnerOf(HWND parent, const CWnd* self, HWND* top);

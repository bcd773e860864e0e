#pragma once
// Every window of the tool is a pair: a layered shell whose whole look is one PNG with per-pixel
// alpha (a soft shadow and rounded frame), pushed to the screen once, and an opaque content
// dialog owned by the shell and placed inside its transparent margin. The user drags the pair by
// the content's top band; the content moves the shell after itself.
#include <memory>

#include "framework/Dialog.h"
#include "framework/Gdiplus.h"

// What makes one pair differ from another. Lengths are design pixels at scale 1.0.
struct PairLayout {
    UINT shellTemplate;
    UINT frameImage;
    SIZE frame;     // the frame is drawn at trunc(frame · scale)
    RECT insets;    // the content's margins inside the shell: left, top, right, bottom
    bool centreOnWorkArea;  // true: the pair places itself centred on the work area of the monitor
                            // it starts on; false: the dialog framework centres the shell over its owner
    BOOL moveContentAtStart;  // the shell's own moves carry the content until the content leads
    bool measuresScale;       // true: the shell reads the screen's DPI; false: its caller sets m_fScale
};

class CLayeredShellDlg;

class CLayeredContentDlg : public CDialog {
public:
    // `dragExclusion`: design pixels at the right end of the top band that do not drag (the
    // window buttons sit there); a negative value means the content cannot be dragged at all.
    CLayeredContentDlg(UINT templateId, UINT backgroundImage, int dragExclusion, BOOL inCaptionAtStart);
    ~CLayeredContentDlg() override;

    float m_fScale = 1.0f;
    BOOL m_bInCaption;
    // Where the shell places the panel (screen pixels); empty: where its template puts it.
    CRect m_rcStart;
    // Shows the panel, with the keyboard cues a panel opened now has; it takes the keyboard now.
    // A panel takes no focus while it is made hidden: the keyboard stays with the window the user
    // sees, and Wine would make the hidden window the active one.
    void ShowPanel();

    // The keyboard in a panel: Enter presses the focused button or link, Space the focused link
    // (a button presses itself), Tab and the arrow keys show where the keyboard is.
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    // Background first; when it is there the controls are laid out and configured once, and laid
    // out again at every WM_SIZE from then on.
    BOOL OnInitDialog() override;
    virtual void LayoutControls(BOOL /*bFirst*/) {}
    // Moves the panel to the place its shell chose before anything is laid out: laid out at the
    // template's size first, every control would be placed twice.
    void TakeStartPlace();
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // The background picture, loaded on first use; FALSE when it cannot be had.
    BOOL EnsureBackground();
    CLayeredShellDlg* Shell() const;

    // A content panel is modeless: Enter, Esc and Alt+F4 must never just hide it, which would
    // leave its shell's modal loop running with nothing on screen. Enter does nothing; Esc and
    // Alt+F4 ask the pair to close, by default with WM_CLOSE to the shell.
    virtual void OnCloseRequest();
    // Where the keyboard starts when the panel has no control of its own to go back to; none: the
    // first control Tab reaches.
    virtual HWND FirstFocus() const { return nullptr; }
    void OnOK() override {}
    void OnCancel() override { OnCloseRequest(); }

    std::unique_ptr<Gdiplus::Image> m_pImgBackground;  // lent to the controls that paint over it
    BOOL m_bInitialized = FALSE;

private:
    // The panel's keyboard cues, kept here for its controls, which ask with WM_QUERYUISTATE: hidden
    // (UISF_HIDEFOCUS) in a panel opened by a click until a key moves the focus, shown from the start
    // in one opened by a key, always shown when the system's keyboard-cue setting says so.
    static WORD InitialUiState();
    void OnChangeUiState(WPARAM wParam);
    void PressFocusedControl();
    // The control the keyboard was on is kept when the panel goes inactive or hidden (its shell
    // minimised, a prompt over it), and the keyboard goes back to it when the panel gets the focus.
    void KeepFocus();
    LRESULT OnSetFocus();

    LRESULT OnEraseBkgnd(HDC dc);
    LRESULT OnNcHitTest(POINT screenPoint);
    LRESULT OnMove();
    LRESULT OnDestroy();

    UINT m_nBackgroundImage;
    int m_nDragExclusion;
    WORD m_uiState = 0;
    HWND m_hKeptFocus = nullptr;
};

class CLayeredShellDlg : public CDialog {
public:
    CLayeredShellDlg(const PairLayout& layout, CWnd* parent);
    ~CLayeredShellDlg() override;

    // Called by the content with its window rectangle while it leads: the shell moves to keep the
    // content at its insets. The shell keeps the size its frame was drawn at. Returns 0.
    int FollowContent(int left, int top, int right, int bottom);

    CLayeredContentDlg* Content() const { return m_pContentDlg.get(); }

    float m_fScale = 1.0f;
    BOOL m_bMoveContent;

protected:
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A pair that cannot draw its frame would sit invisible with its owner disabled: it ends at
    // once with -1 (and shows nothing).
    BOOL OnFrameFailed();
    // The pair's content object, its window not yet created (the object knows its template);
    // the shell owns it.
    virtual std::unique_ptr<CLayeredContentDlg> CreateContent() = 0;
    // What a pair adds right after the base initialisation, before its frame is drawn.
    virtual void OnInitShell() {}
    // The shell first, then its content: shown the other way round, Wine's display driver can
    // later stack the layered shell above the content it owns. Only the content is activated: it
    // takes the keyboard anyway, and activating the frame first costs a round of activation.
    void ShowModalWindow() override;

    std::unique_ptr<Gdiplus::Image> m_pImgShadow;
    std::unique_ptr<CLayeredContentDlg> m_pContentDlg;

private:
    BOOL DrawFrame(POINT at, SIZE size);
    CRect ContentRectIn(const RECT& shell) const;
    LRESULT OnMove();
    LRESULT OnDestroy();

    const PairLayout m_layout;
};

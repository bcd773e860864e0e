#pragma once
// A dialog holding one of each skinned control, set up as the tool's windows set them up, run
// modeless on the test thread.
#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "controls/CheckBoxBtn.h"
#include "controls/DrawStateInfoStatic.h"
#include "controls/DrawTextStatic.h"
#include "controls/ImageButton.h"
#include "controls/PngButton.h"
#include "framework/Dialog.h"
#include "support/WindowProbe.h"

class ControlsDialog : public CDialog {
public:
    ControlsDialog();

    // Creates the dialog hidden, with its controls placed and configured.
    bool Create();
    // Shows it at `at` on the screen and waits until it has painted.
    bool Show(POINT at = {200, 150});

    CPngButton m_btnClose;        // 1004: 141 to 144, no background
    CImageButton m_btnRepair;     // 1012: 151 to 154 over the slice (58, 240, 342, 325) of 139, margins 19
    CImageButton m_btnMoreTools;  // 1016: 192 to 195 over the slice (45, 540, 103, 558) of 139, no margins
    CCheckBoxBtn m_chkAgree;      // 1010: checked, scale 1.0
    CDrawTextStatic m_stcVersion;    // 1011: white text over the slice (188, 16, 348, 31) of 139
    CDrawTextStatic m_stcAgreement;  // 1013: link colours on white
    CDrawStateInfoStatic m_stcStatus;  // 1000: single line, left, black on white

    std::unique_ptr<Gdiplus::Image> m_pImgBackground;  // PNG 139, lent to the controls
    std::map<int, int> m_clicks;  // BN_CLICKED per control id

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};


// A point given in the client coordinates of `window`, on the screen.
POINT OnScreen(HWND window, POINT client);
// Paints `window` and its children afresh, at once, erase included.
void Repaint(HWND window);
// The pixels of PNG `id` (or of its `part`), decoded and laid over `under`; none when it will not load.
Pixels Picture(UINT id, const RECT* part = nullptr, const Pixels* under = nullptr);

// Each test gets a fresh dialog on the screen, with the cursor away from it.
class ControlsTest : public ::testing::Test {
protected:
    static constexpr POINT kAway = {60, 60};

    void SetUp() override;
    void TearDown() override { dialog.DestroyWindow(); }

    ControlsDialog dialog;
};

#pragma once
// A dialog holding the skinned controls, set up as the tool's windows set them up and run modeless
// on the test thread; the fixture that shows it with the cursor away from it.
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
    ControlsDialog() : CDialog(700) {}

    // Creates the dialog hidden, with its controls placed and configured.
    bool Create() { return CDialog::Create(700) != FALSE; }
    // Puts it on the screen and waits until it has painted.
    bool Show();

    CPngButton m_btnClose;        // 1004: 141 to 144, no background
    CImageButton m_btnRepair;     // 1012: 151 to 154 over the slice (58, 240, 342, 325) of 139, margins 19
    CImageButton m_btnMoreTools;  // 1016: 192 to 195 over the slice (45, 540, 103, 558) of 139, no margins
    CCheckBoxBtn m_chkAgree;      // 1010: checked, scale 1.0
    CDrawTextStatic m_stcAgreement;    // 1013: link colours on white
    CDrawStateInfoStatic m_stcStatus;  // 1000: single line, left, black on white
    std::unique_ptr<Gdiplus::Image> m_pImgBackground;  // PNG 139, lent to the image buttons
    std::map<int, int> m_clicks;  // BN_CLICKED per control id

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

class ControlsTest : public ::testing::Test {
protected:
    static constexpr POINT kAway = {60, 60};

    void SetUp() override;
    void TearDown() override { dialog.DestroyWindow(); }

    ControlsDialog dialog;
};

// Paints `window` and its children afresh, at once, erase included.
void Repaint(HWND window);

#pragma once
// What the two artwork buttons share: four state images (normal, hover, pressed, disabled) that
// the button owns, drawn over a borrowed slice of the dialog's background, and the state the
// mouse gives them. The button stays a real push button: the system's button captures the mouse
// and tells the owner of a click with BN_CLICKED.
#include <memory>

#include "controls/ControlPaint.h"
#include "framework/Controls.h"
#include "framework/MouseTracking.h"

class CStateImageButton : public CButton {
public:
    CStateImageButton() = default;
    ~CStateImageButton() override;

    // Takes the four images' PNG resources, in this order, in place of any taken before. TRUE only
    // when all four are there. Each is decoded when first shown: most windows show one or two of
    // their buttons' images before the user moves the mouse, and the rest would only delay them.
    BOOL SetStateImages(UINT nNormal, UINT nHover, UINT nPressed, UINT nDisabled);
    // Deletes the four images; the owner calls it when its window goes.
    void ReleaseStateImages();
    void SetBackgroundImage(Gdiplus::Image* pImage) { m_background.SetImage(pImage); }
    void SetBackgroundRect(int left, int top, int right, int bottom) { m_background.SetRect(left, top, right, bottom); }

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool HasAllStateImages() const;
    // Paints the whole button over `area` of `target` through a memory bitmap: white, the
    // background slice, then the image of the current state unless that one is missing.
    // `trimEdge` draws the image from its width and height less one pixel.
    void PaintButton(HDC target, const RECT& area, bool trimEdge) const;

private:
    enum State { kNormal = 1, kHover = 2, kPressed = 3 };
    enum Slot { kSlotNormal, kSlotHover, kSlotPressed, kSlotDisabled, kSlotCount };

    Gdiplus::Image* CurrentImage() const;
    Gdiplus::Image* ImageOf(int slot) const;  // decoded on first use
    void SetState(int state);
    // The state a hover or a release at `lParam` (client coordinates) leads to.
    int StateAt(LPARAM lParam, bool held) const;

    // 0 for a slot without a picture, also once its picture failed to decode.
    mutable UINT m_ids[kSlotCount] = {};
    mutable std::unique_ptr<Gdiplus::Image> m_images[kSlotCount];
    CBackgroundSlice m_background;
    int m_nState = kNormal;
    CMouseTracking m_tracking;
};

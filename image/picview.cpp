#include "image/picview.h"

#include "ui/layout.h"

namespace corv {

TPictureView::TPictureView(ui::Component* owner) : CustomControl(owner, "TPictureView") {
    stored_ = {0, 0, 105, 105};
    SetColor(ui::clBtnFace);
}

void TPictureView::RegisterKind() {
    ui::RegisterControlKind(
        "TPictureView", [](ui::Component* owner) -> ui::Control* { return new TPictureView(owner); },
        [](ui::Control& control, const ui::ControlDesign& design) {
            static_cast<TPictureView&>(control).SetCenter((design.flags & ui::dfCentered) != 0);
        });
}

// Stretch and StretchRatio exclude each other; a setter that changes nothing repaints nothing.
void TPictureView::SetStretch(bool value) {
    if (value == stretch_) return;
    stretch_ = value;
    if (value) SetStretchRatio(false);
    Invalidate();
}

void TPictureView::SetStretchRatio(bool value) {
    if (value == stretchRatio_) return;
    stretchRatio_ = value;
    if (value) SetStretch(false);
    Invalidate();
}

void TPictureView::SetCenter(bool value) {
    if (value == center_) return;
    center_ = value;
    Invalidate();
}

void TPictureView::SetText(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    Invalidate();
}

void TPictureView::Paint(HDC, const RECT&) {
    // The background is the control's colour (erased before painting); the picture comes later.
}

} // namespace corv

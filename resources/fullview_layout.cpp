// The full-screen view as designed: black, no frame, its font for the failure text, one picture view
// that takes no input of its own (a click on it is a click on the window).
#include "resources/fullview_layout.h"

namespace corv {

using namespace ui;

namespace {

constexpr ControlDesign kFullViewControls[] = {
    {.name = "PMI",
     .kind = "TPictureView",
     .left = 0,
     .top = 0,
     .width = 105,
     .height = 105,
     .color = RGB(0, 0, 0),
     .flags = dfCentered | dfNoInput | dfNoTabStop},
};

const FormDesign kFullViewForm{
    .name = "FullViewForm",
    .caption = "",
    .width = 0,
    .height = 0,
    .font = {"System", -13, true, RGB(255, 0, 0)},
    .color = RGB(0, 0, 0),
    .keyPreview = true,
    .controls = kFullViewControls,
    .menuItems = {},
};

} // namespace

const FormDesign& FullViewFormDesign() {
    return kFullViewForm;
}

} // namespace corv

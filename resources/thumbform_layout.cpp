// The thumbnail window as designed: no controls of its own (the cells are made while it builds), its
// context menu, its font for the file names, and the key preview that its keys need.
#include "resources/thumbform_layout.h"

namespace corv {

using namespace ui;

namespace {

constexpr MenuItemDesign kThumbMenu[] = {
    {.menu = "PopupMenu",
     .name = "PopupLoadImg",
     .caption = "&Load Image into Viewer",
     .shortcut = "Ctrl+L",
     .isDefault = true},
    {.menu = "PopupMenu",
     .name = "PopupImageInfo",
     .caption = "Display &Image-Information",
     .shortcut = "Ctrl+I"},
    {.menu = "PopupMenu", .name = "N2", .caption = "-"},
    {.menu = "PopupMenu", .name = "PopupRefresh", .caption = "&Refresh Thumbnails", .shortcut = "Ctrl+R"},
    {.menu = "PopupMenu", .name = "N1", .caption = "-"},
    {.menu = "PopupMenu", .name = "PopupClose", .caption = "&Close"},
};

const FormDesign kThumbForm{
    .name = "CvThumbForm",
    .caption = "Thumbnails",
    .width = 302,
    .height = 174,
    .font = {"MS Sans Serif", -11, false, clWindowText},
    .color = clBtnFace,
    .keyPreview = true,
    .helpContext = 140,
    .controls = {},
    .menuItems = kThumbMenu,
};

} // namespace

const FormDesign& ThumbFormDesign() {
    return kThumbForm;
}

} // namespace corv

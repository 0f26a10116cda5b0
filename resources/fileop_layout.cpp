// The file-operations dialog as designed: two edits with their labels and browse buttons, and one row of
// operation buttons below them.
#include "resources/fileop_layout.h"

namespace corv {

using namespace ui;

namespace {

constexpr FontDesign kDialogFont{"MS Sans Serif", -11, false, clWindowText};

constexpr ControlDesign kFileOpControls[] = {
    {.name = "LabelFrom",
     .kind = "TLabel",
     .left = 8,
     .top = 8,
     .caption = "&Source File(s):",
     .focusControl = "EditFrom"},
    {.name = "EditFrom", .kind = "TEdit", .left = 8, .top = 24, .width = 280, .height = 21, .tabOrder = 0},
    {.name = "BtnBrowseFrom",
     .kind = "TButton",
     .left = 296,
     .top = 22,
     .width = 64,
     .height = 25,
     .caption = "&Browse",
     .tabOrder = 1},
    {.name = "LabelTo",
     .kind = "TLabel",
     .left = 8,
     .top = 56,
     .caption = "&Destination:",
     .focusControl = "EditTo"},
    {.name = "EditTo", .kind = "TEdit", .left = 8, .top = 72, .width = 280, .height = 21, .tabOrder = 2},
    {.name = "BtnBrowseTo",
     .kind = "TButton",
     .left = 296,
     .top = 70,
     .width = 64,
     .height = 25,
     .caption = "Bro&wse",
     .tabOrder = 3},
    {.name = "BtnRename",
     .kind = "TButton",
     .left = 8,
     .top = 112,
     .width = 64,
     .height = 25,
     .caption = "&Rename",
     .tabOrder = 4,
     .flags = dfDefault},
    {.name = "BtnDelete",
     .kind = "TButton",
     .left = 80,
     .top = 112,
     .width = 64,
     .height = 25,
     .caption = "D&elete",
     .tabOrder = 5},
    {.name = "BtnMove",
     .kind = "TButton",
     .left = 152,
     .top = 112,
     .width = 64,
     .height = 25,
     .caption = "&Move",
     .tabOrder = 6},
    {.name = "BtnCopy",
     .kind = "TButton",
     .left = 224,
     .top = 112,
     .width = 64,
     .height = 25,
     .caption = "C&opy",
     .tabOrder = 7},
    {.name = "BtnClose",
     .kind = "TButton",
     .left = 296,
     .top = 112,
     .width = 64,
     .height = 25,
     .caption = "&Close",
     .tabOrder = 8,
     .flags = dfCancel,
     .modalResult = mrOk},
};

const FormDesign kFileOpForm{
    .name = "FileOpForm",
    .caption = "File Operations",
    .clientWidth = 368,
    .clientHeight = 148,
    .font = kDialogFont,
    .color = clBtnFace,
    .helpContext = 150,
    .activeControl = "EditTo",
    .controls = kFileOpControls,
    .menuItems = {},
};

} // namespace

const FormDesign& FileOpFormDesign() {
    return kFileOpForm;
}

} // namespace corv

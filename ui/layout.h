// Window layout as data: a form's controls, captions, places, fonts, start states and menus stand in one
// declarative table, and one routine builds any form from its table. Events are bound in code, where the
// form looks its controls up.
#pragma once
#include "ui/form.h"
#include "ui/stdctrls.h"

#include <span>
#include <string>
#include <string_view>

namespace corv::ui {

inline constexpr Color kNoColor = 0xFFFFFFFFu;

enum DesignFlags : unsigned {
    dfNone = 0,
    dfHidden = 1 << 0,    // not visible at start
    dfDisabled = 1 << 1,  // disabled at start
    dfNoTabStop = 1 << 2, // left out of Tab navigation
    dfCentered = 1 << 3,  // label text centred; a picture view's picture centred
    dfFixedSize = 1 << 4, // a label keeps the size given instead of fitting its text
    dfNoPrefix = 1 << 5,  // a label shows "&" as it is
    dfNoInput = 1 << 6,   // takes no mouse or keyboard input (a disabled window)
    dfDefault = 1 << 7,   // the form's default button (Enter)
    dfCancel = 1 << 8,    // the form's cancel button (Esc)
    // Resizing (ApplyAnchors): the control keeps its design distance to its parent's bottom edge, by
    // moving or by growing.
    dfAnchorBottom = 1 << 9,
    dfStretchHeight = 1 << 10,
    // A check box with a third, grayed state; one that starts grayed.
    dfAllowGrayed = 1 << 11,
    dfGrayed = 1 << 12,
};

struct FontDesign {
    const char* name = "MS Sans Serif";
    int height = -11;
    bool bold = false;
    Color color = clWindowText;
};

struct ControlDesign {
    const char* name = nullptr;
    // A registered class: TPanel, TLabel, TButton, TEdit, TDriveComboBox, TFileListBox...
    const char* kind = nullptr;
    const char* parent = nullptr; // nullptr: the form itself
    int left = 0, top = 0, width = 0, height = 0;
    const char* caption = "";
    const FontDesign* font = nullptr; // nullptr: the parent's font
    Color color = kNoColor;           // kNoColor: the class's own default
    int tabOrder = -1;                // -1: in creation order
    unsigned flags = dfNone;
    Bevel bevelInner = Bevel::None;
    Bevel bevelOuter = Bevel::Raised;
    int bevelWidth = 1;
    int borderWidth = 0;
    const char* popupMenu = nullptr;
    int modalResult = 0;
    const char* focusControl = nullptr; // a label's mnemonic moves the focus to this control

    // A list's fixed items, and a drop-down list's lines when dropped down (0: the kind's own).
    std::span<const char* const> items = {};
    int dropDownCount = 0;
};

struct MenuItemDesign {
    const char* menu = nullptr; // the context menu the item belongs to (created on first mention)
    const char* name = nullptr;
    const char* caption = ""; // "-" for a separator
    const char* shortcut = "";
    bool isDefault = false;
};

struct FormDesign {
    const char* name = nullptr;
    const char* caption = "";
    int width = 0, height = 0; // outer size (0: none); the place is the system's choice
    // The client area the controls were placed in: the form gets this size when it has no outer size,
    // and resizing keeps the anchored controls' distances to its edges.
    int clientWidth = 0, clientHeight = 0;
    FontDesign font;
    Color color = clBtnFace;
    bool keyPreview = false;
    int helpContext = 0;
    const char* activeControl = nullptr;
    std::span<const ControlDesign> controls;
    std::span<const MenuItemDesign> menuItems;
};

// Makes a control of a kind for the builder; image/ registers its picture view this way.
using ControlFactory = Control* (*)(Component* owner);
// Applies what only that kind knows (after the common properties, once the window exists).
using DesignApplier = void (*)(Control& control, const ControlDesign& design);
void RegisterControlKind(const std::string& kind, ControlFactory factory, DesignApplier applier = nullptr);

// Builds the form's controls and menus from its design. A name that the design does not know (a kind, a
// parent, a menu, a focus control) is a design error: std::logic_error.
void BuildLayout(Form& form, const FormDesign& design);

// The design of a named control (std::logic_error when the design has none).
const ControlDesign& DesignOf(const FormDesign& design, std::string_view name);

// Lays out the anchored controls again for the form's present client size, in the table's order (a parent
// before its children): a dfAnchorBottom control moves, a dfStretchHeight control grows, each by as much
// as its parent has grown since the design.
void ApplyAnchors(const Form& form, const FormDesign& design);

FontSpec ToFontSpec(const FontDesign& font);

// Finds a named control of the form (or nullptr), and one of a known type (throws when absent).
Control* FindControl(const Form& form, const std::string& name);
template <typename T> T& ControlAs(const Form& form, const std::string& name) {
    T* control = dynamic_cast<T*>(FindControl(form, name));
    if (!control) throw std::logic_error("no control " + name);
    return *control;
}
// A named component of any kind (a menu, say) of a known type (throws when absent).
template <typename T> T& ComponentAs(const Form& form, const std::string& name) {
    T* component = dynamic_cast<T*>(form.FindComponent(name));
    if (!component) throw std::logic_error("no component " + name);
    return *component;
}

} // namespace corv::ui

// Window layout as data: a form's controls, captions, places, fonts, menus and event bindings stand in one
// declarative table, and one routine builds any form from its table.
#pragma once
#include "ui/form.h"
#include "ui/stdctrls.h"

#include <map>
#include <span>
#include <string>
#include <variant>

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

    // A check box with a third, grayed state; one that starts grayed.
    dfAllowGrayed = 1 << 9,
    dfGrayed = 1 << 10,
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

struct EventDesign {
    const char* component = nullptr; // a control, a menu, a menu item or the form itself
    const char* event = nullptr;     // OnClick, OnDblClick, OnChange, OnEnter, OnExit, OnResize, OnCreate,
                                     // OnKeyDown, OnKeyUp, OnKeyPress, OnMouseDown, OnDragOver,
                                     // OnDragDrop, OnClose, OnPopup
    const char* handler = nullptr;   // a name in the form's handler table
};

struct FormDesign {
    const char* name = nullptr;
    const char* caption = "";
    int width = 0, height = 0; // outer size; the place is the system's choice
    FontDesign font;
    Color color = clBtnFace;
    bool keyPreview = false;
    int helpContext = 0;
    const char* activeControl = nullptr;
    std::span<const ControlDesign> controls;
    std::span<const MenuItemDesign> menuItems;
    std::span<const EventDesign> events;
};

using Handler =
    std::variant<NotifyEvent, KeyEvent, KeyPressEvent, MouseEvent, CloseEvent, DragOverEvent, DragDropEvent>;
using HandlerTable = std::map<std::string, Handler>;

// Makes a control of a kind for the builder; image/ registers its picture view this way.
using ControlFactory = Control* (*)(Component* owner);
// Applies what only that kind knows (after the common properties, once the window exists).
using DesignApplier = void (*)(Control& control, const ControlDesign& design);
void RegisterControlKind(const std::string& kind, ControlFactory factory, DesignApplier applier = nullptr);

// Builds the form's controls and menus from its design and binds the events to the named handlers.
// A name that the design or the handler table does not know is a design error: std::logic_error.
void BuildLayout(Form& form, const FormDesign& design, const HandlerTable& handlers);

FontSpec ToFontSpec(const FontDesign& font);

// Finds a named control of the form (or nullptr), and one of a known type (throws when absent).
Control* FindControl(const Form& form, const std::string& name);
template <typename T> T& ControlAs(const Form& form, const std::string& name) {
    T* control = dynamic_cast<T*>(FindControl(form, name));
    if (!control) throw std::logic_error("no control " + name);
    return *control;
}

} // namespace corv::ui

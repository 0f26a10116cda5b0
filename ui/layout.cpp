#include "ui/layout.h"

#include "ui/filelist.h"
#include "ui/menus.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace corv::ui {

namespace {

struct Kind {
    ControlFactory factory;
    DesignApplier applier;
};

std::map<std::string, Kind>& Kinds() {
    static std::map<std::string, Kind> kinds = [] {
        std::map<std::string, Kind> builtIn;
        builtIn["TPanel"] = {[](Component* owner) -> Control* { return new Panel(owner); },
                             [](Control& control, const ControlDesign& design) {
                                 static_cast<Panel&>(control).SetBevels(design.bevelInner, design.bevelOuter,
                                                                        design.bevelWidth,
                                                                        design.borderWidth);
                             }};
        builtIn["TLabel"] = {[](Component* owner) -> Control* { return new Label(owner); },
                             [](Control& control, const ControlDesign& design) {
                                 auto& label = static_cast<Label&>(control);
                                 label.SetAutoSize(!(design.flags & dfFixedSize));
                                 label.SetAlignment((design.flags & dfCentered) ? Alignment::Center
                                                                                : Alignment::Left);
                                 label.SetShowAccelChar(!(design.flags & dfNoPrefix));
                             }};
        builtIn["TButton"] = {[](Component* owner) -> Control* { return new Button(owner); },
                              [](Control& control, const ControlDesign& design) {
                                  auto& button = static_cast<Button&>(control);
                                  if (design.flags & dfDefault) button.SetDefault(true);
                                  if (design.flags & dfCancel) button.SetCancel(true);
                                  button.SetModalResult(design.modalResult);
                              }};
        builtIn["TEdit"] = {[](Component* owner) -> Control* { return new Edit(owner); }, nullptr};
        builtIn["TDriveComboBox"] = {[](Component* owner) -> Control* { return new DriveComboBox(owner); },
                                     nullptr};
        builtIn["TGroupBox"] = {[](Component* owner) -> Control* { return new GroupBox(owner); }, nullptr};
        builtIn["TComboBox"] = {[](Component* owner) -> Control* { return new ComboBox(owner); },
                                [](Control& control, const ControlDesign& design) {
                                    auto& list = static_cast<ComboBox&>(control);
                                    list.SetItems({design.items.begin(), design.items.end()});
                                    if (design.dropDownCount > 0) list.SetDropDownCount(design.dropDownCount);
                                }};
        builtIn["TCheckBox"] = {[](Component* owner) -> Control* { return new CheckBox(owner); },
                                [](Control& control, const ControlDesign& design) {
                                    auto& box = static_cast<CheckBox&>(control);
                                    box.SetAllowGrayed((design.flags & dfAllowGrayed) != 0);
                                    if (design.flags & dfGrayed) box.SetState(CheckState::Grayed);
                                }};
        builtIn["TIconView"] = {[](Component* owner) -> Control* { return new IconView(owner); }, nullptr};
        builtIn["TFileListBox"] = {[](Component* owner) -> Control* { return new FileListBox(owner); },
                                   nullptr};
        return builtIn;
    }();
    return kinds;
}

Component* FindNamed(const Component& owner, const std::string& name) {
    for (Component* component : owner.Components())
        if (component->Name() == name) return component;
    return nullptr;
}

} // namespace

void RegisterControlKind(const std::string& kind, ControlFactory factory, DesignApplier applier) {
    Kinds()[kind] = {factory, applier};
}

FontSpec ToFontSpec(const FontDesign& font) {
    return FontSpec{font.name, font.height, font.bold, font.color};
}

Control* FindControl(const Form& form, const std::string& name) {
    return dynamic_cast<Control*>(FindNamed(form, name));
}

void BuildLayout(Form& form, const FormDesign& design) {
    if (design.name) form.SetName(design.name);
    form.SetCaption(design.caption);
    form.SetFont(ToFontSpec(design.font));
    form.SetColor(design.color);
    form.SetKeyPreview(design.keyPreview);
    form.SetHelpContext(design.helpContext);
    if (design.width > 0 && design.height > 0)
        form.SetBounds(form.Left(), form.Top(), design.width, design.height);

    std::map<std::string, PopupMenu*> menus;
    for (const MenuItemDesign& item : design.menuItems) {
        PopupMenu*& menu = menus[item.menu];
        if (!menu) {
            menu = new PopupMenu(&form);
            menu->SetName(item.menu);
        }
        menu->Add(MenuItem{item.name, item.caption, true, true, item.isDefault, item.shortcut, {}});
    }

    std::vector<std::pair<Control*, int>> tabOrders;
    for (const ControlDesign& entry : design.controls) {
        const auto kind = Kinds().find(entry.kind);
        if (kind == Kinds().end()) throw std::logic_error(std::string("unknown control kind ") + entry.kind);
        Control* parent = &form;
        if (entry.parent) {
            parent = FindControl(form, entry.parent);
            if (!parent) throw std::logic_error(std::string("no parent ") + entry.parent);
        }
        Control* control = kind->second.factory(&form);
        control->SetName(entry.name);
        // Everything the window is created with comes first, so it appears as designed.
        control->SetBounds(entry.left, entry.top, entry.width, entry.height);
        control->SetCaption(entry.caption);
        if (entry.flags & dfHidden) control->SetVisible(false);
        if (entry.flags & (dfDisabled | dfNoInput)) control->SetEnabled(false);
        if (entry.flags & dfNoTabStop) control->SetTabStop(false);
        if (entry.color != kNoColor) control->SetColor(entry.color);
        control->SetParent(parent);
        if (entry.font) control->SetFont(ToFontSpec(*entry.font));
        if (entry.popupMenu) {
            const auto menu = menus.find(entry.popupMenu);
            if (menu == menus.end()) throw std::logic_error(std::string("no menu ") + entry.popupMenu);
            control->SetPopup(menu->second);
        }
        // Again now that the window exists: some kinds fit their size to it (then the kind's own
        // settings, which may size the control to its text).
        control->SetBounds(entry.left, entry.top, entry.width, entry.height);
        if (kind->second.applier) kind->second.applier(*control, entry);
        if (entry.tabOrder >= 0) tabOrders.emplace_back(control, entry.tabOrder);
    }
    // Labels name their focus controls, which may stand later in the table.
    for (const ControlDesign& entry : design.controls) {
        if (!entry.focusControl) continue;
        auto* label = dynamic_cast<Label*>(FindControl(form, entry.name));
        Control* target = FindControl(form, entry.focusControl);
        if (!label || !target) throw std::logic_error(std::string("no focus control ") + entry.focusControl);
        label->SetFocusControl(target);
    }
    std::stable_sort(tabOrders.begin(), tabOrders.end(),
                     [](const auto& a, const auto& b) { return a.second < b.second; });
    for (const auto& [control, order] : tabOrders)
        control->SetTabOrder(order);

    if (design.activeControl) {
        Control* active = FindControl(form, design.activeControl);
        if (!active) throw std::logic_error(std::string("no control ") + design.activeControl);
        form.SetActiveControl(active);
    }
    // A form designed by its client area gets it once its frame is known.
    if (design.width <= 0 && design.clientWidth > 0 && design.clientHeight > 0)
        form.SetClientSize(design.clientWidth, design.clientHeight);
}

const ControlDesign& DesignOf(const FormDesign& design, std::string_view name) {
    for (const ControlDesign& entry : design.controls)
        if (entry.name && name == entry.name) return entry;
    throw std::logic_error("no design of " + std::string(name));
}

void ApplyAnchors(const Form& form, const FormDesign& design) {
    for (const ControlDesign& entry : design.controls) {
        if (!(entry.flags & (dfAnchorBottom | dfStretchHeight))) continue;
        Control* control = FindControl(form, entry.name);
        if (!control) throw std::logic_error(std::string("no control ") + entry.name);
        // The form's client area, or a parent control's size, against what the design gave it.
        int growth = form.ClientHeight() - design.clientHeight;
        if (entry.parent) {
            const Control* parent = FindControl(form, entry.parent);
            if (!parent) throw std::logic_error(std::string("no parent ") + entry.parent);
            growth = parent->Height() - DesignOf(design, entry.parent).height;
        }
        if (entry.flags & dfAnchorBottom) control->SetTop(entry.top + growth);
        if (entry.flags & dfStretchHeight) control->SetHeight(entry.height + growth);
    }
}

} // namespace corv::ui

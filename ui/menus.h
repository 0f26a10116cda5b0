// Context menus: a list of items built into a real menu each time it opens.
#pragma once
#include "ui/control.h"

#include <string>
#include <vector>

namespace corv::ui {

struct MenuItem {
    std::string name;
    std::string caption; // "-" is a separator
    bool enabled = true;
    bool visible = true;
    bool isDefault = false; // shown bold
    std::string shortcut;   // shown after a tab, e.g. "Ctrl+L"
    NotifyEvent onClick;
};

class PopupMenu : public Component {
  public:
    explicit PopupMenu(Component* owner) : Component(owner) {}

    MenuItem& Add(MenuItem item);
    std::vector<MenuItem>& Items() { return items_; }
    MenuItem* Find(const std::string& name);
    // The named item; one the menu does not have is a design error (std::logic_error).
    MenuItem& Item(const std::string& name);

    // Runs just before the menu opens, so the handler can enable or disable items.
    NotifyEvent OnPopup;

    // Opens the menu at a screen point for the control and runs the chosen item's click.
    void Popup(int x, int y, Control* control);
    // The control the menu was last opened for.
    Control* PopupComponent() const { return popupComponent_; }
    // Runs an item's click as choosing it would (for keyboard shortcuts and tests).
    bool ClickItem(const std::string& name);

  private:
    std::vector<MenuItem> items_;
    Control* popupComponent_ = nullptr;
};

} // namespace corv::ui

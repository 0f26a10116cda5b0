#include "ui/menus.h"

#include "base/wide.h"

namespace corv::ui {

MenuItem& PopupMenu::Add(MenuItem item) {
    items_.push_back(std::move(item));
    return items_.back();
}

MenuItem* PopupMenu::Find(const std::string& name) {
    for (MenuItem& item : items_)
        if (item.name == name) return &item;
    return nullptr;
}

MenuItem& PopupMenu::Item(const std::string& name) {
    if (MenuItem* item = Find(name)) return *item;
    throw std::logic_error("no menu item " + name);
}

void PopupMenu::Popup(int x, int y, Control* control) {
    popupComponent_ = control;
    if (OnPopup && control) OnPopup(*control);
    MenuHandle menu(CreatePopupMenu());
    if (!menu) return;
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const MenuItem& item = items_[i];
        if (!item.visible) continue;
        if (item.caption == "-") {
            AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
            continue;
        }
        const std::string text = item.shortcut.empty() ? item.caption : item.caption + "\t" + item.shortcut;
        AppendMenuW(menu.Get(), MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED), i + 1,
                    Wide(text).c_str());
        if (item.isDefault) SetMenuDefaultItem(menu.Get(), static_cast<UINT>(i + 1), FALSE);
    }
    HWND owner = control && control->Handle() ? GetAncestor(control->Handle(), GA_ROOT) : GetActiveWindow();
    const int chosen =
        TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, x, y, 0, owner, nullptr);
    if (chosen > 0 && static_cast<std::size_t>(chosen) <= items_.size()) {
        MenuItem& item = items_[static_cast<std::size_t>(chosen) - 1];
        if (item.enabled && item.onClick && control) item.onClick(*control);
    }
}

bool PopupMenu::ClickItem(const std::string& name) {
    MenuItem* item = Find(name);
    if (!item || !item->enabled || !item->visible || !item->onClick || !popupComponent_) return false;
    item->onClick(*popupComponent_);
    return true;
}

} // namespace corv::ui

#include "fullview/fviewfrm.h"

#include "resources/fullview_layout.h"
#include "settings/store.h"
#include "ui/application.h"
#include "ui/layout.h"

#include <algorithm>

namespace corv {

TFullViewForm* FullViewForm = nullptr;
bool FullViewActive = false;

TFullViewForm::TFullViewForm(ui::Component* owner)
    : Form(owner, ui::FormStyle{.className = "TFullViewForm", .border = ui::FormBorder::None}) {
    TPictureView::RegisterKind();
    ui::BuildLayout(*this, FullViewFormDesign());
    PMI = &ui::ControlAs<TPictureView>(*this, "PMI");
    SetWindowState(ui::WindowState::Maximized);
    OnClick = [this](ui::Control&) { Close(); };
    OnKeyPress = [this](ui::Control&, char& key) {
        if (key == VK_RETURN || key == VK_ESCAPE || key == VK_SPACE) Close();
    };
    OnClose = [this](ui::Form&, ui::CloseAction& action) {
        action = ui::CloseAction::Hide;
        ui::App().SetScreenCursor(ui::ScreenCursor::Default);
        FullViewActive = false;
        if (OnViewClosed) OnViewClosed();
    };
    if (!FullViewForm) FullViewForm = this;
}

void TFullViewForm::ShowView() {
    if (!ShowMouse) ui::App().SetScreenCursor(ui::ScreenCursor::None);
    ZoomLevel = 0;
    FullViewActive = true;
    SizeToScreen();
    Show();
    SetFocus();
}

void TFullViewForm::SizeToScreen() {
    if (PMI->Visible()) PMI->SetBounds(0, 0, PMI->Picture().Width(), PMI->Picture().Height());
    const int width = std::max(GetSystemMetrics(SM_CXSCREEN), PMI->Width());
    const int height = std::max(GetSystemMetrics(SM_CYSCREEN), PMI->Height());
    SetBounds(0, 0, width, height);
}

void TFullViewForm::WriteLine(const std::string& text) {
    if (!HandleAllocated()) return;
    Repaint();
    WindowDc dc(Handle());
    ScopedSelect font(dc.Get(), FontHandle());
    SetTextColor(dc.Get(), ui::ToRgb(Font().color));
    SetBkColor(dc.Get(), ui::ToRgb(GetColor()));
    TextOutA(dc.Get(), 0, 0, text.c_str(), static_cast<int>(text.size()));
}

TFullViewForm::~TFullViewForm() {
    if (FullViewForm == this) FullViewForm = nullptr;
    DestroyHandle();
}

} // namespace corv

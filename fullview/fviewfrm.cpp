#include "fullview/fviewfrm.h"

#include "resources/fullview_layout.h"
#include "ui/layout.h"

namespace corv {

TFullViewForm* FullViewForm = nullptr;
bool FullViewActive = false;

TFullViewForm::TFullViewForm(ui::Component* owner)
    : Form(owner, ui::FormStyle{.className = "TFullViewForm", .border = ui::FormBorder::None}) {
    TPictureView::RegisterKind();
    ui::BuildLayout(*this, FullViewFormDesign(), {});
    PMI = &ui::ControlAs<TPictureView>(*this, "PMI");
    SetWindowState(ui::WindowState::Maximized);
    if (!FullViewForm) FullViewForm = this;
}

TFullViewForm::~TFullViewForm() {
    if (FullViewForm == this) FullViewForm = nullptr;
    DestroyHandle();
}

} // namespace corv

#include "options/optfrm.h"

#include "resources/options_layout.h"
#include "settings/store.h"
#include "ui/application.h"
#include "ui/layout.h"

namespace corv {

using namespace ui;

namespace {

// Unchecked is asNone, checked asThis, grayed asOther.
CheckState BoxStateFor(int assocState) {
    return assocState == asThis   ? CheckState::Checked
           : assocState == asNone ? CheckState::Unchecked
                                  : CheckState::Grayed;
}

int AssocStateFor(CheckState state) {
    return state == CheckState::Checked ? asThis : state == CheckState::Unchecked ? asNone : asOther;
}

} // namespace

TOptionsForm::TOptionsForm(Component* owner) : Form(owner, DialogStyle("TOptionsForm")) {
    BuildLayout(*this, OptionsFormDesign());
    GroupBoxGeneral = &ControlAs<GroupBox>(*this, "GroupBoxGeneral");
    LabelBgColor = &ControlAs<Label>(*this, "LabelBgColor");
    ComboBoxBgColor = &ControlAs<ComboBox>(*this, "ComboBoxBgColor");
    CheckShowOnSel = &ControlAs<CheckBox>(*this, "CheckShowOnSel");
    CheckMouseInFullMode = &ControlAs<CheckBox>(*this, "CheckMouseInFullMode");
    CheckExecOtherFiles = &ControlAs<CheckBox>(*this, "CheckExecOtherFiles");
    CheckBigThumbs = &ControlAs<CheckBox>(*this, "CheckBigThumbs");
    CheckAutoRotate = &ControlAs<CheckBox>(*this, "CheckAutoRotate");
    CheckAllPictureTypes = &ControlAs<CheckBox>(*this, "CheckAllPictureTypes");
    GroupBoxFileExt = &ControlAs<GroupBox>(*this, "GroupBoxFileExt");
    CheckExtBMPVal = &ControlAs<CheckBox>(*this, "CheckExtBMPVal");
    CheckExtGIFVal = &ControlAs<CheckBox>(*this, "CheckExtGIFVal");
    CheckExtJPGVal = &ControlAs<CheckBox>(*this, "CheckExtJPGVal");
    CheckExtPCXVal = &ControlAs<CheckBox>(*this, "CheckExtPCXVal");
    CheckExtTIFVal = &ControlAs<CheckBox>(*this, "CheckExtTIFVal");
    BtnClose = &ControlAs<Button>(*this, "BtnClose");
    BtnApply = &ControlAs<Button>(*this, "BtnApply");

    OnShow = [this](Control& s) { FormShow(s); };
    ComboBoxBgColor->OnChange = [this](Control& s) { EnableBtnApply(s); };
    for (CheckBox* box : {CheckShowOnSel, CheckMouseInFullMode, CheckExecOtherFiles, CheckBigThumbs,
                          CheckAutoRotate, CheckAllPictureTypes})
        box->OnClick = [this](Control& s) { EnableBtnApply(s); };
    for (CheckBox* box : ExtensionBoxes())
        box->OnClick = [this](Control& s) { EnableBtnApply(s); };
    BtnApply->OnClick = [this](Control& s) { BtnApplyClick(s); };
    DoCreate();
}

TOptionsForm::~TOptionsForm() {
    DestroyHandle();
}

std::array<CheckBox*, AssocCount> TOptionsForm::ExtensionBoxes() const {
    return {CheckExtBMPVal, CheckExtGIFVal, CheckExtJPGVal, CheckExtPCXVal, CheckExtTIFVal};
}

void TOptionsForm::FormShow(Control&) {
    ReadAssociations();
    const auto boxes = ExtensionBoxes();
    for (int i = 0; i < AssocCount; ++i)
        boxes[static_cast<std::size_t>(i)]->SetState(BoxStateFor(AssocState[i]));
    ComboBoxBgColor->SetItemIndex(BgColorIdx);
    CheckShowOnSel->SetChecked(ShowOnSel);
    CheckMouseInFullMode->SetChecked(ShowMouse);
    CheckExecOtherFiles->SetChecked(ExecOtherFiles);
    CheckBigThumbs->SetChecked(BigThumbs);
    CheckAutoRotate->SetChecked(AutoRotate);
    CheckAllPictureTypes->SetChecked(AllPictureTypes);
    // Nothing has changed yet.
    BtnApply->SetEnabled(false);
}

void TOptionsForm::EnableBtnApply(Control&) {
    BtnApply->SetEnabled(true);
}

void TOptionsForm::BtnApplyClick(Control&) {
    Control* focused = ActiveControl();
    const ScreenCursor cursor = App().GetScreenCursor();
    App().SetScreenCursor(ScreenCursor::HourGlass);
    SetEnabled(false);

    const auto boxes = ExtensionBoxes();
    for (int i = 0; i < AssocCount; ++i)
        AssocState[i] = AssocStateFor(boxes[static_cast<std::size_t>(i)]->State());
    WriteAssociations();
    // What the registry holds now: an extension another program has stays grayed after an uncheck,
    // since only our own claim is removed.
    ReadAssociations();
    for (int i = 0; i < AssocCount; ++i)
        boxes[static_cast<std::size_t>(i)]->SetState(BoxStateFor(AssocState[i]));

    if (ComboBoxBgColor->ItemIndex() >= 0) BgColorIdx = ComboBoxBgColor->ItemIndex();
    if (ApplyOptions) ApplyOptions();

    ShowOnSel = CheckShowOnSel->Checked();
    ShowMouse = CheckMouseInFullMode->Checked();
    ExecOtherFiles = CheckExecOtherFiles->Checked();
    BigThumbs = CheckBigThumbs->Checked();
    AutoRotate = CheckAutoRotate->Checked();
    AllPictureTypes = CheckAllPictureTypes->Checked();
    SetThumbSizes();

    BtnApply->SetEnabled(false);
    SetEnabled(true);
    App().SetScreenCursor(cursor);
    // The disabled dialog lost the keyboard focus; Apply itself cannot take it back.
    if (focused && focused->CanFocus())
        focused->SetFocus();
    else
        BtnClose->SetFocus();
}

} // namespace corv

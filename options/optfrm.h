// TOptionsForm: the modal dialog in which the user sets the background colour, the display options,
// large thumbnails, turning photos upright, whether the newer picture types count, and which picture
// extensions open with this program. Apply puts the choices into the settings (and the associations into the
// registry) at once; Close drops what was not applied.
#pragma once
#include "settings/associations.h"
#include "ui/form.h"
#include "ui/stdctrls.h"

#include <array>
#include <functional>

namespace corv {

class TOptionsForm : public ui::Form {
  public:
    explicit TOptionsForm(ui::Component* owner);
    ~TOptionsForm() override;

    ui::GroupBox* GroupBoxGeneral = nullptr;
    ui::Label* LabelBgColor = nullptr;
    ui::ComboBox* ComboBoxBgColor = nullptr;
    ui::CheckBox* CheckShowOnSel = nullptr;
    ui::CheckBox* CheckMouseInFullMode = nullptr;
    ui::CheckBox* CheckExecOtherFiles = nullptr;
    ui::CheckBox* CheckBigThumbs = nullptr;
    ui::CheckBox* CheckAutoRotate = nullptr;
    ui::CheckBox* CheckAllPictureTypes = nullptr;
    ui::GroupBox* GroupBoxFileExt = nullptr;
    ui::CheckBox* CheckExtBMPVal = nullptr;
    ui::CheckBox* CheckExtGIFVal = nullptr;
    ui::CheckBox* CheckExtJPGVal = nullptr;
    ui::CheckBox* CheckExtPCXVal = nullptr;
    ui::CheckBox* CheckExtTIFVal = nullptr;
    ui::Button* BtnClose = nullptr;
    ui::Button* BtnApply = nullptr;

    // The main window's ApplyOptions, which Apply runs once BgColorIdx holds the chosen colour.
    std::function<void()> ApplyOptions;

    void FormShow(ui::Control& sender);
    void EnableBtnApply(ui::Control& sender);
    void BtnApplyClick(ui::Control& sender);

    // The extension boxes in the order of AssocExtensions.
    std::array<ui::CheckBox*, AssocCount> ExtensionBoxes() const;
};

} // namespace corv

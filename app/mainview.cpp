// The main window's picture panel: loading a chosen file, the caption and information line, sizing the
// panel to the picture, and the Stretch, Fullview, Copy and Thumbnails buttons.
#include "app/mainfrm.h"

#include "app/pictureinfo.h"
#include "base/files.h"
#include "resources/mainform_layout.h"
#include "settings/pathtext.h"
#include "settings/store.h"
#include "settings/system.h"
#include "ui/application.h"
#include "ui/layout.h"

#include <shellapi.h>

namespace corv {

using namespace ui;

void TMainForm::LoadPicture(const std::string& fileName) {
    if (fileName == CurrentFile) return;
    CurrentFile = fileName;
    App().SetTitle("Corvane - [" + UpperCaseAnsi(ExtractFileName(fileName)) + "]");
    SetCaption(App().Title());

    // Boxes would cover the full-screen view: there the failure is written on its surface instead.
    PMI->SetQuietErrors(FullViewActive);
    bool ok = false;
    bool raised = false;
    try {
        ok = PMI->ReadImageInfo(fileName);
    } catch (...) {
        raised = true;
    }
    if (!ok) {
        ShowPicture(false);
        LabelImageinfo->SetCaption("Imageinfo:  N/A");
        if (raised && !FullViewActive)
            BeepMessageBox(Handle(), MB_ICONHAND, MB_OK, "Not a valid graphic image", "Error");
        if (FullViewForm)
            FullViewForm->WriteLine("\"" + ExtractFileName(fileName) + "\" is not a valid graphic image !");
        return;
    }

    Loading = true;
    PMI->SetVisible(false);
    PanelImage->SetCaption("");
    LabelImageinfo->SetCaption(
        "Imageinfo:  " + std::to_string(PMI->ImageWidth()) + "x" + std::to_string(PMI->ImageHeight()) + "x" +
        ColorCountText(PMI->ImageBits() * PMI->ImagePlanes()) + " - " + PMI->ImageCompression());
    // With the pointer hidden over the full-screen view it stays hidden while loading.
    const bool showCursor = !(FullViewActive && !ShowMouse);
    if (showCursor) App().SetScreenCursor(ScreenCursor::HourGlass);
    Button* const buttons[] = {BtnStretch, ButtonVollbild, BtnCpyClp, BtnThumb, BtnExit};
    for (Button* button : buttons)
        button->SetEnabled(false);
    SetEnabled(false);
    try {
        PMI->SetImageName(fileName);
        App().ProcessMessages();
        ShowPicture(true);
    } catch (...) {
        // A failed decode leaves the picture hidden until the next load; the user saw the reason already.
        Loading = false;
    }
    for (Button* button : buttons)
        button->SetEnabled(true);
    SetEnabled(true);
    if (showCursor) App().SetScreenCursor(ScreenCursor::Default);
}

void TMainForm::ShowPicture(bool visible) {
    PMI->SetVisible(visible);
    if (FullViewForm) FullViewForm->PMI->SetVisible(visible);
    if (visible) {
        FitImagePanel();
        if (FullViewForm) {
            // Shares the decoded bitmap: no second copy of the pixels.
            FullViewForm->PMI->SetPicture(PMI->Picture());
            if (FullViewActive) FullViewForm->SizeToScreen();
        }
    } else {
        PMI->SetImageName("");
        if (FullViewForm) FullViewForm->PMI->SetImageName("");
        ResetImagePanel();
        BtnCpyClp->SetEnabled(false);
    }
    PanelImage->SetCaption("Corvane");
    Loading = false;
}

namespace {
// The picture panel as the window's design places it.
ImagePanelDesign DesignedImagePanel() {
    const ui::ControlDesign& panel = ui::DesignOf(MainFormDesign(), "PanelImage");
    const ui::ControlDesign& view = ui::DesignOf(MainFormDesign(), "PMI");
    return {panel.left, panel.top, panel.width, panel.height, view.left, view.width, view.height};
}
} // namespace

void TMainForm::ApplyImagePanelLayout(const ImagePanelLayout& layout) {
    PanelImage->SetBounds(PanelImage->Left(), PanelImage->Top(), layout.panelWidth, layout.panelHeight);
    PMI->SetBounds(PMI->Left(), PMI->Top(), layout.viewWidth, layout.viewHeight);
}

void TMainForm::ResetImagePanel() {
    ApplyImagePanelLayout(DesignedImagePanel().DesignLayout());
}

void TMainForm::FitImagePanel() {
    ApplyImagePanelLayout(FitImagePanelLayout(DesignedImagePanel(), PMI->ImageWidth(), PMI->ImageHeight(),
                                              ClientWidth(), ClientHeight(), PMI->Stretch()));
}

void TMainForm::ButtonVollbildClick(Control&) {
    FLB->SetFocus();
    if (FullViewForm) FullViewForm->ShowView();
}

void TMainForm::FullViewClosed() {
    LabelFilename->SetCaption("Filename: " + ExtractFileName(FLB->FileName()));
    FormResize(*this);
}

void TMainForm::BtnCpyClpClick(Control&) {
    App().SetScreenCursor(ScreenCursor::HourGlass);
    PMI->CopyToClipboard();
    App().SetScreenCursor(ScreenCursor::Default);
}

void TMainForm::BtnThumbClick(Control&) {
    if (ThumbsOpen) return; // the thumbnail window, once it exists, is only brought forward here
    BeepMessageBox(Handle(), MB_ICONQUESTION, MB_YESNO,
                   "Display the Thumbnails of " + FLB->Directory() + " ?", "Question");
    // The thumbnail window comes with its own work; until then a Yes opens nothing.
}

void TMainForm::RunWithShell(const std::string& fileName) {
    const unsigned code =
        static_cast<unsigned>(ShellExecuteFile(fileName, "", ExtractDir(fileName), SW_SHOWNORMAL)) & 0xFFFF;
    if (code <= 30 || code == 32)
        BeepMessageBox(Handle(), MB_ICONHAND, MB_OK,
                       "Cannot execute file ! Maybe not enough memory available.", "Error");
    else if (code == SE_ERR_NOASSOC)
        BeepMessageBox(Handle(), MB_ICONHAND, MB_OK,
                       "Cannot execute file ! File-Extension is not associated.", "Error");
}

} // namespace corv

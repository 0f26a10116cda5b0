// The main window's picture panel: loading a chosen file, the caption and information line, sizing the
// panel to the picture, and the Stretch, Fullview, Copy and Thumbnails buttons.
#include "app/mainfrm.h"

#include "app/pictureinfo.h"
#include "settings/pathtext.h"
#include "settings/system.h"
#include "settings/store.h"
#include "thumbs/thmbfrm.h"
#include "ui/application.h"

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
    LabelImageinfo->SetCaption("Imageinfo:  " + std::to_string(PMI->ImageWidth()) + "x" +
                               std::to_string(PMI->ImageHeight()) + "x" +
                               ColorCountText(PMI->ImageBits() * PMI->ImagePlanes()) + " - " +
                               PMI->ImageCompression());
    // With the pointer hidden over the full-screen view it stays hidden while loading.
    const bool showCursor = !(FullViewActive && !ShowMouse);
    if (showCursor) App().SetScreenCursor(ScreenCursor::HourGlass);
    Button* const buttons[] = {BtnStretch, ButtonVollbild, BtnCpyClp, BtnThumb, BtnExit};
    for (Button* button : buttons) button->SetEnabled(false);
    SetEnabled(false);
    try {
        PMI->SetImageName(fileName);
        App().ProcessMessages();
        ShowPicture(true);
    } catch (...) {
        // A failed decode leaves the picture hidden until the next load; the user saw the reason already.
        Loading = false;
    }
    for (Button* button : buttons) button->SetEnabled(true);
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

void TMainForm::ResetImagePanel() {
    PanelImage->SetBounds(PanelImage->Left(), PanelImage->Top(), DesignImagePanel.panelWidth,
                          DesignImagePanel.panelHeight);
    PMI->SetBounds(PMI->Left(), PMI->Top(), DesignImagePanel.viewWidth, DesignImagePanel.viewHeight);
}

void TMainForm::FitImagePanel() {
    const ImagePanelLayout layout =
        FitImagePanelLayout(PMI->ImageWidth(), PMI->ImageHeight(), ClientWidth(), ClientHeight(), PMI->Stretch());
    PanelImage->SetBounds(PanelImage->Left(), PanelImage->Top(), layout.panelWidth, layout.panelHeight);
    PMI->SetBounds(PMI->Left(), PMI->Top(), layout.viewWidth, layout.viewHeight);
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
    if (ThumbsOpen) {
        if (ThumbForm) ThumbForm->Show();
        return;
    }
    if (BeepMessageBox(Handle(), MB_ICONQUESTION, MB_YESNO,
                       "Display the Thumbnails of " + FLB->Directory() + " ?", "Question") != IDYES)
        return;
    OpenThumbnails().BuildThumbnails();
}

TCvThumbForm& TMainForm::OpenThumbnails() {
    ThumbsOpen = true;
    ThumbHost host;
    host.window = this;
    host.directory = [this] { return FLB->Directory(); };
    host.closing = [this] { return Closing; };
    host.thumbsClosed = [this] {
        ThumbsOpen = false;
        ThumbForm = nullptr;
    };
    host.loadPicture = [this](const std::string& fileName) {
        GoToPath(*this, fileName, false);
        SetForegroundWindow(Handle());
        SetFocus();
        LoadPicture(fileName);
    };
    ThumbForm = new TCvThumbForm(this, std::move(host));
    ThumbForm->Show();
    return *ThumbForm;
}

void TMainForm::RunWithShell(const std::string& fileName) {
    const unsigned code =
        static_cast<unsigned>(ShellExecuteFile(fileName, "", ExtractDir(fileName), SW_SHOWNORMAL)) & 0xFFFF;
    if (code <= 30 || code == 32)
        BeepMessageBox(Handle(), MB_ICONHAND, MB_OK, "Cannot execute file ! Maybe not enough memory available.",
                       "Error");
    else if (code == SE_ERR_NOASSOC)
        BeepMessageBox(Handle(), MB_ICONHAND, MB_OK, "Cannot execute file ! File-Extension is not associated.",
                       "Error");
}

} // namespace corv

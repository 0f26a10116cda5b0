// The main window's picture panel: loading a chosen file, the caption and information line, sizing the
// panel to the picture, and the Stretch, Fullview, Copy and Thumbnails buttons.
#include "app/mainfrm.h"

#include "image/pictureinfo.h"
#include "base/files.h"
#include "base/pathrules.h"
#include "resources/mainform_layout.h"
#include "settings/pathtext.h"
#include "settings/store.h"
#include "settings/system.h"
#include "thumbs/thmbfrm.h"
#include "ui/application.h"
#include "ui/layout.h"

#include <shellapi.h>

namespace corv {

using namespace ui;

namespace {

// The main window as the full-screen view sees it.
class MainFormViewHost : public FullViewHost {
  public:
    explicit MainFormViewHost(TMainForm& form) : form_(form) {}
    FileListBox& FileList() override { return *form_.FLB; }
    const std::string& CurrentFile() const override { return form_.CurrentFile; }
    bool IsPictureFile(const std::string& fileName) const override { return corv::IsPictureFile(fileName); }
    void LoadPicture(const std::string& fileName) override { form_.LoadPicture(fileName); }
    void FullViewClosed() override { form_.FullViewClosed(); }

  private:
    TMainForm& form_;
};

// Written on the full-screen view, where no box may cover the screen.
void WriteFailureOnFullView(const std::string& fileName) {
    if (FullViewForm)
        FullViewForm->WriteLine("\"" + ExtractFileName(fileName) + "\" is not a valid graphic image !");
}

} // namespace

void ConnectFullView(TMainForm& form, TFullViewForm& view) {
    view.SetHost(std::make_unique<MainFormViewHost>(form));
}

void TMainForm::LoadPicture(const std::string& fileName) {
    // One load at a time, whoever asks: a request while one is on its way waits for it, and only the
    // last such request does (the one the list or the walk has moved to since).
    if (Loading) {
        if (fileName == CurrentFile)
            waitingLoad_.reset();
        else
            waitingLoad_ = fileName;
        return;
    }
    if (fileName == CurrentFile) return;
    const std::string previousFile = CurrentFile;
    CurrentFile = fileName;
    App().SetTitle("Corvane - [" + UpperCase(ExtractFileName(fileName)) + "]");
    SetCaption(App().Title());

    // Boxes would cover the full-screen view: there the failure is written on its surface instead.
    PMI->SetQuietErrors(FullViewActive);
    bool ok = false;
    bool raised = false;
    // A picture decoded ahead had its header read then: it is not read a second time.
    if (const std::optional<HeaderInfo> header = PicturesAhead.HeaderOf(fileName, PMI->PhotoOptionsNow())) {
        PMI->SetHeader(*header);
        ok = true;
    } else {
        try {
            ok = PMI->ReadImageInfo(fileName);
        } catch (...) {
            raised = true;
        }
    }
    if (!ok) {
        ShowPicture(false);
        LabelImageinfo->SetCaption("Imageinfo:  N/A");
        if (raised && !FullViewActive)
            BeepMessageBox(Handle(), MB_ICONHAND, MB_OK, "Not a valid graphic image", "Error");
        WriteFailureOnFullView(fileName);
        PicturesAhead.SetShownPicture(nullptr);
        DecodeNextAhead(previousFile);
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
    for (Button* button : LoadButtons())
        button->SetEnabled(false);
    SetEnabled(false);
    // Keys and clicks wait while the picture decodes, and act on it, in order, once it is shown.
    loadHold_ = std::make_unique<InputHold>();
    try {
        PMI->BeginLoad(fileName, [this, previousFile, showCursor] { FinishLoad(previousFile, showCursor); });
    } catch (...) {
        // A failure inside the decode leaves the picture hidden until the next load, without a word.
        PMI->CancelLoad();
        Loading = false;
        FinishLoad(previousFile, showCursor);
    }
}

std::vector<Button*> TMainForm::LoadButtons() const {
    return {BtnStretch, ButtonVollbild, BtnCpyClp, BtnThumb, BtnExit};
}

void TMainForm::FinishLoad(const std::string& previousFile, bool showCursor) {
    if (Loading) {
        try {
            ShowPicture(true);
            // A decode that failed after a good header leaves no bitmap, and in the full-screen view its
            // box was held back: the view's surface says so instead of staying black without a word.
            if (FullViewActive && !PMI->Picture().Bitmap()) {
                if (FullViewForm) FullViewForm->PMI->SetVisible(false);
                WriteFailureOnFullView(CurrentFile);
            }
        } catch (...) {
            Loading = false;
        }
    }
    Loading = false;
    for (Button* button : LoadButtons())
        button->SetEnabled(true);
    SetEnabled(true);
    if (showCursor) App().SetScreenCursor(ScreenCursor::Default);
    PicturesAhead.SetShownPicture(PMI->Picture().Bitmap());
    DecodeNextAhead(previousFile);
    loadHold_.reset();
    if (waitingLoad_) {
        const std::string next = *waitingLoad_;
        waitingLoad_.reset();
        LoadPicture(next);
    }
}

namespace {
// The index of a full file name's file entry in the list, -1 when the list does not show it.
int ListIndexOf(const FileListBox& list, const std::string& fileName) {
    const std::string name = ExtractFileName(fileName);
    if (SortKey(JoinEntry(list.Directory(), name)) != SortKey(fileName)) return -1;
    return list.IndexOfEntry(name, false);
}
} // namespace

void TMainForm::DecodeNextAhead(const std::string& previousFile) {
    const int shown = ListIndexOf(*FLB, CurrentFile);
    if (shown < 0) return;
    const int previous = previousFile.empty() ? -1 : ListIndexOf(*FLB, previousFile);
    const int step = previous > shown ? -1 : 1;
    // At the end of the list in the direction of the move, the only way on is back.
    for (int direction : {step, -step})
        for (int i = shown + direction; i >= 0 && i < FLB->Count(); i += direction) {
            if (FLB->IsDirectoryItem(i) || !corv::IsPictureFile(FLB->Entry(i).name)) continue;
            PicturesAhead.Prefetch(ImagingLibrary(), FLB->EntryPath(i), PMI->DecodeDepth(),
                                   PMI->ImageDither(), PMI->PhotoOptionsNow());
            return;
        }
}

void TMainForm::ShowPicture(bool visible) {
    // Under the full-screen view the picture would only be painted unseen: it shows when the view closes.
    PMI->SetVisible(visible && !FullViewActive);
    if (FullViewForm) FullViewForm->PMI->SetVisible(visible);
    if (visible) {
        // Laid out when the view closes, if it covers the window now.
        if (!FullViewActive) FitImagePanel();
        if (FullViewForm) {
            // Shares the decoded bitmap: no second copy of the pixels.
            FullViewForm->PMI->SetPicture(PMI->Picture());
        }
    } else {
        PMI->SetImageName("");
        if (FullViewForm) FullViewForm->PMI->SetImageName("");
        ResetImagePanel();
        BtnCpyClp->SetEnabled(false);
    }
    // Placed now, before anything is written on it or it paints.
    if (FullViewForm && FullViewActive) FullViewForm->SizeToScreen();
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
    // What was held back while the view covered the window: the caption, and the picture with its panel
    // (a picture that could not be shown is empty).
    SetCaption(App().Title());
    if (!Loading && !PMI->Picture().Empty()) {
        FitImagePanel();
        PMI->SetVisible(true);
    }
    const int selected = FLB->ItemIndex();
    LabelFilename->SetCaption("Filename: " + (selected >= 0 ? FLB->Item(selected) : std::string()));
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
    // The shell takes no exact form of a name that its path rules would change: it would open another
    // file of the normalised name.
    if (PathRulesWouldChange(fileName)) {
        BeepMessageBox(Handle(), MB_ICONHAND, MB_OK,
                       "Cannot execute " + fileName + " exactly: its name ends with a blank or a dot !",
                       "Error");
        return;
    }
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

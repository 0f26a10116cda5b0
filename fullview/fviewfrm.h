// TFullViewForm: the borderless black window that shows the main window's picture over the whole screen,
// zoomed in four steps each way, moved over the screen with the cursor keys, and paging with "+", "-" and
// "*" through the pictures of the main window's file list. It is created at start and only shown and
// hidden afterwards.
#pragma once
#include "image/picview.h"
#include "ui/filelist.h"
#include "ui/form.h"

#include <memory>
#include <string>

namespace corv {

// What the view needs of the main window: its file list, the file it loaded last, its way of deciding
// what is a picture and of loading one (which also puts the picture into the view), and the word that
// the view has closed.
class FullViewHost {
  public:
    virtual ~FullViewHost() = default;
    virtual ui::FileListBox& FileList() = 0;
    virtual const std::string& CurrentFile() const = 0;
    virtual bool IsPictureFile(const std::string& fileName) const = 0;
    virtual void LoadPicture(const std::string& fileName) = 0;
    virtual void FullViewClosed() = 0;
};

class TFullViewForm : public ui::Form {
  public:
    explicit TFullViewForm(ui::Component* owner);
    ~TFullViewForm() override;

    void SetHost(std::unique_ptr<FullViewHost> host);

    // Shows the view over the screen at zoom 0, on the main window's current file.
    void ShowView();
    // Puts the window at the screen's top-left corner, at least screen-sized, the picture at the zoom level.
    void SizeToScreen();
    // One step of a walk through the file list: shows the selected entry when it is a picture file.
    void ShowSelectedFile();
    // Repaints the view and writes one line at its top-left corner in its own font.
    void WriteLine(const std::string& text);

    void FormShow();
    void FormClose(ui::Form& sender, ui::CloseAction& action);
    void FormClick(ui::Control& sender);
    void FormKeyDown(ui::Control& sender, WORD& key, ui::ShiftState shift);
    void FormKeyPress(ui::Control& sender, char& key);

    TPictureView* PMI = nullptr;
    bool WalkDone = false;
    bool SelIsPicture = false;
    std::string LastShown;
    int ZoomLevel = 0;

  protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    int lastShownEntry_ = -1; // the list entry of LastShown
    // The window's size for its picture: at least the screen's.
    SIZE WindowSize() const;
    // Moves the window by a step along one axis, as far as the screen's edges allow.
    void ScrollView(bool vertical, bool towardsEnd, int step);
    void WalkForward(ui::FileListBox& list);

    std::unique_ptr<FullViewHost> host_;
};

// The one full-screen window of the program (null before start-up creates it).
extern TFullViewForm* FullViewForm;
// True while the full-screen view shows.
extern bool FullViewActive;

} // namespace corv

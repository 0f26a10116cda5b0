// TFullViewForm: the borderless black window that shows the main window's picture over the whole screen.
// It is created at start and lives hidden; showing, zooming, scrolling and paging come with its own work.
#pragma once
#include "image/picview.h"
#include "ui/form.h"

#include <functional>
#include <string>

namespace corv {

class TFullViewForm : public ui::Form {
  public:
    explicit TFullViewForm(ui::Component* owner);
    ~TFullViewForm() override;

    // Shows the view over the screen; a click, Enter, Escape or Space closes (hides) it again.
    void ShowView();
    // Puts the window at the screen's top-left corner, at least screen-sized, the picture at its own size.
    void SizeToScreen();
    // Repaints the view and writes one line at its top-left corner in its own font.
    void WriteLine(const std::string& text);
    // Runs after the view has closed, so that the main window can lay itself out again.
    std::function<void()> OnViewClosed;

    TPictureView* PMI = nullptr;
    bool WalkDone = false;
    bool SelIsPicture = false;
    std::string LastShown;
    int ZoomLevel = 0;
};

// The one full-screen window of the program (null before start-up creates it).
extern TFullViewForm* FullViewForm;
// True while the full-screen view shows.
extern bool FullViewActive;

} // namespace corv

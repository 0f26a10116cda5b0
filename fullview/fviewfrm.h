// TFullViewForm: the borderless black window that shows the main window's picture over the whole screen.
// It is created at start and lives hidden; showing, zooming, scrolling and paging come with its own work.
#pragma once
#include "image/picview.h"
#include "ui/form.h"

#include <string>

namespace corv {

class TFullViewForm : public ui::Form {
  public:
    explicit TFullViewForm(ui::Component* owner);
    ~TFullViewForm() override;

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

// TCvThumbForm, the thumbnail window: a scrolling grid of up to 500 previews of the pictures of one
// directory, in name order, built with its progress in the caption and the chance to stop; and TThumbNail,
// one cell of it. The pictures are decoded ahead on the decode workers, reduced to their boxes there; the
// window takes each cell's result when the cell's turn comes.
#pragma once
#include "image/picview.h"
#include "base/handles.h"
#include "image/workerpool.h"
#include "thumbs/thumbdecode.h"
#include "ui/form.h"
#include "ui/layoutmath.h"
#include "ui/menus.h"
#include "ui/stdctrls.h"

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corv {

class TCvThumbForm;

inline constexpr int kMaxThumbs = 500;
inline constexpr COLORREF kThumbNavy = RGB(0, 0, 128);
inline constexpr COLORREF kThumbFocused = RGB(0, 0, 255);

// One preview cell: a navy panel with the reduced picture above the file name.
class TThumbNail : public ui::Component {
  public:
    explicit TThumbNail(TCvThumbForm* owner);

    TPictureView* PMI = nullptr;
    ui::Panel* Panel = nullptr;
    ui::Label* FNLabel = nullptr;

    std::string FileName;
    std::string Compression;
    std::string Colors;
    int ImgWidth = 0, ImgHeight = 0;
    int FileSize = 0;

    // Creates the panel (a child of parent), the label and the picture view, owned by owner, at the grid
    // place; all hidden until the cell is loaded.
    void InitThumb(ui::Control* parent, ui::Component* owner, int row, int col);
    // The same, but the panel is not yet put into parent: its window (which draws the label and the
    // picture) is made once it is, with whatever has been set by then.
    void PrepareThumb(const ui::Control& parent, ui::Component* owner, int row, int col);

    void PanelClick(ui::Control& sender);
    void PanelDblClick(ui::Control& sender);
    void PanelEnter(ui::Control& sender);
    void PanelExit(ui::Control& sender);
    void PanelMouseDown(ui::Control& sender, ui::MouseButton button, ui::ShiftState shift, int x, int y);

  private:
    TCvThumbForm& form_;
};

// What the thumbnail window needs of the main window, which opens it.
struct ThumbHost {
    ui::Form* window = nullptr;                          // disabled during the close question
    std::function<std::string()> directory;              // the file list's directory, read at creation
    std::function<bool()> closing;                       // the main window is closing
    std::function<void()> thumbsClosed;                  // the thumbnail window is going away
    std::function<void(const std::string&)> loadPicture; // selects and shows a picture in the main window
};

class TCvThumbForm : public ui::Form {
  public:
    TCvThumbForm(ui::Component* owner, ThumbHost host);
    ~TCvThumbForm() override;

    ui::PopupMenu* PopupMenu = nullptr;
    ui::MenuItem* PopupRefresh = nullptr;
    ui::MenuItem* PopupLoadImg = nullptr;
    ui::MenuItem* PopupImageInfo = nullptr;
    ui::MenuItem* N1 = nullptr;
    ui::MenuItem* PopupClose = nullptr;
    ui::MenuItem* N2 = nullptr;

    std::array<TThumbNail*, kMaxThumbs + 1> Thumbs{}; // 1..ThumbCount are valid
    int ThumbCount = 0;
    int Cols = 1;
    bool Busy = false;
    bool AbortRequested = false;
    std::optional<std::vector<std::string>> FileNames; // only during a build
    std::string ThumbDir;

    // Starts (re)building every cell for ThumbDir; the build goes on from the message loop, one step
    // per pass, while Busy.
    void BuildThumbnails();
    // Fills the cell with the picture of the file, decoded here and now (outside a build).
    void LoadThumb(const std::string& fileName, TThumbNail& cell);
    // The 1-based index of the cell with the focus, or 0.
    int FocusedThumb() const;
    // The sizes the cells of the running (or last) build are made with.
    const ThumbSizes& CellSizes() const { return cellSizes_; }

    void FormCreate(ui::Control& sender);
    void FormResize(ui::Control& sender);
    void FormClose(ui::Form& sender, ui::CloseAction& action);
    void FormKeyDown(ui::Control& sender, WORD& key, ui::ShiftState shift);
    void FormKeyPress(ui::Control& sender, char& key);
    void PopupMenuPopup(ui::Control& sender);
    void PopupLoadImgClick(ui::Control& sender);
    void PopupImageInfoClick(ui::Control& sender);
    void PopupRefreshClick(ui::Control& sender);
    void PopupCloseClick(ui::Control& sender);

    // The text of the image-information box of a cell, with the file's date as it is now.
    std::string ImageInformation(const TThumbNail& cell) const;

  private:
    struct Job;
    enum class Phase { Scanning, Cells };
    // The build's steps: a part of the folder scanned, or one cell made once its decode has ended.
    void QueueStep();
    void Step();
    void ScanStep();
    void ScanEnded();
    void CellStep();
    void EndBuild();
    std::size_t Ahead() const;
    // What LoadThumb does: the cell's data, picture and name, then the cell shown in its tab place (a
    // prepared cell is put into the window then, and its window made visible).
    void FillCell(const std::string& fileName, TThumbNail& cell, ThumbResult& result);
    void ShowCell(TThumbNail& cell);
    void DestroyCells();
    // Submits the decodes of the sorted names up to `upTo` (exclusive) that are not yet submitted.
    void SubmitAhead(std::size_t upTo);
    void DropPending();
    void UpdateExtent();
    // The grid's extent once laid out for a client area of this width.
    Extent GridExtentAt(int clientWidth) const;
    // The scroll bars the grid needs in a client area of this size without bars.
    ScrollNeed ScrollNeedAt(Extent area) const;
    // The build must end now: the program is ending or a close is waiting for it.
    bool MustStop() const;

    ThumbHost host_;
    ThumbSizes cellSizes_;
    int depth_ = 24;
    PhotoOptions photo_; // the cells' photo options, taken with the depth when a build starts
    // The decodes of the running build, by the 0-based position of their name.
    std::map<std::size_t, std::shared_ptr<Job>> jobs_;
    std::size_t submitted_ = 0;
    // The grid's extent, in the window's unscrolled coordinates.
    int gridWidth_ = 0, gridHeight_ = 0;
    // A close asked for while a box of the build was open: done once the build has ended.
    bool closePending_ = false;
    // What queued steps and completions reach the window through; cleared when it goes.
    std::shared_ptr<TCvThumbForm*> self_;
    bool stepQueued_ = false;
    bool stepping_ = false; // a step runs (it may have a box open)
    Phase phase_ = Phase::Scanning;
    std::unique_ptr<FileSearch> scan_;
    int found_ = 0;         // picture files the scan found
    std::size_t built_ = 0; // cells made from the sorted names
    double progress_ = 0, progressStep_ = 0;
};

// The thumbnail sizes as the settings have them now.
ThumbSizes CurrentThumbSizes();

} // namespace corv

#include "thumbs/thmbfrm.h"

#include "image/pictureinfo.h"
#include "base/handles.h"
#include "base/wide.h"
#include "ui/filelistmodel.h"
#include "resources/thumbform_layout.h"
#include "settings/pathtext.h"
#include "settings/store.h"
#include "settings/system.h"
#include "ui/application.h"
#include "ui/layout.h"
#include "ui/layoutmath.h"

#include <algorithm>

namespace corv {

using namespace ui;

namespace {

constexpr COLORREF kLabelText = RGB(255, 255, 255);
constexpr int kLabelHeight = 13;
// Decodes asked for ahead of the cell being built, per worker: enough to keep every core busy while the
// user-interface thread makes cells, few enough that memory stays bounded by the workers, not the folder.
constexpr std::size_t kAheadPerWorker = 3;

constexpr int kScanStepsPerPump = 64;

const char* const kProgress = "Creating Thumbnails. Please wait...    ";

// The file's last-write time in the user's short date and long time formats; the time is left out at
// exactly midnight. Nothing when the file cannot be read.
std::optional<std::string> FileDateText(const std::string& name) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(FileSystemPath(name).c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    FILETIME local{};
    SYSTEMTIME time{};
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &time))
        return std::nullopt;
    wchar_t date[128] = L"", clock[128] = L"";
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 128)) return std::nullopt;
    std::string text = Utf8(date);
    if (time.wHour != 0 || time.wMinute != 0 || time.wSecond != 0) {
        if (GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &time, nullptr, clock, 128)) text += " " + Utf8(clock);
    }
    return text;
}

bool LessByLocale(const std::string& a, const std::string& b) {
    const std::wstring wa = Wide(a), wb = Wide(b);
    return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wa.c_str(), static_cast<int>(wa.size()),
                          wb.c_str(), static_cast<int>(wb.size())) == CSTR_LESS_THAN;
}

} // namespace

ThumbSizes CurrentThumbSizes() {
    return {ThumbCellWidth, ThumbCellHeight, ThumbImageWidth, ThumbImageHeight};
}

// ---- TThumbNail ----

TThumbNail::TThumbNail(TCvThumbForm* owner) : Component(owner), form_(*owner) {}

void TThumbNail::InitThumb(Control* parent, Component* owner, int row, int col) {
    PrepareThumb(*parent, owner, row, col);
    Panel->SetParent(parent);
}

void TThumbNail::PrepareThumb(const Control& parent, Component* owner, int row, int col) {
    const ThumbSizes& sizes = form_.CellSizes();
    const NotifyEvent click = [this](Control& s) { PanelClick(s); };
    const NotifyEvent dblClick = [this](Control& s) { PanelDblClick(s); };
    const MouseEvent mouseDown = [this](Control& s, MouseButton b, ShiftState sh, int x, int y) {
        PanelMouseDown(s, b, sh, x, y);
    };

    Panel = new ui::Panel(owner);
    Panel->SetVisible(false);
    Panel->SetCursor(CursorKind::HourGlass);
    Panel->OnClick = click;
    Panel->OnDblClick = dblClick;
    Panel->OnEnter = [this](Control& s) { PanelEnter(s); };
    Panel->OnExit = [this](Control& s) { PanelExit(s); };
    Panel->OnMouseDown = mouseDown;
    const int index = row * form_.Cols + col;
    const CellPlace place = CellPosition(index, form_.Cols, sizes);
    // Placed before its window exists, so that it is created where it belongs; in a window the user has
    // scrolled, the grid's place is off by the scroll position.
    Panel->SetBounds(place.left - form_.HorzScrollPosition(), place.top - form_.VertScrollPosition(),
                     sizes.cellWidth, sizes.cellHeight);
    Panel->SetCaption("");
    Panel->SetColor(kThumbNavy);
    Panel->SetBevels(Bevel::None, Bevel::Raised, 2, 0);
    Panel->SetTabStop(true);
    Panel->SetPopup(form_.PopupMenu);

    FNLabel = new Label(owner);
    // Drawn by the panel: hundreds of cells, and a window each costs. Its clicks went to the panel anyway.
    FNLabel->SetWindowless(true);
    FNLabel->OnClick = click;
    FNLabel->OnDblClick = dblClick;
    FNLabel->OnMouseDown = mouseDown;
    FNLabel->SetBounds(4, sizes.cellHeight - 18, sizes.imageWidth - 4, kLabelHeight);
    FNLabel->SetAutoSize(false);
    // A name has no good place to break, and only one line fits below the picture.
    FNLabel->SetWordWrap(false);
    // A file name is shown as it is: an "&" in it is no mnemonic.
    FNLabel->SetShowAccelChar(false);
    FNLabel->SetCaption("");
    // The window's font, which the panel takes once it is in the window.
    FontSpec font = parent.Font();
    font.color = kLabelText;
    FNLabel->SetFont(font);
    FNLabel->SetParent(Panel);

    PMI = new TPictureView(owner);
    // Drawn by the panel too: a cell is one window. Its clicks, double clicks and mouse-downs reach the
    // same handlers through the panel, whose cursor and menu are the picture's.
    PMI->SetWindowless(true);
    PMI->SetVisible(false);
    PMI->SetCursor(CursorKind::HourGlass);
    PMI->OnClick = click;
    PMI->OnDblClick = dblClick;
    PMI->OnMouseDown = mouseDown;
    PMI->SetStretch(true);
    PMI->SetTabStop(false);
    PMI->SetPopup(form_.PopupMenu);
    PMI->SetParent(Panel);
    PMI->SetTabOrder(0);
}

void TThumbNail::PanelClick(Control&) {
    if (!form_.Busy) Panel->SetFocus();
}

void TThumbNail::PanelDblClick(Control&) {
    if (!form_.Busy) form_.PopupLoadImgClick(*Panel);
}

void TThumbNail::PanelMouseDown(Control&, MouseButton button, ShiftState, int, int) {
    if (!form_.Busy && button == MouseButton::Right) Panel->SetFocus();
}

void TThumbNail::PanelEnter(Control&) {
    Panel->SetColor(kThumbFocused);
}

void TThumbNail::PanelExit(Control&) {
    Panel->SetColor(kThumbNavy);
}

// ---- TCvThumbForm ----

struct TCvThumbForm::Job {
    ThumbRequest request;
    ThumbResult result;
    WorkerPool::TicketPtr ticket;
    bool done = false; // its completion has run
};

TCvThumbForm::TCvThumbForm(Component* owner, ThumbHost host)
    : Form(owner, FormStyle{.className = "TCvThumbForm", .minimizeBox = false}), host_(std::move(host)),
      self_(std::make_shared<TCvThumbForm*>(this)) {
    TPictureView::RegisterKind();
    BuildLayout(*this, ThumbFormDesign());
    PopupMenu = &ComponentAs<ui::PopupMenu>(*this, "PopupMenu");
    PopupRefresh = &PopupMenu->Item("PopupRefresh");
    PopupLoadImg = &PopupMenu->Item("PopupLoadImg");
    PopupImageInfo = &PopupMenu->Item("PopupImageInfo");
    N1 = &PopupMenu->Item("N1");
    PopupClose = &PopupMenu->Item("PopupClose");
    N2 = &PopupMenu->Item("N2");
    SetPopup(PopupMenu);

    OnCreate = [this](Control& s) { FormCreate(s); };
    OnResize = [this](Control& s) { FormResize(s); };
    OnClose = [this](Form& s, CloseAction& a) { FormClose(s, a); };
    OnKeyDown = [this](Control& s, WORD& k, ShiftState sh) { FormKeyDown(s, k, sh); };
    OnKeyPress = [this](Control& s, char& k) { FormKeyPress(s, k); };
    PopupMenu->OnPopup = [this](Control& s) { PopupMenuPopup(s); };
    PopupLoadImg->onClick = [this](Control& s) { PopupLoadImgClick(s); };
    PopupImageInfo->onClick = [this](Control& s) { PopupImageInfoClick(s); };
    PopupRefresh->onClick = [this](Control& s) { PopupRefreshClick(s); };
    PopupClose->onClick = [this](Control& s) { PopupCloseClick(s); };
    DoCreate();
}

TCvThumbForm::~TCvThumbForm() {
    *self_ = nullptr;
    DropPending();
    DestroyHandle();
}

void TCvThumbForm::FormCreate(Control&) {
    Busy = false;
    AbortRequested = false;
    ThumbCount = 0;
    ThumbDir = host_.directory ? host_.directory() : std::string();
    cellSizes_ = CurrentThumbSizes();
    Cols = std::max(1, ColumnsFor(ClientWidth(), cellSizes_));
    SetAutoScroll(true);
    // The design size only gave the first column count: the window opens at a size of the system's kind,
    // three quarters of the work area, where it has room for a good number of cells.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetBounds(Left(), Top(), (work.right - work.left) * 3 / 4, (work.bottom - work.top) * 3 / 4);
}

bool TCvThumbForm::MustStop() const {
    return closePending_ || App().Terminated();
}

void TCvThumbForm::QueueStep() {
    if (stepQueued_) return;
    stepQueued_ = true;
    // Run when the loop has nothing else to do: keys, clicks and painting of the cells come first.
    App().QueueIdleTask([self = self_] {
        if (TCvThumbForm* form = *self) {
            form->stepQueued_ = false;
            form->Step();
        }
    });
}

void TCvThumbForm::DestroyCells() {
    // The focus must not stay with a panel that is going away.
    if (Control* active = ActiveControl(); active && active != this) {
        ::SetFocus(Handle());
        SetActiveControl(nullptr);
    }
    for (int i = ThumbCount; i >= 1; --i) {
        delete Thumbs[static_cast<std::size_t>(i)];
        Thumbs[static_cast<std::size_t>(i)] = nullptr;
    }
    gridWidth_ = gridHeight_ = 0;
    SetContentExtent(0, 0);
}

void TCvThumbForm::SubmitAhead(std::size_t upTo) {
    upTo = std::min(upTo, FileNames->size());
    const CvImgLib& library = ImagingLibrary();
    WorkerPool& workers = DecodeWorkers();
    for (; submitted_ < upTo; ++submitted_) {
        auto job = std::make_shared<Job>();
        job->request = {ThumbDir + "\\" + (*FileNames)[submitted_], cellSizes_, depth_, true, photo_};
        const std::size_t index = submitted_;
        job->ticket = workers.Submit([job, &library] { job->result = DecodeThumb(library, job->request); },
                                     [job, index, self = self_] {
                                         job->done = true;
                                         TCvThumbForm* form = *self;
                                         if (form && form->Busy && index == form->built_) form->QueueStep();
                                     });
        jobs_[submitted_] = job;
    }
}

void TCvThumbForm::DropPending() {
    std::vector<WorkerPool::TicketPtr> tickets;
    for (auto& [index, job] : jobs_)
        tickets.push_back(job->ticket);
    if (!tickets.empty()) DecodeWorkers().Drop(tickets);
    // Running decodes finish on their own; their results go with the last reference.
    jobs_.clear();
    submitted_ = 0;
}

void TCvThumbForm::UpdateExtent() {
    if (ThumbCount == 0) {
        gridWidth_ = gridHeight_ = 0;
        SetContentExtent(0, 0);
        return;
    }
    // The rightmost cell of the first row and the last cell bound the grid.
    const Bounds right = Thumbs[static_cast<std::size_t>(std::min(ThumbCount, Cols))]->Panel->Position();
    const Bounds bottom = Thumbs[static_cast<std::size_t>(ThumbCount)]->Panel->Position();
    gridWidth_ = right.left + right.width + HorzScrollPosition();
    gridHeight_ = bottom.top + bottom.height + VertScrollPosition();
    SetContentExtent(gridWidth_, gridHeight_);
}

void TCvThumbForm::BuildThumbnails() {
    Busy = true;
    FileNames.emplace();
    DropPending();
    DestroyCells();
    ThumbCount = 0;
    built_ = 0;
    found_ = 0;
    SetCaption("Initializing. Please wait...");
    // Ordinary, read-only, hidden and system files; no directories. At most 500, in the file system's order.
    scan_ = std::make_unique<FileSearch>(JoinEntry(ThumbDir, "*"));
    phase_ = Phase::Scanning;
    QueueStep();
}

void TCvThumbForm::Step() {
    if (!Busy || stepping_) return;
    stepping_ = true;
    if (MustStop())
        EndBuild();
    else if (phase_ == Phase::Scanning)
        ScanStep();
    else
        CellStep();
    stepping_ = false;
    if (Busy && !MustStop() && phase_ == Phase::Scanning) QueueStep();
    // A close that came while a box of the build was open, once the build has ended.
    if (!Busy && closePending_) {
        closePending_ = false;
        Close();
    }
}

void TCvThumbForm::ScanStep() {
    // A folder of thousands of files takes a while: the window goes on answering between the steps.
    for (int steps = 0; steps < kScanStepsPerPump; ++steps) {
        if (!scan_->Valid() || found_ >= kMaxThumbs) {
            scan_.reset();
            ScanEnded();
            return;
        }
        // By the entry's kind and its exact name: a folder named like a picture is no picture.
        if (!scan_->IsDirectory()) {
            const std::string name = scan_->Name();
            if (IsPictureFile(name)) {
                ++found_;
                FileNames->push_back(name);
            }
        }
        scan_->Next();
    }
}

void TCvThumbForm::ScanEnded() {
    if (found_ == 0) {
        SetCaption("Thumbnails");
        FileNames.reset();
        BeepMessageBox(Handle(), MB_ICONASTERISK, MB_OK, "No Images found in this Directory !",
                       "Information");
        Busy = false;
        AbortRequested = false;
        return;
    }
    progressStep_ = 100.0 / found_;
    SetCursor(CursorKind::HourGlass);
    std::stable_sort(FileNames->begin(), FileNames->end(), LessByLocale);
    progress_ = 0;
    SetCaption(std::string(kProgress) + "0 %");
    cellSizes_ = CurrentThumbSizes();
    depth_ = DepthCodeFor(Handle());
    photo_ = ThumbPhotoOptions(Handle());
    phase_ = Phase::Cells;
    SubmitAhead(Ahead());
    if (jobs_.count(0) && jobs_[0]->done) QueueStep();
}

std::size_t TCvThumbForm::Ahead() const {
    return 1 + kAheadPerWorker * static_cast<std::size_t>(DecodeWorkers().Threads());
}

void TCvThumbForm::CellStep() {
    // One cell per step, when its decode has ended; its completion brings the next step.
    const auto found = jobs_.find(built_);
    if (found == jobs_.end() || !found->second->done) return;
    const std::shared_ptr<Job> job = found->second;
    jobs_.erase(found);
    const std::string fileName = ThumbDir + "\\" + (*FileNames)[built_];
    ++built_;
    SubmitAhead(built_ + Ahead());
    ++ThumbCount;
    progress_ += progressStep_;
    auto* cell = new TThumbNail(this);
    Thumbs[static_cast<std::size_t>(ThumbCount)] = cell;
    // The cell's window is made once it is filled, as it is to be seen: under Wine above all, every change
    // to a window costs a round trip. A cell whose file fails shows a box first, which the window owns, so
    // its window is made first.
    const bool reports = job->result.header.code < 1 || job->result.picture.code < 1;
    const int row = (ThumbCount - 1) / Cols, col = (ThumbCount - 1) % Cols;
    if (reports)
        cell->InitThumb(this, cell, row, col);
    else
        cell->PrepareThumb(*this, cell, row, col);
    FillCell(fileName, *cell, job->result);
    ShowCell(*cell);
    UpdateExtent();
    // The same text again would only cost a redraw of the frame.
    if (const std::string text = kProgress + std::to_string(static_cast<int>(progress_)) + " %";
        text != Caption())
        SetCaption(text);
    if (ThumbCount == kMaxThumbs) {
        BeepMessageBox(Handle(), MB_ICONEXCLAMATION, MB_OK,
                       "The maximum loadable amount of 500 Thumbnails has reached !\r"
                       "Further Imagefiles are ignored by Corvane.",
                       "Warning");
        EndBuild();
        return;
    }
    // A close that waits for the build stops it without asking.
    if (MustStop()) {
        EndBuild();
        return;
    }
    if (AbortRequested) {
        AbortRequested = false;
        if (BeepMessageBox(Handle(), MB_ICONQUESTION, MB_YESNO, "Abort Creating Thumbnails ?", "Question") ==
            IDYES) {
            EndBuild();
            return;
        }
    }
    if (built_ >= FileNames->size()) {
        EndBuild();
        return;
    }
    if (const auto next = jobs_.find(built_); next != jobs_.end() && next->second->done) QueueStep();
}

void TCvThumbForm::EndBuild() {
    DropPending();
    scan_.reset();
    for (int i = 1; i <= ThumbCount; ++i) {
        Thumbs[static_cast<std::size_t>(i)]->Panel->SetCursor(CursorKind::Arrow);
        Thumbs[static_cast<std::size_t>(i)]->PMI->SetCursor(CursorKind::Arrow);
    }
    SetCaption(std::to_string(found_) + " Thumbnails in " + ThumbDir);
    FileNames.reset();
    if (ThumbCount > 0 && !App().Terminated()) Thumbs[1]->Panel->SetFocus();
    Busy = false;
    AbortRequested = false;
    SetCursor(CursorKind::Default);
}

void TCvThumbForm::LoadThumb(const std::string& fileName, TThumbNail& cell) {
    // A cell outside a build: decoded here and now.
    ThumbResult result = DecodeThumb(
        ImagingLibrary(), {fileName, cellSizes_, DepthCodeFor(Handle()), true, ThumbPhotoOptions(Handle())});
    FillCell(fileName, cell, result);
    ShowCell(cell);
}

void TCvThumbForm::FillCell(const std::string& fileName, TThumbNail& cell, ThumbResult& result) {
    if (result.header.code >= 1) {
        cell.PMI->SetHeader(result.header);
        if (result.picture.code < 1) cell.PMI->ReportFailure(result.picture.code, fileName, true);
        const ThumbBox& box = result.box;
        cell.PMI->SetBounds(box.left, box.top, box.width, box.height);
        cell.PMI->SetVisible(true);
        // The picture arrives at exactly the box's size: nothing bigger is ever kept.
        cell.PMI->Picture().SetBitmap(std::move(result.picture.bitmap), std::move(result.picture.palette));
        cell.ImgWidth = result.header.width;
        cell.ImgHeight = result.header.height;
        cell.FileSize = result.header.fileSize;
        cell.Compression = result.header.compression;
        cell.Colors = ColorCountText(result.header.bits * result.header.planes);
    } else {
        // The library's own message, as the component's probe would show it.
        cell.PMI->ReportFailure(result.header.code, fileName, false);
        cell.ImgWidth = 0;
        cell.ImgHeight = 0;
        cell.Colors = "N/A";
        cell.FileSize = 0;
        cell.Compression = "N/A";
    }
    cell.FileName = fileName;
    cell.FNLabel->SetCaption(ExtractFileName(fileName));
}

void TCvThumbForm::ShowCell(TThumbNail& cell) {
    cell.Panel->SetVisible(true);
    if (!cell.Panel->Parent()) cell.Panel->SetParent(this);
    cell.Panel->SetTabOrder(ThumbCount - 1);
}

int TCvThumbForm::FocusedThumb() const {
    if (!ActiveControl() || ThumbCount == 0) return 0;
    const HWND focus = GetFocus();
    for (int i = 1; i <= ThumbCount; ++i)
        if (Thumbs[static_cast<std::size_t>(i)]->Panel->Handle() == focus) return i;
    return 0;
}

Extent TCvThumbForm::GridExtentAt(int clientWidth) const {
    // While building the grid is not rearranged: it keeps its extent.
    if (Busy || ThumbCount == 0) return {gridWidth_, gridHeight_};
    const ThumbSizes sizes = CurrentThumbSizes();
    const int cols = std::max(1, ColumnsFor(clientWidth, sizes));
    const Bounds cell = Thumbs[1]->Panel->Position();
    const CellPlace right = CellPosition(std::min(ThumbCount, cols) - 1, cols, sizes);
    const CellPlace last = CellPosition(ThumbCount - 1, cols, sizes);
    return {right.left + cell.width, last.top + cell.height};
}

ScrollNeed TCvThumbForm::ScrollNeedAt(Extent area) const {
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
    const Extent grid = GridExtentAt(area.width);
    const ScrollNeed need =
        ComputeScrollNeed(grid.width, grid.height, area.width, area.height, barWidth, barHeight);
    if (!need.vertical) return need;
    // Laid out beside the vertical bar the grid has no more columns, so it needs that bar still.
    const Extent narrower = GridExtentAt(area.width - barWidth);
    return ComputeScrollNeed(narrower.width, narrower.height, area.width, area.height, barWidth, barHeight);
}

void TCvThumbForm::FormResize(Control&) {
    if (IsIconic(Handle())) return;
    // Decided from the window's outer size and the bars the grid will need at the size it ends at, never
    // from the bars shown now: a resize causes bars to come and go, and each would move the goal again.
    // Only a side that is below its minimum is set back.
    const ClientMinimum minimum = MinimumClient(CurrentThumbSizes());
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL), barHeight = GetSystemMetrics(SM_CYHSCROLL);
    const int frameWidth = Width() - ClientWidth() - (VertScrollVisible() ? barWidth : 0);
    const int frameHeight = Height() - ClientHeight() - (HorzScrollVisible() ? barHeight : 0);
    const Extent area{Width() - frameWidth, Height() - frameHeight};
    const ScrollNeed need = ScrollNeedAt(AtLeast(area, {minimum.width, minimum.height}));
    const Extent wanted = AtLeast(area, {minimum.width + (need.vertical ? barWidth : 0),
                                         minimum.height + (need.horizontal ? barHeight : 0)});
    if (wanted.width != area.width || wanted.height != area.height) {
        // The resize this causes lays the cells out.
        SetBounds(Left(), Top(), wanted.width + frameWidth, wanted.height + frameHeight);
        return;
    }
    if (Busy) return;
    SetCursor(CursorKind::HourGlass);
    ScrollTo(0, 0);
    const ThumbSizes sizes = CurrentThumbSizes();
    // The columns for the width beside the bars the grid will need, not for the bars of a moment ago.
    Cols = std::max(1, ColumnsFor(ScrollNeedAt(area).clientWidth, sizes));
    for (int i = 1; i <= ThumbCount; ++i) {
        ui::Panel* panel = Thumbs[static_cast<std::size_t>(i)]->Panel;
        const CellPlace place = CellPosition(i - 1, Cols, sizes);
        panel->SetBounds(place.left, place.top, panel->Width(), panel->Height());
    }
    UpdateExtent();
    SetCursor(CursorKind::Default);
}

void TCvThumbForm::FormClose(Form&, CloseAction& action) {
    if (Busy && stepping_) {
        // A box of the build is open: the window is not freed under it; the build ends once the box
        // is answered, and the close follows.
        closePending_ = true;
        action = CloseAction::None;
        return;
    }
    // Between two cells nothing of the build is running: it ends here, with the cells made so far.
    if (Busy) EndBuild();
    if (host_.window) host_.window->SetEnabled(false);
    const bool allowed = (host_.closing && host_.closing()) ||
                         BeepMessageBox(Handle(), MB_ICONQUESTION, MB_YESNO, "Close the Thumbnail-Window ?",
                                        "Question") == IDYES;
    if (allowed) {
        if (host_.thumbsClosed) host_.thumbsClosed();
        action = CloseAction::Free;
    } else {
        action = CloseAction::None;
    }
    if (host_.window) host_.window->SetEnabled(true);
}

void TCvThumbForm::FormKeyDown(Control&, WORD& key, ShiftState shift) {
    if (key == VK_ESCAPE) {
        key = 0;
        if (Busy)
            AbortRequested = true;
        else
            Close();
        return;
    }
    // The menu's shortcuts; the commands check Busy and the focus themselves.
    if ((shift & ssCtrl) && !(shift & ssAlt)) {
        if (key == 'L' || key == 'I' || key == 'R') {
            const WORD command = key;
            key = 0;
            if (command == 'L') PopupLoadImgClick(*this);
            if (command == 'I') PopupImageInfoClick(*this);
            if (command == 'R') PopupRefreshClick(*this);
            return;
        }
    }
    if (Busy) return;
    const int a = FocusedThumb();
    if (a == 0) return;
    int target = 0;
    switch (key) {
    case VK_F5:
        key = 0;
        PopupRefreshClick(*this);
        return;
    case VK_PRIOR:
        target = PageUpTarget(a, ThumbCount, Cols);
        break;
    case VK_NEXT:
        target = PageDownTarget(a, ThumbCount, Cols);
        break;
    case VK_END:
        target = ThumbCount;
        break;
    case VK_HOME:
        target = 1;
        break;
    default:
        return;
    }
    key = 0;
    Thumbs[static_cast<std::size_t>(target)]->Panel->SetFocus();
}

void TCvThumbForm::FormKeyPress(Control&, char& key) {
    if (key == '\r' && !Busy) {
        key = 0;
        PopupLoadImgClick(*this);
    }
}

void TCvThumbForm::PopupMenuPopup(Control&) {
    if (Busy) {
        PopupClose->caption = "Abort";
        PopupRefresh->enabled = PopupLoadImg->enabled = PopupImageInfo->enabled = false;
        return;
    }
    PopupClose->caption = "&Close";
    PopupRefresh->enabled = true;
    PopupLoadImg->enabled = PopupImageInfo->enabled = FocusedThumb() > 0;
}

void TCvThumbForm::PopupLoadImgClick(Control&) {
    if (Busy) return;
    const int a = FocusedThumb();
    if (a == 0) return;
    // A copy: loading runs the event loop, and nothing of this cell may be needed after it.
    const std::string fileName = Thumbs[static_cast<std::size_t>(a)]->FileName;
    if (host_.loadPicture) host_.loadPicture(fileName);
}

std::string TCvThumbForm::ImageInformation(const TThumbNail& cell) const {
    const std::optional<std::string> date = FileDateText(cell.FileName);
    return "Filename: " + cell.FileName + "\r" + "Resolution: " + std::to_string(cell.ImgWidth) + "x" +
           std::to_string(cell.ImgHeight) + "x" + cell.Colors + "\r" + "Compression: " + cell.Compression +
           "\r" + "Filesize: " + GroupDigits(std::to_string(cell.FileSize), '.', 3, true) + " Bytes" + "\r" +
           "Filedate: " + date.value_or("N/A");
}

void TCvThumbForm::PopupImageInfoClick(Control&) {
    if (Busy) return;
    const int a = FocusedThumb();
    if (a == 0) return;
    BeepMessageBox(Handle(), MB_ICONASTERISK, MB_OK, ImageInformation(*Thumbs[static_cast<std::size_t>(a)]),
                   "Image Information");
}

void TCvThumbForm::PopupRefreshClick(Control&) {
    if (Busy) return;
    if (BeepMessageBox(Handle(), MB_ICONQUESTION, MB_YESNO, "Reload the Thumbnails of " + ThumbDir + " ?",
                       "Question") == IDYES)
        BuildThumbnails();
}

void TCvThumbForm::PopupCloseClick(Control&) {
    if (Busy)
        AbortRequested = true;
    else
        Close();
}

} // namespace corv

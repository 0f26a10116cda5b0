#include "fullview/fviewfrm.h"

#include "fullview/viewgeometry.h"
#include "base/gdi.h"
#include "base/wide.h"
#include "resources/fullview_layout.h"
#include "settings/pathtext.h"
#include "settings/store.h"
#include "ui/application.h"
#include "ui/layout.h"

#include <algorithm>

namespace corv {

using namespace ui;

TFullViewForm* FullViewForm = nullptr;
bool FullViewActive = false;

namespace {
constexpr char kCharEnter = '\r';
constexpr char kCharEscape = '\x1B';
constexpr char kCharSpace = ' ';

// Moves a window only when it is not there yet (paging runs this for every picture); true when it moved.
bool Place(Control& control, int left, int top, int width, int height) {
    const Bounds now = control.Position();
    if (now.left == left && now.top == top && now.width == width && now.height == height) return false;
    control.SetBounds(left, top, width, height);
    return true;
}
} // namespace

TFullViewForm::TFullViewForm(Component* owner)
    : Form(owner, FormStyle{.className = "TFullViewForm", .border = FormBorder::None}) {
    TPictureView::RegisterKind();
    BuildLayout(*this, FullViewFormDesign());
    PMI = &ControlAs<TPictureView>(*this, "PMI");
    SetWindowState(WindowState::Maximized);
    OnClick = [this](Control& s) { FormClick(s); };
    OnKeyDown = [this](Control& s, WORD& k, ShiftState sh) { FormKeyDown(s, k, sh); };
    OnKeyPress = [this](Control& s, char& k) { FormKeyPress(s, k); };
    OnClose = [this](Form& s, CloseAction& a) { FormClose(s, a); };
    if (!FullViewForm) FullViewForm = this;
}

TFullViewForm::~TFullViewForm() {
    if (FullViewForm == this) FullViewForm = nullptr;
    DestroyHandle();
}

void TFullViewForm::SetHost(std::unique_ptr<FullViewHost> host) {
    host_ = std::move(host);
}

void TFullViewForm::ShowView() {
    // Sized and placed before it becomes visible: one paint, at the final place.
    FormShow();
    Show();
}

void TFullViewForm::FormShow() {
    if (!ShowMouse) App().SetScreenCursor(ScreenCursor::None);
    ZoomLevel = 0;
    if (host_ && !host_->CurrentFile().empty()) {
        FileListBox& list = host_->FileList();
        list.SetItemIndex(list.IndexOf(ExtractFileName(host_->CurrentFile())));
    }
    FullViewActive = true;
    SizeToScreen();
}

void TFullViewForm::SizeToScreen() {
    if (PMI->Visible()) {
        // The view holds the main window's picture: its size is the size the main window loaded.
        const ZoomedExtent size = ZoomedSize(ZoomLevel, PMI->Picture().Width(), PMI->Picture().Height());
        // A stretched picture is drawn anew at its new size, also where the system keeps what it showed
        // (a window that shrinks but still covers the screen).
        if (Place(*PMI, 0, 0, size.width, size.height)) PMI->Invalidate();
        PMI->SetStretch(ZoomLevel != 0);
    }
    const SIZE size = WindowSize();
    Place(*this, 0, 0, size.cx, size.cy);
}

SIZE TFullViewForm::WindowSize() const {
    return {std::max(GetSystemMetrics(SM_CXSCREEN), PMI->Width()),
            std::max(GetSystemMetrics(SM_CYSCREEN), PMI->Height())};
}

LRESULT TFullViewForm::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETMINMAXINFO) {
        // Maximised is the view's own size and place: at 0, 0, at least the screen, at most what its
        // picture needs. Showing it maximised then keeps what SizeToScreen made of it.
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        const SIZE size = WindowSize();
        info->ptMaxPosition = {0, 0};
        info->ptMaxSize = info->ptMaxTrackSize = {size.cx, size.cy};
        return 0;
    }
    return Form::WndProc(message, wParam, lParam);
}

void TFullViewForm::ShowSelectedFile() {
    if (!host_) {
        WalkDone = true;
        return;
    }
    FileListBox& list = host_->FileList();
    const std::string name = list.SelectedPath();
    SelIsPicture = host_->IsPictureFile(name);
    // A directory entry ends the walk, and so does a file that has gone since the list was read (its
    // attributes cannot be read).
    auto isDirectory = [&list, &name] {
        if (list.ItemIndex() < 0 || list.SelectedIsDirectory()) return true;
        const DWORD attributes = GetFileAttributesW(FileSystemPath(name).c_str());
        return attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    };
    if (!isDirectory() && SelIsPicture) {
        host_->LoadPicture(name);
        SizeToScreen();
        LastShown = name;
        lastShownEntry_ = list.ItemIndex();
        WalkDone = true;
    }
    if (isDirectory()) WalkDone = true;
}

void TFullViewForm::WalkForward(FileListBox& list) {
    while (!WalkDone) {
        if (list.ItemIndex() < list.Count() - 1) {
            list.SetItemIndex(list.ItemIndex() + 1);
            ShowSelectedFile();
        } else {
            WalkDone = true; // no wrap at the end
        }
    }
}

void TFullViewForm::FormKeyPress(Control&, char& key) {
    if (key == kCharEnter || key == kCharEscape || key == kCharSpace) Close();
    if (!host_) return;
    FileListBox& list = host_->FileList();
    WalkDone = false;
    LastShown = list.SelectedPath();
    lastShownEntry_ = list.ItemIndex();
    switch (key) {
    case '+':
        WalkForward(list);
        break;
    case '-':
        while (!WalkDone) {
            if (list.ItemIndex() < 1) {
                WalkDone = true; // no wrap at the top
            } else {
                list.SetItemIndex(list.ItemIndex() - 1);
                ShowSelectedFile();
            }
        }
        break;
    case '*': {
        // Past the directory entries at the top of the list: in every folder but a drive root the list
        // starts with "[..]", where a walk would end at once.
        int first = 0;
        while (first < list.Count() - 1 && list.IsDirectoryItem(first))
            ++first;
        list.SetItemIndex(first);
        ShowSelectedFile();
        WalkForward(list);
        break;
    }
    }
    // The selection rests on the last picture shown, or returns to where it was.
    list.SetItemIndex(lastShownEntry_);
}

void TFullViewForm::FormKeyDown(Control&, WORD& key, ShiftState shift) {
    switch (key) {
    case VK_F12:
        if (ZoomLevel < MaxZoomLevel) {
            ++ZoomLevel;
            SizeToScreen();
        }
        break;
    case VK_F11:
        if (ZoomLevel > MinZoomLevel) {
            --ZoomLevel;
            SizeToScreen();
        }
        break;
    case VK_DOWN:
        ScrollView(true, true, ScrollStepSmall);
        break;
    case VK_UP:
        ScrollView(true, false, ScrollStepSmall);
        break;
    case VK_RIGHT:
        ScrollView(false, true, ScrollStepSmall);
        break;
    case VK_LEFT:
        ScrollView(false, false, ScrollStepSmall);
        break;
    case VK_NEXT:
        ScrollView(true, true, ScrollStepLarge);
        break;
    case VK_PRIOR:
        ScrollView(true, false, ScrollStepLarge);
        break;
    case VK_END:
        ScrollView(false, true, ScrollStepLarge);
        break;
    case VK_HOME:
        ScrollView(false, false, ScrollStepLarge);
        break;
    }
    // Shift, Ctrl or Alt alone close the view; so does a character that needs Shift on the main keyboard,
    // before the character arrives. The numeric keypad's "+", "-" and "*" need no modifier.
    if (shift == ssShift || shift == ssCtrl || shift == ssAlt) {
        // Taken here: an Alt press that the system saw would open the main window's system menu when
        // the key is let go there.
        key = 0;
        Close();
    }
}

void TFullViewForm::ScrollView(bool vertical, bool towardsEnd, int step) {
    int left = Left(), top = Top();
    int& position = vertical ? top : left;
    const int size = vertical ? Height() : Width();
    const int screen = GetSystemMetrics(vertical ? SM_CYSCREEN : SM_CXSCREEN);
    position =
        towardsEnd ? ScrollTowardsEnd(position, size, screen, step) : ScrollTowardsStart(position, step);
    if (left != Left() || top != Top()) SetBounds(left, top, Width(), Height());
}

void TFullViewForm::FormClick(Control&) {
    Close();
}

void TFullViewForm::FormClose(Form&, CloseAction& action) {
    action = CloseAction::Hide;
    App().SetScreenCursor(ScreenCursor::Default);
    FullViewActive = false;
    if (host_) host_->FullViewClosed();
}

void TFullViewForm::WriteLine(const std::string& text) {
    if (!HandleAllocated()) return;
    Repaint();
    WindowDc dc(Handle());
    ScopedSelect font(dc.Get(), FontHandle());
    SetTextColor(dc.Get(), ToRgb(Font().color));
    SetBkColor(dc.Get(), ToRgb(GetColor()));
    TextOutUtf8(dc.Get(), 0, 0, text);
}

} // namespace corv

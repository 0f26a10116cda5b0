#include "ui/filelist.h"

#include "base/files.h"
#include "base/gdi.h"
#include "base/handles.h"
#include "base/pathrules.h"
#include "base/wide.h"
#include "ui/layoutmath.h"

#include <shellapi.h>

#include <cstdlib>

namespace corv::ui {

namespace {
// The small icon the shell shows for a kind of name; the name need not exist.
IconHandle ShellIcon(const wchar_t* name, DWORD attributes) {
    SHFILEINFOW info{};
    if (!SHGetFileInfoW(name, attributes, &info, sizeof info,
                        SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES))
        return IconHandle();
    return IconHandle(info.hIcon);
}

// A path as the system resolves it: a drive letter with a colon is that drive's current directory,
// a relative path is taken from the current one. "" when the system cannot say.
std::string FullPath(const std::string& path) {
    const std::wstring wide = Wide(path);
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return {};
    std::wstring buffer(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, buffer.data(), nullptr);
    if (length == 0 || length >= needed) return {};
    buffer.resize(length);
    return Utf8(buffer);
}

std::string CurrentDirectory() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return {};
    std::wstring buffer(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, buffer.data());
    if (length == 0 || length >= needed) return {};
    buffer.resize(length);
    return Utf8(buffer);
}

// Folding for the list's order and lookups: the system's own lower case.
std::string SystemFold(const std::string& text) {
    return LowerCase(text);
}
} // namespace

FileListBox::FileListBox(Component* owner) : Control(owner) {
    SetTabStop(true);
    SetColor(clWindow);
    SetCaseFold(&SystemFold);
    directory_ = NormalizeDirectory(CurrentDirectory());
}

void FileListBox::GetCreateParams(CreateParams& params) {
    params.className = "LISTBOX";
    params.style = LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL;
    params.exStyle = WS_EX_CLIENTEDGE;
}

int FileListBox::Borders() const {
    if (!Handle()) return 2 * GetSystemMetrics(SM_CYEDGE);
    RECT window, client;
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    return (window.bottom - window.top) - client.bottom;
}

void FileListBox::SetBounds(int left, int top, int width, int height) {
    Control::SetBounds(left, top, width, WholeItemHeight(height, kItemHeight, Borders()));
}

void FileListBox::HandleCreated() {
    SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, kItemHeight);
    documentIcon_ = ShellIcon(L"document", FILE_ATTRIBUTE_NORMAL);
    programIcon_ = ShellIcon(L"program.exe", FILE_ATTRIBUTE_NORMAL);
    folderIcon_ = ShellIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY);
    Control::SetBounds(stored_.left, stored_.top, stored_.width,
                       WholeItemHeight(stored_.height, kItemHeight, Borders()));
    Update();
}

bool FileListBox::EnterPath(const std::string& text) {
    if (text.empty()) return false;
    // A bracketed entry text or a full path names its directory exactly: the system's path rules must
    // not touch it (they would drop a trailing blank or dot and reach another folder). Anything else,
    // a drive letter with a colon or a relative path, is resolved by the system.
    const bool entryText = text.size() >= 2 && text.front() == '[' && text.back() == ']';
    const bool fullPath = ExtendedLengthForm(text) != text;
    const std::string target = entryText  ? ResolveEnterPath(directory_, text)
                               : fullPath ? text
                                          : FullPath(text);
    return ShowDirectory(target);
}

bool FileListBox::EnterEntry(int index) {
    if (index < 0 || index >= Count() || !IsDirectoryItem(index)) return false;
    const std::string& name = Entry(index).name;
    if (name == ".") return ShowDirectory(directory_);
    if (name == "..") return ShowDirectory(ParentDirectory(directory_));
    return ShowDirectory(NormalizeDirectory(JoinEntry(directory_, name)));
}

bool FileListBox::ShowDirectory(const std::string& path) {
    if (path.empty() || !DirectoryExists(path)) return false;
    const std::string target = NormalizeDirectory(path);
    const std::string previous = directory_;
    // The process follows the list where the system lets it; a folder it can only reach by the exact
    // form of its name is still shown, read and acted on by that form.
    if (SetCurrentDirectoryW(FileSystemPath(target).c_str()) && !PathRulesWouldChange(target) &&
        !TooLongForOrdinaryCalls(target)) {
        const std::string current = CurrentDirectory();
        directory_ = current.empty() ? target : NormalizeDirectory(current);
    } else {
        directory_ = target;
    }
    Update();
    if (directory_ != previous && OnDirectoryChange) OnDirectoryChange(*this);
    return true;
}

void FileListBox::Update() {
    std::vector<DirEntry> entries;
    bool readable = false;
    for (FileSearch search(JoinEntry(directory_, "*")); search.Valid(); search.Next()) {
        readable = true;
        // System files and the volume label stay out of the list.
        if (search.Found().dwFileAttributes & (FILE_ATTRIBUTE_SYSTEM | kVolumeLabelAttribute)) continue;
        entries.push_back({search.Name(), search.IsDirectory()});
    }
    // A folder that cannot be read keeps a way out.
    const bool root = directory_.size() == 3 && directory_[1] == ':';
    if (!readable && !root) entries.push_back({"..", true});
    model_.Assign(std::move(entries));
    Fill();
    if (!readable && !root && OnReadFailure) OnReadFailure(*this);
    if (ItemIndex() < 0 && OnChange) OnChange(*this);
}

void FileListBox::Fill() {
    if (!Handle()) return;
    SendMessageW(Handle(), WM_SETREDRAW, FALSE, 0);
    SendMessageW(Handle(), LB_RESETCONTENT, 0, 0);
    SendMessageW(Handle(), LB_INITSTORAGE, static_cast<WPARAM>(model_.Count()), 0);
    for (int i = 0; i < model_.Count(); ++i) {
        const std::wstring text = Wide(model_.Text(i));
        SendMessageW(Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SendMessageW(Handle(), WM_SETREDRAW, TRUE, 0);
    Invalidate();
}

int FileListBox::ItemIndex() const {
    if (!Handle()) return -1;
    const LRESULT index = SendMessageW(Handle(), LB_GETCURSEL, 0, 0);
    return index == LB_ERR ? -1 : static_cast<int>(index);
}

void FileListBox::SetItemIndex(int index) {
    if (Handle()) SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

std::string FileListBox::FileName() const {
    const int index = ItemIndex();
    if (index < 0 || index >= model_.Count()) return {};
    return JoinEntry(directory_, model_.Text(index));
}

std::string FileListBox::SelectedPath() const {
    const int index = ItemIndex();
    if (index < 0 || index >= model_.Count()) return {};
    return EntryPath(index);
}

bool FileListBox::SelectedIsDirectory() const {
    const int index = ItemIndex();
    return index >= 0 && index < model_.Count() && model_.Entry(index).directory;
}

int FileListBox::ItemAtPos(int x, int y) const {
    if (!Handle()) return -1;
    const LRESULT result = SendMessageW(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(x, y));
    if (HIWORD(result)) return -1; // outside every item
    return static_cast<int>(LOWORD(result));
}

bool FileListBox::Notify(WORD code) {
    if (code == LBN_SELCHANGE) {
        if (OnChange) OnChange(*this);
        return true;
    }
    if (code == LBN_DBLCLK) {
        if (OnDblClick) OnDblClick(*this);
        return true;
    }
    return false;
}

Control* FileListBox::DropTarget(POINT clientPoint, POINT& targetPoint, bool& accept) {
    accept = false;
    POINT screen = clientPoint;
    ClientToScreen(Handle(), &screen);
    Control* target = FromHandleOrAncestor(WindowFromPoint(screen));
    if (!target || !target->OnDragOver) return target;
    targetPoint = screen;
    ScreenToClient(target->Handle(), &targetPoint);
    accept = true;
    target->OnDragOver(*target, *this, targetPoint.x, targetPoint.y, accept);
    return target;
}

LRESULT FileListBox::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    switch (message) {
    case WM_LBUTTONDOWN: {
        // The list selects the entry first; a drag can then start from the selected entry.
        const LRESULT result = Control::WndProc(message, wParam, lParam);
        const int item = Handle() ? ItemAtPos(point.x, point.y) : -1;
        dragPending_ = item >= 0 && item == ItemIndex();
        dragging_ = false;
        dragStart_ = point;
        return result;
    }
    case WM_MOUSEMOVE:
        if (dragPending_ && !dragging_ && (wParam & MK_LBUTTON) &&
            (std::abs(point.x - dragStart_.x) > GetSystemMetrics(SM_CXDRAG) ||
             std::abs(point.y - dragStart_.y) > GetSystemMetrics(SM_CYDRAG))) {
            dragging_ = true;
            SetCapture(Handle());
        }
        if (dragging_) {
            // While dragging, the list's own tracking must not move the selection.
            POINT targetPoint{};
            bool accept = false;
            DropTarget(point, targetPoint, accept);
            ::SetCursor(LoadCursor(nullptr, accept ? IDC_ARROW : IDC_NO));
            return 0;
        }
        break;
    case WM_LBUTTONUP:
        if (dragging_) {
            dragging_ = false;
            dragPending_ = false;
            // The list ends its own tracking first.
            const LRESULT result = Control::WndProc(message, wParam, lParam);
            if (GetCapture() == Handle()) ReleaseCapture();
            POINT targetPoint{};
            bool accept = false;
            Control* target = DropTarget(point, targetPoint, accept);
            if (target && accept && target->OnDragDrop)
                target->OnDragDrop(*target, *this, targetPoint.x, targetPoint.y);
            return result;
        }
        dragPending_ = false;
        break;
    case WM_KEYDOWN:
        // Esc ends a drag where it is, dropping nothing.
        if (dragging_ && wParam == VK_ESCAPE) {
            dragging_ = false;
            dragPending_ = false;
            ReleaseCapture();
            return 0;
        }
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != Handle()) {
            dragging_ = false;
            dragPending_ = false;
        }
        break;
    case WM_CANCELMODE:
        dragging_ = false;
        dragPending_ = false;
        break;
    }
    return Control::WndProc(message, wParam, lParam);
}

bool FileListBox::DrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT rect = item.rcItem;
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &rect, selected ? GetSysColorBrush(COLOR_HIGHLIGHT) : ColorBrush());
    if (item.itemID != static_cast<UINT>(-1) && static_cast<int>(item.itemID) < model_.Count()) {
        const int index = static_cast<int>(item.itemID);
        const IconHandle& icon = IconOf(index) == EntryIcon::Folder    ? folderIcon_
                                 : IconOf(index) == EntryIcon::Program ? programIcon_
                                                                       : documentIcon_;
        if (icon) DrawIconEx(dc, rect.left + 2, rect.top, icon.Get(), 16, 16, 0, nullptr, DI_NORMAL);
        const std::string text = model_.Text(index);
        ScopedSelect font(dc, FontHandle());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : ToRgb(Font().color));
        RECT textRect = rect;
        textRect.left += 22;
        DrawUtf8Text(dc, text, textRect, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rect);
    return true;
}

} // namespace corv::ui

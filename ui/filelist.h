// The file list: the entries of one directory with their icons, over a real owner-drawn list box.
#pragma once
#include "ui/control.h"
#include "ui/filelistmodel.h"

namespace corv::ui {

class FileListBox : public Control {
  public:
    static constexpr int kItemHeight = 16;

    explicit FileListBox(Component* owner);

    // The shown directory: a full path without a trailing backslash, except for a drive root.
    const std::string& Directory() const { return directory_; }
    // Changes the shown directory: a full path, a drive letter with a colon (that drive's current
    // directory) or a bracketed entry text relative to the shown directory. Also makes it the process's
    // current directory. False (and nothing changes) when the text names no directory; "" does nothing.
    bool EnterPath(const std::string& text);
    // Enters the directory of a directory entry by its exact name ("." stays, ".." is the parent).
    bool EnterEntry(int index);
    // Runs after EnterPath has changed the shown directory.
    NotifyEvent OnDirectoryChange;
    // Reads the directory again.
    void Update();
    // Runs when a reading of the directory failed (the folder cannot be read); the list then holds
    // "[..]" alone, so that the user can leave it.
    NotifyEvent OnReadFailure;

    int Count() const { return model_.Count(); }
    std::string Item(int index) const { return model_.Text(index); }
    bool IsDirectoryItem(int index) const { return model_.Entry(index).directory; }
    const DirEntry& Entry(int index) const { return model_.Entry(index); }
    // Every entry in the list's order: what one reading of the directory found.
    const std::vector<DirEntry>& Entries() const { return model_.Entries(); }
    // Directory joined with an entry's exact name: the file or folder itself.
    std::string EntryPath(int index) const { return JoinEntry(directory_, model_.Entry(index).name); }
    // The entry of that kind and name (exact spelling first, then ignoring case); -1 when none.
    int IndexOfEntry(const std::string& name, bool directory) const {
        return model_.IndexOfEntry(name, directory);
    }
    EntryIcon IconOf(int index) const { return IconFor(model_.Entry(index)); }
    int IndexOf(const std::string& text) const { return model_.IndexOf(text); }
    // The selected entry, -1 when none; setting it selects without running OnChange.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // Directory joined with the selected entry's text; "" when nothing is selected. For a directory
    // entry that is the bracketed text: a text to show, not a name to act on.
    std::string FileName() const;
    // The selected entry's own path (see EntryPath) and kind; "" and false when nothing is selected.
    std::string SelectedPath() const;
    bool SelectedIsDirectory() const;
    // The entry at a client point, -1 below the last one.
    int ItemAtPos(int x, int y) const;
    int ItemHeight() const { return kItemHeight; }
    // An entry dragged with the left button (beyond the system's drag distance) is offered to the control
    // under the mouse through its OnDragOver and, when accepted there, dropped with OnDragDrop.
    bool Dragging() const { return dragging_; }
    // The list keeps its height to whole items.
    void SetBounds(int left, int top, int width, int height) override;

  protected:
    void GetCreateParams(CreateParams& params) override;
    void HandleCreated() override;
    bool Notify(WORD code) override;
    bool DrawItem(const DRAWITEMSTRUCT& item) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    // The control under a client point of this list and whether it takes the drop there.
    Control* DropTarget(POINT clientPoint, POINT& targetPoint, bool& accept);
    void Fill();
    bool ShowDirectory(const std::string& path);
    int Borders() const;

    std::string directory_;
    FileListModel model_;
    IconHandle folderIcon_, programIcon_, documentIcon_;
    bool dragPending_ = false;
    bool dragging_ = false;
    POINT dragStart_{};
};

} // namespace corv::ui

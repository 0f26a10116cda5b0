// Deleting, renaming, moving and copying files through the shell, which brings its own confirmations,
// progress, error messages and undo (deleted files go to the recycle bin).
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace corv {

// The request to ShellFileOp, filled by its callers.
extern std::string SourceFiles; // one name, or a pattern such as "C:\DIR\*.*"
extern std::string DestFiles;   // a file name (rename) or a directory (move, copy)

enum FileOpKind : int { foDelete = 1, foRename = 2, foMove = 3, foCopy = 4 };

// The list that shows the folder the operations change: re-read after every operation with its
// selection kept near where it was.
class FileOpList {
  public:
    virtual ~FileOpList() = default;
    virtual int ItemIndex() const = 0;
    virtual int Count() const = 0;
    virtual void Update() = 0;
    // Selects without the change handling that would load a picture.
    virtual void SelectIndex(int index) = 0;
};
void SetFileOpList(FileOpList* list);

// The names (UTF-8) as the shell wants them: each ended by NUL, the whole ended by a second NUL.
std::string MakeShellFileList(const std::vector<std::string>& names);

// Runs the operation; the source list is `readyList` when given (already a shell file list), else built
// from SourceFiles. Lists are built at the size the names need: a name is never cut. A name the shell
// would take for another one (a name ending in a blank or a dot) or that is too long for it is refused
// before anything is done, with a message box that says which and why; a pattern's last name is the
// shell's to match.
void ShellFileOp(HWND owner, int kind, const std::string* readyList = nullptr);

} // namespace corv

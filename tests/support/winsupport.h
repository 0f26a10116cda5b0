// Test helpers for the Windows build: real temporary folders, real registry keys, scripted message boxes.
#pragma once
#include "settings/system.h"

#include <windows.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace corv::test {

// A fresh folder under the temporary directory, removed with everything in it at the end.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    // Names of the files in the folder, sorted.
    std::vector<std::string> Files() const;

  private:
    std::string path_;
};

void WriteFileBytes(const std::string& name, const std::string& content);
std::string ReadFileBytes(const std::string& name);
// True when a file or directory of that name exists.
bool PathExists(const std::string& name);
// Every file and folder below the folder by its name relative to it, with its content ("<dir>" for a
// folder): what a test compares before and after to see that exactly the chosen file changed.
std::map<std::string, std::string> FolderContents(const std::string& folder);

// A registry key under HKEY_CURRENT_USER that is removed with its subkeys before and after the test.
class ScratchKey {
  public:
    explicit ScratchKey(std::string subkey);
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;
    const std::string& Subkey() const { return subkey_; }

  private:
    std::string subkey_;
};

// Stores a raw registry value of any type, bypassing the routines under test.
void SetRawValue(HKEY root, const std::string& subkey, const std::string& name, DWORD type, const void* data,
                 DWORD size);
// Reads a raw value; false when it is absent.
bool GetRawValue(HKEY root, const std::string& subkey, const std::string& name, DWORD& type,
                 std::string& data);

// Keeps a registry key as it is now, with its values and subkeys (or its absence), and puts it back
// exactly so at the end: for tests that must change keys the system itself holds.
class SavedKey {
  public:
    SavedKey(HKEY root, std::string subkey);
    ~SavedKey();
    SavedKey(const SavedKey&) = delete;
    SavedKey& operator=(const SavedKey&) = delete;
    struct Value {
        std::string name;
        DWORD type;
        std::string data;
    };
    struct Tree {
        std::vector<Value> values;
        std::vector<std::pair<std::string, Tree>> subkeys;
    };

  private:
    HKEY root_;
    std::string subkey_;
    bool existed_ = false;
    Tree tree_;
};

// Keeps a file's content and attributes (or its absence) and puts them back at the end, also when an
// empty folder took its place meanwhile.
class SavedFile {
  public:
    explicit SavedFile(std::string name);
    ~SavedFile();
    SavedFile(const SavedFile&) = delete;
    SavedFile& operator=(const SavedFile&) = delete;

  private:
    std::string name_;
    DWORD attributes_;
    std::string content_;
};

// Answers message boxes from a script and records what was asked, for its lifetime.
class ScriptedMessageBoxes {
  public:
    explicit ScriptedMessageBoxes(std::deque<int> answers = {});
    ~ScriptedMessageBoxes();
    ScriptedMessageBoxes(const ScriptedMessageBoxes&) = delete;
    ScriptedMessageBoxes& operator=(const ScriptedMessageBoxes&) = delete;
    void Answer(int id) { answers_.push_back(id); }
    const std::vector<MessageBoxRequest>& Asked() const { return asked_; }

  private:
    std::deque<int> answers_;
    std::vector<MessageBoxRequest> asked_;
    MessageBoxHandler previous_;
};

} // namespace corv::test

#include <functional>
#include <thread>

namespace corv::test {

// A visible dialog window (class "#32770") of this process, or nullptr.
HWND FindOwnDialog();
// A visible top-level window of this process with exactly this caption, or nullptr.
HWND FindOwnWindow(const std::string& caption);

// Watches from a second thread for a top-level window with the given caption (any dialog of this process
// when the caption is empty), while the thread that opened it is blocked in its modal loop; then runs the
// action on it. Joins at the end of its scope.
class WindowWatcher {
  public:
    WindowWatcher(std::string caption, std::function<void(HWND)> action, DWORD timeoutMs = 15000);
    ~WindowWatcher();
    WindowWatcher(const WindowWatcher&) = delete;
    WindowWatcher& operator=(const WindowWatcher&) = delete;
    // Waits for the watcher; true when it found the window and ran the action.
    bool Done();

  private:
    std::thread thread_;
    bool found_ = false;
    bool joined_ = false;
};

// Presses a dialog's button by its id, as a click would.
void PressButton(HWND dialog, int id);

// The shell's folder dialog's status line once it shows something (it follows the selection as the tree
// fills in).
std::string FolderDialogStatus(HWND dialog);

} // namespace corv::test

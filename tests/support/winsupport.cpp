#include "tests/support/winsupport.h"

#include "base/handles.h"
#include "base/wide.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

namespace corv::test {

namespace {

void RemoveTree(const std::string& path) {
    for (FileSearch search(path + "\\*"); search.Valid(); search.Next()) {
        const std::string name = search.Name();
        if (name == "." || name == "..") continue;
        const std::string full = path + "\\" + name;
        SetFileAttributesW(FileSystemPath(full).c_str(), FILE_ATTRIBUTE_NORMAL);
        if (search.IsDirectory())
            RemoveTree(full);
        else
            DeleteFileW(FileSystemPath(full).c_str());
    }
    RemoveDirectoryW(FileSystemPath(path).c_str());
}

} // namespace

TempFolder::TempFolder() {
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, base);
    static unsigned counter = 0;
    for (;;) {
        path_ = Utf8(base) + "corvtest-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        if (CreateDirectoryW(FileSystemPath(path_).c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create " << path_;
            break;
        }
    }
}

TempFolder::~TempFolder() {
    RemoveTree(path_);
}

std::vector<std::string> TempFolder::Files() const {
    std::vector<std::string> names;
    for (FileSearch search(path_ + "\\*"); search.Valid(); search.Next())
        if (!search.IsDirectory()) names.push_back(search.Name());
    std::sort(names.begin(), names.end());
    return names;
}

// Files by their exact (UTF-8) names: any character, a trailing blank or dot, longer than MAX_PATH.
void WriteFileBytes(const std::string& name, const std::string& content) {
    FileHandle file(CreateFileW(FileSystemPath(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file ||
        !WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
        written != content.size())
        ADD_FAILURE() << "cannot write " << name;
}

std::string ReadFileBytes(const std::string& name) {
    FileHandle file(CreateFileW(FileSystemPath(name).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    std::string content;
    char buffer[65536];
    DWORD got = 0;
    while (file && ReadFile(file.Get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        content.append(buffer, got);
    return content;
}

namespace {
void AddContents(const std::string& folder, const std::string& prefix,
                 std::map<std::string, std::string>& into) {
    for (FileSearch search(folder + "\\*"); search.Valid(); search.Next()) {
        const std::string name = search.Name(), full = folder + "\\" + name;
        if (name == "." || name == "..") continue;
        if (search.IsDirectory()) AddContents(full, prefix + name + "\\", into);
        into[prefix + name] = search.IsDirectory() ? "<dir>" : ReadFileBytes(full);
    }
}
} // namespace

std::map<std::string, std::string> FolderContents(const std::string& folder) {
    std::map<std::string, std::string> contents;
    AddContents(folder, "", contents);
    return contents;
}

bool PathExists(const std::string& name) {
    return GetFileAttributesW(FileSystemPath(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

ScratchKey::ScratchKey(std::string subkey) : subkey_(std::move(subkey)) {
    RegDeleteTreeA(HKEY_CURRENT_USER, subkey_.c_str());
}

ScratchKey::~ScratchKey() {
    RegDeleteTreeA(HKEY_CURRENT_USER, subkey_.c_str());
}

void SetRawValue(HKEY root, const std::string& subkey, const std::string& name, DWORD type, const void* data,
                 DWORD size) {
    RegKeyHandle key;
    const LONG created =
        RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, OutParam(key), nullptr);
    ASSERT_EQ(created, ERROR_SUCCESS);
    EXPECT_EQ(RegSetValueExA(key.Get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size),
              ERROR_SUCCESS);
}

bool GetRawValue(HKEY root, const std::string& subkey, const std::string& name, DWORD& type,
                 std::string& data) {
    RegKeyHandle key;
    const LONG opened = RegOpenKeyExA(root, subkey.c_str(), 0, KEY_READ, OutParam(key));
    if (opened != ERROR_SUCCESS) return false;
    DWORD size = 0;
    bool ok = RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        data.assign(size, '\0');
        ok = RegQueryValueExA(key.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                              &size) == ERROR_SUCCESS;
    }
    return ok;
}

namespace {

bool ReadTree(HKEY key, SavedKey::Tree& tree) {
    for (DWORD index = 0;; ++index) {
        char name[16384];
        DWORD nameLength = sizeof name;
        DWORD type = 0, size = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
            break;
        std::string data(size, '\0');
        nameLength = sizeof name;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                          &size) != ERROR_SUCCESS)
            return false;
        data.resize(size);
        tree.values.push_back({std::string(name, nameLength), type, data});
    }
    for (DWORD index = 0;; ++index) {
        char name[256];
        DWORD nameLength = sizeof name;
        if (RegEnumKeyExA(key, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        RegKeyHandle child;
        const LONG opened = RegOpenKeyExA(key, name, 0, KEY_READ, OutParam(child));
        if (opened != ERROR_SUCCESS) return false;
        tree.subkeys.emplace_back(std::string(name, nameLength), SavedKey::Tree{});
        if (!ReadTree(child.Get(), tree.subkeys.back().second)) return false;
    }
    return true;
}

void WriteTree(HKEY root, const std::string& subkey, const SavedKey::Tree& tree) {
    {
        RegKeyHandle key;
        const LONG created = RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                             OutParam(key), nullptr);
        if (created != ERROR_SUCCESS) {
            ADD_FAILURE() << "cannot put back " << subkey;
            return;
        }
        for (const SavedKey::Value& value : tree.values)
            RegSetValueExA(key.Get(), value.name.c_str(), 0, value.type,
                           reinterpret_cast<const BYTE*>(value.data.data()),
                           static_cast<DWORD>(value.data.size()));
    }
    for (const auto& [name, child] : tree.subkeys)
        WriteTree(root, subkey + "\\" + name, child);
}

} // namespace

SavedKey::SavedKey(HKEY root, std::string subkey) : root_(root), subkey_(std::move(subkey)) {
    RegKeyHandle key;
    const LONG opened = RegOpenKeyExA(root_, subkey_.c_str(), 0, KEY_READ, OutParam(key));
    if (opened != ERROR_SUCCESS) return;
    existed_ = true;
    if (!ReadTree(key.Get(), tree_)) ADD_FAILURE() << "cannot read " << subkey_;
}

SavedKey::~SavedKey() {
    RegDeleteTreeA(root_, subkey_.c_str());
    RegDeleteKeyA(root_, subkey_.c_str());
    if (existed_) WriteTree(root_, subkey_, tree_);
}

SavedFile::SavedFile(std::string name)
    : name_(std::move(name)), attributes_(GetFileAttributesA(name_.c_str())) {
    if (attributes_ != INVALID_FILE_ATTRIBUTES) content_ = ReadFileBytes(name_);
}

SavedFile::~SavedFile() {
    RemoveDirectoryA(name_.c_str()); // a test may have put an empty folder in its place
    SetFileAttributesA(name_.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attributes_ == INVALID_FILE_ATTRIBUTES) {
        DeleteFileA(name_.c_str());
        return;
    }
    WriteFileBytes(name_, content_);
    SetFileAttributesA(name_.c_str(), attributes_);
}

ScriptedMessageBoxes::ScriptedMessageBoxes(std::deque<int> answers) : answers_(std::move(answers)) {
    previous_ = SetMessageBoxHandler([this](const MessageBoxRequest& request) {
        asked_.push_back(request);
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected message box: " << request.caption << ": " << request.text;
            return IDCANCEL;
        }
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
}

ScriptedMessageBoxes::~ScriptedMessageBoxes() {
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " scripted answers were not used";
    SetMessageBoxHandler(std::move(previous_));
}

} // namespace corv::test

namespace corv::test {

namespace {
struct OwnWindowSearch {
    const std::string* caption; // nullptr: any dialog
    HWND found = nullptr;
};

// Tests run in parallel processes: only this process's windows count.
BOOL CALLBACK MatchOwnWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<OwnWindowSearch*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId() || !IsWindowVisible(window)) return TRUE;
    char text[256] = {};
    if (search->caption) {
        GetWindowTextA(window, text, sizeof text);
        if (*search->caption != text) return TRUE;
    } else {
        GetClassNameA(window, text, sizeof text);
        if (std::string(text) != "#32770") return TRUE;
    }
    search->found = window;
    return FALSE;
}
} // namespace

HWND FindOwnDialog() {
    OwnWindowSearch search{nullptr};
    EnumWindows(MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND FindOwnWindow(const std::string& caption) {
    OwnWindowSearch search{&caption};
    EnumWindows(MatchOwnWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

WindowWatcher::WindowWatcher(std::string caption, std::function<void(HWND)> action, DWORD timeoutMs)
    : thread_([this, caption = std::move(caption), action = std::move(action), timeoutMs] {
          const DWORD start = GetTickCount();
          while (GetTickCount() - start < timeoutMs) {
              HWND window = caption.empty() ? FindOwnDialog() : FindOwnWindow(caption);
              if (window) {
                  Sleep(100); // let the dialog finish its initialisation
                  action(window);
                  found_ = true;
                  return;
              }
              Sleep(30);
          }
      }) {}

WindowWatcher::~WindowWatcher() {
    Done();
}

bool WindowWatcher::Done() {
    if (!joined_) {
        thread_.join();
        joined_ = true;
    }
    return found_;
}

void PressButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

std::string FolderDialogStatus(HWND dialog) {
    char text[512] = "";
    for (int tries = 0; tries < 100 && !text[0]; ++tries) {
        GetWindowTextA(GetDlgItem(dialog, 14147), text, sizeof text);
        if (!text[0]) Sleep(30);
    }
    return text;
}

} // namespace corv::test

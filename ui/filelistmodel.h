// The entries of one directory as a file list shows them. Portable: no Windows headers.
#pragma once
#include <string>
#include <vector>

namespace corv {

enum class EntryIcon { Folder, Program, Document };

struct DirEntry {
    std::string name;
    bool directory = false;
};

// A directory's entry text is its name in square brackets; a file's is its name.
std::string EntryText(const DirEntry& entry);
// Folder for directories, a program for .EXE, .COM, .BAT and .PIF, a document for everything else.
EntryIcon IconFor(const DirEntry& entry);
// Byte-wise comparison with ASCII letters folded to lower case: <0, 0, >0.
int CompareNoCase(const std::string& a, const std::string& b);

// How text outside ASCII is folded to lower case for sorting and lookups. The file list sets the
// system's mapping; without one, only ASCII letters fold.
using CaseFold = std::string (*)(const std::string& text);
void SetCaseFold(CaseFold fold);
// The key entries sort by: ASCII text with its letters folded to lower case (so "[" and the bracketed
// directories come before the letters, as they always have), other text folded by the CaseFold. Keys
// compare byte-wise, which is the order of the characters' code points.
std::string SortKey(const std::string& text);

// Directory and entry text joined by one backslash; none is added after a root such as "C:\".
std::string JoinEntry(const std::string& directory, const std::string& text);
// A directory path without its trailing backslash, except for a drive root ("C:\").
std::string NormalizeDirectory(const std::string& path);
// The parent of a directory; a root is its own parent.
std::string ParentDirectory(const std::string& directory);
// Where entering a text leads from the shown directory: bracketed texts are relative ("[..]" is the parent,
// "[.]" stays), anything else is taken as it is.
std::string ResolveEnterPath(const std::string& directory, const std::string& text);

// The sorted entries of one directory.
class FileListModel {
  public:
    // Takes the entries as found and keeps them sorted by their texts, ignoring case.
    void Assign(std::vector<DirEntry> entries);
    int Count() const { return static_cast<int>(entries_.size()); }
    const DirEntry& Entry(int index) const { return entries_.at(static_cast<std::size_t>(index)); }
    std::string Text(int index) const { return EntryText(Entry(index)); }
    const std::vector<DirEntry>& Entries() const { return entries_; }
    // The index of an entry text compared without case; -1 when absent.
    int IndexOf(const std::string& text) const;
    // The entry of that kind and name: spelt exactly as given when there is one (the file system may
    // hold names that differ only in case), else the first that matches without case; -1 when none.
    int IndexOfEntry(const std::string& name, bool directory) const;

  private:
    std::vector<DirEntry> entries_;
    std::vector<std::string> keys_; // SortKey of each entry's text
};

} // namespace corv

#include "ui/filelistmodel.h"

#include <algorithm>

namespace corv {

namespace {
// Folding to lower case puts "[" (and so the bracketed directories) before the letters.
unsigned char Fold(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}
CaseFold g_fold = nullptr;

bool IsRoot(const std::string& path) {
    return path.size() == 3 && path[1] == ':' && path[2] == '\\';
}
} // namespace

std::string EntryText(const DirEntry& entry) {
    return entry.directory ? "[" + entry.name + "]" : entry.name;
}

EntryIcon IconFor(const DirEntry& entry) {
    if (entry.directory) return EntryIcon::Folder;
    const auto dot = entry.name.rfind('.');
    if (dot == std::string::npos) return EntryIcon::Document;
    std::string ext;
    for (char c : entry.name.substr(dot))
        ext += static_cast<char>(Fold(c));
    if (ext == ".exe" || ext == ".com" || ext == ".bat" || ext == ".pif") return EntryIcon::Program;
    return EntryIcon::Document;
}

int CompareNoCase(const std::string& a, const std::string& b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const int d = Fold(a[i]) - Fold(b[i]);
        if (d != 0) return d;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

void SetCaseFold(CaseFold fold) {
    g_fold = fold;
}

std::string SortKey(const std::string& text) {
    bool ascii = true;
    for (char c : text)
        ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (!ascii && g_fold) return g_fold(text);
    std::string key = text;
    for (char& c : key)
        c = static_cast<char>(Fold(c));
    return key;
}

std::string JoinEntry(const std::string& directory, const std::string& text) {
    if (!directory.empty() && directory.back() == '\\') return directory + text;
    return directory + "\\" + text;
}

std::string NormalizeDirectory(const std::string& path) {
    std::string result = path;
    while (result.size() > 1 && result.back() == '\\' && !IsRoot(result))
        result.pop_back();
    if (result.size() == 2 && result[1] == ':') result += '\\';
    return result;
}

std::string ParentDirectory(const std::string& directory) {
    const std::string dir = NormalizeDirectory(directory);
    if (IsRoot(dir)) return dir;
    const auto slash = dir.rfind('\\');
    if (slash == std::string::npos) return dir;
    if (slash == 2 && dir[1] == ':') return dir.substr(0, 3);
    if (slash == 0) return dir.substr(0, 1);
    return dir.substr(0, slash);
}

std::string ResolveEnterPath(const std::string& directory, const std::string& text) {
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
        const std::string name = text.substr(1, text.size() - 2);
        if (name == ".") return NormalizeDirectory(directory);
        if (name == "..") return ParentDirectory(directory);
        return NormalizeDirectory(JoinEntry(directory, name));
    }
    return text;
}

void FileListModel::Assign(std::vector<DirEntry> entries) {
    // Each key is made once: a folder of thousands of names sorts without folding a name twice.
    std::vector<std::size_t> order(entries.size());
    std::vector<std::string> keys(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i) {
        order[i] = i;
        keys[i] = SortKey(EntryText(entries[i]));
    }
    std::stable_sort(order.begin(), order.end(),
                     [&keys](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    entries_.clear();
    keys_.clear();
    entries_.reserve(order.size());
    keys_.reserve(order.size());
    for (std::size_t i : order) {
        entries_.push_back(std::move(entries[i]));
        keys_.push_back(std::move(keys[i]));
    }
}

int FileListModel::IndexOf(const std::string& text) const {
    const std::string key = SortKey(text);
    for (int i = 0; i < Count(); ++i)
        if (keys_[static_cast<std::size_t>(i)] == key) return i;
    return -1;
}

int FileListModel::IndexOfEntry(const std::string& name, bool directory) const {
    for (int i = 0; i < Count(); ++i)
        if (entries_[static_cast<std::size_t>(i)].directory == directory &&
            entries_[static_cast<std::size_t>(i)].name == name)
            return i;
    const std::string key = SortKey(EntryText({name, directory}));
    for (int i = 0; i < Count(); ++i)
        if (entries_[static_cast<std::size_t>(i)].directory == directory &&
            keys_[static_cast<std::size_t>(i)] == key)
            return i;
    return -1;
}

} // namespace corv

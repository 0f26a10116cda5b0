#include "browse/folderpath.h"

#include "base/text.h"

namespace corv {

std::string StripTrailingBackslash(const std::string& path) {
    if (!path.empty() && path.back() == '\\') return path.substr(0, path.size() - 1);
    return path;
}

std::string NormalizeSelectionPath(const std::string& path) {
    if (path.empty()) return path;
    if (path.size() < 4 && path.size() >= 2 && path[1] == ':') return path.size() == 2 ? path + "\\" : path;
    if (path == "\\") return path;
    return StripTrailingBackslash(path);
}

void ShortenDirStep(std::string& directory) {
    if (directory == "\\") {
        directory.clear();
        return;
    }
    const bool leadingSlash = !directory.empty() && directory[0] == '\\';
    if (leadingSlash) directory.erase(0, 1);
    // An earlier "...\" goes whole; a name of the user's that begins with a dot is a name like any other.
    if (directory.starts_with("...\\")) directory.erase(0, 4);
    const std::size_t slash = directory.find('\\');
    if (slash != std::string::npos)
        directory = "...\\" + directory.substr(slash + 1);
    else
        directory.clear();
    if (leadingSlash) directory.insert(0, "\\");
}

std::string FitPathToWidth(const std::string& path, int availableWidth, const TextMeasure& measure) {
    std::string result = path;
    const std::size_t split = path.find_last_of("\\:");
    std::string directory = split == std::string::npos ? std::string() : path.substr(0, split + 1);
    const std::string fileName = split == std::string::npos ? path : path.substr(split + 1);
    std::string drive;
    if (directory.size() > 1 && directory[1] == ':') {
        drive = directory.substr(0, 2);
        directory.erase(0, 2);
    }
    while ((!directory.empty() || !drive.empty()) && measure(result) > availableWidth) {
        if (directory == "\\...\\") {
            drive.clear();
            directory = "...\\";
        } else if (directory.empty()) {
            drive.clear();
        } else {
            ShortenDirStep(directory);
        }
        result = drive + directory + fileName;
    }
    return result;
}

std::string FitTextToWidth(const std::string& text, int availableWidth, const TextMeasure& measure) {
    std::string result = text;
    std::string working = text;
    while (!working.empty() && measure(result) > availableWidth) {
        // One character at a time, never a part of one.
        working = Utf8Prefix(working, Utf8Length(working) - 1);
        result = working + "...";
    }
    return result;
}

} // namespace corv

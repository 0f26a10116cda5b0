#include "base/pathrules.h"

#include "base/text.h"

namespace corv {

namespace {
bool IsDriveAbsolute(const std::string& path) {
    return path.size() >= 3 && path[1] == ':' && path[2] == '\\' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}
bool IsUnc(const std::string& path) {
    return path.size() > 2 && path[0] == '\\' && path[1] == '\\' && path[2] != '?' && path[2] != '.';
}
bool IsExtended(const std::string& path) {
    return path.starts_with("\\\\?\\");
}
// Calls fn(name) for each name between backslashes, after the drive or the server and share.
template <typename Fn> void ForEachName(const std::string& path, Fn fn) {
    std::size_t start = 0;
    if (IsDriveAbsolute(path))
        start = 3;
    else if (path.size() >= 2 && path[1] == ':')
        start = 2;
    else if (IsExtended(path))
        return;
    while (start <= path.size()) {
        std::size_t end = path.find('\\', start);
        if (end == std::string::npos) end = path.size();
        fn(path.substr(start, end - start));
        start = end + 1;
    }
}
} // namespace

bool PathRulesWouldChange(const std::string& path) {
    bool changes = false;
    ForEachName(path, [&changes](const std::string& name) {
        if (name.empty() || name == "." || name == "..") return;
        if (name.back() == ' ' || name.back() == '.') changes = true;
    });
    return changes;
}

bool TooLongForOrdinaryCalls(const std::string& path) {
    return Utf16FromUtf8(path).size() >= kMaxOrdinaryPath;
}

std::string ExtendedLengthForm(const std::string& path) {
    if (path.find('/') != std::string::npos) return path;
    bool dotNames = false;
    ForEachName(path,
                [&dotNames](const std::string& name) { dotNames = dotNames || name == "." || name == ".."; });
    if (dotNames) return path;
    // The exact form takes every backslash as a separator of its own: doubled ones (a name joined to a
    // root, "C:\\x") go, as the ordinary rules would drop them.
    const auto single = [](const std::string& rest) {
        std::string out;
        for (char c : rest)
            if (c != '\\' || out.empty() || out.back() != '\\') out.push_back(c);
        return out;
    };
    if (IsDriveAbsolute(path)) return "\\\\?\\" + single(path);
    if (IsUnc(path)) return "\\\\?\\UNC\\" + single(path.substr(2));
    return path;
}

std::string ExactFileSystemForm(const std::string& path) {
    if (IsExtended(path)) return path;
    if (PathRulesWouldChange(path) || TooLongForOrdinaryCalls(path)) return ExtendedLengthForm(path);
    return path;
}

} // namespace corv

#include "settings/pathtext.h"

#include "base/text.h"

#include <algorithm>

namespace corv {

std::string UpperCaseAscii(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string ShortenPath(const std::string& path, int maxLength) {
    std::string result = path;
    // Counted in characters, not bytes: a path of CJK names is shortened as one of ASCII names would be.
    const auto length = [&result] { return static_cast<long>(Utf8Length(result)); };
    if (length() > maxLength) {
        // Each pass drops the first directory name after the first backslash.
        std::size_t progress = 1;
        while (length() > maxLength - 4 && progress > 0) {
            const std::size_t firstSlash = result.find('\\');
            if (firstSlash == std::string::npos) break;
            const std::string head = result.substr(0, firstSlash);
            std::string rest = result.substr(firstSlash + 1);
            const std::size_t next = rest.find('\\');
            progress = next == std::string::npos ? 0 : next + 1;
            rest.erase(0, progress);
            result = head + "\\" + rest;
        }
        const std::size_t q = result.find('\\');
        if (q != std::string::npos) result = result.substr(0, q + 1) + "..." + result.substr(q);
    }
    if (Utf8Length(result) >= Utf8Length(path)) result = path;
    return result;
}

std::string ExtractFileName(const std::string& path) {
    const std::size_t last = path.find_last_of(":\\");
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string ExtractDir(const std::string& path) {
    const std::size_t last = path.find_last_of(":\\");
    std::string dir = last == std::string::npos ? std::string() : path.substr(0, last + 1);
    const bool driveRoot = dir.size() == 3 && dir[1] == ':';
    if (dir.size() > 1 && dir.back() == '\\' && !driveRoot) dir.pop_back();
    return dir;
}

std::string GroupDigits(const std::string& text, char separator, unsigned short groupSize, bool fromRight) {
    if (groupSize == 0) return text;
    const std::size_t n = text.size();
    std::string result;
    result.reserve(n + n / groupSize);
    for (std::size_t i = 1; i <= n; ++i) {
        result.push_back(fromRight ? text[n - i] : text[i - 1]);
        if (i % groupSize == 0 && i != n) result.push_back(separator);
    }
    // Built back to front when counting from the right.
    if (fromRight) std::reverse(result.begin(), result.end());
    return result;
}

} // namespace corv

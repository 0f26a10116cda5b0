#include "image/extkey.h"

#include "base/text.h"
#ifdef _WIN32
#include "base/files.h"
#else
#include "settings/pathtext.h"
#endif

namespace corv {

namespace {
// The system's case mapping, as every other comparison of names uses it. Built natively (for the portable
// tests) ASCII's, which covers every key the viewer knows.
std::string UpperKey(const std::string& text) {
#ifdef _WIN32
    return UpperCase(text);
#else
    return UpperCaseAscii(text);
#endif
}
} // namespace

std::string FullExtension(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || fileName.find_first_of(":\\", dot) != std::string::npos) return {};
    return UpperKey(fileName.substr(dot));
}

std::string ExtensionKey(const std::string& fileName) {
    // Four characters, not bytes: a key never ends inside a character.
    return Utf8Prefix(FullExtension(fileName), 4);
}

} // namespace corv

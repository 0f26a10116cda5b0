#include "image/extkey.h"

#include "settings/pathtext.h"

namespace corv {

std::string ExtensionKey(const std::string& fileName) {
    const std::size_t dot = fileName.rfind('.');
    if (dot == std::string::npos || fileName.find_first_of(":\\", dot) != std::string::npos) return {};
    return UpperCaseAscii(fileName.substr(dot, 4));
}

} // namespace corv

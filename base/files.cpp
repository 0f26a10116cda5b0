#include "base/files.h"

#include <windows.h>

#include <vector>

namespace corv {

namespace {
DWORD Attributes(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
}
} // namespace

bool FileExists(const std::string& name) {
    const DWORD attributes = Attributes(name);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string UpperCaseAnsi(std::string text) {
    if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::string ProgramFileName() {
    // A name that fills the buffer may have been cut: try again with a bigger one.
    std::vector<char> name(MAX_PATH + 1);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size() - 1) return std::string(name.data(), length);
        if (name.size() > 32768) return {};
        name.resize(name.size() * 2);
    }
}

} // namespace corv

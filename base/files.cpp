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

std::string ProgramFolder() {
    // Sized by asking again: a program in a deep folder must not lose its path.
    std::vector<char> name(MAX_PATH + 1);
    DWORD length = 0;
    for (;;) {
        length = GetModuleFileNameA(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) break;
        if (name.size() > 32768) return {};
        name.resize(name.size() * 2);
    }
    std::string path(name.data(), length);
    const auto slash = path.find_last_of("\\:");
    if (slash == std::string::npos) return {};
    // "C:\CORV32.EXE" lives in "C:"; a drive-relative "C:CORV32.EXE" in the same.
    return path.substr(0, path[slash] == ':' ? slash + 1 : slash);
}

} // namespace corv

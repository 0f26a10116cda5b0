#include "base/files.h"

#include "base/wide.h"

#include <windows.h>

#include <vector>

namespace corv {

namespace {
DWORD Attributes(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(FileSystemPath(path).c_str());
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

std::string UpperCase(const std::string& text) {
    std::wstring wide = Wide(text);
    if (!wide.empty()) CharUpperBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Utf8(wide);
}

std::string LowerCase(const std::string& text) {
    std::wstring wide = Wide(text);
    if (!wide.empty()) CharLowerBuffW(wide.data(), static_cast<DWORD>(wide.size()));
    return Utf8(wide);
}

std::string ProgramFileName() {
    // A name that fills the buffer may have been cut: try again with a bigger one.
    std::vector<wchar_t> name(MAX_PATH + 1);
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size() - 1) return Utf8(std::wstring_view(name.data(), length));
        if (name.size() > 32768) return {};
        name.resize(name.size() * 2);
    }
}

} // namespace corv

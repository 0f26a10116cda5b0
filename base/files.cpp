#include "base/files.h"

#include "base/handles.h"
#include "base/wide.h"

#include <windows.h>

#include <algorithm>
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

bool ReadWholeFile(const std::string& name, std::string& content, unsigned long long limit) {
    FileHandle file(CreateFileW(FileSystemPath(name).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size) || static_cast<unsigned long long>(size.QuadPart) > limit)
        return false;
    content.assign(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < content.size()) {
        DWORD got = 0;
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(content.size() - done, 1u << 24));
        if (!ReadFile(file.Get(), content.data() + done, want, &got, nullptr)) return false;
        if (got == 0) break; // shorter than it was a moment ago
        done += got;
    }
    content.resize(done);
    return true;
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

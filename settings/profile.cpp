#include "settings/profile.h"

#include "base/files.h"
#include "base/handles.h"
#include "settings/pathtext.h"
#include "settings/profiletext.h"
#include "settings/system.h"

#include <windows.h>

namespace corv {

namespace {

bool ReadWholeFile(const std::string& name, std::string& content) {
    FileHandle file(CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
    content.resize(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    return content.empty() ||
           (ReadFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &got, nullptr) &&
            got == content.size());
}

bool WriteWholeFile(const std::string& name, const std::string& content) {
    FileHandle file(
        CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!content.empty() &&
        (!WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
         written != content.size()))
        return false;
    return FlushFileBuffers(file.Get()) != FALSE;
}

} // namespace

bool IniWriteString(const std::string& fileName, const std::string& section, const std::string& key,
                    const std::string& value) {
    const std::string upperName = UpperCase(fileName);
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), upperName.c_str()))
        throw ProfileWriteError("Kann nicht nach " + upperName + " schreiben");
    return true;
}

bool IniRemoveKey(const std::string& fileName, const std::string& section, const std::string& key) {
    std::string name = UpperCase(fileName);
    if (name.find_first_of(":\\") == std::string::npos) name = GetWindowsDir() + "\\" + name;

    const DWORD attributes = GetFileAttributesA(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
        return false;

    // The replacement keeps the file's own spelling of its name, not our upper-cased one.
    std::string dir = name.substr(0, name.find_last_of(":\\") + 1);
    const FileSearch search(name);
    if (!search.Valid()) return false;
    name = dir + search.Name();

    std::string content;
    if (!ReadWholeFile(name, content)) return false;
    const ProfileEdit edit = RemoveProfileKey(content, section, key);

    // A unique name in the profile's own folder, so the final rename stays on one volume and
    // never overwrites a file of the user's.
    char tempName[MAX_PATH + 16] = {};
    if (!GetTempFileNameA(dir.c_str(), "$$$", 0, tempName)) return false;
    if (!WriteWholeFile(tempName, edit.content) ||
        !MoveFileExA(tempName, name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(tempName);
        return false;
    }
    return edit.removed;
}

} // namespace corv

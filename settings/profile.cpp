#include "settings/profile.h"

#include "base/files.h"
#include "base/handles.h"
#include "base/text.h"
#include "base/wide.h"
#include "settings/pathtext.h"
#include "settings/profiletext.h"
#include "settings/system.h"

#include <windows.h>

namespace corv {

namespace {

// The name is already in the form the file system takes exactly.
bool WriteWholeFile(const wchar_t* name, const std::string& content) {
    FileHandle file(
        CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    DWORD written = 0;
    if (!content.empty() &&
        (!WriteFile(file.Get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
         written != content.size()))
        return false;
    return FlushFileBuffers(file.Get()) != FALSE;
}

// Text in the ANSI code page, or "" when a character has no exact form there (never a best-fit look-alike).
std::string CodePageText(const std::string& utf8) {
    const std::wstring wide = Wide(utf8);
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                         static_cast<int>(wide.size()), nullptr, 0, nullptr, &lossy);
    if (size <= 0 || lossy) return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), text.data(),
                        size, nullptr, &lossy);
    return lossy ? std::string() : text;
}

// Removes the key from the file's bytes in the file's own encoding: a file that begins with the UTF-16
// mark is UTF-16 (the system reads it so), one with the UTF-8 mark UTF-8; any other is taken byte for
// byte, and non-ASCII names are looked for in the code page the system writes such files in, then in
// UTF-8. Lines that stay keep their bytes.
ProfileEdit RemoveKeyFromBytes(const std::string& content, const std::string& section,
                               const std::string& key) {
    static const std::string kUtf16Mark("\xFF\xFE", 2), kUtf8Mark("\xEF\xBB\xBF", 3);
    if (content.starts_with(kUtf16Mark) && content.size() % 2 == 0) {
        std::u16string units((content.size() - 2) / 2, u'\0');
        for (std::size_t i = 0; i < units.size(); ++i)
            units[i] = static_cast<char16_t>(static_cast<unsigned char>(content[2 + 2 * i]) |
                                             static_cast<unsigned char>(content[3 + 2 * i]) << 8);
        ProfileEdit edit = RemoveProfileKey(Utf8FromUtf16(units), section, key);
        std::string bytes = kUtf16Mark;
        for (char16_t unit : Utf16FromUtf8(edit.content)) {
            bytes.push_back(static_cast<char>(unit & 0xFF));
            bytes.push_back(static_cast<char>(unit >> 8));
        }
        edit.content = bytes;
        return edit;
    }
    if (content.starts_with(kUtf8Mark)) {
        ProfileEdit edit = RemoveProfileKey(content.substr(kUtf8Mark.size()), section, key);
        edit.content.insert(0, kUtf8Mark);
        return edit;
    }
    ProfileEdit edit{content, false};
    if (!IsAscii(section) || !IsAscii(key)) {
        const std::string codePageSection = CodePageText(section), codePageKey = CodePageText(key);
        if (!codePageSection.empty() && !codePageKey.empty()) {
            edit = RemoveProfileKey(edit.content, codePageSection, codePageKey);
        }
    }
    const ProfileEdit asUtf8 = RemoveProfileKey(edit.content, section, key);
    return ProfileEdit{asUtf8.content, edit.removed || asUtf8.removed};
}

} // namespace

bool IniWriteString(const std::string& fileName, const std::string& section, const std::string& key,
                    const std::string& value) {
    const std::string upperName = UpperCase(fileName);
    if (!WritePrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(value).c_str(),
                                    Wide(upperName).c_str()))
        throw ProfileWriteError("Kann nicht nach " + upperName + " schreiben");
    return true;
}

bool IniRemoveKey(const std::string& fileName, const std::string& section, const std::string& key) {
    std::string name = UpperCase(fileName);
    if (name.find_first_of(":\\") == std::string::npos) name = GetWindowsDir() + "\\" + name;

    const DWORD attributes = GetFileAttributesW(FileSystemPath(name).c_str());
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
    const ProfileEdit edit = RemoveKeyFromBytes(content, section, key);

    // A unique name in the profile's own folder, so the final rename stays on one volume and
    // never overwrites a file of the user's. The folder in its exact form: the temporary name is
    // then exact too.
    wchar_t tempName[MAX_PATH + 16] = {};
    if (!GetTempFileNameW(FileSystemPath(dir).c_str(), L"$$$", 0, tempName)) return false;
    if (!WriteWholeFile(tempName, edit.content) ||
        !MoveFileExW(tempName, FileSystemPath(name).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(tempName);
        return false;
    }
    return edit.removed;
}

} // namespace corv

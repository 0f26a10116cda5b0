#include "settings/store.h"

#include "settings/registry.h"
#include "base/mainwindow.h"

#include <windows.h>

#include <charconv>

namespace corv {

bool ShowOnSel = false;
int BgColorIdx = 0;
bool ShowMouse = false;
bool ExecOtherFiles = false;
bool BigThumbs = false;
std::string LastDir;
bool Maximized = false;
bool AutoRotate = true;

int ThumbCellWidth = 80;
int ThumbCellHeight = 100;
int ThumbImageWidth = 76;
int ThumbImageHeight = 76;

namespace {

std::string Read(const char* name) {
    return RegReadString(HKEY_CURRENT_USER, SettingsKey, name);
}
void Write(const char* name, const std::string& text) {
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, name, text);
}
// Only the exact text "1" means true.
bool ReadFlag(const char* name) {
    return Read(name) == "1";
}
void WriteFlag(const char* name, bool flag) {
    Write(name, flag ? "1" : "0");
}

} // namespace

bool ParseDecimal(const std::string& text, int& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first; // from_chars takes "-" but not "+"
    if (first == last || *first == '+') return false;
    int parsed = 0;
    const auto [end, error] = std::from_chars(first, last, parsed);
    if (error != std::errc() || end != last) return false;
    value = parsed;
    return true;
}

void LoadSettings() {
    ShowOnSel = ReadFlag("ShowOnSel");
    int index = 0;
    if (!ParseDecimal(Read("BgColorIdx"), index) || index < 0 || index > 8) index = 0;
    BgColorIdx = index;
    ShowMouse = ReadFlag("ShowMouse");
    ExecOtherFiles = ReadFlag("ExecOtherFiles");
    BigThumbs = ReadFlag("BigThumbs");
    SetThumbSizes();
    LastDir = Read("LastDir");
    Maximized = ReadFlag("Maximized");
    // On by default: only an explicit "0" (or other text than "1") turns it off.
    const std::string autoRotate = Read("AutoRotate");
    AutoRotate = autoRotate.empty() || autoRotate == "1";
    AllPictureTypes = ReadFlag("AllPictureTypes");
}

void SaveSettings() {
    WriteFlag("ShowOnSel", ShowOnSel);
    Write("BgColorIdx", std::to_string(BgColorIdx));
    WriteFlag("ShowMouse", ShowMouse);
    WriteFlag("ExecOtherFiles", ExecOtherFiles);
    WriteFlag("BigThumbs", BigThumbs);
    Write("LastDir", LastDir);
    const HWND main = MainWindowHandle();
    WriteFlag("Maximized", main && IsZoomed(main));
    WriteFlag("AutoRotate", AutoRotate);
    WriteFlag("AllPictureTypes", AllPictureTypes);
}

void SetThumbSizes() {
    if (BigThumbs) {
        ThumbCellWidth = 120, ThumbCellHeight = 140, ThumbImageWidth = 116, ThumbImageHeight = 116;
    } else {
        ThumbCellWidth = 80, ThumbCellHeight = 100, ThumbImageWidth = 76, ThumbImageHeight = 76;
    }
}

} // namespace corv

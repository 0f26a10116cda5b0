// The user's preferences: process-wide globals, read from the registry at start and written at close.
#pragma once
#include <atomic>
#include <string>

namespace corv {

inline constexpr const char* SettingsKey = "SOFTWARE\\Pellworth\\Corvane";

extern bool ShowOnSel;      // load a picture as soon as it is selected in the file list
extern int BgColorIdx;      // main window colour, an index 0..8 into BackgroundColors
extern bool ShowMouse;      // mouse pointer visible in the full-screen view
extern bool ExecOtherFiles; // open non-picture files through the shell
extern bool BigThumbs;      // large thumbnail cells
extern std::string LastDir; // the file list's directory at the last close
extern bool Maximized;      // the main window was maximised at the last close
extern bool AutoRotate;     // photos shown upright by their EXIF orientation; on unless turned off
// The newer picture types and the long extensions (.JPEG, .WEBP, .HEIC...) are pictures too. Read by the
// decoding workers as well, hence atomic; defined with the portable code, which decides by it.
extern std::atomic<bool> AllPictureTypes;

// Thumbnail geometry in pixels, set by SetThumbSizes from BigThumbs.
extern int ThumbCellWidth;
extern int ThumbCellHeight;
extern int ThumbImageWidth;
extern int ThumbImageHeight;

// Reads every setting from HKEY_CURRENT_USER\SettingsKey; absent or malformed values give the defaults.
void LoadSettings();
// Writes every setting; "Maximized" records the main window's state at this moment.
void SaveSettings();
// Small (80, 100, 76, 76) or large (120, 140, 116, 116) cells and pictures.
void SetThumbSizes();

// Decimal text to a number: digits with an optional sign, nothing else, within 32 bits.
bool ParseDecimal(const std::string& text, int& value);

} // namespace corv

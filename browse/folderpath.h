// Path text for the folder dialog: normalising selections and shortening paths to fit a width.
// Portable: text widths come from the caller.
#pragma once
#include <functional>
#include <string>

namespace corv {

// Width in pixels of a text as it would be drawn.
using TextMeasure = std::function<int(const std::string&)>;

// Removes one trailing backslash when there is one.
std::string StripTrailingBackslash(const std::string& path);

// The form in which a path is handed to the shell dialog: "C:" becomes "C:\", a drive root stays,
// other paths lose a trailing backslash (but "\" stays).
std::string NormalizeSelectionPath(const std::string& path);

// One step of shortening a directory part: "\WINDOWS\SYSTEM\" becomes "\...\SYSTEM\", then "\...\".
void ShortenDirStep(std::string& directory);

// Shortens the directory names of a path, then the drive, until it fits the width; the file name stays.
// The result may still be too wide when nothing is left to remove.
std::string FitPathToWidth(const std::string& path, int availableWidth, const TextMeasure& measure);

// Cuts characters (whole UTF-8 sequences) from the end, marking the cut with "...", until the text fits
// the width.
std::string FitTextToWidth(const std::string& text, int availableWidth, const TextMeasure& measure);

} // namespace corv

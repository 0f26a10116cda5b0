// What the windows decide about pictures without touching one: picture files, colour-count words, the
// main window's picture panel. Portable.
#pragma once
#include <string>

namespace corv {

// True for the viewer's picture types: ".JPG", ".BMP", ".GIF", ".PCX", ".TIF" by extension key,
// so "A.TIFF" is a picture and "A.JPEG" is not. With allTypes, also the names whose whole extension is
// one of the newer types or long forms (".JPEG", ".WEBP", ".AVIF", ".HEIC"...; ".AVI" stays a movie).
bool IsPictureFile(const std::string& fileName, bool allTypes);
// The same by the user's AllPictureTypes setting: the one decision every window asks.
bool IsPictureFile(const std::string& fileName);
// True for an extension that is a picture only with AllPictureTypes on.
bool IsExtraPictureExtension(const std::string& fullExtension);

// The colour-count word of the information line for a depth in bits per pixel ("2", "256", "16M", "N/A"...).
std::string ColorCountText(int bitsPerPixel);

// Sizes of the picture panel and the picture in it.
struct ImagePanelLayout {
    int panelWidth, panelHeight, viewWidth, viewHeight;
    bool operator==(const ImagePanelLayout&) const = default;
};

// The picture panel and the picture in it as the window's design places them. The panel keeps the same
// distance from the window's right and bottom edges as from its top; the picture sits `inset` pixels
// inside the panel on every side.
struct ImagePanelDesign {
    int panelLeft, panelTop, panelWidth, panelHeight;
    int inset, viewWidth, viewHeight;
    ImagePanelLayout DesignLayout() const { return {panelWidth, panelHeight, viewWidth, viewHeight}; }
};

// The panel for a picture of width x height in a window client of clientWidth x clientHeight: the picture's
// own size, or stretched into the free area right of the file panel with its aspect kept. Sizes that give
// no layout (no width, no height, no free height) get the design sizes.
ImagePanelLayout FitImagePanelLayout(const ImagePanelDesign& design, int width, int height, int clientWidth,
                                     int clientHeight, bool stretching);

} // namespace corv

#include "image/pictureinfo.h"

#include "image/extkey.h"
#include "settings/store.h"

#include <cstdint>

namespace corv {

bool IsExtraPictureExtension(const std::string& fullExtension) {
    for (const char* picture : {".JPEG", ".JPE", ".TIFF", ".PNG", ".WEBP", ".AVIF", ".HEIC", ".HEIF"})
        if (fullExtension == picture) return true;
    return false;
}

bool IsPictureFile(const std::string& fileName, bool allTypes) {
    const std::string key = ExtensionKey(fileName);
    for (const char* picture : {".JPG", ".BMP", ".GIF", ".PCX", ".TIF"})
        if (key == picture) return true;
    return allTypes && IsExtraPictureExtension(FullExtension(fileName));
}

bool IsPictureFile(const std::string& fileName) {
    return IsPictureFile(fileName, AllPictureTypes);
}

std::string ColorCountText(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1:
        return "2";
    case 2:
        return "4";
    case 4:
        return "16";
    case 8:
        return "256";
    case 24:
        return "16M";
    case 32:
        return "4B";
    default:
        return "N/A";
    }
}

ImagePanelLayout FitImagePanelLayout(const ImagePanelDesign& design, int width, int height, int clientWidth,
                                     int clientHeight, bool stretching) {
    const int border = 2 * design.inset;
    if (width < 1) return design.DesignLayout();
    if (!stretching) return {width + border, height + border, width, height};

    // The panel may reach to its margin from the right and bottom edges; the picture lies inside it.
    const int margin = design.panelTop;
    const int panelWidth = clientWidth - design.panelLeft - margin;
    const int panelHeight = clientHeight - design.panelTop - margin;
    const std::int64_t freeWidth = panelWidth - border;
    const std::int64_t freeHeight = panelHeight - border;
    if (height < 1 || freeHeight < 1 || freeWidth < 1) return design.DesignLayout();
    // freeWidth / freeHeight >= width / height, compared exactly in integers. The fitted side is one
    // pixel longer than the truncated quotient.
    if (freeWidth * height >= std::int64_t{width} * freeHeight) {
        const int fitted = static_cast<int>(freeHeight * width / height) + 1;
        return {fitted + border, panelHeight, fitted, static_cast<int>(freeHeight)};
    }
    const int fitted = static_cast<int>(freeWidth * height / width) + 1;
    return {panelWidth, fitted + border, static_cast<int>(freeWidth), fitted};
}

} // namespace corv

#include "app/pictureinfo.h"

#include "image/extkey.h"

#include <cstdint>

namespace corv {

bool IsPictureFile(const std::string& fileName) {
    const std::string key = ExtensionKey(fileName);
    for (const char* picture : {".JPG", ".BMP", ".GIF", ".PCX", ".TIF"})
        if (key == picture) return true;
    return false;
}

std::string ColorCountText(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 1: return "2";
    case 2: return "4";
    case 4: return "16";
    case 8: return "256";
    case 24: return "16M";
    case 32: return "4B";
    default: return "N/A";
    }
}

ImagePanelLayout FitImagePanelLayout(int width, int height, int clientWidth, int clientHeight, bool stretching) {
    if (width < 1) return DesignImagePanel;
    if (!stretching) return {width + 8, height + 8, width, height};

    const std::int64_t freeWidth = clientWidth - 248;
    const std::int64_t freeHeight = clientHeight - 16;
    if (height < 1 || freeHeight < 1 || freeWidth < 1) return DesignImagePanel;
    // freeWidth / freeHeight >= width / height, compared exactly in integers.
    if (freeWidth * height >= std::int64_t{width} * freeHeight) {
        const int fitted = static_cast<int>(freeHeight * width / height);
        return {fitted + 9, clientHeight - 8, fitted + 1, clientHeight - 16};
    }
    const int fitted = static_cast<int>(freeWidth * height / width);
    return {clientWidth - 240, fitted + 9, clientWidth - 248, fitted + 1};
}

} // namespace corv

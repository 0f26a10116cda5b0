// Pictures under awkward names in a temporary folder, for the module's wide forms and the picture view:
// names outside every ANSI code page, a look-alike that best-fit conversion makes into its ASCII twin, a
// blank before the extension and a trailing blank beside the name without them, a path longer than MAX_PATH.
// Twins hold pictures of different sizes, so a read of the wrong file shows.
#pragma once
#include "base/wide.h"
#include "tests/cvimg/fixtures.h"
#include "tests/support/winsupport.h"

#include <string>

namespace corv::test {

struct AwkwardPicture {
    const char* name;    // UTF-8; in the folder, or deep below it when `deep`
    const char* fixture; // the picture it holds; nullptr: a small TIFF made here
    const char* reader;  // JPEG, PNG, BMP, GIF, TIFF, PCX
    int width, height;
    bool deep = false;
};

inline const AwkwardPicture kAwkwardPictures[] = {
    {"日本.jpg", "jpeg/baseline-420.jpg", "JPEG", 45, 30},
    {"Ελλάδα.png", "png/rgb8.png", "PNG", 45, 30},
    {"😀.bmp", "bmp/v3-24.bmp", "BMP", 45, 30},
    {"Gdańsk.gif", "gif/lzw-limit.gif", "GIF", 260, 60},
    {"Gdansk.gif", "gif/im-89a.gif", "GIF", 45, 30},
    {"pic .tif", "tiff/lzw.tif", "TIFF", 45, 30},
    {"pic.tif", nullptr, "TIFF", 9, 4},
    {"pic.tif ", nullptr, "TIFF", 5, 3}, // the ordinary rules strip the blank
    {"long.pcx", "pcx/v5-8bit.pcx", "PCX", 45, 30, true},
};

// A small grey TIFF, uncompressed.
inline std::string SmallTiff(int width, int height) {
    std::string pixels;
    for (int i = 0; i < width * height; ++i)
        pixels += static_cast<char>(i * 7);
    const auto w = static_cast<uint64_t>(width), h = static_cast<uint64_t>(height);
    return cvimg::test::MakeTiff({{256, 3, {w}},
                                  {257, 3, {h}},
                                  {258, 3, {8}},
                                  {259, 3, {1}},
                                  {262, 3, {1}},
                                  {277, 3, {1}},
                                  {278, 3, {h}}},
                                 pixels);
}

class AwkwardFolder {
  public:
    // `fixturePath` gives the path of a fixture named relative to tests/fixtures.
    template <typename FixturePathFn> explicit AwkwardFolder(FixturePathFn fixturePath) {
        deep_ = dir_.Path();
        while (deep_.size() <= 300) {
            deep_ += "\\" + std::string(40, 'd');
            CreateDirectoryW(FileSystemPath(deep_).c_str(), nullptr);
        }
        for (const AwkwardPicture& p : kAwkwardPictures)
            WriteFileBytes(PathOf(p),
                           p.fixture ? ReadFileBytes(fixturePath(p.fixture)) : SmallTiff(p.width, p.height));
    }
    std::string PathOf(const AwkwardPicture& p) const {
        return (p.deep ? deep_ : dir_.Path()) + "\\" + p.name;
    }
    std::string operator/(const std::string& name) const { return dir_ / name; }

  private:
    TempFolder dir_;
    std::string deep_;
};

} // namespace corv::test

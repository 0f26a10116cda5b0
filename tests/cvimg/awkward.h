// Pictures under awkward names in a temporary folder: outside every ANSI code page, a look-alike that
// best-fit conversion makes into its ASCII twin, blanks beside the name without them, a path longer than
// MAX_PATH. Twins hold pictures of different depths, so a read of the wrong file shows.
#pragma once
#include "base/wide.h"
#include "tests/support/winsupport.h"

#include <string>

namespace corv::test {

struct AwkwardPicture {
    const char *name, *fixture, *reader; // UTF-8 name; the fixture it holds; JPEG, PNG, BMP, GIF, TIFF, PCX
    int width, bitsPerPixel;
    bool deep = false; // far below the folder, beyond MAX_PATH
};

inline const AwkwardPicture kAwkwardPictures[] = {
    {"日本.jpg", "jpeg/baseline-420.jpg", "JPEG", 45, 24},
    {"Ελλάδα.png", "png/rgb8.png", "PNG", 45, 24},
    {"😀.bmp", "bmp/v3-24.bmp", "BMP", 45, 24},
    {"Gdańsk.gif", "gif/lzw-limit.gif", "GIF", 260, 8},
    {"Gdansk.gif", "gif/im-89a.gif", "GIF", 45, 4},
    {"pic .tif", "tiff/lzw.tif", "TIFF", 45, 24},
    {"pic.tif", "tiff/grey8.tif", "TIFF", 45, 8},
    {"pic.tif ", "tiff/g4.tif", "TIFF", 45, 1},
    {"long.pcx", "pcx/v5-8bit.pcx", "PCX", 45, 8, true},
};

class AwkwardFolder {
  public:
    template <typename FixturePathFn> explicit AwkwardFolder(FixturePathFn fixturePath) : deep_(dir_.Path()) {
        while (deep_.size() <= 300) {
            deep_ += "\\" + std::string(40, 'd');
            CreateDirectoryW(FileSystemPath(deep_).c_str(), nullptr);
        }
        for (const AwkwardPicture& p : kAwkwardPictures)
            WriteFileBytes(PathOf(p), ReadFileBytes(fixturePath(p.fixture)));
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

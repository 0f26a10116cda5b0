// What a camera or a phone writes beside the pixels: the orientation the picture was taken in (EXIF tag
// 274), the colour profile it was made in, and the camera's own small preview. Read from the bytes alone,
// every offset checked: a broken block gives what was read before it and never fails the picture.
#pragma once
#include "cvimg/raster.h"

#include <string>

namespace cvimg {

struct PhotoMeta {
    int orientation = 1; // EXIF orientation 1..8; 1 (or anything out of range) is upright already
    Bytes preview;       // the EXIF thumbnail, a JPEG inside the file's bytes; empty when there is none
    std::string icc;     // the embedded ICC profile, assembled (JPEG APP2 chunks, TIFF tag 34675)
    std::string iccZlib; // PNG's iCCP profile, still compressed
    // PNG's colour chunks, for a PNG without a profile.
    bool srgb = false;
    uint32_t gamma = 0; // gAMA: 100000 x the encoding gamma; 0 when absent
    bool hasChromaticities = false;
    uint32_t chromaticities[8] = {}; // cHRM: white x, y, red x, y, green x, y, blue x, y, each x 100000
};

// The metadata of a JPEG, PNG or TIFF file (the format sniffed from its first bytes); other formats have
// none.
void ReadPhotoMeta(Bytes file, PhotoMeta& meta);

// The orientation entry and the thumbnail of an EXIF block (a TIFF structure: "II*\0" or "MM\0*" and its
// directories), as JPEG's APP1 and PNG's eXIf hold it.
void ReadExif(Bytes tiff, PhotoMeta& meta);

// Orientations 5 to 8 turn the picture by a quarter: its width becomes its height.
inline bool SwapsSides(int orientation) {
    return orientation >= 5 && orientation <= 8;
}

// Writes `source` turned upright from `orientation` into `into`, which has the upright size and the same
// pixel format (and takes the palette). BadArgument when the sizes do not fit.
Status Orient(const Raster& source, int orientation, Raster& into);

} // namespace cvimg

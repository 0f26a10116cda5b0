// The 128-byte header of a PCX file, shared by the decoder and the information reader.
#pragma once
#include "cvimg/raster.h"

namespace cvimg {

struct PcxHeader {
    int version = 0, encoding = 0, bitsPerPixel = 0, planes = 0, bytesPerLine = 0;
    int width = 0, height = 0;
};

// Checks the header: a known version, a depth and plane count this module reads, consistent line
// lengths. Reads no pixels.
Status ParsePcxHeader(Bytes file, PcxHeader& header);

} // namespace cvimg

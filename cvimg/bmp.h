// The header of a Windows or OS/2 bitmap file, shared by the decoder and the information reader.
#pragma once
#include "cvimg/raster.h"

namespace cvimg {

constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitfields = 3, kBiAlphaBitfields = 6;

struct BmpHeader {
    uint32_t dataOffset = 0, headerSize = 0, compression = 0, colors = 0, maskBytes = 0;
    int32_t width = 0, height = 0;
    uint16_t planes = 1, bitCount = 0;
    uint32_t masks[3] = {0, 0, 0};
    bool os2v1 = false, topDown = false;
};

// Checks the file header and the information header (sizes, depth, compression); reads no pixels.
Status ParseBmpHeader(Bytes file, BmpHeader& header);
const char* BmpCompressionText(const BmpHeader& header);

} // namespace cvimg

// Result codes of the imaging module. Success is 1; every failure is a negative code whose message is
// string number (code as an unsigned 16-bit value) in the module's string table, so the numbers here and
// the string table in cvimg.rc must stay in step.
#pragma once
#include <cstdint>

namespace cvimg {

enum class Status : int16_t {
    Ok = 1,
    MissingFile = -1,
    UnreadableFile = -2,
    NotThisType = -3,
    Corrupt = -4,
    TooLarge = -5,
    OutOfMemory = -6,
    BadDepth = -7,
    UnknownType = -8,
    BadArgument = -9,
    // Unsupported variants, one code each so that the message can name the variant.
    JpegPrecision = -20,
    JpegProcess = -21,
    JpegColorSpace = -22,
    BmpCompression = -23,
    BmpBitCount = -24,
    TiffCompression = -25,
    TiffLayout = -26,
    PcxLayout = -27,
    GifNoImage = -28,
    HeifVariant = -29,
};

inline bool Failed(Status s) {
    return static_cast<int16_t>(s) <= 0;
}

} // namespace cvimg

// The length of one row of a device-independent bitmap: whole 32-bit words. Portable.
#pragma once
#include <cstdint>

namespace corv {

constexpr std::uint64_t DibRowStride(std::uint64_t width, unsigned bitsPerPixel) {
    return (width * bitsPerPixel + 31) / 32 * 4;
}

} // namespace corv

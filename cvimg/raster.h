// A decoded picture in memory: rows of blue-green-red triples or of 8-bit palette indices. The rows may
// belong to the raster or to someone else (a DIB section the decoder fills directly).
#pragma once
#include "cvimg/status.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace cvimg {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Palette {
    std::array<Rgb, 256> colors{};
    int count = 0;
};

enum class PixelFormat { Bgr24, Indexed8 };

// Width and height travel as 16-bit signed values, so nothing beyond 32767 pixels a side is accepted.
constexpr int kMaxSide = 32767;
// A 32-bit process cannot hope to find much more than a few hundred megabytes in one piece: 160 million
// pixels is 480 MB at 24 bits, and the decode may need a second buffer of the same size.
constexpr uint64_t kMaxPixels = 160'000'000;

// TooLarge when a side or the area is beyond the limits, Corrupt when a side is zero or negative.
Status CheckPictureSize(int64_t width, int64_t height);

// Where alpha is flattened, it is onto this light neutral grey: readable under dark and light content.
constexpr Rgb kBackground{192, 192, 192};

// One row of four-byte pixels with straight alpha last (red first with rgbFirst, else blue first) onto
// kBackground, into blue-green-red. Blended in linear light, as libpng composes PNG's alpha.
void FlattenRow(const uint8_t* in, int width, bool rgbFirst, uint8_t* bgr);

class Raster {
  public:
    Raster() = default;
    Raster(const Raster&) = delete;
    Raster& operator=(const Raster&) = delete;

    // Rows owned by the raster, tightly packed. OutOfMemory when the memory is not there.
    Status Allocate(int width, int height, PixelFormat format);
    // Rows owned by someone else: `top` is the first (top) row, `step` the signed distance between rows.
    void Attach(int width, int height, PixelFormat format, uint8_t* top, ptrdiff_t step);

    int Width() const { return width_; }
    int Height() const { return height_; }
    PixelFormat Format() const { return format_; }
    uint8_t* Row(int y) const { return top_ + static_cast<ptrdiff_t>(y) * step_; }
    ptrdiff_t Step() const { return step_; }
    size_t RowBytes() const { return static_cast<size_t>(width_) * (format_ == PixelFormat::Bgr24 ? 3 : 1); }

    // Colours of an Indexed8 raster; indices beyond `count` show as black.
    Palette palette;

  private:
    std::unique_ptr<uint8_t[]> own_;
    uint8_t* top_ = nullptr;
    ptrdiff_t step_ = 0;
    int width_ = 0, height_ = 0;
    PixelFormat format_ = PixelFormat::Bgr24;
};

// A read-only view of a whole file.
struct Bytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

// Little- and big-endian reads that the caller has bounds-checked.
inline uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint16_t Be16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
inline uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

} // namespace cvimg

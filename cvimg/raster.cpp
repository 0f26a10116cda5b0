#include "cvimg/raster.h"

#include <cmath>
#include <new>

namespace cvimg {

Status CheckPictureSize(int64_t width, int64_t height) {
    if (width <= 0 || height <= 0) return Status::Corrupt;
    if (width > kMaxSide || height > kMaxSide) return Status::TooLarge;
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kMaxPixels) return Status::TooLarge;
    return Status::Ok;
}

Status Raster::Allocate(int width, int height, PixelFormat format) {
    if (Status s = CheckPictureSize(width, height); Failed(s)) return s;
    const size_t row = static_cast<size_t>(width) * (format == PixelFormat::Bgr24 ? 3 : 1);
    own_.reset(new (std::nothrow) uint8_t[row * static_cast<size_t>(height)]);
    if (!own_) return Status::OutOfMemory;
    width_ = width;
    height_ = height;
    format_ = format;
    top_ = own_.get();
    step_ = static_cast<ptrdiff_t>(row);
    return Status::Ok;
}

void Raster::Attach(int width, int height, PixelFormat format, uint8_t* top, ptrdiff_t step) {
    own_.reset();
    width_ = width;
    height_ = height;
    format_ = format;
    top_ = top;
    step_ = step;
}

namespace {

// sRGB to linear light (0..1) per 8-bit value, and back from 4096 steps of linear light.
struct LinearTables {
    float linear[256];
    uint8_t srgb[4097];
    LinearTables() {
        for (int v = 0; v < 256; ++v) {
            const double c = v / 255.0;
            linear[v] = static_cast<float>(c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
        }
        for (int i = 0; i <= 4096; ++i) {
            const double l = i / 4096.0;
            const double c = l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
            srgb[i] = static_cast<uint8_t>(std::lround(std::fmin(std::fmax(c, 0.0), 1.0) * 255));
        }
    }
};

const LinearTables& Tables() {
    static const LinearTables tables; // built once, thread-safe
    return tables;
}

} // namespace

void FlattenRow(const uint8_t* in, int width, bool rgbFirst, uint8_t* bgr) {
    const LinearTables& t = Tables();
    const float back[3] = {t.linear[kBackground.b], t.linear[kBackground.g], t.linear[kBackground.r]};
    for (int x = 0; x < width; ++x, in += 4, bgr += 3) {
        const uint8_t px[3] = {in[rgbFirst ? 2 : 0], in[1], in[rgbFirst ? 0 : 2]}; // blue, green, red
        const int a = in[3];
        if (a == 255) {
            bgr[0] = px[0], bgr[1] = px[1], bgr[2] = px[2];
            continue;
        }
        const float cover = a / 255.0f;
        for (int c = 0; c < 3; ++c) {
            const float l = t.linear[px[c]] * cover + back[c] * (1 - cover);
            bgr[c] = t.srgb[static_cast<int>(l * 4096 + 0.5f)];
        }
    }
}

} // namespace cvimg

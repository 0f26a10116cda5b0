#include "cvimg/raster.h"

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

} // namespace cvimg

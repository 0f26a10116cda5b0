// One of our own readers (BMP or PCX, chosen by FUZZ_DECODER when compiled) on any bytes, followed by
// every depth code's colour reduction.
#include "base/dibstride.h"
#include "cvimg/decoder.h"
#include "cvimg/reduce.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    auto decoder = cvimg::FUZZ_DECODER({data, size});
    cvimg::Layout layout;
    if (decoder->ReadHeader(layout) != cvimg::Status::Ok) return 0;
    // Keep each run small: big pictures only cost time, not coverage.
    if (static_cast<long long>(layout.width) * layout.height > 1 << 16) return 0;
    cvimg::Raster raster;
    if (raster.Allocate(layout.width, layout.height, layout.format) != cvimg::Status::Ok) return 0;
    if (decoder->Decode(raster) != cvimg::Status::Ok) return 0;
    const int depth = size ? (data[size - 1] % 5 == 0   ? 24
                              : data[size - 1] % 5 == 1 ? 8
                              : data[size - 1] % 5 == 2 ? 4
                              : data[size - 1] % 5 == 3 ? 1
                                                        : 0)
                           : 24;
    cvimg::Target target;
    if (cvimg::PlanTarget(raster, depth, target) != cvimg::Status::Ok) return 0;
    const auto stride =
        static_cast<size_t>(corv::DibRowStride(static_cast<uint64_t>(layout.width), target.bits));
    std::vector<uint8_t> out(stride * static_cast<size_t>(layout.height));
    (void)cvimg::Render(raster, target, size % 2 == 1, out.data(), static_cast<ptrdiff_t>(stride));
    return 0;
}

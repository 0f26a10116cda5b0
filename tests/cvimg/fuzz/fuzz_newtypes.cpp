// Our glue around libwebp and libheif on any bytes; the first byte picks the decoder.
#include "cvimg/decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const cvimg::Bytes file{data + 1, size - 1};
    std::unique_ptr<cvimg::Decoder> decoder =
        data[0] % 2 ? cvimg::MakeHeifDecoder(file) : cvimg::MakeWebpDecoder(file);
    cvimg::Layout layout;
    if (decoder->ReadHeader(layout) != cvimg::Status::Ok) return 0;
    if (static_cast<long long>(layout.width) * layout.height > 1 << 16) return 0;
    cvimg::Raster raster;
    if (raster.Allocate(layout.width, layout.height, layout.format) != cvimg::Status::Ok) return 0;
    (void)decoder->Decode(raster);
    return 0;
}

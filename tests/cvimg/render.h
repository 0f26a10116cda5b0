// Decoding into memory and rendering at a depth code, as the module does, for the native tests.
#pragma once
#include "base/dibstride.h"
#include "cvimg/decoder.h"
#include "cvimg/reduce.h"
#include "tests/cvimg/fixtures.h"

#include <memory>
#include <vector>

namespace cvimg {

using test::Color;

// Decodes with our own readers into memory and renders at a depth code, like the module does.
struct Rendered {
    Status status = Status::Corrupt;
    int width = 0, height = 0;
    Target target;
    std::vector<uint8_t> rows;
    size_t stride = 0;
    Color At(int x, int y) const {
        const uint8_t* row = rows.data() + stride * static_cast<size_t>(y);
        if (target.bits == 24) return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
        int i = 0;
        if (target.bits == 8)
            i = row[x];
        else if (target.bits == 4)
            i = (row[x / 2] >> ((x & 1) ? 0 : 4)) & 15;
        else
            i = (row[x / 8] >> (7 - x % 8)) & 1;
        const Rgb& c = target.palette.colors[i];
        return {c.r, c.g, c.b};
    }
};

inline Rendered Decode(std::unique_ptr<Decoder> decoder, int depth, bool dither) {
    Rendered out;
    Layout layout;
    if ((out.status = decoder->ReadHeader(layout)) != Status::Ok) return out;
    Raster raster;
    if ((out.status = raster.Allocate(layout.width, layout.height, layout.format)) != Status::Ok) return out;
    if ((out.status = decoder->Decode(raster)) != Status::Ok) return out;
    if ((out.status = PlanTarget(raster, depth, out.target)) != Status::Ok) return out;
    out.width = layout.width;
    out.height = layout.height;
    out.stride = static_cast<size_t>(corv::DibRowStride(static_cast<uint64_t>(out.width), out.target.bits));
    out.rows.assign(out.stride * out.height, 0xEE);
    out.status = Render(raster, out.target, dither, out.rows.data(), static_cast<ptrdiff_t>(out.stride));
    return out;
}

inline Bytes View(const std::string& s) {
    return {reinterpret_cast<const uint8_t*>(s.data()), s.size()};
}

} // namespace cvimg

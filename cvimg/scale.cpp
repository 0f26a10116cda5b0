#include "cvimg/scale.h"

#include <algorithm>
#include <new>
#include <vector>

namespace cvimg {

namespace {

// The source pixels that one output pixel covers along one axis, and how much of each. In units where a
// source pixel is `to` long and an output pixel `from` long, output pixel d spans [d * from, (d + 1) * from)
// and source pixel s spans [s * to, (s + 1) * to); the weights of one output pixel add up to `from`.
struct Span {
    int first = 0;
    int count = 0;
    size_t weights = 0; // index of the first weight
};

struct Axis {
    std::vector<Span> spans;
    std::vector<uint32_t> weights;
    uint32_t total = 0; // the sum of one output pixel's weights
};

void PlanAxis(int from, int to, Axis& axis) {
    axis.spans.resize(static_cast<size_t>(to));
    axis.weights.clear();
    axis.weights.reserve(static_cast<size_t>(from) + static_cast<size_t>(to));
    axis.total = static_cast<uint32_t>(from);
    for (int d = 0; d < to; ++d) {
        const int64_t begin = static_cast<int64_t>(d) * from, end = begin + from;
        const int first = static_cast<int>(begin / to), last = static_cast<int>((end - 1) / to);
        Span& span = axis.spans[static_cast<size_t>(d)];
        span.first = first;
        span.count = last - first + 1;
        span.weights = axis.weights.size();
        for (int s = first; s <= last; ++s) {
            const int64_t lo = std::max<int64_t>(begin, static_cast<int64_t>(s) * to);
            const int64_t hi = std::min<int64_t>(end, static_cast<int64_t>(s + 1) * to);
            axis.weights.push_back(static_cast<uint32_t>(hi - lo));
        }
    }
}

// One source row reduced across: three 8.8 fixed-point channels per output pixel (blue, green, red).
void ReduceRow(const Raster& source, int y, const Axis& across, std::vector<uint32_t>& out) {
    const uint8_t* row = source.Row(y);
    const bool indexed = source.Format() == PixelFormat::Indexed8;
    const uint32_t total = across.total;
    for (size_t d = 0; d < across.spans.size(); ++d) {
        const Span& span = across.spans[d];
        uint32_t b = 0, g = 0, r = 0;
        for (int i = 0; i < span.count; ++i) {
            const int s = span.first + i;
            const uint32_t w = across.weights[span.weights + static_cast<size_t>(i)];
            if (indexed) {
                const int index = row[s];
                if (index < source.palette.count) {
                    const Rgb& c = source.palette.colors[static_cast<size_t>(index)];
                    b += w * c.b, g += w * c.g, r += w * c.r;
                }
            } else {
                const uint8_t* p = row + 3 * s;
                b += w * p[0], g += w * p[1], r += w * p[2];
            }
        }
        // At most 255 times the source width (32767): well inside 32 bits, and so is the scaled mean.
        out[3 * d] = static_cast<uint32_t>((static_cast<uint64_t>(b) * 256 + total / 2) / total);
        out[3 * d + 1] = static_cast<uint32_t>((static_cast<uint64_t>(g) * 256 + total / 2) / total);
        out[3 * d + 2] = static_cast<uint32_t>((static_cast<uint64_t>(r) * 256 + total / 2) / total);
    }
}

} // namespace

Status ResizeArea(const Raster& source, Raster& into) {
    const int sw = source.Width(), sh = source.Height(), dw = into.Width(), dh = into.Height();
    if (sw < 1 || sh < 1 || dw < 1 || dh < 1 || into.Format() != PixelFormat::Bgr24)
        return Status::BadArgument;
    try {
        Axis across, down;
        PlanAxis(sw, dw, across);
        PlanAxis(sh, dh, down);
        std::vector<uint32_t> reduced(3 * static_cast<size_t>(dw));
        std::vector<uint64_t> sum(3 * static_cast<size_t>(dw));
        // A source row shared by two output rows is reduced across once.
        int reducedRow = -1;
        for (int d = 0; d < dh; ++d) {
            const Span& span = down.spans[static_cast<size_t>(d)];
            std::fill(sum.begin(), sum.end(), 0);
            for (int i = 0; i < span.count; ++i) {
                const int y = span.first + i;
                if (y != reducedRow) {
                    ReduceRow(source, y, across, reduced);
                    reducedRow = y;
                }
                const uint64_t w = down.weights[span.weights + static_cast<size_t>(i)];
                for (size_t k = 0; k < sum.size(); ++k)
                    sum[k] += w * reduced[k];
            }
            const uint64_t scale = static_cast<uint64_t>(down.total) * 256;
            uint8_t* out = into.Row(d);
            for (size_t k = 0; k < sum.size(); ++k)
                out[k] = static_cast<uint8_t>(std::min<uint64_t>(255, (sum[k] + scale / 2) / scale));
        }
    } catch (const std::bad_alloc&) {
        return Status::OutOfMemory;
    }
    return Status::Ok;
}

} // namespace cvimg

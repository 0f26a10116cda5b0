#include "cvimg/reduce.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace cvimg {

namespace {

inline uint32_t Key(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t(r) << 16 | uint32_t(g) << 8 | b;
}
inline int Cell(int r, int g, int b) {
    return (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
}

// The colour of pixel x of row `row`.
inline Rgb PixelAt(const Raster& src, const uint8_t* row, int x) {
    if (src.Format() == PixelFormat::Bgr24) return {row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    const uint8_t i = row[x];
    return i < src.palette.count ? src.palette.colors[i] : Rgb{};
}

// Up to 256 distinct colours with their palette index: open addressing on the 24-bit value.
class ColorSet {
  public:
    ColorSet() { std::fill(std::begin(keys_), std::end(keys_), kEmpty); }
    // False when the colour is new and the set already holds `limit` colours.
    bool Add(Rgb c, int limit, Palette& pal) {
        const uint32_t k = Key(c.r, c.g, c.b);
        uint32_t h = (k * 2654435761u) >> 22;
        while (keys_[h] != kEmpty) {
            if (keys_[h] == k) return true;
            h = (h + 1) & 1023;
        }
        if (pal.count >= limit) return false;
        keys_[h] = k;
        index_[h] = static_cast<uint8_t>(pal.count);
        pal.colors[pal.count++] = c;
        return true;
    }
    int Find(Rgb c) const {
        const uint32_t k = Key(c.r, c.g, c.b);
        uint32_t h = (k * 2654435761u) >> 22;
        while (keys_[h] != kEmpty) {
            if (keys_[h] == k) return index_[h];
            h = (h + 1) & 1023;
        }
        return 0;
    }

  private:
    static constexpr uint32_t kEmpty = 0xFFFFFFFF;
    uint32_t keys_[1024];
    uint8_t index_[1024] = {};
};

// Collects the picture's colours into `pal` if there are at most `limit` of them.
bool ExactColors(const Raster& src, int limit, Palette& pal, ColorSet& set) {
    pal.count = 0;
    if (src.Format() == PixelFormat::Indexed8) {
        bool used[256] = {};
        for (int y = 0; y < src.Height(); ++y) {
            const uint8_t* row = src.Row(y);
            for (int x = 0; x < src.Width(); ++x)
                used[row[x]] = true;
        }
        for (int i = 0; i < 256; ++i) {
            if (!used[i]) continue;
            const Rgb c = i < src.palette.count ? src.palette.colors[i] : Rgb{};
            if (!set.Add(c, limit, pal)) return false;
        }
        return true;
    }
    for (int y = 0; y < src.Height(); ++y) {
        const uint8_t* row = src.Row(y);
        uint32_t last = 0xFFFFFFFF;
        for (int x = 0; x < src.Width(); ++x, row += 3) {
            const uint32_t k = Key(row[2], row[1], row[0]);
            if (k == last) continue; // runs of one colour are common
            last = k;
            if (!set.Add({row[2], row[1], row[0]}, limit, pal)) return false;
        }
    }
    return true;
}

// Median cut over a histogram of 15-bit colours.
struct Histogram {
    std::vector<uint32_t> count;
    std::vector<uint64_t> sum; // r, g, b sums per cell
};

struct Box {
    int lo[3], hi[3]; // inclusive, in 5-bit units
    uint64_t population = 0;
};

void Shrink(Box& b, const Histogram& h) {
    int lo[3] = {31, 31, 31}, hi[3] = {0, 0, 0};
    b.population = 0;
    for (int r = b.lo[0]; r <= b.hi[0]; ++r)
        for (int g = b.lo[1]; g <= b.hi[1]; ++g)
            for (int bl = b.lo[2]; bl <= b.hi[2]; ++bl) {
                const uint32_t n = h.count[r << 10 | g << 5 | bl];
                if (!n) continue;
                b.population += n;
                lo[0] = std::min(lo[0], r), hi[0] = std::max(hi[0], r);
                lo[1] = std::min(lo[1], g), hi[1] = std::max(hi[1], g);
                lo[2] = std::min(lo[2], bl), hi[2] = std::max(hi[2], bl);
            }
    if (b.population) std::copy(lo, lo + 3, b.lo), std::copy(hi, hi + 3, b.hi);
}

Status AdaptivePalette(const Raster& src, int colors, Palette& pal) {
    Histogram h;
    try {
        h.count.assign(32768, 0);
        h.sum.assign(32768 * 3, 0);
    } catch (const std::bad_alloc&) {
        return Status::OutOfMemory;
    }
    for (int y = 0; y < src.Height(); ++y) {
        const uint8_t* row = src.Row(y);
        for (int x = 0; x < src.Width(); ++x) {
            const Rgb c = PixelAt(src, row, x);
            const int cell = Cell(c.r, c.g, c.b);
            ++h.count[cell];
            h.sum[3 * cell] += c.r, h.sum[3 * cell + 1] += c.g, h.sum[3 * cell + 2] += c.b;
        }
    }
    std::vector<Box> boxes;
    boxes.reserve(colors);
    boxes.push_back({{0, 0, 0}, {31, 31, 31}});
    Shrink(boxes[0], h);
    while (static_cast<int>(boxes.size()) < colors) {
        // Split the box with the most pixels times its longest side.
        int best = -1, axis = 0;
        uint64_t bestScore = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            const Box& b = boxes[i];
            for (int a = 0; a < 3; ++a) {
                const uint64_t score = b.population * static_cast<uint64_t>(b.hi[a] - b.lo[a]);
                if (score > bestScore) bestScore = score, best = static_cast<int>(i), axis = a;
            }
        }
        if (best < 0) break; // every box is a single cell
        Box& b = boxes[best];
        // Find the median along the axis.
        std::vector<uint64_t> slice(32, 0);
        for (int r = b.lo[0]; r <= b.hi[0]; ++r)
            for (int g = b.lo[1]; g <= b.hi[1]; ++g)
                for (int bl = b.lo[2]; bl <= b.hi[2]; ++bl) {
                    const int at[3] = {r, g, bl};
                    slice[at[axis]] += h.count[r << 10 | g << 5 | bl];
                }
        uint64_t acc = 0;
        int cut = b.lo[axis];
        for (int v = b.lo[axis]; v < b.hi[axis]; ++v) {
            acc += slice[v];
            cut = v;
            if (acc * 2 >= b.population) break;
        }
        Box upper = b;
        upper.lo[axis] = cut + 1;
        b.hi[axis] = cut;
        Shrink(b, h);
        Shrink(upper, h);
        if (upper.population) boxes.push_back(upper);
    }
    pal.count = 0;
    for (const Box& b : boxes) {
        uint64_t n = 0, s[3] = {0, 0, 0};
        for (int r = b.lo[0]; r <= b.hi[0]; ++r)
            for (int g = b.lo[1]; g <= b.hi[1]; ++g)
                for (int bl = b.lo[2]; bl <= b.hi[2]; ++bl) {
                    const int cell = r << 10 | g << 5 | bl;
                    n += h.count[cell];
                    for (int k = 0; k < 3; ++k)
                        s[k] += h.sum[3 * cell + k];
                }
        if (!n) continue;
        pal.colors[pal.count++] = {uint8_t((s[0] + n / 2) / n), uint8_t((s[1] + n / 2) / n),
                                   uint8_t((s[2] + n / 2) / n)};
    }
    if (pal.count == 0) pal.colors[pal.count++] = {};
    return Status::Ok;
}

// Nearest palette entry per 15-bit cell, worked out on first use.
class NearestCache {
  public:
    explicit NearestCache(const Palette& pal) : pal_(pal) {}
    Status Init() {
        cache_.reset(new (std::nothrow) int16_t[32768]);
        if (!cache_) return Status::OutOfMemory;
        std::fill(cache_.get(), cache_.get() + 32768, int16_t(-1));
        return Status::Ok;
    }
    int Find(int r, int g, int b) {
        int16_t& slot = cache_[Cell(r, g, b)];
        if (slot < 0) {
            // Look up with the cell's centre so every colour of the cell gets the same answer.
            const int cr = (r & ~7) | 4, cg = (g & ~7) | 4, cb = (b & ~7) | 4;
            int best = 0, bestD = 1 << 30;
            for (int i = 0; i < pal_.count; ++i) {
                const Rgb& p = pal_.colors[i];
                const int dr = cr - p.r, dg = cg - p.g, db = cb - p.b;
                // Plain distance: weighted ones pull error diffusion off colours at the edge of the gamut.
                const int d = dr * dr + dg * dg + db * db;
                if (d < bestD) bestD = d, best = i;
            }
            slot = static_cast<int16_t>(best);
        }
        return slot;
    }

  private:
    const Palette& pal_;
    std::unique_ptr<int16_t[]> cache_;
};

inline void Put(uint8_t* row, int bits, int x, int index) {
    if (bits == 8)
        row[x] = static_cast<uint8_t>(index);
    else if (bits == 4)
        row[x >> 1] |= static_cast<uint8_t>(index << ((x & 1) ? 0 : 4));
    else
        row[x >> 3] |= static_cast<uint8_t>((index & 1) << (7 - (x & 7)));
}

inline int Clamp(int v) {
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

Status RenderTrueColor(const Raster& src, uint8_t* top, ptrdiff_t step) {
    for (int y = 0; y < src.Height(); ++y) {
        const uint8_t* row = src.Row(y);
        uint8_t* dst = top + y * step;
        if (src.Format() == PixelFormat::Bgr24) {
            if (dst != row) std::memcpy(dst, row, src.RowBytes());
            continue;
        }
        for (int x = 0; x < src.Width(); ++x) {
            const Rgb c = PixelAt(src, row, x);
            dst[3 * x] = c.b, dst[3 * x + 1] = c.g, dst[3 * x + 2] = c.r;
        }
    }
    return Status::Ok;
}

// Black and white by brightness, with error diffusion on the brightness if asked.
Status RenderMono(const Raster& src, bool dither, uint8_t* top, ptrdiff_t step) {
    const int w = src.Width();
    std::vector<int> err;
    try {
        err.assign(2 * (static_cast<size_t>(w) + 2), 0);
    } catch (const std::bad_alloc&) {
        return Status::OutOfMemory;
    }
    int* cur = err.data() + 1;
    int* next = err.data() + w + 3;
    for (int y = 0; y < src.Height(); ++y) {
        const uint8_t* row = src.Row(y);
        uint8_t* dst = top + y * step;
        std::memset(dst, 0, (static_cast<size_t>(w) + 7) / 8);
        for (int x = 0; x < w; ++x) {
            const Rgb c = PixelAt(src, row, x);
            const int luma = (299 * c.r + 587 * c.g + 114 * c.b + 500) / 1000;
            const int v = dither ? Clamp(luma + cur[x] / 16) : luma;
            const int out = v >= 128 ? 1 : 0;
            if (out) dst[x >> 3] |= static_cast<uint8_t>(0x80 >> (x & 7));
            if (dither) {
                const int e = v - (out ? 255 : 0);
                cur[x + 1] += e * 7, next[x - 1] += e * 3, next[x] += e * 5, next[x + 1] += e;
            }
        }
        if (dither) {
            std::swap(cur, next);
            std::fill(next - 1, next + w + 1, 0);
        }
    }
    return Status::Ok;
}

} // namespace

const Palette& VgaPalette() {
    static const Palette pal = [] {
        Palette p;
        const Rgb c[16] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                           {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                           {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                           {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};
        std::copy(c, c + 16, p.colors.begin());
        p.count = 16;
        return p;
    }();
    return pal;
}

Status PlanTarget(const Raster& src, int depthCode, Target& t) {
    t = {};
    switch (depthCode) {
    case 24:
        t.bits = 24;
        return Status::Ok;
    case 1:
        t.bits = 1;
        t.palette.colors[0] = {0, 0, 0};
        t.palette.colors[1] = {255, 255, 255};
        t.palette.count = 2;
        return Status::Ok;
    case 0:
        t.bits = 4;
        t.palette = VgaPalette();
        return Status::Ok;
    case 4:
    case 8: {
        t.bits = depthCode;
        const int limit = depthCode == 8 ? 256 : 16;
        auto set = std::make_unique<ColorSet>();
        if (ExactColors(src, limit, t.palette, *set)) {
            t.exact = true;
            return Status::Ok;
        }
        return AdaptivePalette(src, limit, t.palette);
    }
    default:
        return Status::BadDepth;
    }
}

Status Render(const Raster& src, const Target& t, bool dither, uint8_t* top, ptrdiff_t step) {
    if (t.bits == 24) return RenderTrueColor(src, top, step);
    if (t.bits == 1 && !t.exact) return RenderMono(src, dither, top, step);
    const int w = src.Width();
    const size_t rowBytes = (static_cast<size_t>(w) * t.bits + 7) / 8;
    if (t.exact) {
        // Every colour has its entry: a straight look-up, nothing to diffuse.
        auto set = std::make_unique<ColorSet>();
        Palette again;
        for (int i = 0; i < t.palette.count; ++i)
            set->Add(t.palette.colors[i], 256, again);
        uint8_t remap[256] = {};
        if (src.Format() == PixelFormat::Indexed8)
            for (int i = 0; i < 256; ++i)
                remap[i] =
                    static_cast<uint8_t>(set->Find(i < src.palette.count ? src.palette.colors[i] : Rgb{}));
        for (int y = 0; y < src.Height(); ++y) {
            const uint8_t* row = src.Row(y);
            uint8_t* dst = top + y * step;
            std::memset(dst, 0, rowBytes);
            if (src.Format() == PixelFormat::Indexed8) {
                for (int x = 0; x < w; ++x)
                    Put(dst, t.bits, x, remap[row[x]]);
            } else {
                for (int x = 0; x < w; ++x)
                    Put(dst, t.bits, x, set->Find({row[3 * x + 2], row[3 * x + 1], row[3 * x]}));
            }
        }
        return Status::Ok;
    }
    NearestCache nearest(t.palette);
    if (Status s = nearest.Init(); Failed(s)) return s;
    std::vector<int> err;
    if (dither) {
        try {
            err.assign(6 * (static_cast<size_t>(w) + 2), 0);
        } catch (const std::bad_alloc&) {
            return Status::OutOfMemory;
        }
    }
    int* cur = dither ? err.data() + 3 : nullptr;
    int* next = dither ? err.data() + 3 * (w + 2) + 3 : nullptr;
    for (int y = 0; y < src.Height(); ++y) {
        const uint8_t* row = src.Row(y);
        uint8_t* dst = top + y * step;
        std::memset(dst, 0, rowBytes);
        for (int x = 0; x < w; ++x) {
            const Rgb c = PixelAt(src, row, x);
            if (!dither) {
                Put(dst, t.bits, x, nearest.Find(c.r, c.g, c.b));
                continue;
            }
            const int v[3] = {Clamp(c.r + cur[3 * x] / 16), Clamp(c.g + cur[3 * x + 1] / 16),
                              Clamp(c.b + cur[3 * x + 2] / 16)};
            const int index = nearest.Find(v[0], v[1], v[2]);
            Put(dst, t.bits, x, index);
            const Rgb& p = t.palette.colors[index];
            const int e[3] = {v[0] - p.r, v[1] - p.g, v[2] - p.b};
            for (int k = 0; k < 3; ++k) {
                cur[3 * (x + 1) + k] += e[k] * 7;
                next[3 * (x - 1) + k] += e[k] * 3;
                next[3 * x + k] += e[k] * 5;
                next[3 * (x + 1) + k] += e[k];
            }
        }
        if (dither) {
            std::swap(cur, next);
            std::fill(next - 3, next + 3 * (w + 1), 0);
        }
    }
    return Status::Ok;
}

} // namespace cvimg

#include "cvimg/samples.h"

#include <bit>
#include <cmath>
#include <cstring>
#include <new>

namespace cvimg {

namespace {

// Three bytes in the machine's order.
uint32_t Native24(const uint8_t* p) {
    if constexpr (std::endian::native == std::endian::little)
        return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
               static_cast<uint32_t>(p[2]) << 16;
    else
        return static_cast<uint32_t>(p[2]) | static_cast<uint32_t>(p[1]) << 8 |
               static_cast<uint32_t>(p[0]) << 16;
}

template <typename T> T Native(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

// Sample `index` of a row of packed samples of `bits` (1 to 32) bits, high bit first.
uint32_t Packed(const uint8_t* row, int bits, size_t index) {
    const uint64_t offset = static_cast<uint64_t>(index) * static_cast<unsigned>(bits);
    const uint8_t* p = row + (offset >> 3);
    const int need = static_cast<int>(offset & 7) + bits, bytes = (need + 7) >> 3;
    uint64_t acc = 0;
    for (int k = 0; k < bytes; ++k)
        acc = acc << 8 | p[k];
    acc >>= bytes * 8 - need;
    return static_cast<uint32_t>(acc & ((uint64_t{1} << bits) - 1));
}

uint32_t RawAt(const uint8_t* row, int bits, size_t index) {
    switch (bits) {
    case 8:
        return row[index];
    case 16:
        return Native<uint16_t>(row + 2 * index);
    case 24:
        return Native24(row + 3 * index);
    case 32:
        return Native<uint32_t>(row + 4 * index);
    default:
        return Packed(row, bits, index);
    }
}

double RealAt(const uint8_t* row, int bits, size_t index) {
    switch (bits) {
    case 16:
        return HalfToFloat(Native<uint16_t>(row + 2 * index));
    case 24:
        return Float24ToFloat(Native24(row + 3 * index));
    case 32:
        return Native<float>(row + 4 * index);
    default:
        return Native<double>(row + 8 * index);
    }
}

uint8_t Clamp(double v, double lo, double hi) {
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return static_cast<uint8_t>(static_cast<int>(std::lround(v)));
}

} // namespace

float HalfToFloat(uint16_t h) {
    const int sign = h >> 15, exponent = (h >> 10) & 31, mantissa = h & 1023;
    float v;
    if (exponent == 0)
        v = std::ldexp(static_cast<float>(mantissa), -24);
    else if (exponent == 31)
        v = mantissa ? NAN : INFINITY;
    else
        v = std::ldexp(static_cast<float>(mantissa | 1024), exponent - 25);
    return sign ? -v : v;
}

float Float24ToFloat(uint32_t f) {
    const int sign = (f >> 23) & 1, exponent = (f >> 16) & 127;
    const uint32_t mantissa = f & 0xFFFF;
    float v;
    if (exponent == 0)
        v = std::ldexp(static_cast<float>(mantissa), 1 - 64 - 16);
    else if (exponent == 127)
        v = mantissa ? NAN : INFINITY;
    else
        v = std::ldexp(static_cast<float>(mantissa | 0x10000), exponent - 64 - 16);
    return sign ? -v : v;
}

bool SampleFormatOk(const SampleFormat& f) {
    if (f.type == SampleType::Float) return f.bits == 16 || f.bits == 24 || f.bits == 32 || f.bits == 64;
    return f.bits >= 1 && f.bits <= 32;
}

SampleReducer::SampleReducer(SampleFormat format, SampleMeaning meaning, double low, double high)
    : format_(format), meaning_(meaning), low_(low), scale_(high > low ? 255.0 / (high - low) : 255.0) {
    if (format.type != SampleType::Float && format.bits <= 16) {
        const uint32_t n = uint32_t{1} << format.bits;
        table_.reset(new uint8_t[n]);
        for (uint32_t v = 0; v < n; ++v)
            table_[v] = Integer(v);
    }
}

uint8_t SampleReducer::Integer(uint32_t raw) const {
    const int bits = format_.bits;
    const uint64_t top = (uint64_t{1} << bits) - 1, half = uint64_t{1} << (bits - 1);
    if (meaning_ == SampleMeaning::Difference && format_.type == SampleType::Signed) {
        // Sign-extended, then at the scale of an 8-bit difference.
        const int64_t s = static_cast<int64_t>(raw) - ((raw & half) ? static_cast<int64_t>(top) + 1 : 0);
        const double v = bits >= 8 ? static_cast<double>(s) / static_cast<double>(int64_t{1} << (bits - 8))
                                   : static_cast<double>(s * (int64_t{1} << (8 - bits)));
        return static_cast<uint8_t>(static_cast<int8_t>(Clamp(v + 128, 0, 255) - 128));
    }
    // Signed levels count from the most negative value: flipping the sign bit adds half the range.
    const uint64_t u = format_.type == SampleType::Signed ? (raw ^ half) : raw;
    const uint8_t level = static_cast<uint8_t>((u * 255 + top / 2) / top);
    if (meaning_ == SampleMeaning::Difference) return static_cast<uint8_t>(level - 128);
    return level;
}

uint8_t SampleReducer::Real(double value) const {
    if (std::isnan(value)) value = meaning_ == SampleMeaning::Difference ? 0 : low_;
    if (meaning_ == SampleMeaning::Difference)
        return static_cast<uint8_t>(static_cast<int8_t>(Clamp(value + 128, 0, 255) - 128));
    return Clamp((value - low_) * scale_, 0, 255);
}

void SampleReducer::Reduce(const uint8_t* row, size_t first, size_t step, size_t count, uint8_t* out) const {
    const int bits = format_.bits;
    if (format_.type == SampleType::Float) {
        for (size_t i = 0, s = first; i < count; ++i, s += step)
            out[i] = Real(RealAt(row, bits, s));
    } else if (table_ && bits == 8) {
        for (size_t i = 0, s = first; i < count; ++i, s += step)
            out[i] = table_[row[s]];
    } else if (table_ && bits == 16) {
        for (size_t i = 0, s = first; i < count; ++i, s += step)
            out[i] = table_[Native<uint16_t>(row + 2 * s)];
    } else if (table_) {
        for (size_t i = 0, s = first; i < count; ++i, s += step)
            out[i] = table_[RawAt(row, bits, s)];
    } else {
        for (size_t i = 0, s = first; i < count; ++i, s += step)
            out[i] = Integer(RawAt(row, bits, s));
    }
}

void SampleReducer::Raw(const uint8_t* row, int bits, size_t first, size_t step, size_t count,
                        uint32_t* out) {
    for (size_t i = 0, s = first; i < count; ++i, s += step)
        out[i] = RawAt(row, bits, s);
}

} // namespace cvimg

// Picture samples as TIFF stores them, of any depth from 1 to 32 bits or in floating point, taken to the
// 8 bits per channel that the module's rasters hold.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>

namespace cvimg {

enum class SampleType { Unsigned, Signed, Float };

struct SampleFormat {
    SampleType type = SampleType::Unsigned;
    int bits = 8; // 1 to 32 for integers; 16, 24, 32 or 64 for floating point
};

// True for the formats the reducer reads.
bool SampleFormatOk(const SampleFormat& f);

// What a sample means, and so which 8-bit value it becomes.
enum class SampleMeaning {
    // A level from 0 to 255: integers over the whole range of their depth (signed ones from their most
    // negative value up), floating point over [low, high], clamped.
    Level,
    // A signed colour difference (CIE a* or b*) from -128 to 127, stored as its two's complement byte.
    // Signed integers keep their own scale (8 bits as they are, 16 bits in 256ths); unsigned ones are
    // centred on the middle of their range; floating point is taken as it is.
    Difference,
};

// Reduces the samples of one channel. Rows are as libtiff hands them over: samples of 8, 16, 24, 32 and
// 64 bits in the machine's byte order, samples of other depths packed from the high bit of each byte on,
// each row starting on a byte.
class SampleReducer {
  public:
    SampleReducer(SampleFormat format, SampleMeaning meaning, double low = 0, double high = 1);

    // Takes `count` samples: the first is sample number `first` of the row, each next one `step` samples
    // further on; writes one byte each.
    void Reduce(const uint8_t* row, size_t first, size_t step, size_t count, uint8_t* out) const;

    // Integer samples as they stand (palette indices), in the same way.
    static void Raw(const uint8_t* row, int bits, size_t first, size_t step, size_t count, uint32_t* out);

  private:
    uint8_t Integer(uint32_t raw) const;
    uint8_t Real(double value) const;

    SampleFormat format_;
    SampleMeaning meaning_;
    double low_, scale_;
    std::unique_ptr<uint8_t[]> table_; // for integers of up to 16 bits: every raw value's byte
};

// The floating-point formats TIFF has besides the machine's own.
float HalfToFloat(uint16_t h);
float Float24ToFloat(uint32_t f); // 1 sign bit, 7 exponent bits (bias 64), 16 mantissa bits

} // namespace cvimg

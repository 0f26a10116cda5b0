// Windows and OS/2 bitmaps: OS/2 1.x and 2.x headers, Windows headers of versions 3, 4 and 5;
// 1, 4, 8, 16, 24 and 32 bits; RLE4, RLE8, bit fields; bottom-up and top-down rows.
#include "cvimg/bmp.h"
#include "cvimg/decoder.h"

#include "base/dibstride.h"

#include <algorithm>
#include <cstring>

namespace cvimg {

namespace {

struct Mask {
    uint32_t mask = 0;
    int shift = 0, bits = 0;
    void Set(uint32_t m) {
        mask = m;
        shift = bits = 0;
        if (!m) return;
        while (!(m & 1))
            m >>= 1, ++shift;
        while (m & 1)
            m >>= 1, ++bits;
    }
    uint8_t Apply(uint32_t v) const {
        if (!bits) return 0;
        uint32_t x = (v & mask) >> shift;
        if (bits >= 8) return static_cast<uint8_t>(x >> (bits - 8));
        // Scale a short field to the full 0..255 range.
        return static_cast<uint8_t>(x * 255 / ((1u << bits) - 1));
    }
};

class BmpDecoder final : public Decoder {
  public:
    explicit BmpDecoder(Bytes file) : file_(file) {}

    Status ReadHeader(Layout& layout) override {
        if (Status s = ParseBmpHeader(file_, h_); Failed(s)) return s;
        if (Status s = CheckPictureSize(h_.width, h_.height); Failed(s)) return s;
        layout = {h_.width, h_.height, h_.bitCount <= 8 ? PixelFormat::Indexed8 : PixelFormat::Bgr24};
        return Status::Ok;
    }

    Status Decode(Raster& out) override {
        if (h_.bitCount <= 8) ReadPalette(out.palette);
        if (h_.dataOffset >= file_.size) return Status::Corrupt;
        const uint8_t* data = file_.data + h_.dataOffset;
        const size_t size = file_.size - h_.dataOffset;
        if (h_.compression == kBiRle8 || h_.compression == kBiRle4) return DecodeRle(data, size, out);
        return DecodeRows(data, size, out);
    }

  private:
    void ReadPalette(Palette& pal) const {
        const int entry = h_.os2v1 ? 3 : 4;
        const size_t start = 14 + static_cast<size_t>(h_.headerSize);
        size_t available = start < file_.size ? (file_.size - start) / entry : 0;
        // The colour table ends where the pixels begin.
        if (h_.dataOffset > start) available = std::min<size_t>(available, (h_.dataOffset - start) / entry);
        pal.count = static_cast<int>(std::min<size_t>(static_cast<size_t>(h_.colors), available));
        for (int i = 0; i < pal.count; ++i) {
            const uint8_t* p = file_.data + start + static_cast<size_t>(i) * entry;
            pal.colors[i] = {p[2], p[1], p[0]};
        }
    }

    Status DecodeRows(const uint8_t* data, size_t size, Raster& out) const {
        const auto stride =
            static_cast<size_t>(corv::DibRowStride(static_cast<uint64_t>(h_.width), h_.bitCount));
        if (stride * static_cast<size_t>(h_.height) > size) return Status::Corrupt;
        Mask r, g, b;
        if (h_.bitCount == 16 || h_.bitCount == 32) {
            if (h_.compression == kBiBitfields || h_.compression == kBiAlphaBitfields) {
                r.Set(h_.masks[0]), g.Set(h_.masks[1]), b.Set(h_.masks[2]);
            } else if (h_.bitCount == 16) {
                r.Set(0x7C00), g.Set(0x03E0), b.Set(0x001F);
            } else {
                r.Set(0xFF0000), g.Set(0xFF00), b.Set(0xFF);
            }
        }
        for (int y = 0; y < h_.height; ++y) {
            const int fileRow = h_.topDown ? y : h_.height - 1 - y;
            const uint8_t* src = data + stride * static_cast<size_t>(fileRow);
            uint8_t* dst = out.Row(y);
            const int w = h_.width;
            switch (h_.bitCount) {
            case 1:
                for (int x = 0; x < w; ++x)
                    dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
                break;
            case 4:
                for (int x = 0; x < w; ++x)
                    dst[x] = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
                break;
            case 8:
                std::memcpy(dst, src, static_cast<size_t>(w));
                break;
            case 24:
                std::memcpy(dst, src, static_cast<size_t>(w) * 3);
                break;
            case 16:
                for (int x = 0; x < w; ++x, dst += 3) {
                    const uint32_t v = Le16(src + 2 * x);
                    dst[0] = b.Apply(v), dst[1] = g.Apply(v), dst[2] = r.Apply(v);
                }
                break;
            case 32:
                for (int x = 0; x < w; ++x, dst += 3) {
                    const uint32_t v = Le32(src + 4 * x);
                    dst[0] = b.Apply(v), dst[1] = g.Apply(v), dst[2] = r.Apply(v);
                }
                break;
            }
        }
        return Status::Ok;
    }

    // Run-length data: pixels that the runs never reach keep colour 0, as Windows shows them.
    Status DecodeRle(const uint8_t* data, size_t size, Raster& out) const {
        const int w = h_.width, hgt = h_.height;
        for (int y = 0; y < hgt; ++y)
            std::memset(out.Row(y), 0, static_cast<size_t>(w));
        const bool four = h_.compression == kBiRle4;
        int x = 0, line = 0; // line counts from the bottom
        size_t i = 0;
        auto put = [&](uint8_t v) {
            if (x < w && line < hgt) out.Row(hgt - 1 - line)[x] = v;
            ++x;
        };
        while (true) {
            if (i + 2 > size) return Status::Corrupt; // the data must end with its end-of-bitmap mark
            const uint8_t count = data[i], value = data[i + 1];
            i += 2;
            if (count > 0) {
                for (int k = 0; k < count; ++k)
                    put(four ? ((k & 1) ? value & 15 : value >> 4) : value);
                continue;
            }
            if (value == 0) { // end of line
                x = 0;
                ++line;
            } else if (value == 1) { // end of bitmap
                return Status::Ok;
            } else if (value == 2) { // delta
                if (i + 2 > size) return Status::Corrupt;
                x += data[i];
                line += data[i + 1];
                i += 2;
            } else { // absolute run, padded to a 16-bit boundary
                const size_t bytes = four ? (value + 1u) / 2 : value;
                if (i + bytes > size) return Status::Corrupt;
                for (int k = 0; k < value; ++k) {
                    const uint8_t b = data[i + (four ? k / 2 : k)];
                    put(four ? ((k & 1) ? b & 15 : b >> 4) : b);
                }
                i += (bytes + 1) & ~size_t{1};
            }
        }
    }

    Bytes file_;
    BmpHeader h_;
};

} // namespace

Status ParseBmpHeader(Bytes file, BmpHeader& h) {
    if (file.size < 2 || file.data[0] != 'B' || file.data[1] != 'M') return Status::NotThisType;
    if (file.size < 18) return Status::Corrupt;
    const uint8_t* p = file.data;
    h = {};
    h.dataOffset = Le32(p + 10);
    h.headerSize = Le32(p + 14);
    const uint32_t hs = h.headerSize;
    if (hs != 12 && hs != 16 && hs != 40 && hs != 52 && hs != 56 && hs != 64 && hs != 108 && hs != 124)
        return Status::Corrupt;
    if (file.size < 14 + hs) return Status::Corrupt;
    const uint8_t* ih = p + 14;
    int64_t height;
    if (hs == 12) {
        h.os2v1 = true;
        h.width = Le16(ih + 4);
        height = static_cast<int16_t>(Le16(ih + 6));
        h.planes = Le16(ih + 8);
        h.bitCount = Le16(ih + 10);
    } else {
        h.width = static_cast<int32_t>(Le32(ih + 4));
        height = static_cast<int32_t>(Le32(ih + 8));
        h.planes = Le16(ih + 12);
        h.bitCount = Le16(ih + 14);
        h.compression = hs >= 20 ? Le32(ih + 16) : 0;
        h.colors = hs >= 36 ? Le32(ih + 32) : 0;
        if (hs >= 52) {
            h.masks[0] = Le32(ih + 40), h.masks[1] = Le32(ih + 44), h.masks[2] = Le32(ih + 48);
        } else if (hs == 40 && (h.compression == kBiBitfields || h.compression == kBiAlphaBitfields)) {
            const size_t n = h.compression == kBiAlphaBitfields ? 16 : 12;
            if (file.size < 14 + 40 + n) return Status::Corrupt;
            h.masks[0] = Le32(ih + 40), h.masks[1] = Le32(ih + 44), h.masks[2] = Le32(ih + 48);
            h.maskBytes = static_cast<uint32_t>(n);
        }
    }
    // A negative height means top-down rows; the most negative value has no positive twin.
    if (height < 0) {
        if (height == INT32_MIN) return Status::TooLarge;
        h.topDown = true;
        height = -height;
    }
    h.height = static_cast<int32_t>(height);
    if (h.width <= 0 || h.height <= 0) return Status::Corrupt;
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        return Status::BmpBitCount;
    }
    switch (h.compression) {
    case kBiRgb:
        break;
    case kBiRle8:
        if (h.bitCount != 8 || h.topDown) return Status::Corrupt;
        break;
    case kBiRle4:
        if (h.bitCount != 4 || h.topDown) return Status::Corrupt;
        break;
    case kBiBitfields:
    case kBiAlphaBitfields:
        // OS/2 2.x uses compression 3 for its Huffman coding of 1-bit pictures.
        if (h.bitCount != 16 && h.bitCount != 32) return Status::BmpCompression;
        if (!h.masks[0] && !h.masks[1] && !h.masks[2]) return Status::Corrupt;
        break;
    default:
        return Status::BmpCompression; // embedded JPEG or PNG, OS/2 RLE24, unknown
    }
    if (h.bitCount <= 8) {
        const uint32_t full = 1u << h.bitCount;
        if (h.colors == 0 || h.colors > full) h.colors = full;
    } else {
        h.colors = 0;
    }
    const uint64_t tableStart = 14ull + hs + h.maskBytes;
    if (h.dataOffset < tableStart) {
        // Some writers leave the offset at zero: the pixels then follow the colour table.
        h.dataOffset =
            static_cast<uint32_t>(tableStart + static_cast<uint64_t>(h.colors) * (h.os2v1 ? 3 : 4));
    }
    return Status::Ok;
}

const char* BmpCompressionText(const BmpHeader& h) {
    switch (h.compression) {
    case kBiRle8:
        return "RLE8";
    case kBiRle4:
        return "RLE4";
    case kBiBitfields:
    case kBiAlphaBitfields:
        return "Bitfields";
    default:
        return "None";
    }
}

std::unique_ptr<Decoder> MakeBmpDecoder(Bytes file) {
    return std::make_unique<BmpDecoder>(file);
}

} // namespace cvimg

#include "cvimg/photometa.h"

#include <cstring>
#include <map>

namespace cvimg {

namespace {

// A TIFF structure in a block of bytes; every read is checked against the block.
class TiffBlock {
  public:
    explicit TiffBlock(Bytes b) : b_(b) {}
    bool Start(uint32_t& firstIfd) {
        if (b_.size < 8) return false;
        if (std::memcmp(b_.data, "II", 2) == 0)
            le_ = true;
        else if (std::memcmp(b_.data, "MM", 2) == 0)
            le_ = false;
        else
            return false;
        if (U16(2) != 42) return false;
        firstIfd = U32(4);
        return true;
    }
    bool Within(uint64_t offset, uint64_t count) const {
        return offset <= b_.size && count <= b_.size - offset;
    }
    uint16_t U16(uint64_t o) const { return le_ ? Le16(b_.data + o) : Be16(b_.data + o); }
    uint32_t U32(uint64_t o) const { return le_ ? Le32(b_.data + o) : Be32(b_.data + o); }

    struct Entry {
        uint16_t type = 0;
        uint32_t count = 0;
        uint64_t at = 0; // where the value lies
    };
    // The entries of the directory at `offset` that are asked for; the next directory's offset.
    bool Directory(uint32_t offset, std::map<uint16_t, Entry>& wanted, uint32_t& next) const {
        next = 0;
        if (!Within(offset, 2)) return false;
        const uint32_t count = U16(offset);
        const uint64_t start = uint64_t{offset} + 2;
        if (!Within(start, uint64_t{count} * 12 + 4)) return false;
        for (uint32_t k = 0; k < count; ++k) {
            const uint64_t e = start + uint64_t{k} * 12;
            auto found = wanted.find(U16(e));
            if (found == wanted.end()) continue;
            Entry entry;
            entry.type = U16(e + 2);
            entry.count = U32(e + 4);
            const uint64_t unit = entry.type == 3 ? 2 : entry.type == 4 ? 4 : 1;
            const uint64_t bytes = unit * entry.count;
            entry.at = bytes <= 4 ? e + 8 : U32(e + 8);
            if (!Within(entry.at, bytes)) continue;
            found->second = entry;
        }
        next = U32(start + uint64_t{count} * 12);
        return true;
    }
    // A SHORT or LONG value; `fallback` for anything else.
    uint32_t Number(const Entry& e, uint32_t fallback) const {
        if (e.count < 1) return fallback;
        if (e.type == 3) return U16(e.at);
        if (e.type == 4) return U32(e.at);
        return fallback;
    }
    const uint8_t* Data() const { return b_.data; }

  private:
    Bytes b_;
    bool le_ = true;
};

constexpr uint16_t kOrientation = 274, kThumbOffset = 513, kThumbLength = 514, kIccProfile = 34675;

void JpegMeta(Bytes f, PhotoMeta& meta) {
    // ICC_PROFILE chunks by their sequence number, 1-based, with the count each one claims.
    std::map<int, Bytes> chunks;
    int chunkCount = 0;
    bool chunksOk = true, sawExif = false;
    size_t i = 2;
    while (i + 4 <= f.size) {
        if (f.data[i] != 0xFF) break;
        const uint8_t m = f.data[i + 1];
        if (m == 0xFF) {
            ++i; // fill byte
            continue;
        }
        if (m == 0xD8 || (m >= 0xD0 && m <= 0xD7) || m == 0x01) {
            i += 2;
            continue;
        }
        if (m == 0xDA || m == 0xD9) break; // the metadata comes before the first scan
        const size_t len = Be16(f.data + i + 2);
        if (len < 2 || i + 2 + len > f.size) break;
        const uint8_t* s = f.data + i + 4;
        const size_t n = len - 2;
        if (m == 0xE1 && !sawExif && n >= 6 && std::memcmp(s, "Exif\0\0", 6) == 0) {
            sawExif = true;
            ReadExif({s + 6, n - 6}, meta);
        } else if (m == 0xE2 && n >= 14 && std::memcmp(s, "ICC_PROFILE\0", 12) == 0) {
            const int seq = s[12], count = s[13];
            if (seq < 1 || seq > count || (chunkCount && count != chunkCount) || chunks.count(seq))
                chunksOk = false;
            chunkCount = count;
            chunks[seq] = {s + 14, n - 14};
        }
        i += 2 + len;
    }
    if (chunksOk && chunkCount > 0 && static_cast<int>(chunks.size()) == chunkCount) {
        for (auto& [seq, chunk] : chunks)
            meta.icc.append(reinterpret_cast<const char*>(chunk.data), chunk.size);
    }
}

void PngMeta(Bytes f, PhotoMeta& meta) {
    size_t i = 8;
    while (i + 12 <= f.size) {
        const uint32_t len = Be32(f.data + i);
        if (len > f.size - i - 12) break;
        const uint8_t* type = f.data + i + 4;
        const uint8_t* d = f.data + i + 8;
        if (std::memcmp(type, "IEND", 4) == 0) break;
        if (std::memcmp(type, "eXIf", 4) == 0) {
            ReadExif({d, len}, meta);
        } else if (std::memcmp(type, "iCCP", 4) == 0) {
            // A name of 1 to 79 bytes, its NUL, the method (0: deflate), the compressed profile.
            const uint8_t* nul = static_cast<const uint8_t*>(std::memchr(d, 0, len < 80 ? len : 80));
            if (nul && nul > d && static_cast<size_t>(nul - d) + 2 < len && nul[1] == 0)
                meta.iccZlib.assign(reinterpret_cast<const char*>(nul + 2), d + len - (nul + 2));
        } else if (std::memcmp(type, "sRGB", 4) == 0 && len == 1) {
            meta.srgb = true;
        } else if (std::memcmp(type, "gAMA", 4) == 0 && len == 4) {
            meta.gamma = Be32(d);
        } else if (std::memcmp(type, "cHRM", 4) == 0 && len == 32) {
            meta.hasChromaticities = true;
            for (int k = 0; k < 8; ++k)
                meta.chromaticities[k] = Be32(d + 4 * k);
        }
        i += 12 + static_cast<size_t>(len);
    }
}

void TiffMeta(Bytes f, PhotoMeta& meta) {
    TiffBlock tiff(f);
    uint32_t first = 0, next = 0;
    if (!tiff.Start(first)) return; // BigTIFF and the rest: nothing read
    std::map<uint16_t, TiffBlock::Entry> wanted{{kOrientation, {}}, {kIccProfile, {}}};
    if (!tiff.Directory(first, wanted, next)) return;
    meta.orientation = static_cast<int>(tiff.Number(wanted[kOrientation], 1));
    const TiffBlock::Entry& icc = wanted[kIccProfile];
    if ((icc.type == 7 || icc.type == 1) && icc.count > 4)
        meta.icc.assign(reinterpret_cast<const char*>(tiff.Data() + icc.at), icc.count);
}

} // namespace

void ReadExif(Bytes block, PhotoMeta& meta) {
    TiffBlock tiff(block);
    uint32_t first = 0, second = 0, ignored = 0;
    if (!tiff.Start(first)) return;
    std::map<uint16_t, TiffBlock::Entry> ifd0{{kOrientation, {}}};
    if (!tiff.Directory(first, ifd0, second)) return;
    meta.orientation = static_cast<int>(tiff.Number(ifd0[kOrientation], 1));
    // The preview lives in the second directory; a chain that leads back to the first is no chain.
    if (second == 0 || second == first) return;
    std::map<uint16_t, TiffBlock::Entry> ifd1{{kThumbOffset, {}}, {kThumbLength, {}}};
    if (!tiff.Directory(second, ifd1, ignored)) return;
    const uint32_t at = tiff.Number(ifd1[kThumbOffset], 0), length = tiff.Number(ifd1[kThumbLength], 0);
    if (at == 0 || length < 4 || !tiff.Within(at, length)) return;
    const uint8_t* p = tiff.Data() + at;
    if (p[0] == 0xFF && p[1] == 0xD8) meta.preview = {p, length};
}

void ReadPhotoMeta(Bytes file, PhotoMeta& meta) {
    meta = {};
    if (file.size >= 3 && file.data[0] == 0xFF && file.data[1] == 0xD8)
        JpegMeta(file, meta);
    else if (file.size >= 8 && std::memcmp(file.data, "\x89PNG\r\n\x1A\n", 8) == 0)
        PngMeta(file, meta);
    else if (file.size >= 4 &&
             (std::memcmp(file.data, "II*\0", 4) == 0 || std::memcmp(file.data, "MM\0*", 4) == 0))
        TiffMeta(file, meta);
    if (meta.orientation < 1 || meta.orientation > 8) meta.orientation = 1;
}

Status Orient(const Raster& source, int orientation, Raster& into) {
    const int w = source.Width(), h = source.Height();
    const bool swap = SwapsSides(orientation);
    if (into.Format() != source.Format() || into.Width() != (swap ? h : w) || into.Height() != (swap ? w : h))
        return Status::BadArgument;
    into.palette = source.palette;
    const ptrdiff_t bpp = source.Format() == PixelFormat::Bgr24 ? 3 : 1;
    const ptrdiff_t step = source.Step();
    const int outW = into.Width(), outH = into.Height();
    // Quarter turns read down a column: in bands of rows, so that the band's source lines stay in the cache.
    constexpr int kBand = 16;
    for (int y0 = 0; y0 < outH; y0 += kBand) {
        const int y1 = y0 + kBand < outH ? y0 + kBand : outH;
        for (int x0 = 0; x0 < outW; x0 += 256) {
            const int x1 = x0 + 256 < outW ? x0 + 256 : outW;
            for (int y = y0; y < y1; ++y) {
                const uint8_t* src;
                ptrdiff_t dx;
                switch (orientation) {
                case 2:
                    src = source.Row(y) + (w - 1) * bpp, dx = -bpp;
                    break;
                case 3:
                    src = source.Row(h - 1 - y) + (w - 1) * bpp, dx = -bpp;
                    break;
                case 4:
                    src = source.Row(h - 1 - y), dx = bpp;
                    break;
                case 5:
                    src = source.Row(0) + y * bpp, dx = step;
                    break;
                case 6:
                    src = source.Row(h - 1) + y * bpp, dx = -step;
                    break;
                case 7:
                    src = source.Row(h - 1) + (w - 1 - y) * bpp, dx = -step;
                    break;
                case 8:
                    src = source.Row(0) + (w - 1 - y) * bpp, dx = step;
                    break;
                default:
                    src = source.Row(y), dx = bpp;
                    break;
                }
                src += x0 * dx;
                uint8_t* dst = into.Row(y) + x0 * bpp;
                if (bpp == 3) {
                    for (int x = x0; x < x1; ++x, src += dx, dst += 3)
                        dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
                } else {
                    for (int x = x0; x < x1; ++x, src += dx)
                        *dst++ = *src;
                }
            }
        }
    }
    return Status::Ok;
}

} // namespace cvimg

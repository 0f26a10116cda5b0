#include "cvimg/info.h"
#include "cvimg/bmp.h"
#include "cvimg/decoder.h"
#include "cvimg/pcx.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <set>

namespace cvimg {

namespace {

void SetText(char* dst, size_t cap, const char* text) {
    std::snprintf(dst, cap, "%s", text);
}

// JPEG: walk the marker segments up to the frame header; the entropy-coded data comes after it.
Status JpegInfo(Bytes f, PictureInfo& info) {
    size_t i = 2;
    while (true) {
        // Markers may be padded with any number of 0xFF bytes.
        while (i < f.size && f.data[i] == 0xFF)
            ++i;
        if (i >= f.size || i < 3 || f.data[i - 1] != 0xFF) return Status::Corrupt;
        const uint8_t m = f.data[i++];
        if (m == 0xD8 || (m >= 0xD0 && m <= 0xD7) || m == 0x01) continue; // no length
        if (m == 0xD9 || m == 0xDA) return Status::Corrupt; // end or scan before any frame header
        if (i + 2 > f.size) return Status::Corrupt;
        const size_t len = Be16(f.data + i);
        if (len < 2 || i + len > f.size) return Status::Corrupt;
        const bool sof = m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
        if (!sof) {
            i += len;
            continue;
        }
        if (len < 8) return Status::Corrupt;
        const uint8_t* s = f.data + i + 2;
        info.bits = s[0];
        info.height = Be16(s + 1);
        info.width = Be16(s + 3);
        info.planes = s[5];
        info.frames = 1;
        const char* kind = "JPEG";
        switch (m) {
        case 0xC0:
            kind = "JPEG Baseline";
            break;
        case 0xC1:
            kind = "JPEG Extended";
            break;
        case 0xC2:
            kind = "JPEG Progressive";
            break;
        case 0xC3:
            kind = "JPEG Lossless";
            break;
        case 0xC9:
            kind = "JPEG Arithmetic";
            break;
        case 0xCA:
            kind = "JPEG Arithmetic Progr.";
            break;
        case 0xCB:
            kind = "JPEG Arithmetic Lossless";
            break;
        default:
            kind = "JPEG Hierarchical";
            break;
        }
        SetText(info.type, sizeof info.type, "JPEG");
        SetText(info.compression, sizeof info.compression, kind);
        // A height of 0 is legal in JPEG (given later by a DNL marker) but not something we read.
        if (info.width == 0 || info.height == 0 || info.planes == 0) return Status::Corrupt;
        return Status::Ok;
    }
}

Status PngInfo(Bytes f, PictureInfo& info) {
    if (f.size < 33) return Status::Corrupt;
    const uint8_t* h = f.data + 8;
    if (Be32(h) != 13 || std::memcmp(h + 4, "IHDR", 4) != 0) return Status::Corrupt;
    const uint32_t w = Be32(h + 8), hgt = Be32(h + 12);
    const int depth = h[16], type = h[17], interlace = h[20];
    int channels;
    switch (type) {
    case 0:
        channels = 1;
        break;
    case 2:
        channels = 3;
        break;
    case 3:
        channels = 1;
        break;
    case 4:
        channels = 2;
        break;
    case 6:
        channels = 4;
        break;
    default:
        return Status::Corrupt;
    }
    const bool depthOk = depth == 8 || depth == 16 ||
                         ((type == 0 || type == 3) && depth < 8 && (depth == 1 || depth == 2 || depth == 4));
    if (!depthOk || (type == 3 && depth == 16) || interlace > 1) return Status::Corrupt;
    if (w == 0 || hgt == 0 || w > 0x7FFFFFFF || hgt > 0x7FFFFFFF) return Status::Corrupt;
    info.width = w > 0xFFFF ? 0xFFFF + 1 : static_cast<int>(w);
    info.height = hgt > 0xFFFF ? 0xFFFF + 1 : static_cast<int>(hgt);
    info.bits = depth;
    info.planes = channels;
    info.frames = 1;
    SetText(info.type, sizeof info.type, "PNG");
    SetText(info.compression, sizeof info.compression, interlace ? "Deflate Interlaced" : "Deflate");
    return Status::Ok;
}

// GIF: the logical screen, the depth of the first colour table, and the frames counted by walking the
// blocks. Pixel data is only skipped over; if the walk goes wrong, the frames seen so far count.
Status GifInfo(Bytes f, PictureInfo& info) {
    if (f.size < 13) return Status::Corrupt;
    const uint8_t* p = f.data;
    info.width = Le16(p + 6);
    info.height = Le16(p + 8);
    const uint8_t flags = p[10];
    int bits = (flags & 0x80) ? (flags & 7) + 1 : 0;
    size_t i = 13 + ((flags & 0x80) ? 3u * (2u << (flags & 7)) : 0);
    int frames = 0;
    auto skipSubBlocks = [&]() {
        while (i < f.size) {
            const size_t n = f.data[i++];
            if (n == 0) return true;
            i += n;
        }
        return false;
    };
    while (i < f.size) {
        const uint8_t b = f.data[i++];
        if (b == 0x3B) break; // trailer
        if (b == 0x21) {
            if (i >= f.size) break;
            ++i; // label
            if (!skipSubBlocks()) break;
        } else if (b == 0x2C) {
            if (i + 9 > f.size) break;
            const uint8_t* d = f.data + i;
            if (frames == 0) {
                if (info.width == 0) info.width = Le16(d + 0) + Le16(d + 4);
                if (info.height == 0) info.height = Le16(d + 2) + Le16(d + 6);
                if (!bits && (d[8] & 0x80)) bits = (d[8] & 7) + 1;
            }
            ++frames;
            i += 9 + ((d[8] & 0x80) ? 3u * (2u << (d[8] & 7)) : 0);
            if (i >= f.size) break;
            // Without any colour table the indices are as wide as the LZW minimum code size says (the
            // decoder shows them as a grey ramp of that range).
            if (frames == 1 && !bits) bits = std::clamp<int>(f.data[i], 1, 8);
            ++i; // LZW minimum code size
            if (!skipSubBlocks()) break;
        } else {
            break;
        }
        if (frames >= 32767) break;
    }
    if (frames == 0) return i >= f.size ? Status::Corrupt : Status::GifNoImage;
    if (info.width == 0 || info.height == 0) return Status::Corrupt;
    // The pixels are colour indices: reported at the depth they take, 1, 2, 4 or 8 bits (a table of 8 colours
    // is a 16-colour picture), the depths the colour count of the information line knows.
    info.bits = bits == 0 || bits > 4 ? 8 : bits <= 1 ? 1 : bits <= 2 ? 2 : 4;
    info.planes = 1;
    info.frames = frames;
    SetText(info.type, sizeof info.type, "GIF");
    SetText(info.compression, sizeof info.compression, "LZW");
    return Status::Ok;
}

// The compression text of a TIFF compression number.
const char* TiffCompressionText(uint32_t compression) {
    switch (compression) {
    case 1:
        return "None";
    case 2:
        return "CCITT RLE";
    case 3:
        return "CCITT G3";
    case 4:
        return "CCITT G4";
    case 5:
        return "LZW";
    case 6:
        return "Old JPEG";
    case 7:
        return "JPEG";
    case 8:
    case 32946:
        return "Deflate";
    case 32766:
        return "NeXT";
    case 32771:
        return "CCITT RLE Word";
    case 32773:
        return "PackBits";
    case 32809:
        return "ThunderScan";
    case 32909:
        return "PixarLog";
    case 34661:
        return "JBIG";
    case 34676:
    case 34677:
        return "SGI LogLuv";
    case 34887:
        return "LERC";
    case 34925:
        return "LZMA";
    case 50000:
        return "Zstandard";
    case 50001:
        return "WebP";
    default:
        return nullptr;
    }
}

// TIFF and BigTIFF: the first directory's tags, and the number of directories (pages) in the chain.
// BigTIFF has 64-bit offsets and counts and 20-byte entries where classic TIFF has 32 bits and 12.
Status TiffInfo(Bytes f, PictureInfo& info) {
    if (f.size < 8) return Status::Corrupt;
    const bool le = f.data[0] == 'I';
    auto u16 = [&](uint64_t o) { return le ? Le16(f.data + o) : Be16(f.data + o); };
    auto u32 = [&](uint64_t o) { return le ? Le32(f.data + o) : Be32(f.data + o); };
    auto u64 = [&](uint64_t o) {
        return le ? static_cast<uint64_t>(Le32(f.data + o + 4)) << 32 | Le32(f.data + o)
                  : static_cast<uint64_t>(Be32(f.data + o)) << 32 | Be32(f.data + o + 4);
    };
    const uint16_t version = u16(2);
    if (version != 42 && version != 43) return Status::NotThisType;
    const bool big = version == 43;
    // BigTIFF's header names its offsets' size (8) and a reserved 0.
    if (big && (f.size < 16 || u16(4) != 8 || u16(6) != 0)) return Status::Corrupt;
    const uint64_t countSize = big ? 8 : 2, entrySize = big ? 20 : 12, offsetSize = big ? 8 : 4;
    auto offset = [&](uint64_t o) { return big ? u64(o) : u32(o); };
    // Whether n bytes from o lie in the file, without overflow.
    auto within = [&](uint64_t o, uint64_t n) { return o <= f.size && n <= f.size - o; };

    uint64_t ifd = offset(big ? 8 : 4);
    std::set<uint64_t> seen;
    int pages = 0;
    uint64_t width = 0, height = 0, compression = 1, samples = 1, bps = 1;
    while (ifd != 0 && pages < 32767) {
        if (!within(ifd, countSize) || !seen.insert(ifd).second) break;
        const uint64_t count = big ? u64(ifd) : u16(ifd);
        const uint64_t start = ifd + countSize;
        if (count > (f.size - start) / entrySize || !within(start + count * entrySize, offsetSize)) {
            if (pages == 0) return Status::Corrupt;
            break;
        }
        if (pages == 0) {
            for (uint64_t k = 0; k < count; ++k) {
                const uint64_t e = start + k * entrySize;
                const uint16_t tag = u16(e), type = u16(e + 2);
                const uint64_t n = big ? u64(e + 4) : u32(e + 4);
                const uint64_t field = e + (big ? 12 : 8);
                // SHORT, LONG or LONG8 values; values that do not fit the entry live at an offset.
                const uint64_t size = type == 3 ? 2 : type == 4 ? 4 : type == 16 ? 8 : 0;
                if (size == 0 || n == 0) continue;
                const uint64_t at = n > offsetSize / size ? offset(field) : field;
                const uint64_t value = !within(at, size) ? 0
                                       : size == 2       ? u16(at)
                                       : size == 4       ? u32(at)
                                                         : u64(at);
                switch (tag) {
                case 256:
                    width = value;
                    break;
                case 257:
                    height = value;
                    break;
                case 258:
                    bps = value;
                    break;
                case 259:
                    compression = value;
                    break;
                case 277:
                    samples = value;
                    break;
                }
            }
        }
        ++pages;
        ifd = offset(start + count * entrySize);
    }
    if (pages == 0) return Status::Corrupt;
    if (width == 0 || height == 0 || bps == 0 || bps > 64 || samples == 0 || samples > 16)
        return Status::Corrupt;
    info.width = width > 0xFFFF ? 0xFFFF + 1 : static_cast<int>(width);
    info.height = height > 0xFFFF ? 0xFFFF + 1 : static_cast<int>(height);
    info.bits = static_cast<int>(bps);
    info.planes = static_cast<int>(samples);
    info.frames = pages;
    SetText(info.type, sizeof info.type, "TIFF");
    if (const char* text =
            TiffCompressionText(static_cast<uint32_t>(std::min<uint64_t>(compression, 0xFFFFFFFF))))
        SetText(info.compression, sizeof info.compression, text);
    else
        std::snprintf(info.compression, sizeof info.compression, "Compression %llu",
                      static_cast<unsigned long long>(compression));
    return Status::Ok;
}

Status BmpInfo(Bytes f, PictureInfo& info) {
    BmpHeader h;
    if (Status s = ParseBmpHeader(f, h); Failed(s)) return s;
    info.width = h.width;
    info.height = h.height;
    info.bits = h.bitCount;
    info.planes = 1;
    info.frames = 1;
    SetText(info.type, sizeof info.type, "BMP");
    SetText(info.compression, sizeof info.compression, BmpCompressionText(h));
    return Status::Ok;
}

Status PcxInfo(Bytes f, PictureInfo& info) {
    PcxHeader h;
    if (Status s = ParsePcxHeader(f, h); Failed(s)) return s;
    info.width = h.width;
    info.height = h.height;
    info.bits = h.bitsPerPixel;
    info.planes = h.planes;
    info.frames = 1;
    SetText(info.type, sizeof info.type, "PCX");
    SetText(info.compression, sizeof info.compression, h.encoding ? "RLE" : "None");
    return Status::Ok;
}

} // namespace

bool SniffFormat(Bytes f, int& format) {
    const uint8_t* p = f.data;
    auto starts = [&](const char* sig, size_t n) { return f.size >= n && std::memcmp(p, sig, n) == 0; };
    if (starts("\xFF\xD8\xFF", 3))
        format = static_cast<int>(Format::Jpeg);
    else if (starts("\x89PNG\r\n\x1A\n", 8))
        format = static_cast<int>(Format::Png);
    else if (starts("GIF87a", 6) || starts("GIF89a", 6))
        format = static_cast<int>(Format::Gif);
    else if (starts("II*\0", 4) || starts("MM\0*", 4) || starts("II+\0", 4) || starts("MM\0+", 4))
        format = static_cast<int>(Format::Tiff);
    else if (starts("BM", 2))
        format = static_cast<int>(Format::Bmp);
    else if (f.size >= 3 && p[0] == 0x0A && p[1] <= 5 && p[1] != 1 && p[2] <= 1)
        format = static_cast<int>(Format::Pcx);
    else
        return false;
    return true;
}

Status ReadPictureInfo(Bytes file, PictureInfo& info) {
    info = {};
    int format;
    if (!SniffFormat(file, format)) return file.size == 0 ? Status::Corrupt : Status::UnknownType;
    Status s;
    switch (static_cast<Format>(format)) {
    case Format::Jpeg:
        s = JpegInfo(file, info);
        break;
    case Format::Png:
        s = PngInfo(file, info);
        break;
    case Format::Gif:
        s = GifInfo(file, info);
        break;
    case Format::Tiff:
        s = TiffInfo(file, info);
        break;
    case Format::Bmp:
        s = BmpInfo(file, info);
        break;
    default:
        s = PcxInfo(file, info);
        break;
    }
    if (Failed(s)) return s;
    // Width and height leave the module as 16-bit values.
    if (info.width > kMaxSide || info.height > kMaxSide) return Status::TooLarge;
    if (info.width <= 0 || info.height <= 0) return Status::Corrupt;
    return Status::Ok;
}

} // namespace cvimg

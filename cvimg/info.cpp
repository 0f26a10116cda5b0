#include "cvimg/info.h"
#include "cvimg/bmp.h"
#include "cvimg/decoder.h"
#include "cvimg/pcx.h"

#include <cstdio>
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

// TIFF: the first directory's tags, and the number of directories (pages) in the chain.
Status TiffInfo(Bytes f, PictureInfo& info) {
    if (f.size < 8) return Status::Corrupt;
    const bool le = f.data[0] == 'I';
    auto u16 = [&](size_t o) { return le ? Le16(f.data + o) : Be16(f.data + o); };
    auto u32 = [&](size_t o) { return le ? Le32(f.data + o) : Be32(f.data + o); };
    if (u16(2) != 42) return Status::NotThisType; // BigTIFF (43) is not read
    uint64_t ifd = u32(4);
    std::set<uint64_t> seen;
    int pages = 0;
    uint32_t width = 0, height = 0, compression = 1, samples = 1, bps = 1;
    while (ifd != 0 && pages < 32767) {
        if (ifd + 2 > f.size || !seen.insert(ifd).second) break;
        const size_t count = u16(static_cast<size_t>(ifd));
        const size_t start = static_cast<size_t>(ifd) + 2;
        if (start + count * 12 + 4 > f.size) {
            if (pages == 0) return Status::Corrupt;
            break;
        }
        if (pages == 0) {
            for (size_t k = 0; k < count; ++k) {
                const size_t e = start + k * 12;
                const uint16_t tag = u16(e), type = u16(e + 2);
                const uint32_t n = u32(e + 4);
                // SHORT or LONG values; a value that does not fit the entry lives at an offset.
                auto value = [&](size_t index) -> uint32_t {
                    const size_t size = type == 3 ? 2 : 4;
                    size_t at = e + 8;
                    if (static_cast<uint64_t>(size) * n > 4) {
                        at = u32(e + 8);
                        if (at + size * (index + 1) > f.size) return 0;
                    }
                    at += size * index;
                    return type == 3 ? u16(at) : u32(at);
                };
                if (type != 3 && type != 4) continue;
                if (n == 0) continue;
                switch (tag) {
                case 256:
                    width = value(0);
                    break;
                case 257:
                    height = value(0);
                    break;
                case 258:
                    bps = value(0);
                    break;
                case 259:
                    compression = value(0);
                    break;
                case 277:
                    samples = value(0);
                    break;
                }
            }
        }
        ++pages;
        ifd = u32(start + count * 12);
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
    const char* text;
    char other[26];
    switch (compression) {
    case 1:
        text = "None";
        break;
    case 2:
        text = "CCITT RLE";
        break;
    case 3:
        text = "CCITT G3";
        break;
    case 4:
        text = "CCITT G4";
        break;
    case 5:
        text = "LZW";
        break;
    case 6:
        text = "Old JPEG";
        break;
    case 7:
        text = "JPEG";
        break;
    case 8:
    case 32946:
        text = "Deflate";
        break;
    case 32773:
        text = "PackBits";
        break;
    default:
        std::snprintf(other, sizeof other, "Compression %u", static_cast<unsigned>(compression));
        text = other;
    }
    SetText(info.compression, sizeof info.compression, text);
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
    else if (starts("II*\0", 4) || starts("MM\0*", 4))
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

#include "cvimg/info.h"
#include "cvimg/bmp.h"
#include "cvimg/decoder.h"
#include "cvimg/pcx.h"

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

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

// WebP: the RIFF chunks up to the first picture's coding. A simple file is one VP8 (lossy) or VP8L
// (lossless) chunk; an extended one (VP8X) names the canvas, alpha and animation, and its frames
// (ANMF) are counted. Chunks beyond the file's end end the walk.
Status WebpInfo(Bytes f, PictureInfo& info) {
    if (f.size < 30) return Status::Corrupt;
    const uint8_t* p = f.data;
    const char* coding = nullptr;
    bool alpha = false;
    int frames = 0;
    long width = 0, height = 0;
    for (size_t at = 12; at + 8 <= f.size;) {
        const uint32_t size = Le32(p + at + 4);
        const uint8_t* d = p + at + 8;
        const size_t room = f.size - at - 8;
        if (std::memcmp(p + at, "VP8X", 4) == 0) {
            if (at != 12 || room < 10) return Status::Corrupt;
            alpha = (d[0] & 0x10) != 0;
            width = 1 + static_cast<long>(d[4] | d[5] << 8 | d[6] << 16);
            height = 1 + static_cast<long>(d[7] | d[8] << 8 | d[9] << 16);
        } else if (std::memcmp(p + at, "ANMF", 4) == 0) {
            if (++frames == 1 && room >= 20) coding = std::memcmp(d + 16, "VP8L", 4) == 0 ? "VP8L" : "VP8";
        } else if (std::memcmp(p + at, "VP8 ", 4) == 0 && !coding) {
            coding = "VP8";
            if (!width) {
                if (room < 10 || d[3] != 0x9D || d[4] != 0x01 || d[5] != 0x2A) return Status::Corrupt;
                width = Le16(d + 6) & 0x3FFF;
                height = Le16(d + 8) & 0x3FFF;
            }
        } else if (std::memcmp(p + at, "VP8L", 4) == 0 && !coding) {
            coding = "VP8L";
            if (!width) {
                if (room < 5 || d[0] != 0x2F) return Status::Corrupt;
                const uint32_t bits = Le32(d + 1);
                width = 1 + static_cast<long>(bits & 0x3FFF);
                height = 1 + static_cast<long>(bits >> 14 & 0x3FFF);
                alpha = (bits >> 28 & 1) != 0;
            }
        }
        // A still picture is known at its first coded chunk; an animation's frames are all counted.
        if (coding && !frames) break;
        // A chunk that reaches past the end ends the walk (and the sum below cannot wrap).
        if (size >= room) break;
        at += 8 + static_cast<size_t>(size) + (size & 1);
    }
    if (!coding || width <= 0 || height <= 0) return Status::Corrupt;
    info.width = static_cast<int>(std::min(width, 0x10000L));
    info.height = static_cast<int>(std::min(height, 0x10000L));
    info.bits = 8;
    info.planes = alpha ? 4 : 3;
    info.frames = frames ? frames : 1;
    SetText(info.type, sizeof info.type, "WEBP");
    SetText(info.compression, sizeof info.compression,
            std::strcmp(coding, "VP8L") ? "VP8 Lossy" : "VP8L Lossless");
    return Status::Ok;
}

// HEIF (HEIC, AVIF): the boxes of the meta box. The primary item's size is its ispe property, cropped
// by clap and turned by irot as the decode does; its depth from pixi or the coded stream's configuration.
struct Box {
    const uint8_t* data = nullptr; // the content after the header
    size_t size = 0;
    char type[5] = "";
};

// The boxes inside [p, p + n), at most `limit` of them; false when one reaches past the end.
bool ReadBoxes(const uint8_t* p, size_t n, std::vector<Box>& boxes, size_t limit = 4096) {
    size_t at = 0;
    while (at + 8 <= n && boxes.size() < limit) {
        uint64_t size = Be32(p + at);
        size_t header = 8;
        if (size == 1) {
            if (at + 16 > n) return false;
            size = static_cast<uint64_t>(Be32(p + at + 8)) << 32 | Be32(p + at + 12);
            header = 16;
        } else if (size == 0) {
            size = n - at;
        }
        if (size < header || size > n - at) return false;
        Box b;
        std::memcpy(b.type, p + at + 4, 4);
        b.data = p + at + header;
        b.size = static_cast<size_t>(size) - header;
        boxes.push_back(b);
        at += static_cast<size_t>(size);
    }
    return true;
}

const Box* FindBox(const std::vector<Box>& boxes, const char* type) {
    for (const Box& b : boxes)
        if (std::memcmp(b.type, type, 4) == 0) return &b;
    return nullptr;
}

Status HeifInfo(Bytes f, PictureInfo& info, bool avif) {
    std::vector<Box> top, meta, props, ipco;
    // The file may end after the meta box: what follows is the coded data.
    ReadBoxes(f.data, f.size, top, 64);
    const Box* m = FindBox(top, "meta");
    if (!m || m->size < 4 || !ReadBoxes(m->data + 4, m->size - 4, meta)) return Status::Corrupt;
    const Box* pitm = FindBox(meta, "pitm");
    const Box* iprp = FindBox(meta, "iprp");
    if (!pitm || pitm->size < 6 || !iprp || !ReadBoxes(iprp->data, iprp->size, props)) return Status::Corrupt;
    const uint32_t primary = pitm->data[0] == 0 ? Be16(pitm->data + 4)
                             : pitm->size >= 8  ? Be32(pitm->data + 4)
                                                : 0;
    const Box* ipcoBox = FindBox(props, "ipco");
    const Box* ipma = FindBox(props, "ipma");
    if (!ipcoBox || !ipma || ipma->size < 8 || !ReadBoxes(ipcoBox->data, ipcoBox->size, ipco))
        return Status::Corrupt;

    // The primary item's property indices (from 1) out of ipma.
    std::vector<size_t> own;
    const uint8_t* q = ipma->data;
    const uint8_t* end = ipma->data + ipma->size;
    const int version = q[0];
    const bool wide = (q[3] & 1) != 0;
    uint32_t entries = Be32(q + 4);
    q += 8;
    for (; entries > 0; --entries) {
        const size_t idSize = version < 1 ? 2 : 4;
        if (static_cast<size_t>(end - q) < idSize + 1) return Status::Corrupt;
        const uint32_t item = idSize == 2 ? Be16(q) : Be32(q);
        q += idSize;
        const int count = *q++;
        const size_t each = wide ? 2 : 1;
        if (static_cast<size_t>(end - q) < each * static_cast<size_t>(count)) return Status::Corrupt;
        for (int k = 0; k < count; ++k, q += each) {
            const size_t index = wide ? (Be16(q) & 0x7FFF) : (*q & 0x7F);
            if (item == primary && index >= 1 && index <= ipco.size()) own.push_back(index - 1);
        }
    }

    long width = 0, height = 0;
    int bits = 0, chroma = -1;
    bool turned = false;
    const char* coding = avif ? "AV1" : "HEVC";
    // A grid (or a derived picture) has no coding of its own: its tiles' configuration, the first in
    // the file, stands for it.
    bool configured = false;
    for (size_t index : own)
        configured = configured || std::memcmp(ipco[index].type, "hvcC", 4) == 0 ||
                     std::memcmp(ipco[index].type, "av1C", 4) == 0;
    if (!configured) {
        for (size_t index = 0; index < ipco.size(); ++index)
            if (std::memcmp(ipco[index].type, "hvcC", 4) == 0 ||
                std::memcmp(ipco[index].type, "av1C", 4) == 0) {
                own.push_back(index);
                break;
            }
    }
    for (size_t index : own) {
        const Box& b = ipco[index];
        if (std::memcmp(b.type, "ispe", 4) == 0 && b.size >= 12) {
            width = static_cast<long>(Be32(b.data + 4) & 0x7FFFFFFF);
            height = static_cast<long>(Be32(b.data + 8) & 0x7FFFFFFF);
        } else if (std::memcmp(b.type, "irot", 4) == 0 && b.size >= 1) {
            turned = (b.data[0] & 1) != 0;
        } else if (std::memcmp(b.type, "pixi", 4) == 0 && b.size >= 6) {
            bits = b.data[5];
        } else if (std::memcmp(b.type, "hvcC", 4) == 0 && b.size >= 19) {
            coding = "HEVC";
            chroma = b.data[16] & 3;
            if (!bits) bits = 8 + (b.data[17] & 7);
        } else if (std::memcmp(b.type, "av1C", 4) == 0 && b.size >= 3) {
            coding = "AV1";
            const uint8_t flags = b.data[2];
            const bool high = (flags & 0x40) != 0, twelve = (flags & 0x20) != 0;
            chroma = (flags & 0x10) ? 0 : (flags & 0x08) ? ((flags & 0x04) ? 1 : 2) : 3;
            if (!bits) bits = high ? (twelve ? 12 : 10) : 8;
        }
    }
    // The crop, once the coded size is known (properties may come in any order).
    for (size_t index : own) {
        const Box& b = ipco[index];
        if (std::memcmp(b.type, "clap", 4) == 0 && b.size >= 16 && Be32(b.data + 4) && Be32(b.data + 12)) {
            width = std::min(width, static_cast<long>(Be32(b.data) / Be32(b.data + 4)));
            height = std::min(height, static_cast<long>(Be32(b.data + 8) / Be32(b.data + 12)));
        }
    }
    if (width <= 0 || height <= 0) return Status::Corrupt;
    if (turned) std::swap(width, height);
    // Alpha is an auxiliary item of its own; any alpha property in the file counts for the primary.
    bool alpha = false;
    for (const Box& b : ipco) {
        if (std::memcmp(b.type, "auxC", 4) != 0 || b.size < 5) continue;
        const std::string urn(reinterpret_cast<const char*>(b.data + 4),
                              strnlen(reinterpret_cast<const char*>(b.data + 4), b.size - 4));
        alpha = alpha || urn == "urn:mpeg:hevc:2015:auxid:1" ||
                urn == "urn:mpeg:mpegB:cicp:systems:auxiliary:alpha";
    }
    info.width = static_cast<int>(std::min(width, 0x10000L));
    info.height = static_cast<int>(std::min(height, 0x10000L));
    info.bits = bits ? bits : 8;
    info.planes = chroma == 0 ? (alpha ? 2 : 1) : alpha ? 4 : 3;
    info.frames = 1;
    SetText(info.type, sizeof info.type, avif ? "AVIF" : "HEIC");
    static const char* const kChroma[] = {" 4:0:0", " 4:2:0", " 4:2:2", " 4:4:4"};
    char text[26];
    std::snprintf(text, sizeof text, "%s%s", coding, chroma >= 0 ? kChroma[chroma] : "");
    SetText(info.compression, sizeof info.compression, text);
    return Status::Ok;
}

// HEIF's ftyp names the brand; true for the still-picture brands, with avif for AV1's.
bool HeifBrand(Bytes f, bool& avif) {
    if (f.size < 16 || std::memcmp(f.data + 4, "ftyp", 4) != 0) return false;
    const size_t size = std::min<size_t>(Be32(f.data), f.size);
    bool heif = false;
    avif = false;
    for (size_t at = 8; at + 4 <= size; at += 4) {
        if (at == 12) continue; // the minor version
        const uint8_t* b = f.data + at;
        for (const char* brand : {"heic", "heix", "heim", "heis", "mif1", "msf1"})
            heif = heif || std::memcmp(b, brand, 4) == 0;
        avif = avif || std::memcmp(b, "avif", 4) == 0 || std::memcmp(b, "avis", 4) == 0;
    }
    // A file that claims both is AVIF when its main brand says so.
    if (avif && heif && std::memcmp(f.data + 8, "avif", 4) != 0 && std::memcmp(f.data + 8, "avis", 4) != 0)
        avif = false;
    return heif || avif;
}

} // namespace

bool SniffFormat(Bytes f, int& format, bool allTypes) {
    const uint8_t* p = f.data;
    auto starts = [&](const char* sig, size_t n) { return f.size >= n && std::memcmp(p, sig, n) == 0; };
    bool avif = false;
    if (allTypes && starts("RIFF", 4) && f.size >= 12 && std::memcmp(p + 8, "WEBP", 4) == 0)
        format = static_cast<int>(Format::Webp);
    else if (allTypes && HeifBrand(f, avif))
        format = static_cast<int>(Format::Heif);
    else if (starts("\xFF\xD8\xFF", 3))
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

Status ReadPictureInfo(Bytes file, PictureInfo& info, bool allTypes) {
    info = {};
    int format;
    if (!SniffFormat(file, format, allTypes)) return file.size == 0 ? Status::Corrupt : Status::UnknownType;
    Status s;
    bool avif = false;
    switch (static_cast<Format>(format)) {
    case Format::Webp:
        s = WebpInfo(file, info);
        break;
    case Format::Heif:
        HeifBrand(file, avif);
        s = HeifInfo(file, info, avif);
        break;
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

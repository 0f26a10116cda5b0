// The portable parts of the imaging module: header information of every fixture, our BMP and PCX
// readers, colour reduction. Natively these run under AddressSanitizer, so every read past a buffer
// while parsing cut or damaged files shows up here.
#include "cvimg/concurrentrows.h"
#include "cvimg/decoder.h"
#include "base/dibstride.h"
#include "cvimg/info.h"
#include "cvimg/reduce.h"
#include "cvimg/samples.h"
#include "tests/cvimg/fixtures.h"
#include "tests/cvimg/render.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <thread>
#include <tuple>
#include <vector>

namespace cvimg {
namespace {

using test::Fixture;

std::unique_ptr<Decoder> OwnReader(const std::string& reader, Bytes b) {
    return reader == "BMP" ? MakeBmpDecoder(b) : MakePcxDecoder(b);
}

bool Near(const Color& a, const Color& b, int tol) {
    return std::abs(a.r - b.r) <= tol && std::abs(a.g - b.g) <= tol && std::abs(a.b - b.b) <= tol;
}

std::string Str(const Color& c) {
    char text[40];
    std::snprintf(text, sizeof text, "(%d,%d,%d)", c.r, c.g, c.b);
    return text;
}

TEST(PictureInfo, EveryFixtureReportsTypeSizeDepthCompressionAndFrames) {
    const auto fixtures = test::LoadManifest();
    ASSERT_GT(fixtures.size(), 90u);
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(f.file);
        const std::string bytes = test::ReadAll(test::FixtureDir() + "/" + f.file);
        PictureInfo info;
        ASSERT_EQ(ReadPictureInfo(View(bytes), info, true), Status::Ok);
        EXPECT_STREQ(info.type, f.type.c_str());
        // Without the newer types, their files are of no type the reader knows.
        const bool newType = f.reader == "WEBP" || f.reader == "HEIF";
        PictureInfo seven;
        EXPECT_EQ(ReadPictureInfo(View(bytes), seven), newType ? Status::UnknownType : Status::Ok);
        EXPECT_STREQ(info.compression, f.compression.c_str());
        EXPECT_EQ(info.width, f.width);
        EXPECT_EQ(info.height, f.height);
        EXPECT_EQ(info.bits * info.planes, f.bpp);
        EXPECT_EQ(info.frames, f.frames);
    }
}

// Cut files must fail cleanly or still describe the picture: the header parsers never read past the end.
TEST(PictureInfo, CutFilesNeverReadPastTheirEnd) {
    for (const Fixture& f : test::LoadManifest()) {
        const std::string bytes = test::ReadAll(test::FixtureDir() + "/" + f.file);
        for (size_t n = 0; n < bytes.size(); n += (n < 200 ? 1 : 97)) {
            // A copy of exactly n bytes, so that ASan sees any read beyond it.
            std::unique_ptr<uint8_t[]> cut(new uint8_t[n + 1]);
            std::memcpy(cut.get(), bytes.data(), n);
            PictureInfo info;
            const Status s = ReadPictureInfo({cut.get(), n}, info, true);
            if (s == Status::Ok) {
                EXPECT_EQ(info.width, f.width) << f.file << " cut at " << n;
                EXPECT_EQ(info.height, f.height) << f.file << " cut at " << n;
            }
        }
    }
}

TEST(PictureInfo, PixelDataIsNeverRead) {
    // The headers of a BMP, a PCX and a JPEG followed by garbage instead of pixels.
    std::mt19937 random(7);
    for (const char* name : {"bmp/v3-24.bmp", "bmp/rle8.bmp", "pcx/v5-8bit.pcx", "jpeg/progressive.jpg",
                             "png/interlaced-rgb8.png", "tiff/none.tif"}) {
        SCOPED_TRACE(name);
        std::string bytes = test::ReadAll(test::FixtureDir() + "/" + name);
        PictureInfo before, after;
        ASSERT_EQ(ReadPictureInfo(View(bytes), before), Status::Ok);
        size_t from = 0;
        const std::string s(name);
        if (s.ends_with(".bmp"))
            from = bytes[10] & 0xFF; // pixel data offset (< 256 here)
        else if (s.ends_with(".pcx"))
            from = 128;
        else if (s.ends_with(".jpg"))
            from = bytes.find("\xFF\xDA") + 2;
        else if (s.ends_with(".png"))
            from = bytes.find("IDAT") + 4;
        else
            from = bytes.size() - 4400; // IM puts the strips of the plain TIFF before its directory
        if (s.ends_with(".tif")) {
            for (size_t i = 8; i < 8 + 45 * 30 * 3; ++i)
                bytes[i] = static_cast<char>(random());
        } else {
            for (size_t i = from; i < bytes.size(); ++i)
                bytes[i] = static_cast<char>(random());
        }
        ASSERT_EQ(ReadPictureInfo(View(bytes), after), Status::Ok);
        EXPECT_EQ(after.width, before.width);
        EXPECT_EQ(after.height, before.height);
        EXPECT_EQ(after.bits * after.planes, before.bits * before.planes);
        EXPECT_STREQ(after.compression, before.compression);
    }
}

TEST(PictureInfo, SizesBeyondSixteenBitsAreTooLargeAndZeroSizesCorrupt) {
    // BMP: 40000 x 10, then 0 x 10, then -5 wide.
    auto bmp = [](int32_t w, int32_t h) {
        std::string b(54, '\0');
        b[0] = 'B', b[1] = 'M';
        uint8_t* p = reinterpret_cast<uint8_t*>(b.data());
        p[10] = 54, p[14] = 40;
        std::memcpy(p + 18, &w, 4);
        std::memcpy(p + 22, &h, 4);
        p[26] = 1, p[28] = 24;
        return b;
    };
    PictureInfo info;
    EXPECT_EQ(ReadPictureInfo(View(bmp(40000, 10)), info), Status::TooLarge);
    EXPECT_EQ(ReadPictureInfo(View(bmp(10, 32768)), info), Status::TooLarge);
    EXPECT_EQ(ReadPictureInfo(View(bmp(32767, 1)), info), Status::Ok);
    EXPECT_EQ(ReadPictureInfo(View(bmp(0, 10)), info), Status::Corrupt);
    EXPECT_EQ(ReadPictureInfo(View(bmp(-5, 10)), info), Status::Corrupt);
    EXPECT_EQ(ReadPictureInfo(View(bmp(10, INT32_MIN)), info), Status::TooLarge);
    EXPECT_EQ(ReadPictureInfo(View(bmp(10, -20)), info), Status::Ok);
    EXPECT_EQ(info.height, 20);
    // PNG: width 0 and width 100000.
    auto png = [](uint32_t w, uint32_t h) {
        std::string b("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16);
        for (uint32_t v : {w, h})
            for (int k = 3; k >= 0; --k)
                b += static_cast<char>((v >> (8 * k)) & 255);
        b += std::string("\x08\x02\0\0\0", 5) + "CRC!";
        return b;
    };
    EXPECT_EQ(ReadPictureInfo(View(png(100000, 5)), info), Status::TooLarge);
    EXPECT_EQ(ReadPictureInfo(View(png(0, 5)), info), Status::Corrupt);
    EXPECT_EQ(ReadPictureInfo(View(png(5, 6)), info), Status::Ok);
    // PCX whose right edge lies left of its left edge.
    std::string pcx(128, '\0');
    pcx[0] = 0x0A, pcx[1] = 5, pcx[2] = 1, pcx[3] = 8, pcx[4] = 10, pcx[8] = 2, pcx[65] = 1, pcx[66] = 4;
    EXPECT_EQ(ReadPictureInfo(View(pcx), info), Status::Corrupt);
    // JPEG frame header 65000 wide.
    const std::string jpeg("\xFF\xD8\xFF\xC0\0\x0B\x08\0\x10\xFD\xE8\x01\x01\x11\0\xFF\xD9", 17);
    EXPECT_EQ(ReadPictureInfo(View(jpeg), info), Status::TooLarge);
    // GIF screen 0 x 0 with a 0 x 0 frame.
    const std::string gif("GIF89a\0\0\0\0\0\0\0\x2C\0\0\0\0\0\0\0\0\0\x02\x02\x4C\x01\0\x3B", 30);
    EXPECT_EQ(ReadPictureInfo(View(gif), info), Status::Corrupt);
    EXPECT_EQ(ReadPictureInfo(View(std::string("not a picture")), info), Status::UnknownType);
}

// Hostile WebP and HEIF headers: sizes near 4 GB (a 32-bit sum would wrap), a zero size, boxes inside
// boxes that claim more than their parent; each gives its answer at once.
TEST(PictureInfo, HostileWebpAndHeifHeadersAreRefused) {
    const std::string riff("RIFF\0\0\0\0WEBP", 12);
    const std::string ftyp("\0\0\0\x10"
                           "ftypheic\0\0\0\0",
                           16);
    struct Row {
        std::string bytes;
        Status status;
    } rows[] = {
        {riff + "ANMF\xF0\xFF\xFF\xFF" + std::string(20, 'a'), Status::Corrupt},
        {riff + "VP8X" + std::string("\x0A\0\0\0\x02\0\0\0\x2C\0\0\x1D\0\0", 14) + "ANMF\xFF\xFF\xFF\xFF" +
             std::string(20, 'V'),
         Status::Ok}, // an animation whose only frame is cut: its canvas is known
        {riff + "VP8 " + std::string(4, '\xFF') + std::string(10, '\0'), Status::Corrupt},
        {riff + "VP8X" + std::string(14, '\xFF'), Status::Corrupt},
        {ftyp + std::string("\0\0\0\x0C"
                            "meta\0\0\0\0",
                            12),
         Status::Corrupt},
        {ftyp + std::string("\xFF\xFF\xFF\xF0"
                            "meta\0\0\0\0",
                            12),
         Status::Corrupt},
        {ftyp +
             std::string("\0\0\0\x18"
                         "meta\0\0\0\0\0\0\0\x01"
                         "iprp",
                         20) +
             std::string(4, '\0'),
         Status::Corrupt},
    };
    for (const Row& row : rows) {
        PictureInfo info;
        EXPECT_EQ(ReadPictureInfo(View(row.bytes), info, true), row.status) << &row - rows;
    }
}

TEST(PictureInfo, TiffPageChainsThatLoopAreCountedOnce) {
    std::string t = test::ReadAll(test::FixtureDir() + "/tiff/grey8.tif");
    PictureInfo info;
    ASSERT_EQ(ReadPictureInfo(View(t), info), Status::Ok);
    ASSERT_EQ(info.frames, 1);
    // Point the first directory's "next" link back at itself.
    uint32_t ifd;
    std::memcpy(&ifd, t.data() + 4, 4);
    uint16_t count;
    std::memcpy(&count, t.data() + ifd, 2);
    std::memcpy(t.data() + ifd + 2 + 12 * count, &ifd, 4);
    ASSERT_EQ(ReadPictureInfo(View(t), info), Status::Ok);
    EXPECT_EQ(info.frames, 1);
}

TEST(PictureInfo, BigTiffIsReadLikeClassicTiff) {
    const std::vector<test::TiffEntry> tags = {
        {256, 16, {300}}, {257, 3, {200}}, {258, 3, {16, 16, 16}}, {259, 3, {50000}}, {277, 3, {3}}};
    PictureInfo info;
    for (bool big : {false, true}) {
        std::string t = test::MakeTiff(tags, std::string(16, '\0'), big);
        if (!big)
            t = test::MakeTiff({{256, 4, {300}}, tags[1], tags[2], tags[3], tags[4]}, std::string(16, '\0'));
        ASSERT_EQ(ReadPictureInfo(View(t), info), Status::Ok) << big;
        EXPECT_EQ(info.width, 300);
        EXPECT_EQ(info.height, 200);
        EXPECT_EQ(info.bits * info.planes, 48);
        EXPECT_STREQ(info.compression, "Zstandard");
        EXPECT_EQ(info.frames, 1);
    }
    std::string big = test::MakeTiff(tags, std::string(16, '\0'), true);
    // A directory that links back to itself counts once.
    uint64_t ifd;
    std::memcpy(&ifd, big.data() + 8, 8);
    std::memcpy(big.data() + big.size() - 8, &ifd, 8);
    ASSERT_EQ(ReadPictureInfo(View(big), info), Status::Ok);
    EXPECT_EQ(info.frames, 1);
    // 64-bit sizes and counts beyond anything.
    EXPECT_EQ(ReadPictureInfo(View(test::MakeTiff({{256, 16, {1ull << 40}}, tags[1]}, "", true)), info),
              Status::TooLarge);
    std::string count = big;
    std::memset(count.data() + ifd + 5, 0x7F, 3); // an entry count of about 2^63
    EXPECT_EQ(ReadPictureInfo(View(count), info), Status::Corrupt);
    std::string offsets = big;
    offsets[4] = 4; // BigTIFF's offsets are 8 bytes
    EXPECT_EQ(ReadPictureInfo(View(offsets), info), Status::Corrupt);
}

// Packs samples as libtiff hands rows over: 8, 16, 24 and 32 bits little-endian (the machine's order here),
// other depths high bit first.
std::string PackSamples(const std::vector<uint32_t>& values, int bits) {
    std::string out;
    if (bits % 8 == 0) {
        for (uint32_t v : values)
            for (int k = 0; k < bits / 8; ++k)
                out += static_cast<char>((v >> (8 * k)) & 255);
        return out;
    }
    uint64_t acc = 0;
    int n = 0;
    for (uint32_t v : values) {
        for (int b = bits - 1; b >= 0; --b) {
            acc = acc << 1 | ((v >> b) & 1);
            if (++n == 8) out += static_cast<char>(acc), acc = 0, n = 0;
        }
    }
    if (n) out += static_cast<char>(acc << (8 - n));
    return out;
}

TEST(SampleReduction, EveryIntegerDepthScalesItsWholeRangeFromAnySample) {
    std::mt19937 random(5);
    for (int bits = 1; bits <= 32; ++bits) {
        SCOPED_TRACE(bits);
        const uint64_t top = (uint64_t{1} << bits) - 1;
        std::vector<uint32_t> v;
        for (int i = 0; i < 3 * 41; ++i)
            v.push_back(static_cast<uint32_t>(random() & top));
        v[1] = 0, v[4] = static_cast<uint32_t>(top);
        const std::string row = PackSamples(v, bits);
        // The middle one of every three samples, as the green of contiguous RGB.
        const SampleReducer reducer({SampleType::Unsigned, bits}, SampleMeaning::Level);
        uint8_t out[41];
        reducer.Reduce(reinterpret_cast<const uint8_t*>(row.data()), 1, 3, 41, out);
        EXPECT_EQ(out[0], 0);
        EXPECT_EQ(out[1], 255);
        for (int i = 0; i < 41; ++i)
            ASSERT_EQ(out[i], std::lround(v[1 + 3 * i] * 255.0 / static_cast<double>(top))) << i;
        uint32_t raw[41];
        SampleReducer::Raw(reinterpret_cast<const uint8_t*>(row.data()), bits, 2, 3, 41, raw);
        for (int i = 0; i < 41; ++i)
            ASSERT_EQ(raw[i], v[2 + 3 * i]) << i;
    }
}

TEST(SampleReduction, SignedSamplesAndColourDifferences) {
    auto reduce = [](SampleType type, int bits, SampleMeaning meaning, uint32_t raw) {
        const std::string row = PackSamples({raw}, bits);
        uint8_t out;
        SampleReducer({type, bits}, meaning)
            .Reduce(reinterpret_cast<const uint8_t*>(row.data()), 0, 1, 1, &out);
        return static_cast<int>(out);
    };
    for (int bits : {8, 12, 16, 32}) {
        const uint32_t sign = uint32_t{1} << (bits - 1);
        // Levels from the most negative value up.
        EXPECT_EQ(reduce(SampleType::Signed, bits, SampleMeaning::Level, sign), 0) << bits;
        EXPECT_EQ(reduce(SampleType::Signed, bits, SampleMeaning::Level, sign - 1), 255) << bits;
        EXPECT_EQ(reduce(SampleType::Signed, bits, SampleMeaning::Level, 0), 128) << bits;
    }
    // a* and b*: signed at the scale of 8 bits, or centred on half the range.
    EXPECT_EQ(static_cast<int8_t>(reduce(SampleType::Signed, 8, SampleMeaning::Difference, 0xFB)), -5);
    EXPECT_EQ(static_cast<int8_t>(reduce(SampleType::Signed, 16, SampleMeaning::Difference, 0x8000)), -128);
    EXPECT_EQ(static_cast<int8_t>(reduce(SampleType::Signed, 16, SampleMeaning::Difference, 5 * 256)), 5);
    EXPECT_EQ(static_cast<int8_t>(reduce(SampleType::Unsigned, 8, SampleMeaning::Difference, 128)), 0);
    EXPECT_EQ(static_cast<int8_t>(reduce(SampleType::Unsigned, 8, SampleMeaning::Difference, 255)), 127);
    EXPECT_EQ(static_cast<int8_t>(reduce(SampleType::Unsigned, 16, SampleMeaning::Difference, 0)), -128);
}

TEST(SampleReduction, FloatingPointOfEveryWidthOverItsRange) {
    EXPECT_EQ(HalfToFloat(0x3C00), 1.0F);
    EXPECT_EQ(HalfToFloat(0xC000), -2.0F);
    EXPECT_EQ(HalfToFloat(0x0001), std::ldexp(1.0F, -24)); // the smallest subnormal
    EXPECT_TRUE(std::isinf(HalfToFloat(0x7C00)));
    EXPECT_TRUE(std::isnan(HalfToFloat(0x7E00)));
    EXPECT_EQ(Float24ToFloat(0x400000), 1.0F);
    EXPECT_EQ(Float24ToFloat(0x3F0000), 0.5F);
    EXPECT_EQ(Float24ToFloat(0xC10000), -2.0F);
    EXPECT_EQ(Float24ToFloat(0x408000), 1.5F);
    EXPECT_EQ(Float24ToFloat(0x000001), std::ldexp(1.0F, -79));
    // 0 to 1 by default, clamped; not-a-number shows as the lowest level.
    const uint16_t halves[] = {0x3C00, 0x3800, 0xBC00, 0x7E00, 0x7C00, 0x4000};
    uint8_t out[6];
    SampleReducer({SampleType::Float, 16}, SampleMeaning::Level)
        .Reduce(reinterpret_cast<const uint8_t*>(halves), 0, 1, 6, out);
    EXPECT_EQ(std::vector<int>(out, out + 6), (std::vector<int>{255, 128, 0, 0, 255, 255}));
    const double doubles[] = {250, -100, 1000, 725};
    SampleReducer({SampleType::Float, 64}, SampleMeaning::Level, -100, 1000)
        .Reduce(reinterpret_cast<const uint8_t*>(doubles), 0, 1, 4, out);
    EXPECT_EQ(std::vector<int>(out, out + 4), (std::vector<int>{81, 0, 255, 191}));
    const uint8_t fp24[] = {0x00, 0x00, 0x3F, 0x00, 0x00, 0x40}; // 0.5 and 1.0, little-endian
    SampleReducer({SampleType::Float, 24}, SampleMeaning::Level).Reduce(fp24, 0, 1, 2, out);
    EXPECT_EQ(out[0], 128);
    EXPECT_EQ(out[1], 255);
}

// Our own readers: every BMP and PCX fixture at every depth code.
TEST(OwnReaders, EveryBmpAndPcxFixtureDecodesToItsColoursAtEveryDepth) {
    for (const Fixture& f : test::LoadManifest()) {
        if (f.reader != "BMP" && f.reader != "PCX") continue;
        const std::string bytes = test::ReadAll(test::FixtureDir() + "/" + f.file);
        for (int depth : {24, 8, 4, 1, 0}) {
            SCOPED_TRACE(f.file + " at depth " + std::to_string(depth));
            const Rendered r = Decode(OwnReader(f.reader, View(bytes)), depth, false);
            ASSERT_EQ(r.status, Status::Ok);
            ASSERT_EQ(r.width, f.width);
            ASSERT_EQ(r.height, f.height);
            for (int i = 0; i < 6; ++i) {
                const Color want = f.colors[i], got = r.At(test::BlockX(i), test::BlockY(i));
                if (depth == 24 || depth == 8 || depth == 4) {
                    EXPECT_TRUE(Near(got, want, 0))
                        << "block " << i << " " << Str(got) << " want " << Str(want);
                } else if (depth == 1) {
                    const int bw = test::Luma(want) >= 128 ? 255 : 0;
                    EXPECT_TRUE(Near(got, {bw, bw, bw}, 0)) << "block " << i << " " << Str(got);
                }
            }
        }
    }
}

TEST(OwnReaders, CutFilesFailWithoutReadingPastTheirEnd) {
    for (const Fixture& f : test::LoadManifest()) {
        if (f.reader != "BMP" && f.reader != "PCX") continue;
        const std::string bytes = test::ReadAll(test::FixtureDir() + "/" + f.file);
        for (size_t n : {size_t{0}, size_t{1}, size_t{13}, size_t{54}, size_t{127}, size_t{128},
                         bytes.size() / 3, bytes.size() / 2, bytes.size() - 2}) {
            if (n >= bytes.size()) continue;
            std::unique_ptr<uint8_t[]> cut(new uint8_t[n + 1]);
            std::memcpy(cut.get(), bytes.data(), n);
            const Rendered r = Decode(OwnReader(f.reader, {cut.get(), n}), 24, false);
            EXPECT_TRUE(Failed(r.status)) << f.file << " cut at " << n;
        }
    }
}

TEST(OwnReaders, UnsupportedVariantsAreNamed) {
    std::string b = test::ReadAll(test::FixtureDir() + "/bmp/v3-24.bmp");
    b[30] = 4; // BI_JPEG
    Layout layout;
    EXPECT_EQ(MakeBmpDecoder(View(b))->ReadHeader(layout), Status::BmpCompression);
    b[30] = 0;
    b[28] = 2; // 2 bits per pixel does not exist in BMP
    EXPECT_EQ(MakeBmpDecoder(View(b))->ReadHeader(layout), Status::BmpBitCount);
    std::string p = test::ReadAll(test::FixtureDir() + "/pcx/v5-8bit.pcx");
    p[65] = 2; // 8 bits in two planes
    EXPECT_EQ(MakePcxDecoder(View(p))->ReadHeader(layout), Status::PcxLayout);
    EXPECT_EQ(MakePcxDecoder(View(b))->ReadHeader(layout), Status::NotThisType);
    EXPECT_EQ(MakeBmpDecoder(View(p))->ReadHeader(layout), Status::NotThisType);
}

// Colour reduction on synthetic pictures.
struct Synthetic {
    Raster raster;
    explicit Synthetic(int w, int h) { EXPECT_EQ(raster.Allocate(w, h, PixelFormat::Bgr24), Status::Ok); }
    void Set(int x, int y, Rgb c) {
        uint8_t* p = raster.Row(y) + 3 * x;
        p[0] = c.b, p[1] = c.g, p[2] = c.r;
    }
};

Rendered RenderRaster(const Raster& raster, int depth, bool dither) {
    Rendered out;
    out.width = raster.Width(), out.height = raster.Height();
    EXPECT_EQ(PlanTarget(raster, depth, out.target), Status::Ok);
    out.stride = static_cast<size_t>(corv::DibRowStride(static_cast<uint64_t>(out.width), out.target.bits));
    out.rows.assign(out.stride * out.height, 0);
    out.status = Render(raster, out.target, dither, out.rows.data(), static_cast<ptrdiff_t>(out.stride));
    return out;
}

TEST(ColourReduction, AGradientGetsAnAdaptivePaletteThatStaysClose) {
    Synthetic s(256, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 256; ++x)
            s.Set(x, y, {uint8_t(x), uint8_t(y * 4), uint8_t(255 - x)});
    for (int depth : {8, 4}) {
        const Rendered r = RenderRaster(s.raster, depth, false);
        ASSERT_EQ(r.status, Status::Ok);
        EXPECT_FALSE(r.target.exact);
        EXPECT_EQ(r.target.palette.count, depth == 8 ? 256 : 16);
        double error = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 256; ++x) {
                const Color c = r.At(x, y);
                error += std::abs(c.r - x) + std::abs(c.g - y * 4) + std::abs(c.b - (255 - x));
            }
        error /= 256 * 64 * 3;
        EXPECT_LT(error, depth == 8 ? 6.0 : 20.0) << "depth " << depth;
    }
}

TEST(ColourReduction, ErrorDiffusionKeepsTheAverageColourOfAnArea) {
    // A flat colour that no palette entry matches: dithered, the area's average stays near it;
    // undithered every pixel takes the one nearest entry.
    Synthetic s(64, 64);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            s.Set(x, y, {100, 100, 100});
    for (int depth : {0, 1}) {
        const Rendered plain = RenderRaster(s.raster, depth, false);
        const Rendered dithered = RenderRaster(s.raster, depth, true);
        double sum = 0;
        int distinct = 0;
        Color first = plain.At(0, 0);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                sum += test::Luma(dithered.At(x, y));
                const Color c = plain.At(x, y);
                distinct += (c.r != first.r || c.g != first.g || c.b != first.b);
            }
        EXPECT_EQ(distinct, 0) << "depth " << depth;
        EXPECT_NEAR(sum / (64 * 64), 100, 6) << "depth " << depth;
    }
}

TEST(ColourReduction, FixedPalettesForVgaAndBlackAndWhite) {
    Synthetic s(4, 1);
    s.Set(0, 0, {255, 0, 0}), s.Set(1, 0, {250, 250, 250}), s.Set(2, 0, {0, 0, 120}),
        s.Set(3, 0, {10, 10, 10});
    const Rendered vga = RenderRaster(s.raster, 0, false);
    EXPECT_EQ(vga.target.bits, 4);
    EXPECT_EQ(vga.target.palette.count, 16);
    EXPECT_TRUE(Near(vga.At(0, 0), {255, 0, 0}, 0));
    EXPECT_TRUE(Near(vga.At(1, 0), {255, 255, 255}, 0));
    EXPECT_TRUE(Near(vga.At(2, 0), {0, 0, 128}, 0));
    EXPECT_TRUE(Near(vga.At(3, 0), {0, 0, 0}, 0));
    const Rendered mono = RenderRaster(s.raster, 1, false);
    EXPECT_EQ(mono.target.bits, 1);
    EXPECT_TRUE(Near(mono.At(0, 0), {0, 0, 0}, 0)); // red is dark
    EXPECT_TRUE(Near(mono.At(1, 0), {255, 255, 255}, 0));
    Target t;
    EXPECT_EQ(PlanTarget(s.raster, 16, t), Status::BadDepth);
    EXPECT_EQ(PlanTarget(s.raster, 32, t), Status::BadDepth);
}

TEST(ColourReduction, ExactlySixteenOrTwoHundredFiftySixColoursAreKept) {
    Synthetic s(256, 2);
    for (int x = 0; x < 256; ++x) {
        s.Set(x, 0, {uint8_t(x), uint8_t(x * 7), uint8_t(x * 13)});
        const int m = 255 - x; // the same colours again, mirrored
        s.Set(x, 1, {uint8_t(m), uint8_t(m * 7), uint8_t(m * 13)});
    }
    const Rendered r8 = RenderRaster(s.raster, 8, true);
    EXPECT_TRUE(r8.target.exact);
    for (int x = 0; x < 256; ++x)
        EXPECT_TRUE(Near(r8.At(x, 0), {x, (x * 7) & 255, (x * 13) & 255}, 0));
    s.Set(0, 1, {1, 2, 3}); // a 257th colour
    EXPECT_FALSE(RenderRaster(s.raster, 8, false).target.exact);
}

// Files found by the fuzzers: each must be handled (any result) without a sanitizer report.
TEST(Regressions, FuzzerFindingsAreHandled) {
    const std::filesystem::path dir = std::filesystem::path(CORV_REGRESSION_DIR);
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        if (!entry.is_regular_file() || entry.path().extension() == ".md") continue;
        const std::string bytes = test::ReadAll(entry.path().string());
        PictureInfo info;
        (void)ReadPictureInfo(View(bytes), info);
        (void)ReadPictureInfo(View(bytes), info, true);
        for (int depth : {24, 8, 1}) {
            (void)Decode(MakeBmpDecoder(View(bytes)), depth, true);
            (void)Decode(MakePcxDecoder(View(bytes)), depth, true);
        }
        ++count;
    }
    EXPECT_GT(count, 0);
}

// Adds one to every byte of a row, and counts the rows done on another thread than the test's.
class CountingFilter final : public RowFilter {
  public:
    void Row(uint8_t* bgr, int width) const override {
        for (int i = 0; i < 3 * width; ++i)
            ++bgr[i];
        if (std::this_thread::get_id() != caller) ++elsewhere;
    }
    std::thread::id caller = std::this_thread::get_id();
    mutable std::atomic<int> elsewhere{0};
};

TEST(ConcurrentRows, EveryRowIsFilteredOnceBesideTheDecoderWhereACoreIsFree) {
    const bool spare = std::thread::hardware_concurrency() > 1;
    // Rows said, rows given, every core taken by other reads, a thread expected.
    const std::tuple<std::size_t, int, bool, bool> cases[] = {
        {0, 300, false, false},  {300, 300, false, spare}, {100, 300, false, spare},
        {300, 300, true, false}, {300, 0, false, false},   {1, 1, false, spare}};
    for (const auto& [capacity, count, coresBusy, threaded] : cases) {
        SCOPED_TRACE(testing::Message() << capacity << " rows said, " << count << " given");
        const BusyThread self; // this thread is a read, as the module's are
        std::vector<std::unique_ptr<BusyThread>> others;
        for (unsigned i = 1; coresBusy && i < std::thread::hardware_concurrency(); ++i)
            others.push_back(std::make_unique<BusyThread>());
        const int width = 37;
        std::vector<uint8_t> picture(static_cast<std::size_t>(count) * width * 3, 7);
        CountingFilter filter;
        ConcurrentRows rows(filter, capacity);
        for (int y = 0; y < count; ++y) {
            rows.Row(&picture[static_cast<std::size_t>(y) * width * 3], width);
            // Now and then the decoder is slower than the filter, which then waits for rows.
            if (y % 50 == 49) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        rows.Finish();
        EXPECT_EQ(rows.Threaded(), threaded);
        EXPECT_EQ(std::count(picture.begin(), picture.end(), 8), static_cast<std::ptrdiff_t>(picture.size()));
        if (count > 1) {
            EXPECT_EQ(filter.elsewhere.load() > 0, threaded);
        }
    }
}

} // namespace
} // namespace cvimg

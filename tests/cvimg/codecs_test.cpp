// The codec libraries' decoders (JPEG, PNG, GIF, TIFF), built natively against Debian's libraries so that
// our glue runs under AddressSanitizer: every fixture decodes to its colours, and every cut of every
// fixture fails without a read or write outside its buffers.
#include "tests/cvimg/render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace cvimg {
namespace {

using test::Fixture;

std::unique_ptr<Decoder> CodecReader(const std::string& reader, Bytes b) {
    if (reader == "JPEG") return MakeJpegDecoder(b);
    if (reader == "PNG") return MakePngDecoder(b);
    if (reader == "GIF") return MakeGifDecoder(b);
#ifdef CORV_NEW_TYPES
    if (reader == "WEBP") return MakeWebpDecoder(b);
    if (reader == "HEIF") return MakeHeifDecoder(b);
#endif
    return MakeTiffDecoder(b);
}

bool IsCodec(const Fixture& f) {
#ifndef CORV_NEW_TYPES
    // Built without libwebp or libheif: their fixtures have no decoder here.
    if (f.reader == "WEBP" || f.reader == "HEIF") return false;
#endif
    return f.reader != "BMP" && f.reader != "PCX";
}

TEST(CodecReaders, EveryFixtureDecodesToItsColours) {
    for (const Fixture& f : test::LoadManifest()) {
        if (!IsCodec(f)) continue;
        const std::string bytes = test::ReadAll(test::FixtureDir() + "/" + f.file);
        for (int depth : {24, 8}) {
            SCOPED_TRACE(f.file + " at depth " + std::to_string(depth));
            const Rendered r = Decode(CodecReader(f.reader, View(bytes)), depth, true);
            ASSERT_EQ(r.status, Status::Ok);
            ASSERT_EQ(r.width, f.width);
            ASSERT_EQ(r.height, f.height);
            for (int i = 0; i < 6; ++i) {
                const Color want = f.colors[i], got = r.At(test::BlockX(i), test::BlockY(i));
                const int tol = depth == 24 || f.tolerance == 0 ? f.tolerance : f.tolerance + 16;
                EXPECT_LE(std::abs(got.r - want.r), tol) << "block " << i;
                EXPECT_LE(std::abs(got.g - want.g), tol) << "block " << i;
                EXPECT_LE(std::abs(got.b - want.b), tol) << "block " << i;
            }
        }
    }
}

// The module decodes from a read-only view of the file: no library may write into it.
TEST(CodecReaders, TheFileIsNeverWritten) {
    for (const Fixture& f : test::LoadManifest()) {
        if (!IsCodec(f)) continue;
        const std::string original = test::ReadAll(test::FixtureDir() + "/" + f.file);
        std::string bytes = original;
        ASSERT_EQ(Decode(CodecReader(f.reader, View(bytes)), 24, false).status, Status::Ok) << f.file;
        EXPECT_TRUE(bytes == original) << f.file;
    }
}

TEST(CodecReaders, CutFilesFailWithoutTouchingMemoryOutsideTheirBuffers) {
    for (const Fixture& f : test::LoadManifest()) {
        if (!IsCodec(f)) continue;
        const std::string bytes = test::ReadAll(test::FixtureDir() + "/" + f.file);
        const size_t step = std::max<size_t>(1, bytes.size() / 40);
        for (size_t n = 0; n < bytes.size() * 3 / 4; n += step) {
            std::unique_ptr<uint8_t[]> cut(new uint8_t[n + 1]);
            std::memcpy(cut.get(), bytes.data(), n);
            const Rendered r = Decode(CodecReader(f.reader, {cut.get(), n}), 24, false);
            // A second frame or page may be cut away while the first is whole.
            if (f.frames == 1) {
                EXPECT_TRUE(Failed(r.status)) << f.file << " cut at " << n;
            }
        }
    }
}

// A 4 x 2 TIFF in one strip: `bits` and `format` for each of `samples` samples, and what else is given.
std::string SmallTiff(uint16_t bits, uint16_t samples, uint16_t photometric, uint16_t format,
                      const std::string& pixels, std::vector<test::TiffEntry> more = {}, bool big = false) {
    std::vector<test::TiffEntry> e = {{256, 3, {4}},
                                      {257, 3, {2}},
                                      {258, 3, std::vector<uint64_t>(samples ? samples : 1, bits)},
                                      {259, 3, {1}},
                                      {262, 3, {photometric}},
                                      {277, 3, {samples}},
                                      {278, 3, {2}},
                                      {339, 3, std::vector<uint64_t>(samples ? samples : 1, format)}};
    for (test::TiffEntry& m : more) {
        auto same =
            std::find_if(e.begin(), e.end(), [&](const test::TiffEntry& x) { return x.tag == m.tag; });
        if (same != e.end())
            *same = m;
        else
            e.push_back(m);
    }
    return test::MakeTiff(e, pixels, big);
}

Status DecodeTiff(const std::string& file, Rendered* out = nullptr) {
    Rendered r = Decode(MakeTiffDecoder(View(file)), 24, false);
    if (out) *out = r;
    return r.status;
}

TEST(TiffReader, LayoutsItCannotShowAreNamedAndBrokenOnesFail) {
    const std::string rgb8(24, '\x40'), grey8(8, '\x40');
    // Sample layouts that are well formed but not pictures we can show.
    EXPECT_EQ(DecodeTiff(SmallTiff(8, 1, 2, 1, grey8)), Status::TiffLayout); // RGB of one sample
    EXPECT_EQ(DecodeTiff(SmallTiff(12, 1, 1, 3, std::string(12, '\0'))), Status::TiffLayout); // 12-bit floats
    EXPECT_EQ(DecodeTiff(SmallTiff(16, 1, 1, 6, std::string(16, '\0'))), Status::TiffLayout); // complex
    EXPECT_EQ(DecodeTiff(SmallTiff(4, 3, 8, 1, std::string(12, '\0'))), Status::TiffLayout);  // 4-bit L*a*b*
    EXPECT_EQ(DecodeTiff(SmallTiff(8, 4, 5, 1, std::string(32, '\0'), {{332, 3, {2}}})),
              Status::TiffLayout);                                               // inks other than CMYK
    EXPECT_EQ(DecodeTiff(SmallTiff(8, 1, 32803, 1, grey8)), Status::TiffLayout); // colour filter array
    // Broken ones.
    // (libtiff shows a palette picture of 8 bits without colours as grey, as other readers do.)
    EXPECT_TRUE(
        Failed(DecodeTiff(SmallTiff(4, 1, 3, 1, std::string(4, '\x11'))))); // a palette without colours
    EXPECT_TRUE(Failed(DecodeTiff(SmallTiff(8, 0, 1, 1, grey8))));          // no samples
    // A strip beyond the end of the file.
    EXPECT_EQ(DecodeTiff(test::MakeTiff(
                  {{256, 3, {4}}, {257, 3, {2}}, {258, 3, {8}}, {262, 3, {1}}, {273, 4, {4000}}}, grey8)),
              Status::Corrupt);
    EXPECT_EQ(DecodeTiff(SmallTiff(8, 3, 2, 1, rgb8, {{256, 4, {40000}}}, true)), Status::TooLarge);
    // Tiles whose one buffer would need gigabytes, over a tiny picture.
    EXPECT_TRUE(Failed(DecodeTiff(SmallTiff(
        16, 4, 2, 1, rgb8, {{322, 4, {32768}}, {323, 4, {32768}}, {324, 4, {8}}, {325, 4, {24}}}))));
    // The same 4 x 2 RGB picture decodes in both forms.
    for (bool big : {false, true}) {
        Rendered r;
        ASSERT_EQ(DecodeTiff(SmallTiff(8, 3, 2, 1, rgb8, {}, big), &r), Status::Ok) << big;
        EXPECT_EQ(r.At(3, 1).g, 0x40);
    }
}

// Samples of odd depths and formats, packed by hand, reach their 8-bit values exactly.
TEST(TiffReader, SamplesAreScaledOverTheirWholeRange) {
    struct Case {
        uint16_t bits, format, photometric;
        std::string pixels;
        int first, last; // grey of pixel 0 and pixel 7
    } cases[] = {
        // 12 bits, packed high bit first: 0, 4095, 2048, 1, 0, 0, 0, 4095.
        {12, 1, 1, std::string("\x00\x0F\xFF\x80\x00\x01\x00\x00\x00\x00\x0F\xFF", 12), 0, 255},
        // MinIsWhite 12 bits: the same levels inverted.
        {12, 1, 0, std::string("\x00\x0F\xFF\x80\x00\x01\x00\x00\x00\x00\x0F\xFF", 12), 255, 0},
        // Signed 8 bits: -128 is black, 127 white.
        {8, 2, 1, std::string("\x80\0\0\0\0\0\0\x7F", 8), 0, 255},
        // 32-bit floats 0 to 1: -0.5 (clamped to black) ... 2.0 (clamped to white).
        {32, 3, 1, std::string("\0\0\0\xBF", 4) + std::string(24, '\0') + std::string("\0\0\0\x40", 4), 0,
         255},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        Rendered r;
        ASSERT_EQ(DecodeTiff(SmallTiff(c.bits, 1, c.photometric, c.format, c.pixels), &r), Status::Ok);
        EXPECT_EQ(r.At(0, 0).r, c.first);
        EXPECT_EQ(r.At(3, 1).r, c.last);
    }
    Rendered r;
    ASSERT_EQ(DecodeTiff(SmallTiff(12, 1, 1, 1, cases[0].pixels), &r), Status::Ok);
    EXPECT_EQ(r.At(2, 0).r, 128); // 2048 of 4095
    EXPECT_EQ(r.At(3, 0).r, 0);   // 1 of 4095
    // Floating point over the range the file names: 250 of -100..1000 is a third of the way.
    const float v[8] = {250, 1000, -100, 5000, 0, 0, 0, 0};
    ASSERT_EQ(DecodeTiff(SmallTiff(32, 1, 1, 3, std::string(reinterpret_cast<const char*>(v), 32),
                                   {{340, 8, {static_cast<uint64_t>(-100)}}, {341, 3, {1000}}}),
                         &r),
              Status::Ok);
    EXPECT_EQ(r.At(0, 0).r, 81);
    EXPECT_EQ(r.At(1, 0).r, 255);
    EXPECT_EQ(r.At(2, 0).r, 0);
    EXPECT_EQ(r.At(3, 0).r, 255);
}

// Inputs kept from fuzzing the glue: the first byte picks the decoder, as in the fuzz target.
TEST(CodecReaders, FuzzerInputsAreHandled) {
    int count = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(CORV_REGRESSION_DIR) + "/codecs")) {
        const std::string bytes = test::ReadAll(entry.path().string());
        if (bytes.empty()) continue;
        static const char* const kReaders[] = {"JPEG", "PNG", "GIF", "TIFF"};
        const Bytes file{reinterpret_cast<const uint8_t*>(bytes.data()) + 1, bytes.size() - 1};
        (void)Decode(CodecReader(kReaders[static_cast<uint8_t>(bytes[0]) % 4], file), 8, true);
        ++count;
    }
    EXPECT_GT(count, 0);
}

} // namespace
} // namespace cvimg

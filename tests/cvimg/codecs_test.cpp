// The codec libraries' decoders (JPEG, PNG, GIF, TIFF), built natively against Debian's libraries so that
// our glue runs under AddressSanitizer: every fixture decodes to its colours, and every cut of every
// fixture fails without a read or write outside its buffers.
#include "tests/cvimg/render.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace cvimg {
namespace {

using test::Fixture;

std::unique_ptr<Decoder> CodecReader(const std::string& reader, Bytes b) {
    if (reader == "JPEG") return MakeJpegDecoder(b);
    if (reader == "PNG") return MakePngDecoder(b);
    if (reader == "GIF") return MakeGifDecoder(b);
    return MakeTiffDecoder(b);
}

bool IsCodec(const Fixture& f) {
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

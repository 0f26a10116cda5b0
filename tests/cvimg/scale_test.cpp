// Reduction by area averaging: every output pixel is the weighted mean of the source area it covers.
#include "cvimg/scale.h"

#include <gtest/gtest.h>

namespace cvimg {
namespace {

void Fill(Raster& r, Rgb (*colorAt)(int x, int y)) {
    for (int y = 0; y < r.Height(); ++y)
        for (int x = 0; x < r.Width(); ++x) {
            const Rgb c = colorAt(x, y);
            uint8_t* p = r.Row(y) + 3 * x;
            p[0] = c.b, p[1] = c.g, p[2] = c.r;
        }
}

Rgb At(const Raster& r, int x, int y) {
    const uint8_t* p = r.Row(y) + 3 * x;
    return {p[2], p[1], p[0]};
}

TEST(ResizeArea, AUniformPictureStaysUniformAtAnySize) {
    Raster source;
    ASSERT_EQ(source.Allocate(997, 613, PixelFormat::Bgr24), Status::Ok);
    Fill(source, [](int, int) { return Rgb{200, 100, 7}; });
    for (auto [w, h] : {std::pair{76, 47}, {1, 1}, {996, 612}, {2000, 1500}}) {
        Raster out;
        ASSERT_EQ(out.Allocate(w, h, PixelFormat::Bgr24), Status::Ok);
        ASSERT_EQ(ResizeArea(source, out), Status::Ok);
        for (int y = 0; y < h; y += std::max(1, h / 7))
            for (int x = 0; x < w; x += std::max(1, w / 7))
                ASSERT_EQ(At(out, x, y), (Rgb{200, 100, 7})) << w << "x" << h << " at " << x << "," << y;
    }
}

TEST(ResizeArea, FineDetailBecomesItsMeanNotOneOfItsPixels) {
    // One-pixel stripes of black and white: point sampling keeps either colour, averaging gives grey.
    Raster source;
    ASSERT_EQ(source.Allocate(64, 64, PixelFormat::Bgr24), Status::Ok);
    Fill(source, [](int x, int) { return x % 2 ? Rgb{255, 255, 255} : Rgb{0, 0, 0}; });
    Raster out;
    ASSERT_EQ(out.Allocate(8, 8, PixelFormat::Bgr24), Status::Ok);
    ASSERT_EQ(ResizeArea(source, out), Status::Ok);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            EXPECT_NEAR(At(out, x, y).g, 128, 1);
        }
}

TEST(ResizeArea, PartlyCoveredPixelsCountByTheirShare) {
    // Three source pixels into two: each output pixel covers one and a half of them.
    Raster source;
    ASSERT_EQ(source.Allocate(3, 1, PixelFormat::Bgr24), Status::Ok);
    Fill(source, [](int x, int) { return x == 1 ? Rgb{255, 90, 30} : Rgb{0, 0, 0}; });
    Raster out;
    ASSERT_EQ(out.Allocate(2, 1, PixelFormat::Bgr24), Status::Ok);
    ASSERT_EQ(ResizeArea(source, out), Status::Ok);
    EXPECT_EQ(At(out, 0, 0), (Rgb{85, 30, 10}));
    EXPECT_EQ(At(out, 1, 0), (Rgb{85, 30, 10}));

    // A 2 x 2 block of four colours into one pixel: their mean.
    Raster block;
    ASSERT_EQ(block.Allocate(2, 2, PixelFormat::Bgr24), Status::Ok);
    Fill(block, [](int x, int y) {
        return Rgb{uint8_t(x * 100), uint8_t(y * 200), uint8_t(40 + x * y * 4)};
    });
    Raster one;
    ASSERT_EQ(one.Allocate(1, 1, PixelFormat::Bgr24), Status::Ok);
    ASSERT_EQ(ResizeArea(block, one), Status::Ok);
    EXPECT_EQ(At(one, 0, 0), (Rgb{50, 100, 41}));
}

TEST(ResizeArea, IndexedPicturesAreReadThroughTheirPaletteAndEmptyOnesRefused) {
    Raster source;
    ASSERT_EQ(source.Allocate(4, 2, PixelFormat::Indexed8), Status::Ok);
    source.palette.count = 2;
    source.palette.colors[0] = {255, 0, 0};
    source.palette.colors[1] = {0, 0, 255};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            source.Row(y)[x] =
                static_cast<uint8_t>(x < 2 ? 0 : (x == 3 ? 7 : 1)); // 7: beyond the palette, black
    Raster out;
    ASSERT_EQ(out.Allocate(2, 1, PixelFormat::Bgr24), Status::Ok);
    ASSERT_EQ(ResizeArea(source, out), Status::Ok);
    EXPECT_EQ(At(out, 0, 0), (Rgb{255, 0, 0}));
    EXPECT_EQ(At(out, 1, 0), (Rgb{0, 0, 128}));

    Raster empty;
    EXPECT_EQ(ResizeArea(empty, out), Status::BadArgument);
    Raster indexedOut;
    ASSERT_EQ(indexedOut.Allocate(2, 1, PixelFormat::Indexed8), Status::Ok);
    EXPECT_EQ(ResizeArea(source, indexedOut), Status::BadArgument);
}

} // namespace
} // namespace cvimg

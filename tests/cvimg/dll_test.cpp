// CVIMG32.DLL through the program's binding, under Wine: header information and decoding of every
// fixture at every depth code, broken files of every kind, arguments at their limits, and leaks.
#include "image/cvimglib.h"
#include "tests/cvimg/awkward.h"
#include "tests/cvimg/fixtures.h"
#include "tests/support/winsupport.h"
#include "base/handles.h"

#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <set>

namespace corv {
namespace {

using cvimg::test::Color;
using cvimg::test::Fixture;
using cvimg::test::Luma;

// Result codes of the module (its string table has one message each).
constexpr int16_t kMissingFile = -1, kUnreadableFile = -2, kNotThisType = -3, kCorrupt = -4, kTooLarge = -5,
                  kBadDepth = -7, kUnknownType = -8, kBadArgument = -9, kBmpCompression = -23,
                  kTiffLayout = -26;
const int16_t kAllCodes[] = {-1,  -2,  -3,  -4,  -5,  -6,  -7,  -8,  -9, -20,
                             -21, -22, -23, -24, -25, -26, -27, -28, -29};

const Color kVga[16] = {{0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
                        {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {192, 192, 192},
                        {128, 128, 128}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
                        {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255}};

CvImgLib& Lib() {
    static CvImgLib lib;
    if (!lib.Loaded()) {
        EXPECT_TRUE(lib.Load(CORV_CVIMG32_PATH));
    }
    return lib;
}

std::string FixturePath(const std::string& file) {
    return cvimg::test::FixtureDir() + "/" + file;
}

struct Decoded {
    int16_t code = 0;
    BitmapHandle bitmap;
    PaletteHandle palette;
    HBITMAP rawBitmap = nullptr;
    HPALETTE rawPalette = nullptr;
};

// Through the ANSI exports, or with `wide` their wide forms.
Decoded Read(const std::string& reader, const std::string& path, int depth, int dither, bool wide = false) {
    CvImgLib& lib = Lib();
    Decoded d;
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(1); // the module must overwrite both
    HPALETTE palette = nullptr;
    const std::wstring w = Wide(path);
    if (reader == "JPEG")
        d.code = wide ? lib.LibReadJPEGW(w.c_str(), depth, 1, dither, &bitmap, &palette, 0, 0)
                      : lib.LibReadJPEG(path.c_str(), depth, 1, dither, &bitmap, &palette, 0, 0);
    else if (reader == "GIF")
        d.code = wide ? lib.LibReadGIFW(w.c_str(), depth, dither, &bitmap, &palette, 0, 0)
                      : lib.LibReadGIF(path.c_str(), depth, dither, &bitmap, &palette, 0, 0);
    else if (reader == "PCX")
        d.code = wide ? lib.LibReadPCXW(w.c_str(), depth, dither, &bitmap, &palette, 0, 0)
                      : lib.LibReadPCX(path.c_str(), depth, dither, &bitmap, &palette, 0, 0);
    else if (reader == "BMP")
        d.code = wide ? lib.LibReadBMPW(w.c_str(), depth, dither, &bitmap, &palette, 0, 0)
                      : lib.LibReadBMP(path.c_str(), depth, dither, &bitmap, &palette, 0, 0);
    else if (reader == "PNG")
        d.code = wide ? lib.LibReadPNGW(w.c_str(), depth, dither, &bitmap, &palette, 0, 0)
                      : lib.LibReadPNG(path.c_str(), depth, dither, &bitmap, &palette, 0, 0);
    else if (reader == "WEBP")
        d.code = wide ? lib.LibReadWEBPW(w.c_str(), depth, dither, &bitmap, &palette, 0, 0)
                      : lib.LibReadWEBP(path.c_str(), depth, dither, &bitmap, &palette, 0, 0);
    else if (reader == "HEIF")
        d.code = wide ? lib.LibReadHEIFW(w.c_str(), depth, dither, &bitmap, &palette, 0, 0)
                      : lib.LibReadHEIF(path.c_str(), depth, dither, &bitmap, &palette, 0, 0);
    else
        d.code = wide ? lib.LibReadTIFFW(w.c_str(), depth, dither, &bitmap, &palette, 0, 0)
                      : lib.LibReadTIFF(path.c_str(), depth, dither, &bitmap, &palette, 0, 0);
    d.rawBitmap = bitmap;
    d.rawPalette = palette;
    if (d.code >= 1) {
        d.bitmap = BitmapHandle(bitmap);
        d.palette = PaletteHandle(palette);
    }
    return d;
}

// The pixels of a bitmap as 32-bit colours, top row first.
struct Pixels {
    int width = 0, height = 0, bits = 0;
    std::vector<RGBQUAD> data;
    Color At(int x, int y) const {
        const RGBQUAD& q = data[static_cast<size_t>(y) * width + x];
        return {q.rgbRed, q.rgbGreen, q.rgbBlue};
    }
    // Average over the (2r+1)^2 pixels around (x, y).
    Color Around(int x, int y, int r) const {
        int n = 0, s[3] = {0, 0, 0};
        for (int j = y - r; j <= y + r; ++j)
            for (int i = x - r; i <= x + r; ++i) {
                const Color c = At(i, j);
                s[0] += c.r, s[1] += c.g, s[2] += c.b, ++n;
            }
        return {s[0] / n, s[1] / n, s[2] / n};
    }
};

Pixels ReadPixels(HBITMAP bitmap) {
    Pixels p;
    DIBSECTION ds{};
    if (GetObjectA(bitmap, sizeof ds, &ds) != sizeof ds) return p; // not a DIB section
    p.width = ds.dsBm.bmWidth;
    p.height = ds.dsBm.bmHeight;
    p.bits = ds.dsBm.bmBitsPixel;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = p.width;
    bi.bmiHeader.biHeight = -p.height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    p.data.resize(static_cast<size_t>(p.width) * p.height);
    const WindowDc screen(nullptr);
    const int lines = GetDIBits(screen.Get(), bitmap, 0, p.height, p.data.data(), &bi, DIB_RGB_COLORS);
    if (lines != p.height) p.data.clear();
    return p;
}

std::vector<Color> PaletteColors(HPALETTE palette) {
    PALETTEENTRY e[256];
    const UINT n = GetPaletteEntries(palette, 0, 256, e);
    std::vector<Color> out;
    for (UINT i = 0; i < n; ++i)
        out.push_back({e[i].peRed, e[i].peGreen, e[i].peBlue});
    return out;
}

int Diff(const Color& a, const Color& b) {
    return std::max({std::abs(a.r - b.r), std::abs(a.g - b.g), std::abs(a.b - b.b)});
}
double Dist(const Color& a, const Color& b) {
    return std::sqrt(double(a.r - b.r) * (a.r - b.r) + double(a.g - b.g) * (a.g - b.g) +
                     double(a.b - b.b) * (a.b - b.b));
}
std::string Str(const Color& c) {
    char text[40];
    std::snprintf(text, sizeof text, "(%d,%d,%d)", c.r, c.g, c.b);
    return text;
}

// ------------------------------------------------------------------------------------------- binding

TEST(Cvimg32Binding, BindsTheSevenOrdinalsAndHasAMessageForEveryCode) {
    CvImgLib& lib = Lib();
    ASSERT_TRUE(lib.Loaded());
    for (void* p : {reinterpret_cast<void*>(lib.LibImageInfo), reinterpret_cast<void*>(lib.LibReadJPEG),
                    reinterpret_cast<void*>(lib.LibReadGIF), reinterpret_cast<void*>(lib.LibReadPCX),
                    reinterpret_cast<void*>(lib.LibReadBMP), reinterpret_cast<void*>(lib.LibReadPNG),
                    reinterpret_cast<void*>(lib.LibReadTIFF)})
        EXPECT_NE(p, nullptr);
    std::set<std::string> texts;
    for (int16_t code : kAllCodes) {
        const std::string m = lib.Message(code);
        EXPECT_FALSE(m.empty()) << code;
        EXPECT_LE(m.size(), 255u) << code;
        texts.insert(m);
    }
    EXPECT_EQ(texts.size(), std::size(kAllCodes)); // one message per code, none shared
    EXPECT_EQ(lib.Message(kMissingFile), "The picture file does not exist.");
    EXPECT_NE(lib.Message(kTooLarge).find("too large"), std::string::npos);
    EXPECT_TRUE(lib.Message(1).empty());
    EXPECT_TRUE(lib.Message(-100).empty());
    // The ordinals are the contract; a module without them is refused as a whole.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH); // this test program exports nothing
    CvImgLib other;
    EXPECT_FALSE(other.Load(self));
    EXPECT_FALSE(other.Loaded());
    EXPECT_EQ(other.LibImageInfo, nullptr);
}

// ---------------------------------------------------------------------------------------- information

struct Info {
    int16_t code = 0;
    char type[cvimg::kTypeTextSize] = "?";
    char compression[cvimg::kCompressionTextSize] = "?";
    int16_t width = -1, height = -1, bits = -1, planes = -1, frames = -1;
};

// The newer types' readers, whose information comes from the export that knows them.
bool NewType(const std::string& reader) {
    return reader == "WEBP" || reader == "HEIF";
}

Info GetInfo(const std::string& path, bool allTypes = false) {
    Info i;
    i.code = (allTypes ? Lib().LibImageInfoAll : Lib().LibImageInfo)(
        path.c_str(), i.type, &i.width, &i.height, &i.bits, &i.planes, &i.frames, i.compression, 0);
    return i;
}

TEST(Cvimg32Info, EveryFixtureReportsTypeSizeDepthCompressionAndFrames) {
    const auto fixtures = cvimg::test::LoadManifest();
    ASSERT_GT(fixtures.size(), 90u);
    for (const Fixture& f : fixtures) {
        SCOPED_TRACE(f.file);
        const Info i = GetInfo(FixturePath(f.file), NewType(f.reader));
        ASSERT_EQ(i.code, 1);
        // The seven's information keeps to their types; the newer ones' answers it as before.
        EXPECT_EQ(GetInfo(FixturePath(f.file)).code, NewType(f.reader) ? kUnknownType : 1);
        EXPECT_STREQ(i.type, f.type.c_str());
        EXPECT_STREQ(i.compression, f.compression.c_str());
        EXPECT_EQ(i.width, f.width);
        EXPECT_EQ(i.height, f.height);
        EXPECT_EQ(i.bits * i.planes, f.bpp);
        EXPECT_EQ(i.frames, f.frames);
        EXPECT_LE(std::strlen(i.type), 5u);
        EXPECT_LE(std::strlen(i.compression), 25u);
    }
}

TEST(Cvimg32Info, FailuresGiveTheirCodeAndEmptyValues) {
    test::TempFolder dir;
    Info i = GetInfo(dir / "absent.jpg");
    EXPECT_EQ(i.code, kMissingFile);
    EXPECT_STREQ(i.type, "");
    EXPECT_STREQ(i.compression, "");
    EXPECT_EQ(i.width, 0);
    EXPECT_EQ(GetInfo(dir / "no-such-folder\\a.gif").code, kMissingFile);
    test::WriteFileBytes(dir / "text.jpg", "just some words, not a picture");
    EXPECT_EQ(GetInfo(dir / "text.jpg").code, kUnknownType);
    test::WriteFileBytes(dir / "empty.gif", "");
    EXPECT_EQ(GetInfo(dir / "empty.gif").code, kCorrupt);
    EXPECT_EQ(GetInfo(dir.Path()).code, kUnreadableFile); // a folder is no file
    // A picture another program holds without sharing cannot be read, though it exists.
    test::WriteFileBytes(dir / "held.bmp", test::ReadFileBytes(FixturePath("bmp/v3-24.bmp")));
    {
        FileHandle held(
            CreateFileA((dir / "held.bmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(held);
        EXPECT_EQ(GetInfo(dir / "held.bmp").code, kUnreadableFile);
        EXPECT_EQ(Read("BMP", dir / "held.bmp", 24, 0).code, kUnreadableFile);
    }
    EXPECT_EQ(Read("BMP", dir / "held.bmp", 24, 0).code, 1);
    EXPECT_EQ(GetInfo("").code, kBadArgument);
}

// A header that promises a huge picture whose pixels are not there: the information is right (the
// pixels are never read), the decode fails.
TEST(Cvimg32Info, ReadsHeadersOnlyNeverPixels) {
    test::TempFolder dir;
    // PNG of 30000 x 20000 with nothing but its header chunk.
    std::string png("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\0\x75\x30\0\0\x4E\x20\x08\x06\0\0\0CRC!", 33);
    test::WriteFileBytes(dir / "huge.png", png);
    Info i = GetInfo(dir / "huge.png");
    EXPECT_EQ(i.code, 1);
    EXPECT_EQ(i.width, 30000);
    EXPECT_EQ(i.height, 20000);
    EXPECT_EQ(i.bits * i.planes, 32);
    const Decoded d = Read("PNG", dir / "huge.png", 24, 0);
    EXPECT_LE(d.code, 0);
    // Fixtures whose pixel data were replaced by garbage report what the intact ones do.
    std::mt19937 random(3);
    for (const char* name : {"jpeg/baseline-420.jpg", "jpeg/arithmetic.jpg", "bmp/v3-8.bmp", "gif/im-89a.gif",
                             "pcx/v5-24bit.pcx", "png/rgb16.png"}) {
        SCOPED_TRACE(name);
        std::string bytes = test::ReadFileBytes(FixturePath(name));
        const std::string s(name);
        size_t from = s.ends_with(".jpg") ? bytes.find("\xFF\xDA") + 4
                      : s.ends_with(".bmp")
                          ? static_cast<uint8_t>(bytes[10]) + 256u * static_cast<uint8_t>(bytes[11])
                      : s.ends_with(".gif") ? bytes.find('\x2C') + 11
                      : s.ends_with(".pcx") ? 128
                                            : bytes.find("IDAT") + 4;
        for (size_t k = from; k < bytes.size(); ++k)
            bytes[k] = static_cast<char>(random());
        test::WriteFileBytes(dir / "garbage", bytes);
        const Info before = GetInfo(FixturePath(name)), after = GetInfo(dir / "garbage");
        ASSERT_EQ(after.code, 1);
        EXPECT_EQ(after.width, before.width);
        EXPECT_EQ(after.height, before.height);
        EXPECT_EQ(after.bits * after.planes, before.bits * before.planes);
        EXPECT_STREQ(after.compression, before.compression);
    }
}

// ------------------------------------------------------------------------------------------ decoding

// Checks one decode of a fixture against its manifest entry.
void CheckDecode(const Fixture& f, int depth, int dither) {
    SCOPED_TRACE(f.file + " depth " + std::to_string(depth) + (dither ? " dithered" : ""));
    const Decoded d = Read(f.reader, FixturePath(f.file), depth, dither);
    ASSERT_EQ(d.code, 1) << Lib().Message(d.code);
    const Pixels p = ReadPixels(d.bitmap.Get());
    ASSERT_FALSE(p.data.empty()) << "not a DIB section";
    EXPECT_EQ(p.width, f.width);
    EXPECT_EQ(p.height, f.height);
    const int bits = depth == 0 ? 4 : depth;
    EXPECT_EQ(p.bits, bits);
    if (depth == 24) {
        EXPECT_EQ(d.rawPalette, nullptr);
    } else {
        ASSERT_NE(d.rawPalette, nullptr);
        const auto pal = PaletteColors(d.palette.Get());
        EXPECT_GE(pal.size(), 1u);
        EXPECT_LE(pal.size(), 1u << bits);
        if (depth == 0) {
            ASSERT_EQ(pal.size(), 16u);
            for (int k = 0; k < 16; ++k)
                EXPECT_EQ(Diff(pal[k], kVga[k]), 0) << k;
        }
        if (depth == 1) {
            ASSERT_EQ(pal.size(), 2u);
            EXPECT_EQ(Diff(pal[0], {0, 0, 0}), 0);
            EXPECT_EQ(Diff(pal[1], {255, 255, 255}), 0);
        }
    }
    const int tol = f.tolerance;
    for (int b = 0; b < 6; ++b) {
        const Color want = f.colors[b];
        const int x = cvimg::test::BlockX(b), y = cvimg::test::BlockY(b);
        const Color got = p.At(x, y), area = p.Around(x, y, 3);
        const std::string where =
            "block " + std::to_string(b) + " got " + Str(got) + " area " + Str(area) + " want " + Str(want);
        switch (depth) {
        case 24:
            EXPECT_LE(Diff(got, want), tol) << where;
            break;
        case 8:
            // A lossless fixture has fewer than 256 colours: they all come back exactly.
            EXPECT_LE(Diff(dither ? area : got, want), tol ? tol + 16 : 0) << where;
            break;
        case 4:
            EXPECT_LE(Diff(dither ? area : got, want), tol + 40) << where;
            break;
        case 1:
            if (dither) {
                EXPECT_NEAR(Luma(area), Luma(want), 48 + tol) << where;
            } else if (std::abs(Luma(want) - 128) > tol + 10) {
                const int bw = Luma(want) >= 128 ? 255 : 0;
                EXPECT_EQ(Diff(got, {bw, bw, bw}), 0) << where;
            }
            break;
        case 0: {
            if (dither) {
                EXPECT_LE(Diff(area, want), 64 + tol) << where;
                break;
            }
            const bool isVga = std::any_of(std::begin(kVga), std::end(kVga),
                                           [&](const Color& c) { return Diff(c, got) == 0; });
            EXPECT_TRUE(isVga) << where;
            double best = 1e9;
            for (const Color& c : kVga)
                best = std::min(best, Dist(c, want));
            EXPECT_LE(Dist(got, want), best * 1.5 + 3 * tol + 1) << where;
            break;
        }
        }
    }
}

TEST(Cvimg32Decode, EveryFixtureAtEveryDepthCodeWithAndWithoutDithering) {
    const long bitmapsBefore = LiveHandles(HandleKind::Bitmap),
               palettesBefore = LiveHandles(HandleKind::Palette);
    for (const Fixture& f : cvimg::test::LoadManifest())
        for (int depth : {24, 8, 4, 1, 0})
            for (int dither : {0, 1})
                CheckDecode(f, depth, dither);
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), bitmapsBefore);
    EXPECT_EQ(LiveHandles(HandleKind::Palette), palettesBefore);
}

TEST(Cvimg32Decode, EachReaderRefusesOtherFormatsAndBadDepthCodes) {
    const std::string jpeg = FixturePath("jpeg/baseline-420.jpg"), bmp = FixturePath("bmp/v3-24.bmp");
    for (const char* reader : {"GIF", "PCX", "BMP", "PNG", "TIFF"}) {
        const Decoded d = Read(reader, jpeg, 24, 0);
        EXPECT_EQ(d.code, kNotThisType) << reader;
        EXPECT_EQ(d.rawBitmap, nullptr);
        EXPECT_EQ(d.rawPalette, nullptr);
    }
    EXPECT_EQ(Read("JPEG", bmp, 24, 0).code, kNotThisType);
    for (int depth : {2, 16, 32, -1})
        EXPECT_EQ(Read("BMP", bmp, depth, 0).code, kBadDepth) << depth;
}

// The container's rotation (irot) is applied by the decode and by the header alike: a HEIC whose pixi
// property is turned into a quarter turn counter-clockwise shows 30 x 45, its top right block at the top
// left.
TEST(Cvimg32Decode, HeifRotationTurnsThePictureAndItsHeader) {
    std::string bytes = test::ReadFileBytes(FixturePath("heif/heic-444-8.heic"));
    const std::string pixi("\0\0\0\x10pixi", 8);
    const size_t at = bytes.find(pixi);
    ASSERT_NE(at, std::string::npos);
    bytes.replace(at, 16, std::string("\0\0\0\x10irot\x01", 9) + std::string(7, '\0'));
    test::TempFolder dir;
    test::WriteFileBytes(dir / "turned.heic", bytes);
    const Info i = GetInfo(dir / "turned.heic", true);
    ASSERT_EQ(i.code, 1);
    EXPECT_EQ(i.width, 30);
    EXPECT_EQ(i.height, 45);
    const Decoded d = Read("HEIF", dir / "turned.heic", 24, 0);
    ASSERT_EQ(d.code, 1) << Lib().Message(d.code);
    const Pixels p = ReadPixels(d.bitmap.Get());
    ASSERT_EQ(p.width, 30);
    ASSERT_EQ(p.height, 45);
    EXPECT_LE(Diff(p.At(7, 7), {0, 0, 255}), 24);    // was the top right
    EXPECT_LE(Diff(p.At(7, 37), {255, 0, 0}), 24);   // was the top left
    EXPECT_LE(Diff(p.At(22, 7), {255, 255, 0}), 24); // was the bottom right
}

TEST(Cvimg32Decode, FileNamesUpToTheSystemLimitAndNoFurther) {
    test::TempFolder dir;
    // Nest folders until the full name of the picture is MAX_PATH - 1 characters long.
    std::string path = dir.Path();
    while (path.size() + 1 + 40 + 8 < MAX_PATH - 1) {
        path += "\\" + std::string(40, 'd');
        ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
    }
    const std::string base = path + "\\";
    const std::string name = base + std::string(MAX_PATH - 1 - base.size() - 4, 'p') + ".bmp";
    ASSERT_EQ(name.size(), size_t{MAX_PATH - 1});
    test::WriteFileBytes(name, test::ReadFileBytes(FixturePath("bmp/v3-24.bmp")));
    EXPECT_EQ(Read("BMP", name, 24, 0).code, 1);
    EXPECT_EQ(GetInfo(name).code, 1);
    const std::string tooLong = name + "x";
    EXPECT_EQ(Read("BMP", tooLong, 24, 0).code, kBadArgument);
    EXPECT_EQ(GetInfo(tooLong).code, kBadArgument);
    // Nested folders are left for the temporary folder's clean-up.
    DeleteFileA(name.c_str());
    for (std::string p = path; p.size() > dir.Path().size(); p = p.substr(0, p.rfind('\\')))
        RemoveDirectoryA(p.c_str());
}

TEST(Cvimg32Decode, MissingOutputsAreRefused) {
    CvImgLib& lib = Lib();
    const std::string bmp = FixturePath("bmp/v3-24.bmp");
    HPALETTE palette = nullptr;
    HBITMAP bitmap = nullptr;
    EXPECT_EQ(lib.LibReadBMP(bmp.c_str(), 24, 0, nullptr, &palette, 0, 0), kBadArgument);
    EXPECT_EQ(lib.LibReadBMP(bmp.c_str(), 24, 0, &bitmap, nullptr, 0, 0), kBadArgument);
    EXPECT_EQ(bitmap, nullptr);
    EXPECT_EQ(lib.LibReadBMP(nullptr, 24, 0, &bitmap, &palette, 0, 0), kBadArgument);
    EXPECT_EQ(lib.LibImageInfo(bmp.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, 0),
              1);
}

TEST(Cvimg32Decode, AnIncomingPaletteStaysTheCallers) {
    LOGPALETTE lp{0x300, 1, {{10, 20, 30, 0}}};
    PaletteHandle mine(CreatePalette(&lp));
    HPALETTE palette = mine.Get();
    HBITMAP bitmap = nullptr;
    const std::string gif = FixturePath("gif/87a-global.gif");
    ASSERT_EQ(Lib().LibReadGIF(gif.c_str(), 8, 0, &bitmap, &palette, 0, 0), 1);
    BitmapHandle bitmapOwner(bitmap);
    PaletteHandle paletteOwner(palette);
    EXPECT_NE(palette, mine.Get()); // a palette of the picture's own comes back
    EXPECT_EQ(GetObjectType(mine.Get()),
              static_cast<DWORD>(OBJ_PAL)); // and ours is neither freed nor changed
    PALETTEENTRY e{};
    EXPECT_EQ(GetPaletteEntries(mine.Get(), 0, 1, &e), 1u);
    EXPECT_EQ(e.peGreen, 20);
}

// ------------------------------------------------------------------------------------- broken files

// A failed read: a failure code with a message, and no handles.
void ExpectCleanFailure(const Decoded& d, const std::string& what) {
    EXPECT_LE(d.code, 0) << what;
    EXPECT_EQ(d.rawBitmap, nullptr) << what;
    EXPECT_EQ(d.rawPalette, nullptr) << what;
    EXPECT_FALSE(Lib().Message(d.code).empty()) << what << " code " << d.code;
}

// A read that may succeed only with the whole picture intact.
void ExpectFailureOrIntact(const Fixture& f, const std::string& path, const std::string& what) {
    const Decoded d = Read(f.reader, path, 24, 0);
    if (d.code <= 0) {
        ExpectCleanFailure(d, what);
        return;
    }
    const Pixels p = ReadPixels(d.bitmap.Get());
    ASSERT_EQ(p.width, f.width) << what;
    ASSERT_EQ(p.height, f.height) << what;
    for (int b = 0; b < 6; ++b)
        EXPECT_LE(Diff(p.At(cvimg::test::BlockX(b), cvimg::test::BlockY(b)), f.colors[b]), f.tolerance)
            << what << " block " << b;
}

TEST(Cvimg32Broken, EveryFixtureCutAtSeveralLengthsFailsCleanly) {
    test::TempFolder dir;
    const long bitmapsBefore = LiveHandles(HandleKind::Bitmap);
    for (const Fixture& f : cvimg::test::LoadManifest()) {
        const std::string bytes = test::ReadFileBytes(FixturePath(f.file));
        const size_t n = bytes.size();
        for (size_t cut : {size_t{0}, size_t{1}, size_t{2}, size_t{8}, n / 4, n / 2, n * 3 / 4, n - 2}) {
            const std::string what = f.file + " cut at " + std::to_string(cut) + " of " + std::to_string(n);
            const std::string path = dir / "cut";
            test::WriteFileBytes(path, bytes.substr(0, cut));
            // The last two bytes of a file may be trailing matter (a GIF's trailer, an IFD link), and a
            // second frame or page may go missing: the picture may then still be whole.
            if (cut == n - 2 || (f.frames > 1 && cut > 8)) {
                ExpectFailureOrIntact(f, path, what);
            } else {
                ExpectCleanFailure(Read(f.reader, path, 24, 0), what);
                ExpectCleanFailure(Read(f.reader, path, 8, 1), what);
            }
            const Info i = GetInfo(path, NewType(f.reader));
            if (i.code == 1) {
                EXPECT_EQ(i.width, f.width) << what;
            } else {
                EXPECT_FALSE(Lib().Message(i.code).empty()) << what;
            }
        }
    }
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), bitmapsBefore);
}

// Headers with zero, negative and huge sizes.
struct BadHeader {
    const char* reader;
    std::string bytes;
    int16_t code;
    bool fitsInfo = false; // too large to decode, yet each side fits the information's values
};

std::string Le32(uint32_t v) {
    return std::string(reinterpret_cast<const char*>(&v), 4);
}
std::string Be32(uint32_t v) {
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return std::string(b, 4);
}
std::string Bmp(int32_t w, int32_t h, uint16_t bits = 24, uint32_t compression = 0) {
    std::string s = "BM" + Le32(54 + 64) + Le32(0) + Le32(54) + Le32(40) + Le32(static_cast<uint32_t>(w)) +
                    Le32(static_cast<uint32_t>(h)) + std::string("\x01\0", 2) + std::string(1, char(bits)) +
                    std::string(1, '\0') + Le32(compression) + std::string(20, '\0');
    return s + std::string(64, '\x55');
}
std::string Png(uint32_t w, uint32_t h) {
    return std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR", 16) + Be32(w) + Be32(h) +
           std::string("\x08\x02\0\0\0", 5) + "CRC!" + std::string(40, '\0');
}
std::string Gif(uint16_t sw, uint16_t sh, uint16_t fw, uint16_t fh) {
    auto le16 = [](uint16_t v) { return std::string{char(v & 255), char(v >> 8)}; };
    return "GIF89a" + le16(sw) + le16(sh) + std::string("\x80\0\0", 3) +
           std::string("\0\0\0\xFF\xFF\xFF", 6) + "\x2C" + le16(0) + le16(0) + le16(fw) + le16(fh) +
           std::string("\0\x02\x02\x4C\x01\0\x3B", 7);
}
std::string Pcx(int16_t xmin, int16_t xmax, int16_t ymax, uint16_t bpl) {
    std::string s(128, '\0');
    s[0] = 0x0A, s[1] = 5, s[2] = 1, s[3] = 8, s[65] = 1;
    std::memcpy(&s[4], &xmin, 2);
    std::memcpy(&s[8], &xmax, 2);
    std::memcpy(&s[10], &ymax, 2);
    std::memcpy(&s[66], &bpl, 2);
    return s + std::string(100, '\x11');
}
std::string Jpeg(uint16_t w, uint16_t h) {
    return std::string("\xFF\xD8\xFF\xC0\0\x11\x08", 7) + char(h >> 8) + char(h & 255) + char(w >> 8) +
           char(w & 255) + std::string("\x03\x01\x22\0\x02\x11\x01\x03\x11\x01\xFF\xD9", 12);
}
std::string Tiff(uint64_t w, uint64_t h, bool big = false, uint16_t photometric = 1) {
    const uint16_t size = big ? 16 : 4; // LONG8 or LONG
    return cvimg::test::MakeTiff({{256, size, {w}}, {257, size, {h}}, {258, 3, {8}}, {262, 3, {photometric}}},
                                 std::string(16, '\x40'), big);
}

TEST(Cvimg32Broken, ZeroNegativeAndHugeSizesAreRefusedWithTheirMessage) {
    const BadHeader cases[] = {
        {"BMP", Bmp(0, 10), kCorrupt},
        {"BMP", Bmp(-10, 10), kCorrupt},
        {"BMP", Bmp(10, 0), kCorrupt},
        {"BMP", Bmp(40000, 10), kTooLarge},
        {"BMP", Bmp(10, -40000), kTooLarge},
        {"BMP", Bmp(30000, 30000), kTooLarge, true}, // under the side limit, over the area limit
        {"BMP", Bmp(20, 20), kCorrupt},              // fewer pixel bytes than the size asks for
        {"BMP", Bmp(10, 10, 24, 4), kBmpCompression},
        {"PNG", Png(0, 10), kCorrupt},
        {"PNG", Png(40000, 10), kTooLarge},
        {"PNG", Png(0x80000000u, 1), kCorrupt},
        {"GIF", Gif(0, 0, 0, 0), kCorrupt},
        {"GIF", Gif(40000, 10, 1, 1), kTooLarge},
        {"GIF", Gif(10, 10, 20, 20), kCorrupt}, // the frame's pixels are not there
        {"PCX", Pcx(10, 2, 5, 8), kCorrupt},
        {"PCX", Pcx(0, -1, 5, 8), kCorrupt},
        {"PCX", Pcx(-30000, 30000, 5, 65000), kTooLarge},
        {"PCX", Pcx(0, 99, 0, 10), kCorrupt}, // lines shorter than the width
        {"JPEG", Jpeg(0, 10), kCorrupt},
        {"JPEG", Jpeg(10, 0), kCorrupt},
        {"JPEG", Jpeg(65000, 10), kTooLarge},
        {"TIFF", Tiff(0, 10), kCorrupt},
        {"TIFF", Tiff(40000, 10), kTooLarge},
        {"TIFF", Tiff(0xFFFFFFFFu, 0xFFFFFFFFu), kTooLarge},
        {"TIFF", Tiff(0, 10, true), kCorrupt},
        {"TIFF", Tiff(40000, 10, true), kTooLarge},
        {"TIFF", Tiff(1ull << 40, 1ull << 40, true), kTooLarge},
        {"TIFF", Tiff(4, 4, false, 2), kTiffLayout},    // RGB of one sample
        {"TIFF", Tiff(4, 4, true, 32803), kTiffLayout}, // a colour filter array
    };
    test::TempFolder dir;
    int k = 0;
    for (const BadHeader& c : cases) {
        const std::string path = dir / ("bad" + std::to_string(k++));
        test::WriteFileBytes(path, c.bytes);
        const std::string what = std::string(c.reader) + " case " + std::to_string(k);
        for (int depth : {24, 8}) {
            const Decoded d = Read(c.reader, path, depth, 1);
            ExpectCleanFailure(d, what);
            EXPECT_EQ(d.code, c.code) << what << ": " << Lib().Message(d.code);
        }
        const Info i = GetInfo(path);
        // The information reports sizes that fit its 16-bit values; a side beyond them is too large.
        if (c.code == kTooLarge && !c.fitsInfo) {
            EXPECT_EQ(i.code, kTooLarge) << what;
        }
    }
}

TEST(Cvimg32Broken, CorruptCompressedDataFails) {
    test::TempFolder dir;
    struct Damage {
        const char* file;
        const char* reader;
        const char* after; // the damage starts a few bytes after this marker
        size_t skip;
    };
    // Formats with a way to tell: JPEG's codes and markers, PNG's checksums, LZW codes beyond the
    // table in GIF and TIFF, Deflate's checks. (Run-length data have no such check: BMP and PCX runs
    // of any bytes are valid runs; their damage is covered by the random damage below.)
    const Damage cases[] = {
        {"jpeg/baseline-420.jpg", "JPEG", "\xFF\xDA", 40},
        {"jpeg/progressive.jpg", "JPEG", "\xFF\xDA", 20},
        {"jpeg/arithmetic.jpg", "JPEG", "\xFF\xDA", 30},
        {"png/rgb8.png", "PNG", "IDAT", 10},
        {"png/interlaced-palette4.png", "PNG", "IDAT", 10},
        {"gif/87a-global.gif", "GIF", ",", 14},
        {"tiff/lzw.tif", "TIFF", "II*", 10},
        {"tiff/deflate.tif", "TIFF", "II*", 10},
    };
    for (const Damage& c : cases) {
        std::string bytes = test::ReadFileBytes(FixturePath(c.file));
        const size_t at = bytes.find(c.after) + c.skip;
        ASSERT_LT(at + 24, bytes.size()) << c.file;
        for (size_t k = at; k < at + 24; ++k)
            bytes[k] = '\xFF';
        test::WriteFileBytes(dir / "damaged", bytes);
        ExpectCleanFailure(Read(c.reader, dir / "damaged", 24, 0), c.file);
    }
}

TEST(Cvimg32Broken, RandomDamageNeverCrashesNorHangs) {
    test::TempFolder dir;
    std::mt19937 random(11);
    for (const Fixture& f : cvimg::test::LoadManifest()) {
        const std::string original = test::ReadFileBytes(FixturePath(f.file));
        for (int round = 0; round < 6; ++round) {
            std::string bytes = original;
            const int flips = 1 + static_cast<int>(random() % 8);
            for (int k = 0; k < flips; ++k)
                bytes[random() % bytes.size()] = static_cast<char>(random());
            test::WriteFileBytes(dir / "flipped", bytes);
            const Decoded d = Read(f.reader, dir / "flipped", round % 2 ? 8 : 24, round % 3 == 0);
            if (d.code <= 0) {
                ExpectCleanFailure(d, f.file);
            } else {
                // Damage the format cannot see may change colours, and even the size a little.
                const Pixels p = ReadPixels(d.bitmap.Get());
                EXPECT_GT(p.width, 0) << f.file;
                EXPECT_LE(p.width, 32767) << f.file;
            }
            (void)GetInfo(dir / "flipped", NewType(f.reader));
        }
    }
}

// Many loads, good and broken: the handles that come back are real and all freed, and the process's
// memory does not grow.
TEST(Cvimg32Leaks, RepeatedLoadsKeepMemoryAndHandlesFlat) {
    test::TempFolder dir;
    const std::string cut = test::ReadFileBytes(FixturePath("jpeg/progressive.jpg"));
    test::WriteFileBytes(dir / "cut.jpg", cut.substr(0, cut.size() / 2));
    const std::string cutPng = test::ReadFileBytes(FixturePath("png/rgba16.png"));
    test::WriteFileBytes(dir / "cut.png", cutPng.substr(0, cutPng.size() / 2));
    struct Load {
        const char* reader;
        std::string path;
    };
    const Load loads[] = {{"JPEG", FixturePath("jpeg/progressive.jpg")},
                          {"PNG", FixturePath("png/rgba16.png")},
                          {"GIF", FixturePath("gif/im-animated.gif")},
                          {"TIFF", FixturePath("tiff/jpeg.tif")},
                          {"BMP", FixturePath("bmp/rle4.bmp")},
                          {"PCX", FixturePath("pcx/v5-24bit.pcx")},
                          {"JPEG", dir / "cut.jpg"},
                          {"PNG", dir / "cut.png"},
                          {"TIFF", FixturePath("jpeg/grey.jpg")}};
    auto usage = [] {
        PROCESS_MEMORY_COUNTERS c{};
        c.cb = sizeof c;
        GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
        return static_cast<long long>(c.PagefileUsage);
    };
    auto round = [&] {
        for (const Load& l : loads)
            for (int depth : {24, 8, 1}) {
                Decoded d = Read(l.reader, l.path, depth, 1);
                if (d.code == 1) {
                    EXPECT_EQ(GetObjectType(d.rawBitmap), static_cast<DWORD>(OBJ_BITMAP));
                    if (depth != 24) {
                        EXPECT_EQ(GetObjectType(d.rawPalette), static_cast<DWORD>(OBJ_PAL));
                    }
                }
                (void)GetInfo(l.path);
            }
    };
    const long bitmaps = LiveHandles(HandleKind::Bitmap), palettes = LiveHandles(HandleKind::Palette);
    for (int i = 0; i < 20; ++i)
        round(); // warm up the heaps
    const long long before = usage();
    for (int i = 0; i < 200; ++i)
        round();
    const long long growth = usage() - before;
    EXPECT_LT(growth, 2 * 1024 * 1024) << "grew by " << growth << " bytes over 200 rounds";
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), bitmaps);
    EXPECT_EQ(LiveHandles(HandleKind::Palette), palettes);
}

// ------------------------------------------------------------------------------------- scaled read

int OrdinalOf(const std::string& reader) {
    if (reader == "JPEG") return cvimg::kOrdReadJpeg;
    if (reader == "GIF") return cvimg::kOrdReadGif;
    if (reader == "PCX") return cvimg::kOrdReadPcx;
    if (reader == "BMP") return cvimg::kOrdReadBmp;
    if (reader == "PNG") return cvimg::kOrdReadPng;
    if (reader == "WEBP") return cvimg::kOrdReadWebp;
    if (reader == "HEIF") return cvimg::kOrdReadHeif;
    return cvimg::kOrdReadTiff;
}

TEST(Cvimg32Scaled, EveryFixtureComesBackAtExactlyTheSizeAskedWithItsColours) {
    CvImgLib& lib = Lib();
    ASSERT_NE(lib.LibReadScaled, nullptr);
    const long bitmapsBefore = LiveHandles(HandleKind::Bitmap);
    for (const Fixture& f : cvimg::test::LoadManifest()) {
        SCOPED_TRACE(f.file);
        for (int depth : {24, 8}) {
            HBITMAP bitmap = nullptr;
            HPALETTE palette = nullptr;
            // 45 x 30 into 9 x 6: each output pixel is the mean of 5 x 5 pixels of one colour block.
            const int16_t code = lib.LibReadScaled(FixturePath(f.file).c_str(), OrdinalOf(f.reader), depth, 0,
                                                   9, 6, &bitmap, &palette);
            ASSERT_GE(code, 1) << lib.Message(code);
            BitmapHandle owned(bitmap);
            PaletteHandle ownedPalette(palette);
            const Pixels p = ReadPixels(bitmap);
            ASSERT_EQ(p.width, 9);
            ASSERT_EQ(p.height, 6);
            EXPECT_EQ(p.bits, depth);
            EXPECT_EQ(palette != nullptr, depth == 8);
            if (depth != 24 || f.bpp == 1) continue; // reduced colours: the full decode's tests cover them
            // Only the 45 x 30 pictures are all blocks; a larger one keeps its blocks in a corner of noise.
            if (f.width != 45 || f.height != 30) continue;
            // A JPEG decoded at 1/4 takes each pixel's colour from 8 x 8 blocks that straddle the colour
            // blocks, and its chroma from a plane subsampled by up to 4: neighbouring colours bleed in more.
            const int slack = f.reader == "JPEG" ? 32 : 16;
            for (int i = 0; i < 6; ++i) {
                const Color got = p.At(1 + 3 * (i % 3), 1 + 3 * (i / 3));
                EXPECT_LE(Diff(got, f.colors[i]), f.tolerance + slack)
                    << "block " << i << ": " << Str(got) << " expected " << Str(f.colors[i]);
            }
        }
    }
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), bitmapsBefore);
}

TEST(Cvimg32Scaled, AveragesInsteadOfDroppingPixels) {
    // One-pixel stripes of black and white in a BMP: averaged by two they are grey, sampled they would
    // be black or white.
    const int w = 64, h = 32, stride = w * 3;
    std::string file(54 + static_cast<size_t>(stride) * h, '\0');
    auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
    file[0] = 'B', file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    file[26] = 1, file[28] = 24;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            std::memset(&file[54 + static_cast<size_t>(y) * stride + 3 * x], x % 2 ? 255 : 0, 3);
    test::TempFolder folder;
    const std::string name = folder / "stripes.bmp";
    test::WriteFileBytes(name, file);
    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    ASSERT_GE(Lib().LibReadScaled(name.c_str(), cvimg::kOrdReadBmp, 24, 0, 32, 16, &bitmap, &palette), 1);
    BitmapHandle owned(bitmap);
    const Pixels p = ReadPixels(bitmap);
    ASSERT_EQ(p.width, 32);
    for (int x = 0; x < 32; ++x)
        EXPECT_NEAR(p.At(x, 5).g, 128, 1) << x;
}

TEST(Cvimg32Scaled, RefusesUnknownFormatsEmptySizesAndMissingFiles) {
    CvImgLib& lib = Lib();
    const std::string jpeg = FixturePath("jpeg/baseline-420.jpg");
    struct Case {
        const char* name;
        int format, width, height;
        int16_t code;
    } cases[] = {
        {jpeg.c_str(), 99, 10, 10, kBadArgument},
        {jpeg.c_str(), cvimg::kOrdReadJpeg, 0, 10, kBadArgument},
        {jpeg.c_str(), cvimg::kOrdReadJpeg, 10, -1, kBadArgument},
        {jpeg.c_str(), cvimg::kOrdReadJpeg, 40000, 10, kBadArgument},
        {jpeg.c_str(), cvimg::kOrdReadGif, 10, 10, kNotThisType},
        {"Z:\\no\\such\\file.jpg", cvimg::kOrdReadJpeg, 10, 10, kMissingFile},
    };
    for (const Case& c : cases) {
        HBITMAP bitmap = reinterpret_cast<HBITMAP>(1);
        HPALETTE palette = reinterpret_cast<HPALETTE>(1);
        EXPECT_EQ(lib.LibReadScaled(c.name, c.format, 24, 0, c.width, c.height, &bitmap, &palette), c.code)
            << c.name << " " << c.format << " " << c.width << "x" << c.height;
        EXPECT_EQ(bitmap, nullptr);
        EXPECT_EQ(palette, nullptr);
    }
}

// -------------------------------------------------------------------------------------- wide names

bool SamePixels(HBITMAP a, HBITMAP b) {
    const Pixels p = ReadPixels(a), q = ReadPixels(b);
    return p.width == q.width && !p.data.empty() && p.data.size() == q.data.size() &&
           std::memcmp(p.data.data(), q.data.data(), p.data.size() * sizeof(RGBQUAD)) == 0;
}

TEST(Cvimg32WideNames, HeaderAndDecodesReadTheFileOfExactlyThatName) {
    test::AwkwardFolder folder(FixturePath);
    CvImgLib& lib = Lib();
    for (const test::AwkwardPicture& a : test::kAwkwardPictures) {
        const std::string path = folder.PathOf(a), fixture = FixturePath(a.fixture);
        SCOPED_TRACE(path);
        Info i;
        i.code = lib.LibImageInfoW(Wide(path).c_str(), i.type, &i.width, &i.height, &i.bits, &i.planes,
                                   &i.frames, i.compression, 0);
        ASSERT_EQ(i.code, 1) << lib.Message(i.code);
        EXPECT_EQ(i.width, a.width);
        EXPECT_EQ(i.bits * i.planes, a.bitsPerPixel);
        for (int depth : {24, 8}) {
            const Decoded d = Read(a.reader, path, depth, 0, true);
            ASSERT_EQ(d.code, 1) << lib.Message(d.code);
            EXPECT_TRUE(SamePixels(d.bitmap.Get(), Read(a.reader, fixture, depth, 0).bitmap.Get()));
        }
        HBITMAP small = nullptr, fromFixture = nullptr;
        HPALETTE palette = nullptr;
        EXPECT_GE(lib.LibReadScaledW(Wide(path).c_str(), OrdinalOf(a.reader), 24, 0, 9, 4, &small, &palette),
                  1);
        EXPECT_GE(
            lib.LibReadScaled(fixture.c_str(), OrdinalOf(a.reader), 24, 0, 9, 4, &fromFixture, &palette), 1);
        const BitmapHandle owned(small), ownedFixture(fromFixture);
        EXPECT_TRUE(SamePixels(small, fromFixture));
    }
}

TEST(Cvimg32WideNames, AnsiFormsTakeTheSameRoadAndBadNamesAreRefused) {
    test::AwkwardFolder folder(FixturePath);
    // An ordinary name as before; a trailing blank now reaches its own file, not its twin without it.
    EXPECT_EQ(GetInfo(folder / "Gdansk.gif").bits, 4);
    EXPECT_EQ(ReadPixels(Read("GIF", folder / "Gdansk.gif", 24, 0).bitmap.Get()).width, 45);
    EXPECT_EQ(GetInfo(folder / "pic.tif ").bits, 1);
    EXPECT_EQ(GetInfo(folder / "pic.tif").bits, 8);
    EXPECT_EQ(Read("BMP", "", 24, 0, true).code, kBadArgument);
    EXPECT_EQ(Read("BMP", std::string(cvimg::kMaxWideName + 1, 'x'), 24, 0, true).code, kBadArgument);
    EXPECT_EQ(Read("BMP", folder / "absent.bmp", 24, 0, true).code, kMissingFile);
}

} // namespace
} // namespace corv

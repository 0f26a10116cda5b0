#include "base/handles.h"
#include "image/picture.h"

#include "tests/support/pictures.h"
#include "tests/support/winsupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace corv;
using namespace corv::test;

namespace {

COLORREF Quadrants(int x, int y) {
    if (y < 5) return x < 8 ? RGB(255, 0, 0) : RGB(0, 255, 0);
    return x < 8 ? RGB(0, 0, 255) : RGB(255, 255, 0);
}

// Draws the picture into a fresh 24-bit surface and reads pixels back.
class Surface {
  public:
    Surface(int width, int height)
        : bitmap_(MakeBitmap(width, height, [](int, int) { return RGB(1, 2, 3); })),
          dc_(CreateCompatibleDC(nullptr)), select_(dc_.Get(), bitmap_.Get()) {}
    HDC Dc() const { return dc_.Get(); }
    COLORREF At(int x, int y) const { return GetPixel(dc_.Get(), x, y); }

  private:
    BitmapHandle bitmap_;
    MemoryDcHandle dc_;
    ScopedSelect select_;
};

// A small Windows metafile drawn with a red filled rectangle, written to a file.
void WriteMetafile(const std::string& name, bool placeable) {
    HDC recorder = CreateMetaFileA(nullptr);
    const BrushHandle red(CreateSolidBrush(RGB(255, 0, 0)));
    RECT box{0, 0, 200, 100};
    FillRect(recorder, &box, red.Get());
    // Closing the recorder turns it into the metafile.
    const MetafileHandle metafile(CloseMetaFile(recorder));
    const UINT size = GetMetaFileBitsEx(metafile.Get(), 0, nullptr);
    std::string bytes(size, '\0');
    GetMetaFileBitsEx(metafile.Get(), size, bytes.data());
    if (placeable) {
        // Key, handle, bounding box 0,0-200,100, 96 units an inch, reserved, checksum.
        std::int16_t header[11] = {};
        const std::uint32_t key = 0x9AC6CDD7;
        std::memcpy(header, &key, 4);
        header[5] = 200, header[6] = 100, header[7] = 96;
        for (int i = 0; i < 10; ++i)
            header[10] ^= header[i];
        bytes.insert(0, reinterpret_cast<const char*>(header), 22);
    }
    WriteFileBytes(name, bytes);
}

} // namespace

TEST(Picture, CopiesShareTheBitmapAndFreeItOnce) {
    const long before = LiveHandles(HandleKind::Bitmap);
    {
        TPicture first;
        first.SetBitmap(MakeBitmap(16, 10, Quadrants), {});
        EXPECT_EQ(first.Kind(), GraphicKind::Bitmap);
        EXPECT_EQ(first.Width(), 16);
        EXPECT_EQ(first.Height(), 10);
        TPicture second;
        int changes = 0;
        second.OnChange = [&changes] { ++changes; };
        second = first;
        EXPECT_EQ(changes, 1);
        EXPECT_TRUE(second.SharesGraphicWith(first));
        EXPECT_EQ(second.Bitmap(), first.Bitmap());
        EXPECT_EQ(LiveHandles(HandleKind::Bitmap), before + 1) << "no second copy of the pixels";
        first.Clear();
        EXPECT_TRUE(first.Empty());
        EXPECT_NE(second.Bitmap(), nullptr) << "the copy keeps the graphic";
        EXPECT_EQ(LiveHandles(HandleKind::Bitmap), before + 1);
    }
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), before);
}

TEST(Picture, EveryChangeIsAnnounced) {
    TPicture picture;
    int changes = 0;
    picture.OnChange = [&changes] { ++changes; };
    picture.SetBitmap(MakeBitmap(4, 4, Quadrants), {});
    picture.SetBitmap({}, {}); // an empty bitmap is still a bitmap
    EXPECT_EQ(picture.Kind(), GraphicKind::Bitmap);
    EXPECT_EQ(picture.Width(), 0);
    picture.Clear();
    EXPECT_EQ(changes, 3);
}

TEST(Picture, DrawsBitmapsUnscaledAndStretched) {
    TPicture picture;
    picture.SetBitmap(MakeBitmap(16, 10, Quadrants), {});
    Surface surface(40, 30);
    picture.Draw(surface.Dc(), RECT{2, 3, 18, 13});
    EXPECT_EQ(surface.At(2, 3), RGB(255, 0, 0));
    EXPECT_EQ(surface.At(17, 3), RGB(0, 255, 0));
    EXPECT_EQ(surface.At(2, 12), RGB(0, 0, 255));
    EXPECT_EQ(surface.At(17, 12), RGB(255, 255, 0));
    EXPECT_EQ(surface.At(18, 13), RGB(1, 2, 3)) << "nothing outside the rectangle";

    Surface big(64, 40);
    picture.Draw(big.Dc(), RECT{0, 0, 64, 40});
    EXPECT_EQ(big.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(big.At(63, 0), RGB(0, 255, 0));
    EXPECT_EQ(big.At(0, 39), RGB(0, 0, 255));
    EXPECT_EQ(big.At(63, 39), RGB(255, 255, 0));
}

TEST(Picture, LoadsIconsAndMetafilesByExtension) {
    TempFolder folder;
    TPicture picture;
    // The program's own icon file sits in the source tree; make a copy with a known extension.
    CopyFileA(CORV_SOURCE_DIR "/resources/corv32.ico", (folder / "app.ico").c_str(), FALSE);
    picture.LoadFromFile(folder / "app.ico");
    EXPECT_EQ(picture.Kind(), GraphicKind::Icon);
    EXPECT_EQ(picture.Width(), 32);
    EXPECT_EQ(picture.Height(), 32);

    WriteMetafile(folder / "plain.wmf", false);
    picture.LoadFromFile(folder / "plain.wmf");
    EXPECT_EQ(picture.Kind(), GraphicKind::Metafile);
    EXPECT_GT(picture.Width(), 0);

    WriteMetafile(folder / "placed.WMF", true);
    picture.LoadFromFile(folder / "placed.WMF");
    EXPECT_EQ(picture.Kind(), GraphicKind::Metafile);
    WindowDc screen(nullptr);
    const int ppi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    EXPECT_EQ(picture.Width(), MulDiv(200, ppi, 96));
    EXPECT_EQ(picture.Height(), MulDiv(100, ppi, 96));
    Surface surface(50, 40);
    picture.Draw(surface.Dc(), RECT{0, 0, 50, 40});
    EXPECT_EQ(surface.At(25, 20), RGB(255, 0, 0)) << "the metafile plays scaled into the rectangle";
}

TEST(Picture, LoadsIconsAndMetafilesByTheirExactNames) {
    // Each beside a broken twin that the ordinary path rules would reach instead.
    TempFolder folder;
    WriteFileBytes(folder / "Łódź.ico ", ReadFileBytes(CORV_SOURCE_DIR "/resources/corv32.ico"));
    WriteFileBytes(folder / "Łódź.ico", "not an icon");
    WriteMetafile(folder / "😀.wmf ", true);
    WriteFileBytes(folder / "😀.wmf", "\x01\x02");
    TPicture picture;
    picture.LoadFromFile(folder / "Łódź.ico ");
    EXPECT_EQ(picture.Kind(), GraphicKind::Icon);
    picture.LoadFromFile(folder / "😀.wmf ");
    EXPECT_EQ(picture.Kind(), GraphicKind::Metafile);
    EXPECT_THROW(picture.LoadFromFile(folder / "Łódź.ico"), PictureLoadError);
}

TEST(Picture, UnreadableFilesRaiseAndKeepThePicture) {
    TempFolder folder;
    TPicture picture;
    picture.SetBitmap(MakeBitmap(4, 4, Quadrants), {});
    WriteFileBytes(folder / "broken.ico", "not an icon at all");
    WriteFileBytes(folder / "broken.wmf", "\x01\x02");
    EXPECT_THROW(picture.LoadFromFile(folder / "broken.ico"), PictureLoadError);
    EXPECT_THROW(picture.LoadFromFile(folder / "broken.wmf"), PictureLoadError);
    EXPECT_THROW(picture.LoadFromFile(folder / "missing.ico"), PictureLoadError);
    EXPECT_THROW(picture.LoadFromFile(folder / "missing.wmf"), PictureLoadError);
    EXPECT_EQ(picture.Kind(), GraphicKind::Bitmap);
}

TEST(PictureClipboard, BitmapRoundTripThroughTheClipboardAsDib) {
    TPicture picture;
    picture.SetBitmap(MakeBitmap(16, 10, Quadrants), {});
    ASSERT_TRUE(picture.CopyToClipboard(nullptr));
    ASSERT_TRUE(IsClipboardFormatAvailable(CF_DIB));

    // Another program would read the packed bitmap directly.
    ASSERT_TRUE(OpenClipboard(nullptr));
    HGLOBAL block = GetClipboardData(CF_DIB);
    ASSERT_NE(block, nullptr);
    const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(block));
    EXPECT_EQ(header->biWidth, 16);
    EXPECT_EQ(header->biHeight, 10);
    EXPECT_EQ(header->biBitCount, 24);
    // Bottom-up rows: the first stored row is the picture's last, blue then yellow.
    const BYTE* pixels = reinterpret_cast<const BYTE*>(header + 1);
    EXPECT_EQ(RGB(pixels[2], pixels[1], pixels[0]), RGB(0, 0, 255));
    GlobalUnlock(block);
    CloseClipboard();

    TPicture pasted;
    int changes = 0;
    pasted.OnChange = [&changes] { ++changes; };
    ASSERT_TRUE(pasted.PasteFromClipboard(nullptr));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(pasted.Width(), 16);
    EXPECT_EQ(pasted.Height(), 10);
    Surface surface(16, 10);
    pasted.Draw(surface.Dc(), RECT{0, 0, 16, 10});
    for (int y : {0, 9})
        for (int x : {0, 15})
            EXPECT_EQ(surface.At(x, y), Quadrants(x, y)) << x << "," << y;
}

TEST(PictureClipboard, PaletteTravelsWithAPaletteBitmap) {
    // An 8-bit picture with a palette of its own.
    std::vector<BYTE> storage(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* info = reinterpret_cast<BITMAPINFO*>(storage.data());
    info->bmiHeader = {sizeof(BITMAPINFOHEADER), 8, 8, 1, 8, BI_RGB, 0, 0, 0, 4, 0};
    const RGBQUAD colors[4] = {{10, 20, 30, 0}, {200, 100, 50, 0}, {0, 0, 255, 0}, {255, 255, 255, 0}};
    std::memcpy(info->bmiColors, colors, sizeof colors);
    void* bits = nullptr;
    BitmapHandle bitmap(CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0));
    std::memset(bits, 1, 64);
    LOGPALETTE* logical =
        reinterpret_cast<LOGPALETTE*>(new BYTE[sizeof(LOGPALETTE) + 4 * sizeof(PALETTEENTRY)]);
    logical->palVersion = 0x300;
    logical->palNumEntries = 4;
    for (int i = 0; i < 4; ++i)
        logical->palPalEntry[i] = {colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
    PaletteHandle palette(CreatePalette(logical));
    delete[] reinterpret_cast<BYTE*>(logical);

    TPicture picture;
    picture.SetBitmap(std::move(bitmap), std::move(palette));
    ASSERT_TRUE(picture.CopyToClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_PALETTE));
    TPicture pasted;
    ASSERT_TRUE(pasted.PasteFromClipboard(nullptr));
    ASSERT_NE(pasted.Palette(), nullptr);
    PALETTEENTRY entry{};
    GetPaletteEntries(pasted.Palette(), 1, 1, &entry);
    EXPECT_EQ(RGB(entry.peRed, entry.peGreen, entry.peBlue), RGB(50, 100, 200));
    Surface surface(8, 8);
    pasted.Draw(surface.Dc(), RECT{0, 0, 8, 8});
    EXPECT_EQ(surface.At(3, 3), RGB(50, 100, 200));
}

TEST(PictureClipboard, EmptyPictureOrEmptyClipboardDoNothing) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    TPicture picture;
    EXPECT_FALSE(picture.CopyToClipboard(nullptr));
    EXPECT_FALSE(TPicture::ClipboardHasPicture());
    int changes = 0;
    picture.OnChange = [&changes] { ++changes; };
    EXPECT_FALSE(picture.PasteFromClipboard(nullptr));
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(picture.Empty());
}

TEST(PictureClipboard, MetafileGoesAsEnhancedMetafile) {
    TempFolder folder;
    WriteMetafile(folder / "m.wmf", true);
    TPicture picture;
    picture.LoadFromFile(folder / "m.wmf");
    ASSERT_TRUE(picture.CopyToClipboard(nullptr));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    TPicture pasted;
    ASSERT_TRUE(pasted.PasteFromClipboard(nullptr));
    EXPECT_EQ(pasted.Kind(), GraphicKind::Metafile);
}

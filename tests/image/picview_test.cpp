#include "image/picview.h"

#include "image/cvimglib.h"
#include "image/extkey.h"
#include "base/files.h"
#include "settings/store.h"
#include "tests/cvimg/awkward.h"
#include "tests/support/pictures.h"
#include "tests/support/winsupport.h"
#include "tests/ui/uitest.h"
#include "ui/form.h"

#include <gtest/gtest.h>

#include <psapi.h>

using namespace corv;
using namespace corv::test;

namespace {

constexpr COLORREF kBackground = RGB(0, 0, 0);

const auto Fixture = FixturePath;

// A 24-bit picture of one colour with a 1-pixel frame of another, for placement tests.
BitmapHandle FramedBitmap(int width, int height, COLORREF inside, COLORREF frame) {
    return MakeBitmap(width, height, [=](int x, int y) {
        return x == 0 || y == 0 || x == width - 1 || y == height - 1 ? frame : inside;
    });
}

bool Near(COLORREF a, COLORREF b, int tolerance = 40) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

class PictureViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        form_ = new ui::Form(nullptr, ui::FormStyle{});
        form_->SetBounds(0, 0, 420, 340);
        view_ = new TPictureView(form_);
        view_->SetParent(form_);
        view_->SetBounds(4, 4, 352, 264);
        view_->SetColor(kBackground);
        form_->Show();
        Pump();
    }
    void TearDown() override {
        delete form_;
        Pump(10);
    }
    // Paints now and reads a pixel of the control's client area back from the screen.
    COLORREF At(int x, int y) {
        RedrawWindow(view_->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
        WindowDc dc(view_->Handle());
        return GetPixel(dc.Get(), x, y);
    }
    void Show(int width, int height, COLORREF inside, COLORREF frame) {
        view_->Picture().SetBitmap(FramedBitmap(width, height, inside, frame), {});
    }

    ui::Form* form_ = nullptr;
    TPictureView* view_ = nullptr;
};

} // namespace

TEST_F(PictureViewTest, DefaultsOfANewView) {
    TPictureView fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 105);
    EXPECT_EQ(fresh.Height(), 105);
    EXPECT_TRUE(fresh.ImageDither());
    EXPECT_TRUE(fresh.OwnPalette());
    EXPECT_TRUE(fresh.TextTransParent());
    EXPECT_TRUE(fresh.UseTwainWindow());
    EXPECT_EQ(fresh.ImageReadRes(), lAutoMatic);
    EXPECT_EQ(fresh.JPegSaveQuality(), 25);
    EXPECT_EQ(fresh.LoadStatus(), "");
    EXPECT_TRUE(fresh.Picture().Empty());
}

TEST_F(PictureViewTest, KeptOnlyPropertiesAreClamped) {
    view_->SetJPegSaveQuality(0);
    EXPECT_EQ(view_->JPegSaveQuality(), 25);
    view_->SetJPegSaveQuality(101);
    EXPECT_EQ(view_->JPegSaveQuality(), 25);
    view_->SetJPegSaveQuality(100);
    EXPECT_EQ(view_->JPegSaveQuality(), 100);
    view_->SetJPegSaveSmooth(101);
    EXPECT_EQ(view_->JPegSaveSmooth(), 5);
    view_->SetJPegSaveSmooth(100);
    EXPECT_EQ(view_->JPegSaveSmooth(), 100);
}

TEST(DisplayDepthCode, ByDisplayBitsPerPixel) {
    EXPECT_EQ(DisplayDepthCode(1), 4);
    EXPECT_EQ(DisplayDepthCode(4), 4);
    EXPECT_EQ(DisplayDepthCode(8), 8);
    EXPECT_EQ(DisplayDepthCode(15), 8);
    EXPECT_EQ(DisplayDepthCode(5), 8);
    EXPECT_EQ(DisplayDepthCode(16), 24);
    EXPECT_EQ(DisplayDepthCode(32), 24);
}

TEST_F(PictureViewTest, LoadsEveryFormatAndReportsItsHeader) {
    struct Case {
        const char* file;
        const char* type;
        const char* compression;
        int bitsPerPixel;
    } cases[] = {
        {"jpeg/baseline-420.jpg", "JPEG", "JPEG Baseline", 24},
        {"png/rgb8.png", "PNG", "Deflate", 24},
        {"gif/87a-global.gif", "GIF", "LZW", 4},
        {"tiff/lzw.tif", "TIFF", "LZW", 24},
        {"bmp/v3-8.bmp", nullptr, nullptr, 8},
        {"pcx/v5-8bit.pcx", nullptr, nullptr, 8},
    };
    view_->SetImageReadRes(lColorTrue);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string name = Fixture(c.file);
        if (!PathExists(name)) {
            ADD_FAILURE() << "missing fixture";
            continue;
        }
        view_->SetImageName(name);
        EXPECT_EQ(view_->Picture().Kind(), GraphicKind::Bitmap);
        EXPECT_EQ(view_->Picture().Width(), 45);
        EXPECT_EQ(view_->Picture().Height(), 30);
        EXPECT_EQ(view_->ImageWidth(), 45);
        EXPECT_EQ(view_->ImageHeight(), 30);
        if (c.type) {
            EXPECT_EQ(view_->ImageType(), c.type);
        }
        if (c.compression) {
            EXPECT_EQ(view_->ImageCompression(), c.compression);
        }
        EXPECT_EQ(view_->ImageBits() * view_->ImagePlanes(), c.bitsPerPixel);
        EXPECT_GT(view_->ImageFileSize(), 0);
        std::string upper = name;
        CharUpperA(upper.data());
        EXPECT_EQ(view_->LoadStatus(), upper);
        // Unscaled at (0, 0): the top-left block is red in every fixture with colours.
        if (c.bitsPerPixel >= 8) {
            EXPECT_TRUE(Near(At(7, 7), RGB(255, 0, 0))) << std::hex << At(7, 7);
        }
        EXPECT_EQ(At(50, 40), kBackground) << "nothing beyond the picture";
    }
}

TEST_F(PictureViewTest, ExtensionKeysDecideTheDecoder) {
    TempFolder folder;
    CopyFileA(Fixture("tiff/lzw.tif").c_str(), (folder / "PIC.TIFF").c_str(), FALSE);
    CopyFileA(Fixture("jpeg/baseline-444.jpg").c_str(), (folder / "PIC.JPEG").c_str(), FALSE);
    CopyFileA(Fixture("gif/87a-global.gif").c_str(), (folder / "lower.gif").c_str(), FALSE);
    CreateDirectoryA((folder / "MY.DIR").c_str(), nullptr);
    CopyFileA(Fixture("png/rgb8.png").c_str(), (folder / "MY.DIR\\FILE").c_str(), FALSE);

    view_->SetImageName(folder / "PIC.TIFF");
    EXPECT_EQ(view_->ImageType(), "TIFF");
    EXPECT_EQ(view_->Picture().Width(), 45);
    const HBITMAP tiff = view_->Picture().Bitmap();

    view_->SetImageName(folder / "PIC.JPEG");
    EXPECT_EQ(view_->Picture().Bitmap(), tiff) << ".JPE matches nothing: the previous picture stays";
    std::string upper = folder / "PIC.JPEG";
    CharUpperA(upper.data());
    EXPECT_EQ(view_->LoadStatus(), upper);

    view_->SetImageName(folder / "MY.DIR\\FILE");
    EXPECT_EQ(view_->Picture().Bitmap(), tiff) << "the dot in the directory name is no extension";

    view_->SetImageName(folder / "lower.gif");
    EXPECT_EQ(view_->ImageType(), "GIF");
    EXPECT_NE(view_->Picture().Bitmap(), tiff);

    view_->SetImageName("");
    EXPECT_TRUE(view_->Picture().Empty());
    EXPECT_EQ(view_->LoadStatus(), "file not found");
    view_->SetImageName(folder / "missing.jpg");
    EXPECT_EQ(view_->LoadStatus(), "file not found");
}

// The newer types and the long names decode, and give their header, only with the option on; off, the
// view keeps its picture as for any name without a decoder.
TEST_F(PictureViewTest, AllPictureTypesDecideTheNewerDecoders) {
    struct Row {
        const char *fixture, *name, *type;
    } rows[] = {
        {"webp/alpha-lossy.webp", "PIC.WEBP", "WEBP"}, {"heif/heic-444-12.heic", "pic.heic", "HEIC"},
        {"heif/heic-422-10.heic", "PIC.HEIF", "HEIC"}, {"heif/avif-420-8.avif", "pic.AVIF", "AVIF"},
        {"jpeg/baseline-444.jpg", "PIC.JPEG", "JPEG"}, {"jpeg/baseline-420.jpg", "PIC.JPE", "JPEG"},
        {"tiff/lzw.tif", "PIC.TIFF", "TIFF"},
    };
    TempFolder folder;
    view_->SetImageReadRes(lColorTrue);
    for (bool all : {false, true}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.name) + (all ? " on" : " off"));
            const std::string name = folder / row.name;
            ASSERT_TRUE(CopyFileA(Fixture(row.fixture).c_str(), name.c_str(), FALSE));
            AllPictureTypes = all;
            Show(45, 30, RGB(0, 0, 200), RGB(0, 0, 200));
            const HBITMAP before = view_->Picture().Bitmap();
            view_->SetImageName(name);
            AllPictureTypes = false;
            // ".TIFF" has the key of ".TIF": a picture either way.
            const bool decoded = all || std::string(row.name) == "PIC.TIFF";
            EXPECT_EQ(view_->Picture().Bitmap() != before, decoded);
            if (!decoded) continue;
            EXPECT_EQ(view_->ImageType(), row.type);
            EXPECT_EQ(view_->ImageWidth(), 45);
            EXPECT_EQ(view_->Picture().Width(), 45);
            EXPECT_EQ(view_->Picture().Height(), 30);
            EXPECT_TRUE(Near(At(7, 7), RGB(255, 0, 0))) << std::hex << At(7, 7);
            EXPECT_TRUE(Near(At(7, 22), RGB(255, 255, 255))) << std::hex << At(7, 22);
        }
    }
}

TEST_F(PictureViewTest, WritingTheSameNameLoadsAgainAndReadingReloads) {
    const std::string name = Fixture("bmp/v3-24.bmp");
    view_->SetImageName(name);
    const TPicture first = view_->Picture();
    ASSERT_TRUE(first.SharesGraphicWith(view_->Picture()));
    view_->SetImageName(name);
    EXPECT_FALSE(view_->Picture().SharesGraphicWith(first)) << "loaded again";
    const TPicture second = view_->Picture();
    std::string upper = name;
    CharUpperA(upper.data());
    EXPECT_EQ(view_->ImageName(), upper);
    EXPECT_FALSE(view_->Picture().SharesGraphicWith(second)) << "reading the name reloads the file";
}

TEST_F(PictureViewTest, ResourcesByNumberAndByName) {
    view_->SetImageName("120.RES");
    EXPECT_EQ(view_->Picture().Width(), 32);
    EXPECT_EQ(view_->ImageType(), "RES");
    EXPECT_EQ(view_->ImageCompression(), "BMP");
    EXPECT_EQ(view_->ImageBits(), 0);
    EXPECT_GT(view_->ImageFileSize(), 40);
    EXPECT_EQ(view_->LoadStatus(), "120.RES");
    view_->SetImageName("C:\\NOWHERE\\LOGO.RES");
    EXPECT_EQ(view_->Picture().Width(), 40);
    EXPECT_TRUE(Near(At(2, 2), RGB(0, 255, 0), 0));

    ScriptedMessageBoxes boxes({IDOK});
    view_->SetImageName("121.RES");
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, "Reading resource file failed");
    EXPECT_EQ(view_->Picture().Kind(), GraphicKind::Bitmap);
    EXPECT_EQ(view_->Picture().Bitmap(), nullptr) << "an empty bitmap";
}

TEST_F(PictureViewTest, FailedDecodeShowsTheLibraryMessageThenTheFormatsAndLeaksNothing) {
    TempFolder folder;
    const std::string good = ReadFileBytes(Fixture("jpeg/baseline-420.jpg"));
    WriteFileBytes(folder / "cut.jpg", good.substr(0, 20));
    const long bitmaps = LiveHandles(HandleKind::Bitmap);
    {
        // The library's box, the format's box, then the library's box again from the header read.
        ScriptedMessageBoxes boxes({IDOK, IDOK, IDOK});
        view_->SetImageName(folder / "cut.jpg");
        ASSERT_EQ(boxes.Asked().size(), 3u);
        EXPECT_EQ(boxes.Asked()[0].caption, "Error");
        EXPECT_FALSE(boxes.Asked()[0].text.empty()) << "the library's own message";
        EXPECT_EQ(boxes.Asked()[1].text, "Reading jpg file failed");
        EXPECT_EQ(boxes.Asked()[1].caption, "Information");
        EXPECT_EQ(boxes.Asked()[1].beepType, static_cast<UINT>(MB_ICONASTERISK));
        EXPECT_EQ(boxes.Asked()[2].caption, "Error");
    }
    EXPECT_EQ(view_->Picture().Bitmap(), nullptr);
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), bitmaps);
}

TEST_F(PictureViewTest, HeaderInformationOfMissingFiles) {
    TempFolder folder;
    EXPECT_FALSE(view_->ReadImageInfo(folder / "missing.ico"));
    EXPECT_EQ(view_->ImageType(), "ERR");
    EXPECT_EQ(view_->ImageCompression(), "ERR");
    EXPECT_EQ(view_->ImageWidth(), -1);
    EXPECT_EQ(view_->ImageFileSize(), -1);

    ScriptedMessageBoxes boxes({IDOK});
    EXPECT_FALSE(view_->ReadImageInfo(folder / "missing.gif"));
    EXPECT_EQ(view_->ImageFileSize(), -1);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].caption, "Error");
}

TEST_F(PictureViewTest, UnscaledCentredStretchedAndAspectFitted) {
    Show(300, 100, RGB(0, 0, 255), RGB(255, 0, 0));
    EXPECT_EQ(At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(At(299, 99), RGB(255, 0, 0));
    EXPECT_EQ(At(300, 100), kBackground);

    view_->SetCenter(true);
    EXPECT_EQ(At(26, 82), RGB(255, 0, 0));
    EXPECT_EQ(At(25, 81), kBackground);
    EXPECT_EQ(At(325, 181), RGB(255, 0, 0));
    EXPECT_EQ(At(326, 182), kBackground);

    view_->SetStretch(true);
    EXPECT_EQ(At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(At(351, 263), RGB(255, 0, 0));
    EXPECT_EQ(At(176, 132), RGB(0, 0, 255));

    Show(100, 200, RGB(0, 255, 0), RGB(255, 0, 0));
    view_->SetStretchRatio(true);
    EXPECT_FALSE(view_->Stretch()) << "the two exclude each other";
    EXPECT_EQ(At(109, 100), kBackground);
    EXPECT_EQ(At(110, 100), RGB(255, 0, 0));
    EXPECT_EQ(At(241, 263), RGB(255, 0, 0));
    EXPECT_EQ(At(242, 100), kBackground);
    EXPECT_EQ(At(176, 132), RGB(0, 255, 0));

    view_->SetStretch(true);
    EXPECT_FALSE(view_->StretchRatio());
}

TEST_F(PictureViewTest, LargerPictureIsCentredAndCut) {
    Show(400, 300, RGB(0, 255, 0), RGB(255, 0, 0));
    view_->SetCenter(true);
    // Moved by (-24, -18): the frame is outside the client on every side.
    EXPECT_EQ(At(0, 0), RGB(0, 255, 0));
    EXPECT_EQ(At(351, 263), RGB(0, 255, 0));
}

TEST_F(PictureViewTest, PictureOfTheControlsSizeIsOpaque) {
    Show(352, 264, RGB(0, 255, 0), RGB(255, 0, 0));
    EXPECT_TRUE(view_->Opaque());
    Show(300, 100, RGB(0, 255, 0), RGB(255, 0, 0));
    EXPECT_FALSE(view_->Opaque());
    view_->SetAutoSize(true);
    EXPECT_EQ(view_->Width(), 300);
    EXPECT_EQ(view_->Height(), 100);
    EXPECT_TRUE(view_->Opaque());
}

TEST_F(PictureViewTest, OverlayTextWithAndWithoutShadow) {
    ui::FontSpec font;
    font.name = "Arial";
    font.height = -40;
    font.bold = true;
    font.color = RGB(255, 255, 0);
    view_->SetFont(font);
    view_->SetText("MMMM");
    view_->SetTextLeft(10);
    view_->SetTextTop(10);
    view_->SetTextShadowColor(RGB(255, 0, 255));
    auto count = [this](COLORREF color) {
        At(0, 0);
        WindowDc dc(view_->Handle());
        int n = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 200; ++x)
                n += GetPixel(dc.Get(), x, y) == color;
        return n;
    };
    EXPECT_GT(count(RGB(255, 255, 0)), 50) << "drawn without a picture too";
    EXPECT_EQ(count(RGB(255, 0, 255)), 0);
    view_->SetTextShadow(true);
    EXPECT_GT(count(RGB(255, 0, 255)), 20) << "the shadow shows 2 pixels right and down";
    EXPECT_GT(count(RGB(255, 255, 0)), 50);
    view_->SetText("");
    EXPECT_EQ(count(RGB(255, 255, 0)), 0);
}

TEST_F(PictureViewTest, IconsAndMetafilesPaintThroughTheHolder) {
    TempFolder folder;
    CopyFileA(CORV_SOURCE_DIR "/resources/corv32.ico", (folder / "app.ico").c_str(), FALSE);
    view_->SetImageName(folder / "app.ico");
    EXPECT_EQ(view_->LoadStatus(), "Non TIF, JPeg, BMP, GIF, PNG or PCX Image");
    EXPECT_EQ(view_->ImageType(), "ICO");
    EXPECT_EQ(view_->ImageWidth(), 32);
    EXPECT_NE(At(16, 4), kBackground) << "the icon is drawn";
    view_->SetStretch(true);
    EXPECT_NE(At(300, 200), kBackground) << "an icon scales with Stretch";

    WriteFileBytes(folder / "broken.wmf", "nothing");
    EXPECT_THROW(view_->SetImageName(folder / "broken.wmf"), PictureLoadError);
    EXPECT_TRUE(view_->Picture().Empty()) << "cleared before the holder tried";
}

TEST_F(PictureViewTest, ClipboardKeysAndMessages) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    view_->SetFocus();
    SendMessageA(view_->Handle(), WM_PASTE, 0, 0);
    EXPECT_TRUE(view_->Picture().Empty()) << "nothing to paste";
    SendMessageA(view_->Handle(), WM_COPY, 0, 0);
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_DIB)) << "nothing to copy";

    Show(20, 10, RGB(0, 0, 255), RGB(255, 0, 0));
    SendMessageA(view_->Handle(), WM_CHAR, 3, 0); // Ctrl+C
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    SendMessageA(view_->Handle(), WM_CUT, 0, 0);
    EXPECT_TRUE(view_->Picture().Empty());
    SendMessageA(view_->Handle(), WM_CHAR, 22, 0); // Ctrl+V
    EXPECT_EQ(view_->Picture().Width(), 20);
    SendMessageA(view_->Handle(), WM_CHAR, 24, 0); // Ctrl+X
    EXPECT_TRUE(view_->Picture().Empty());
    SendMessageA(view_->Handle(), WM_PASTE, 0, 0);
    EXPECT_EQ(view_->Picture().Height(), 10);
    EXPECT_EQ(At(0, 0), RGB(255, 0, 0));
}

TEST_F(PictureViewTest, PaletteQueryAnswersOnlyWhenTheViewLeavesItToTheWindow) {
    LOGPALETTE single{0x300, 1, {{1, 2, 3, 0}}};
    PaletteHandle palette(CreatePalette(&single));
    const HPALETTE handle = palette.Get();
    view_->Picture().SetBitmap(FramedBitmap(8, 8, RGB(1, 2, 3), RGB(1, 2, 3)), std::move(palette));
    EXPECT_EQ(view_->GetPalette(), nullptr) << "it realises its own palette while painting";
    view_->SetOwnPalette(false);
    EXPECT_EQ(view_->GetPalette(), handle);
    view_->Picture().Clear();
    EXPECT_EQ(view_->GetPalette(), nullptr);
    EXPECT_EQ(SendMessageA(form_->Handle(), WM_QUERYNEWPALETTE, 0, 0), FALSE) << "nothing to realise";
}

// Runs on a 256-colour display only (tools/test runs it once on one); elsewhere it is skipped.
TEST_F(PictureViewTest, EightBitDisplayShowsAPalettePicturesOwnColours) {
    WindowDc screen(nullptr);
    if (GetDeviceCaps(screen.Get(), BITSPIXEL) != 8) GTEST_SKIP() << "not a 256-colour display";
    EXPECT_EQ(view_->DepthFromDisplay(), 8);
    // Colours far from the system's twenty: without the picture's palette they would be mapped away.
    const RGBQUAD colors[4] = {{30, 200, 10, 0}, {5, 120, 250, 0}, {180, 40, 140, 0}, {90, 90, 60, 0}};
    const int width = 40, height = 10;
    BITMAPFILEHEADER file{0x4D42, 0, 0, 0, 14 + 40 + sizeof colors};
    BITMAPINFOHEADER info{40, width, height, 1, 8, BI_RGB, width * height, 0, 0, 4, 0};
    std::string bytes(reinterpret_cast<const char*>(&file), 14);
    bytes.append(reinterpret_cast<const char*>(&info), 40);
    bytes.append(reinterpret_cast<const char*>(colors), sizeof colors);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            bytes.push_back(static_cast<char>(x / 10));
    TempFolder folder;
    WriteFileBytes(folder / "palette.bmp", bytes);
    view_->SetImageName(folder / "palette.bmp");
    ASSERT_NE(view_->Picture().Palette(), nullptr) << "a palette comes with an 8-bit decode";
    // Painting realises the picture's palette: its colours enter the system palette. (Wine's window
    // surfaces then still draw through their default palette, so the pixels themselves cannot be
    // compared there.)
    SetForegroundWindow(form_->Handle());
    At(0, 0);
    PALETTEENTRY system[256];
    const UINT count = GetSystemPaletteEntries(screen.Get(), 0, 256, system);
    ASSERT_EQ(count, 256u);
    for (const RGBQUAD& c : colors) {
        bool found = false;
        for (const PALETTEENTRY& e : system)
            found = found || (e.peRed == c.rgbRed && e.peGreen == c.rgbGreen && e.peBlue == c.rgbBlue);
        EXPECT_TRUE(found) << "colour " << int(c.rgbRed) << "," << int(c.rgbGreen) << "," << int(c.rgbBlue);
    }
}

TEST_F(PictureViewTest, HundredLoadsLeaveHandlesAndMemoryFlat) {
    const char* files[] = {"jpeg/progressive.jpg", "png/palette8.png", "gif/87a-local.gif",
                           "tiff/deflate.tif",     "bmp/rle8.bmp",     "pcx/im-24.pcx"};
    view_->SetImageName(Fixture(files[0]));
    PROCESS_MEMORY_COUNTERS before{};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    const long bitmaps = LiveHandles(HandleKind::Bitmap), palettes = LiveHandles(HandleKind::Palette);
    for (int i = 0; i < 100; ++i) {
        view_->SetImageName(Fixture(files[i % 6]));
        At(1, 1);
    }
    view_->SetImageName(Fixture(files[0]));
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), bitmaps);
    EXPECT_EQ(LiveHandles(HandleKind::Palette), palettes);
    EXPECT_EQ(LiveHandles(HandleKind::Dc), 0);
    PROCESS_MEMORY_COUNTERS after{};
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    EXPECT_LT(after.PagefileUsage, before.PagefileUsage + 2 * 1024 * 1024);
}

TEST_F(PictureViewTest, ShowsThePictureOfExactlyTheNameGiven) {
    AwkwardFolder folder(Fixture);
    view_->SetImageReadRes(lColorTrue);
    for (const AwkwardPicture& a : kAwkwardPictures) {
        const std::string path = folder.PathOf(a);
        SCOPED_TRACE(path);
        ASSERT_TRUE(view_->ReadImageInfo(path));
        EXPECT_EQ(view_->ImageBits() * view_->ImagePlanes(), a.bitsPerPixel);
        EXPECT_EQ(view_->ImageFileSize(), static_cast<int>(ReadFileBytes(path).size()));
        view_->SetImageName(path);
        EXPECT_EQ(view_->Picture().Width(), a.width);
        EXPECT_EQ(view_->ImageBits() * view_->ImagePlanes(), a.bitsPerPixel);
        EXPECT_EQ(view_->LoadStatus(), UpperCase(path));
    }
}

TEST(ExtensionKey, UpperCasesAndCutsByCharacters) {
    EXPECT_EQ(ExtensionKey("a.ñjpg"), ".ÑJP");
    EXPECT_EQ(ExtensionKey("x.日本語です"), ".日本語");
    EXPECT_EQ(ExtensionKey("y.😀😀😀😀"), ".😀😀😀");
}

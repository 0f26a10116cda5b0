// Picture viewing in the main window: LoadPicture, the panel layout, the buttons, the shell.
#include "tests/app/mainwindowtest.h"
#include "resources/mainform_layout.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <psapi.h>

#include <memory>

namespace corv {
namespace {

using test::Pump;
using test::ScriptedMessageBoxes;

const auto Fixture = test::FixturePath;

class MainViewTest : public test::MainWindowTest {
  protected:
    bool ButtonsEnabled() const {
        return form->BtnStretch->Enabled() && form->ButtonVollbild->Enabled() && form->BtnCpyClp->Enabled() &&
               form->BtnThumb->Enabled() && form->BtnExit->Enabled() && IsWindowEnabled(form->Handle());
    }
};

} // namespace

TEST_F(MainViewTest, GoodFilesOfEveryFormatGetCaptionAndInformationLine) {
    struct Case {
        const char* file;
        const char* info;
    } cases[] = {
        {"jpeg/baseline-420.jpg", "Imageinfo:  45x30x16M - JPEG Baseline"},
        {"gif/87a-global.gif", "Imageinfo:  45x30x16 - LZW"},
        {"tiff/packbits.tif", "Imageinfo:  45x30x16M - PackBits"},
        {"bmp/v3-8.bmp", nullptr},
        {"pcx/v5-8bit.pcx", "Imageinfo:  45x30x256 - RLE"},
        {"png/palette4.png", "Imageinfo:  45x30x16 - Deflate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string name = Fixture(c.file);
        Load(name);
        std::string upperName = name.substr(name.find_last_of('\\') + 1);
        CharUpperA(upperName.data());
        EXPECT_EQ(test::WindowText(form->Handle()), "Corvane - [" + upperName + "]");
        if (c.info) {
            EXPECT_EQ(form->LabelImageinfo->Caption(), c.info);
        }
        EXPECT_EQ(form->CurrentFile, name);
        EXPECT_TRUE(form->PMI->Visible());
        EXPECT_EQ(form->PMI->Width(), 45);
        EXPECT_EQ(form->PanelImage->Width(), 53);
        EXPECT_TRUE(ButtonsEnabled());
        EXPECT_FALSE(form->Loading);
        EXPECT_EQ(form->PanelImage->Caption(), "Corvane");
        EXPECT_TRUE(fullView->PMI->Picture().SharesGraphicWith(form->PMI->Picture()))
            << "the full-screen view holds the same picture, not a copy of its pixels";
    }
}

TEST_F(MainViewTest, BrokenFileGivesTheFailedStateAndTheLibrarysBox) {
    Load(Fixture("jpeg/baseline-420.jpg"));
    test::WriteFileBytes(folder / "broken.jpg", "this is not a picture");
    {
        ScriptedMessageBoxes boxes({IDOK});
        Load(folder / "broken.jpg");
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].caption, "Error");
    }
    EXPECT_EQ(test::WindowText(form->Handle()), "Corvane - [BROKEN.JPG]");
    EXPECT_EQ(form->LabelImageinfo->Caption(), "Imageinfo:  N/A");
    EXPECT_FALSE(form->PMI->Visible());
    EXPECT_TRUE(form->PMI->Picture().Empty());
    EXPECT_FALSE(form->BtnCpyClp->Enabled());
    EXPECT_EQ(form->PanelImage->Width(), 360);
    EXPECT_EQ(form->PMI->Width(), 352);
    EXPECT_EQ(form->PanelImage->Caption(), "Corvane");
    EXPECT_FALSE(fullView->PMI->Visible());

    // The same name again is not loaded again: no second box.
    Load(folder / "broken.jpg");
}

TEST_F(MainViewTest, NoBoxWhileTheFullScreenViewShows) {
    test::WriteFileBytes(folder / "broken.gif", "GIF89a but nothing more");
    FullViewActive = true;
    ScriptedMessageBoxes boxes; // any box fails the test
    Load(folder / "broken.gif");
    EXPECT_TRUE(boxes.Asked().empty());
    EXPECT_EQ(form->LabelImageinfo->Caption(), "Imageinfo:  N/A");
}

TEST_F(MainViewTest, SameNameTwiceLoadsOnceAnotherInBetweenLoadsAgain) {
    const std::string a = Fixture("bmp/v3-24.bmp"), b = Fixture("gif/87a-global.gif");
    Load(a);
    const TPicture first = form->PMI->Picture();
    Load(a);
    EXPECT_TRUE(form->PMI->Picture().SharesGraphicWith(first)) << "not loaded again";
    Load(b);
    Load(a);
    EXPECT_FALSE(form->PMI->Picture().SharesGraphicWith(first)) << "loaded again after another file";
}

TEST_F(MainViewTest, ButtonsComeBackAfterADecodeThatFails) {
    // The header is whole, the pixel data cut off: the header read succeeds, the decode fails.
    const std::string png = test::ReadFileBytes(Fixture("png/rgb8.png"));
    test::WriteFileBytes(folder / "cut.png", png.substr(0, 60));
    ScriptedMessageBoxes boxes({IDOK, IDOK});
    Load(folder / "cut.png");
    ASSERT_EQ(boxes.Asked().size(), 2u);
    EXPECT_EQ(boxes.Asked()[1].text, "Reading png file failed");
    EXPECT_TRUE(ButtonsEnabled());
    EXPECT_TRUE(form->BtnCpyClp->Enabled()) << "enabled after every attempt that got this far";
    EXPECT_FALSE(form->Loading);
    EXPECT_EQ(ui::App().GetScreenCursor(), ui::ScreenCursor::Default);
}

TEST_F(MainViewTest, StretchedPictureFitsTheFreeArea) {
    test::WriteFileBytes(folder / "wide.bmp", test::SolidBmpFile(100, 50, RGB(0, 0, 255)));
    // A client of 848 x 416 would be below the minimum outer height; the width limits either way.
    form->SetClientSize(848, 516);
    Pump();
    ASSERT_EQ(form->ClientWidth(), 848);
    ASSERT_EQ(form->ClientHeight(), 516);
    form->BtnStretchClick(*form->BtnStretch);
    EXPECT_TRUE(form->PMI->Stretch());
    EXPECT_EQ(form->PanelLED->GetColor(), RGB(255, 0, 0));
    EXPECT_EQ(form->PanelImage->Width(), 360) << "without a picture the area keeps its design size";
    Load(folder / "wide.bmp");
    EXPECT_EQ(form->PMI->Width(), 600);
    EXPECT_EQ(form->PMI->Height(), 301);
    EXPECT_EQ(form->PanelImage->Width(), 608);
    EXPECT_EQ(form->PanelImage->Height(), 309);
    form->BtnStretchClick(*form->BtnStretch);
    EXPECT_EQ(form->PanelLED->GetColor(), RGB(128, 0, 0));
    EXPECT_EQ(form->PMI->Width(), 100);
    EXPECT_EQ(form->PanelImage->Width(), 108);
}

TEST_F(MainViewTest, StretchedPictureIsDrawnAnewWhenTheWindowShrinks) {
    // Four upright bands: red, green, blue, white.
    std::string bands = test::SolidBmpFile(100, 50, RGB(255, 0, 0));
    const COLORREF colors[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
    const std::size_t stride = DibRowStride(100, 24);
    for (std::size_t y = 0; y < 50; ++y)
        for (std::size_t x = 0; x < 100; ++x) {
            char* pixel = &bands[54 + y * stride + x * 3];
            pixel[0] = static_cast<char>(GetBValue(colors[x / 25]));
            pixel[1] = static_cast<char>(GetGValue(colors[x / 25]));
            pixel[2] = static_cast<char>(GetRValue(colors[x / 25]));
        }
    test::WriteFileBytes(folder / "bands.bmp", bands);
    form->SetClientSize(848, 516);
    form->BtnStretchClick(*form->BtnStretch);
    Load(folder / "bands.bmp");
    Pump();
    ASSERT_EQ(form->PMI->Width(), 600);
    const ui::FormDesign& design = MainFormDesign();
    form->SetBounds(form->Left(), form->Top(), design.width, design.height);
    Pump();
    const int width = form->PMI->Width();
    ASSERT_LT(width, 450) << "shrunk far enough that the old picture's blue band would show at the edge";
    WindowDc dc(form->PMI->Handle());
    EXPECT_EQ(GetPixel(dc.Get(), width - 3, form->PMI->Height() / 2), RGB(255, 255, 255))
        << "the right edge shows the picture's last band, not what the larger picture left there";
}

TEST_F(MainViewTest, BigPictureUnstretchedMakesTheWindowScroll) {
    test::WriteFileBytes(folder / "big.bmp", test::SolidBmpFile(2000, 1500, RGB(0, 128, 0)));
    Load(folder / "big.bmp");
    Pump();
    EXPECT_EQ(form->PanelImage->Width(), 2008);
    EXPECT_EQ(form->PanelImage->Height(), 1508);
    EXPECT_TRUE(form->HorzScrollVisible());
    EXPECT_TRUE(form->VertScrollVisible());
}

TEST_F(MainViewTest, CopyButtonPutsThePictureOnTheClipboard) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    Load(Fixture("bmp/v3-24.bmp"));
    form->BtnCpyClp->Click();
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_DIB));
    EXPECT_EQ(ui::App().GetScreenCursor(), ui::ScreenCursor::Default);
}

TEST_F(MainViewTest, ThumbnailsQuestionAnsweredNo) {
    ScriptedMessageBoxes boxes({IDNO});
    form->BtnThumb->Click();
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, "Display the Thumbnails of " + form->FLB->Directory() + " ?");
    EXPECT_EQ(boxes.Asked()[0].caption, "Question");
    EXPECT_EQ(boxes.Asked()[0].buttons, static_cast<UINT>(MB_YESNO));
    EXPECT_EQ(boxes.Asked()[0].beepType, static_cast<UINT>(MB_ICONQUESTION));
    EXPECT_FALSE(form->ThumbsOpen);
}

TEST_F(MainViewTest, ShellMessagesByResultCode) {
    {
        ScriptedMessageBoxes boxes({IDOK});
        form->RunWithShell(folder / "missing.xyz");
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, "Cannot execute file ! Maybe not enough memory available.");
        EXPECT_EQ(boxes.Asked()[0].caption, "Error");
    }
    test::WriteFileBytes(folder / "data.corvunknown", "x");
    ScriptedMessageBoxes boxes({IDOK});
    form->RunWithShell(folder / "data.corvunknown");
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, "Cannot execute file ! File-Extension is not associated.");
}

TEST_F(MainViewTest, FullViewShowsThePictureAndAClickOrEscapeHidesIt) {
    Load(Fixture("bmp/v3-24.bmp"));
    form->ButtonVollbild->Click();
    Pump();
    EXPECT_TRUE(FullViewActive);
    EXPECT_TRUE(IsWindowVisible(fullView->Handle()));
    EXPECT_EQ(fullView->Left(), 0);
    EXPECT_GE(fullView->Width(), GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(fullView->PMI->Width(), 45);
    PostMessageA(fullView->Handle(), WM_CHAR, 27, 0);
    Pump();
    EXPECT_FALSE(FullViewActive);
    EXPECT_FALSE(IsWindowVisible(fullView->Handle()));
    form->ButtonVollbild->Click();
    Pump();
    fullView->Click();
    Pump();
    EXPECT_FALSE(IsWindowVisible(fullView->Handle()));
}

TEST_F(MainViewTest, FailureTextIsWrittenOnTheFullScreenView) {
    fullView->ShowView();
    Pump();
    test::WriteFileBytes(folder / "bad.tif", "II*\0garbage");
    Load(folder / "bad.tif");
    Pump(5);
    // Red text at the top-left corner of the black view.
    WindowDc dc(fullView->Handle());
    int red = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 200; ++x)
            red += GetPixel(dc.Get(), x, y) == RGB(255, 0, 0);
    EXPECT_GT(red, 20);
}

TEST_F(MainViewTest, HundredLoadsOfDifferentPicturesKeepHandlesFlat) {
    const char* files[] = {"jpeg/progressive.jpg", "png/palette8.png", "gif/87a-local.gif",
                           "tiff/deflate.tif",     "bmp/rle8.bmp",     "pcx/im-24.pcx"};
    Load(Fixture(files[5]));
    const long bitmaps = LiveHandles(HandleKind::Bitmap), palettes = LiveHandles(HandleKind::Palette);
    PROCESS_MEMORY_COUNTERS before{};
    GetProcessMemoryInfo(GetCurrentProcess(), &before, sizeof before);
    for (int i = 0; i < 100; ++i)
        Load(Fixture(files[i % 6]));
    Load(Fixture(files[0]));
    Load(Fixture(files[5]));
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), bitmaps);
    EXPECT_EQ(LiveHandles(HandleKind::Palette), palettes);
    EXPECT_EQ(LiveHandles(HandleKind::Dc), 0);
    PROCESS_MEMORY_COUNTERS after{};
    GetProcessMemoryInfo(GetCurrentProcess(), &after, sizeof after);
    EXPECT_LT(after.PagefileUsage, before.PagefileUsage + 2 * 1024 * 1024);
}

} // namespace corv

// Photos as they were taken, through the whole program: every fixture of tests/fixtures/photo (one table,
// made by make-photo-fixtures) shown in the main panel, copied to the clipboard and made into a thumbnail
// cell, upright and in its own colours, and shown as stored with AutoRotate off; with all picture types on,
// so that PNG, HEIC and WebP are among them.
#include "tests/app/mainwindowtest.h"
#include "tests/support/pictures.h"
#include "thumbs/thmbfrm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace corv {
namespace {

using test::Pump;

struct Corners {
    int width = 0, height = 0;
    COLORREF at[4] = {}; // a quarter of the way in from the top left, top right, bottom left, bottom right
};
struct PhotoFixture {
    std::string file;
    Corners on, off;
    COLORREF thumb[4] = {};
    int tolerance = 0;
};

COLORREF Hex(const std::string& text) {
    const unsigned long v = std::stoul(text, nullptr, 16);
    return RGB((v >> 16) & 255, (v >> 8) & 255, v & 255);
}

std::vector<PhotoFixture> PhotoFixtures() {
    std::ifstream in(test::FixturePath("photo/manifest.txt"));
    std::vector<PhotoFixture> fixtures;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream fields(line);
        PhotoFixture f;
        std::string c[12];
        fields >> f.file >> f.on.width >> f.on.height >> c[0] >> c[1] >> c[2] >> c[3] >> f.off.width >>
            f.off.height >> c[4] >> c[5] >> c[6] >> c[7] >> c[8] >> c[9] >> c[10] >> c[11] >> f.tolerance;
        for (int i = 0; i < 4; ++i) {
            f.on.at[i] = Hex(c[i]);
            f.off.at[i] = Hex(c[4 + i]);
            f.thumb[i] = Hex(c[8 + i]);
        }
        fixtures.push_back(f);
    }
    return fixtures;
}

// The size of a bitmap and its colours at the four points.
Corners CornersOf(HBITMAP bitmap) {
    Corners c;
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return c;
    c.width = info.bmWidth;
    c.height = info.bmHeight;
    MemoryDcHandle dc(CreateCompatibleDC(nullptr));
    ScopedSelect select(dc.Get(), bitmap);
    const int points[4][2] = {{1, 1}, {3, 1}, {1, 3}, {3, 3}};
    for (int i = 0; i < 4; ++i)
        c.at[i] = GetPixel(dc.Get(), c.width * points[i][0] / 4, c.height * points[i][1] / 4);
    return c;
}

// The clipboard's CF_DIB as a bitmap.
BitmapHandle ClipboardBitmap() {
    BitmapHandle result;
    if (!OpenClipboard(nullptr)) return result;
    if (HGLOBAL block = GetClipboardData(CF_DIB)) {
        const auto* header = static_cast<const BITMAPINFO*>(GlobalLock(block));
        if (header && header->bmiHeader.biBitCount == 24) {
            WindowDc screen(nullptr);
            result.Reset(CreateDIBitmap(screen.Get(), &header->bmiHeader, CBM_INIT,
                                        reinterpret_cast<const BYTE*>(header) + header->bmiHeader.biSize,
                                        header, DIB_RGB_COLORS));
        }
        GlobalUnlock(block);
    }
    CloseClipboard();
    return result;
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

std::string Text(COLORREF c) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

void ExpectCorners(const Corners& got, int width, int height, const COLORREF* want, int tolerance,
                   const std::string& where) {
    SCOPED_TRACE(where);
    EXPECT_EQ(got.width, width);
    EXPECT_EQ(got.height, height);
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(Near(got.at[i], want[i], tolerance))
            << "corner " << i << ": " << Text(got.at[i]) << " for " << Text(want[i]);
}

class PhotoTest : public test::MainWindowTest {
  protected:
    void TearDown() override {
        AutoRotate = true;
        AllPictureTypes = false;
        BigThumbs = false;
        SetThumbSizes();
        MainWindowTest::TearDown();
    }
};

} // namespace

TEST_F(PhotoTest, PanelClipboardAndCellsUprightInTheirColoursAndAsStoredWithTheOptionOff) {
    const std::vector<PhotoFixture> fixtures = PhotoFixtures();
    ASSERT_GE(fixtures.size(), 30u);
    // No photo, however broken its metadata, is a failure with a message.
    int boxes = 0;
    MessageBoxHandler previous = SetMessageBoxHandler([&boxes](const MessageBoxRequest& request) {
        ADD_FAILURE() << "a message: " << request.text;
        ++boxes;
        return IDOK;
    });
    // PNG, HEIC and WebP are pictures of the file list and the thumbnail window too.
    AllPictureTypes = true;
    for (bool upright : {true, false}) {
        AutoRotate = upright;
        for (const PhotoFixture& f : fixtures) {
            SCOPED_TRACE(f.file + (upright ? " upright" : " as stored"));
            const Corners& want = upright ? f.on : f.off;
            Load(test::FixturePath("photo/" + f.file));
            ASSERT_FALSE(form->PMI->Picture().Empty());
            ExpectCorners(CornersOf(form->PMI->Picture().Bitmap()), want.width, want.height, want.at,
                          f.tolerance, "panel");
            const std::string size = std::to_string(want.width) + "x" + std::to_string(want.height) + "x";
            EXPECT_EQ(form->LabelImageinfo->Caption().rfind("Imageinfo:  " + size, 0), 0u)
                << form->LabelImageinfo->Caption();
            if (upright) {
                form->BtnCpyClp->Click();
                BitmapHandle copy = ClipboardBitmap();
                ExpectCorners(CornersOf(copy.Get()), want.width, want.height, want.at, f.tolerance,
                              "clipboard");
            }
        }
    }

    // The cells, small and large: made from the camera's preview where it fits, else from the picture.
    AutoRotate = true;
    test::TempFolder photos;
    for (const PhotoFixture& f : fixtures)
        ASSERT_TRUE(
            CopyFileA(test::FixturePath("photo/" + f.file).c_str(), (photos / f.file).c_str(), FALSE));
    for (bool big : {false, true}) {
        BigThumbs = big;
        SetThumbSizes();
        GoToPath(*form, photos.Path(), true);
        TCvThumbForm& thumbs = form->OpenThumbnails();
        Pump();
        thumbs.BuildThumbnails();
        ASSERT_TRUE(test::RunUntil([&thumbs] { return !thumbs.Busy; }));
        ASSERT_EQ(thumbs.ThumbCount, static_cast<int>(fixtures.size()));
        for (int i = 1; i <= thumbs.ThumbCount; ++i) {
            const TThumbNail& cell = *thumbs.Thumbs[static_cast<std::size_t>(i)];
            const std::string name = cell.FileName.substr(cell.FileName.find_last_of('\\') + 1);
            for (const PhotoFixture& f : fixtures) {
                if (f.file != name) continue;
                SCOPED_TRACE(name + (big ? " large cell" : " cell"));
                EXPECT_EQ(cell.ImgWidth, f.on.width);
                EXPECT_EQ(cell.ImgHeight, f.on.height);
                const Corners got = CornersOf(cell.PMI->Picture().Bitmap());
                ExpectCorners(got, cell.PMI->Width(), cell.PMI->Height(), f.thumb, f.tolerance + 8, "cell");
                const int box = big ? 116 : 76;
                EXPECT_EQ(std::max(got.width, got.height), box) << "the box follows the upright shape";
                EXPECT_EQ(got.width >= got.height, f.on.width >= f.on.height);
            }
        }
        {
            test::ScriptedMessageBoxes answers({IDYES});
            thumbs.Close();
            Pump();
        }
    }
    SetMessageBoxHandler(std::move(previous));
    EXPECT_EQ(boxes, 0);
}

} // namespace corv

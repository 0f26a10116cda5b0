#include "image/pictureinfo.h"
#include "image/extkey.h"
#include "image/placement.h"
#include "settings/store.h"

#include <gtest/gtest.h>

using namespace corv;

TEST(ExtensionKey, LastDotUpperCasedFourCharacters) {
    EXPECT_EQ(ExtensionKey("A.TIFF"), ".TIF");
    EXPECT_EQ(ExtensionKey("a.jpeg"), ".JPE");
    EXPECT_EQ(ExtensionKey("pic.gif"), ".GIF");
    EXPECT_EQ(ExtensionKey("C:\\MY.DIR\\FILE"), "");
    EXPECT_EQ(ExtensionKey("C:.X\\"), "");
    EXPECT_EQ(ExtensionKey("A.B:C"), "");
    EXPECT_EQ(ExtensionKey("NOEXT"), "");
    EXPECT_EQ(ExtensionKey("ARCHIVE.TAR.Gz"), ".GZ");
    EXPECT_EQ(ExtensionKey("TRAILING."), ".");
    EXPECT_EQ(ExtensionKey("120.RES"), ".RES");
}

TEST(IsPictureFile, ByExtensionKey) {
    for (const char* yes : {"A.JPG", "b.bmp", "C:\\X\\c.Gif", "d.PCX", "e.tif", "f.TIFF", "g.JPGX"})
        EXPECT_TRUE(IsPictureFile(yes)) << yes;
    for (const char* no : {"a.jpeg", "b.png", "README", "C:\\PIC.JPG\\FILE", "x.jp", ".JP", ""})
        EXPECT_FALSE(IsPictureFile(no)) << no;
}

// The newer types and the long extensions count only with the option, and on the whole extension.
TEST(IsPictureFile, AllTypesByWholeExtension) {
    struct Row {
        const char* name;
        bool off, on;
    } rows[] = {
        {"a.jpeg", false, true},      {"b.JPE", false, true},
        {"c.Tiff", true, true},       {"d.png", false, true},
        {"e.webp", false, true},      {"f.AVIF", false, true},
        {"g.heic", false, true},      {"h.HEIF", false, true},
        {"i.avi", false, false},      {"j.avifx", false, false},
        {"k.web", false, false},      {"l.hei", false, false},
        {"m.jpg", true, true},        {"C:\\X.WEBP\\FILE", false, false},
        {"n.webp.txt", false, false}, {"o.JPEGX", false, false},
        {"p.TIFFANY", true, true}, // a ".TIF" key, as the Parts say
    };
    for (const Row& row : rows) {
        EXPECT_EQ(IsPictureFile(row.name, false), row.off) << row.name;
        EXPECT_EQ(IsPictureFile(row.name, true), row.on) << row.name;
        AllPictureTypes = true;
        EXPECT_EQ(IsPictureFile(row.name), row.on) << row.name << ", by the setting";
        AllPictureTypes = false;
        EXPECT_EQ(IsPictureFile(row.name), row.off) << row.name << ", by the setting";
    }
}

TEST(ColorCountText, ByBitsPerPixel) {
    EXPECT_EQ(ColorCountText(1), "2");
    EXPECT_EQ(ColorCountText(2), "4");
    EXPECT_EQ(ColorCountText(4), "16");
    EXPECT_EQ(ColorCountText(8), "256");
    EXPECT_EQ(ColorCountText(24), "16M");
    EXPECT_EQ(ColorCountText(32), "4B");
    for (int other : {0, 3, 15, 16, 48, -1})
        EXPECT_EQ(ColorCountText(other), "N/A") << other;
}

// The main window's picture panel: at 236, 4, 360 x 272, the picture 4 pixels inside it.
constexpr ImagePanelDesign kDesign{236, 4, 360, 272, 4, 352, 264};

TEST(FitImagePanelLayout, UnstretchedIsThePictureSizePlusBorder) {
    EXPECT_EQ(FitImagePanelLayout(kDesign, 2000, 1500, 598, 440, false),
              (ImagePanelLayout{2008, 1508, 2000, 1500}));
    EXPECT_EQ(FitImagePanelLayout(kDesign, 1, 1, 598, 440, false), (ImagePanelLayout{9, 9, 1, 1}));
    EXPECT_EQ(FitImagePanelLayout(kDesign, 0, 50, 598, 440, false), kDesign.DesignLayout());
}

TEST(FitImagePanelLayout, StretchedFitsTheFreeAreaByTheLimitingSide) {
    // Free area 600 x 400: a 2:1 picture is limited by the width.
    EXPECT_EQ(FitImagePanelLayout(kDesign, 100, 50, 848, 416, true), (ImagePanelLayout{608, 309, 600, 301}));
    // A tall picture is limited by the height: 400 * 0.5 = 200.
    EXPECT_EQ(FitImagePanelLayout(kDesign, 50, 100, 848, 416, true), (ImagePanelLayout{209, 408, 201, 400}));
    // Exactly the free area's shape counts as height-limited.
    EXPECT_EQ(FitImagePanelLayout(kDesign, 300, 200, 848, 416, true), (ImagePanelLayout{609, 408, 601, 400}));
    // Truncation, not rounding: 400 * 7 / 3 = 933.33 -> but limited by width 600: 600 * 3 / 7 = 257.14.
    EXPECT_EQ(FitImagePanelLayout(kDesign, 7, 3, 848, 416, true), (ImagePanelLayout{608, 266, 600, 258}));
}

TEST(FitImagePanelLayout, NoLayoutGivesTheDesignSizeInsteadOfDividingByZero) {
    EXPECT_EQ(FitImagePanelLayout(kDesign, 100, 0, 848, 416, true), kDesign.DesignLayout());
    EXPECT_EQ(FitImagePanelLayout(kDesign, 100, 50, 848, 16, true), kDesign.DesignLayout());
    EXPECT_EQ(FitImagePanelLayout(kDesign, 100, 50, 248, 416, true), kDesign.DesignLayout());
    EXPECT_EQ(FitImagePanelLayout(kDesign, 0, 0, 848, 416, true), kDesign.DesignLayout());
}

TEST(Placement, CentredAndCut) {
    EXPECT_EQ(CenteredPlacement(352, 264, 300, 100), (PlaceRect{26, 82, 300, 100}));
    EXPECT_EQ(CenteredPlacement(352, 264, 400, 300), (PlaceRect{-24, -18, 400, 300}));
    EXPECT_EQ(CenteredPlacement(352, 264, 401, 301), (PlaceRect{-24, -18, 401, 301}))
        << "truncates toward zero";
}

TEST(Placement, AspectFitByThePicturesOrientation) {
    EXPECT_EQ(AspectFitPlacement(352, 264, 100, 200), (PlaceRect{110, 0, 132, 264}));
    EXPECT_EQ(AspectFitPlacement(352, 264, 300, 100), (PlaceRect{0, 73, 352, 117}));
    EXPECT_EQ(AspectFitPlacement(352, 264, 50, 50), (PlaceRect{44, 0, 264, 264}));
    // A portrait picture in a narrow client comes out wider than the client, centred and cut.
    EXPECT_EQ(AspectFitPlacement(100, 400, 300, 400), (PlaceRect{-100, 0, 300, 400}));
    EXPECT_EQ(AspectFitPlacement(352, 264, 0, 0), (PlaceRect{0, 0, 352, 264}));
}

TEST(Placement, AspectFitRoundsHalvesToEven) {
    // Margin 3 -> left 1.5 rounds to 2; margin 5 -> left 2.5 rounds to 2.
    EXPECT_EQ(AspectFitPlacement(13, 10, 10, 10).left, 2);
    EXPECT_EQ(AspectFitPlacement(15, 10, 10, 10).left, 2);
    EXPECT_EQ(AspectFitPlacement(17, 10, 10, 10).left, 4) << "3.5 rounds to 4";
}

// The window framework's arithmetic and text rules, natively and under Wine.
#include "ui/filelistmodel.h"
#include "ui/layoutmath.h"
#include "ui/mnemonic.h"

#include <gtest/gtest.h>

namespace corv {
namespace {

TEST(Mnemonic, FindsTheLetterAfterASingleAmpersand) {
    EXPECT_EQ(MnemonicOf("&STRETCH"), 'S');
    EXPECT_EQ(MnemonicOf("E &X I T"), 'X');
    EXPECT_EQ(MnemonicOf("Refres&h"), 'H');
    EXPECT_EQ(MnemonicOf("Tom && Jerry"), 0);
    EXPECT_EQ(MnemonicOf("Tom && &Jerry"), 'J');
    EXPECT_EQ(MnemonicOf("plain"), 0);
    EXPECT_EQ(MnemonicOf("trailing&"), 0);
    EXPECT_EQ(MnemonicOf(""), 0);
}

TEST(Mnemonic, StripShowsWhatIsDrawn) {
    EXPECT_EQ(StripMnemonic("&STRETCH"), "STRETCH");
    EXPECT_EQ(StripMnemonic("Tom && Jerry"), "Tom & Jerry");
    EXPECT_EQ(StripMnemonic("a&&&b"), "a&b");
    EXPECT_EQ(StripMnemonic("end&"), "end");
}

TEST(FileListModel, BracketsDirectoriesAndSortsIgnoringCase) {
    FileListModel model;
    model.Assign({{"zeta.txt", false},
                  {"..", true},
                  {"Alpha.JPG", false},
                  {"beta", true},
                  {".", true},
                  {"alpha.bmp", false},
                  {"Gamma.EXE", false}});
    ASSERT_EQ(model.Count(), 7);
    std::vector<std::string> texts;
    for (int i = 0; i < model.Count(); ++i)
        texts.push_back(model.Text(i));
    // Brackets come before letters; "alpha.bmp" and "Alpha.JPG" compare without case.
    EXPECT_EQ(texts, (std::vector<std::string>{"[..]", "[.]", "[beta]", "alpha.bmp", "Alpha.JPG", "Gamma.EXE",
                                               "zeta.txt"}));
    EXPECT_EQ(model.IndexOf("ALPHA.jpg"), 4);
    EXPECT_EQ(model.IndexOf("[BETA]"), 2);
    EXPECT_EQ(model.IndexOf("beta"), -1);
    EXPECT_EQ(model.IndexOf("missing"), -1);
}

std::string LowerGreek(const std::string& text) {
    std::string folded = text;
    for (std::size_t at; (at = folded.find("Ε")) != std::string::npos;)
        folded.replace(at, 2, "ε");
    return folded;
}

TEST(FileListModel, EntriesAreFoundByKindAndExactNameFirst) {
    FileListModel model;
    SetCaseFold(&LowerGreek);
    model.Assign({{"xy.jpg", true},
                  {"[xy.jpg]", false},
                  {"Photo.jpg", false},
                  {"photo.JPG", false},
                  {"Εικόνα.jpg", false},
                  {"εικόνα.bmp", false},
                  {"abc", false}});
    SetCaseFold(nullptr);
    // A file "[xy.jpg]" and the folder "xy.jpg" share a text; each is found by its kind.
    EXPECT_EQ(model.Entry(model.IndexOfEntry("xy.jpg", true)).directory, true);
    EXPECT_EQ(model.Entry(model.IndexOfEntry("[xy.jpg]", false)).name, "[xy.jpg]");
    EXPECT_EQ(model.IndexOfEntry("xy.jpg", false), -1);
    // Names that differ only in case are found as spelt, else without case.
    EXPECT_EQ(model.Entry(model.IndexOfEntry("photo.JPG", false)).name, "photo.JPG");
    EXPECT_EQ(model.Entry(model.IndexOfEntry("Photo.jpg", false)).name, "Photo.jpg");
    EXPECT_EQ(model.Entry(model.IndexOfEntry("PHOTO.jpg", false)).name, "Photo.jpg");
    // Names outside ASCII sort by their folded text, after the ASCII letters.
    EXPECT_EQ(model.Text(model.Count() - 2), "εικόνα.bmp");
    EXPECT_EQ(model.Text(model.Count() - 1), "Εικόνα.jpg");
    EXPECT_EQ(model.Text(0), "[xy.jpg]");
}

TEST(FileListModel, IconsByKind) {
    EXPECT_EQ(IconFor({"dir", true}), EntryIcon::Folder);
    EXPECT_EQ(IconFor({"run.exe", false}), EntryIcon::Program);
    EXPECT_EQ(IconFor({"RUN.COM", false}), EntryIcon::Program);
    EXPECT_EQ(IconFor({"x.Bat", false}), EntryIcon::Program);
    EXPECT_EQ(IconFor({"old.pif", false}), EntryIcon::Program);
    EXPECT_EQ(IconFor({"x.exe.txt", false}), EntryIcon::Document);
    EXPECT_EQ(IconFor({"exe", false}), EntryIcon::Document);
    EXPECT_EQ(IconFor({"a.exex", false}), EntryIcon::Document);
    EXPECT_EQ(IconFor({"prog.exe", true}), EntryIcon::Folder);
}

TEST(FileListPaths, JoinNormaliseAndParent) {
    EXPECT_EQ(JoinEntry("C:\\pics", "a.jpg"), "C:\\pics\\a.jpg");
    EXPECT_EQ(JoinEntry("C:\\", "a.jpg"), "C:\\a.jpg");
    EXPECT_EQ(JoinEntry("C:\\pics", "[..]"), "C:\\pics\\[..]");
    EXPECT_EQ(NormalizeDirectory("C:\\pics\\"), "C:\\pics");
    EXPECT_EQ(NormalizeDirectory("C:\\"), "C:\\");
    EXPECT_EQ(NormalizeDirectory("C:"), "C:\\");
    EXPECT_EQ(ParentDirectory("C:\\a\\b"), "C:\\a");
    EXPECT_EQ(ParentDirectory("C:\\a"), "C:\\");
    EXPECT_EQ(ParentDirectory("C:\\"), "C:\\");
    EXPECT_EQ(ParentDirectory("\\\\server\\share\\dir"), "\\\\server\\share");
}

TEST(FileListPaths, EnterPathResolvesBracketedTextsRelatively) {
    EXPECT_EQ(ResolveEnterPath("C:\\a\\b", "[..]"), "C:\\a");
    EXPECT_EQ(ResolveEnterPath("C:\\a\\b", "[.]"), "C:\\a\\b");
    EXPECT_EQ(ResolveEnterPath("C:\\a", "[Sub Dir]"), "C:\\a\\Sub Dir");
    EXPECT_EQ(ResolveEnterPath("C:\\", "[x]"), "C:\\x");
    EXPECT_EQ(ResolveEnterPath("C:\\", "[..]"), "C:\\");
    EXPECT_EQ(ResolveEnterPath("C:\\a", "D:"), "D:");
    EXPECT_EQ(ResolveEnterPath("C:\\a", "E:\\photos"), "E:\\photos");
}

TEST(LayoutMath, ListHeightsHoldWholeItems) {
    EXPECT_EQ(WholeItemHeight(228, 16, 4), 228); // 14 items
    EXPECT_EQ(WholeItemHeight(243, 16, 4), 228);
    EXPECT_EQ(WholeItemHeight(244, 16, 4), 244);
    EXPECT_EQ(WholeItemHeight(5, 16, 4), 20); // never less than one item
    EXPECT_EQ(WholeItemHeight(-50, 16, 4), 20);
}

TEST(LayoutMath, ScrollBarsDecideTogether) {
    ScrollNeed fits = ComputeScrollNeed(500, 400, 500, 400, 16, 16);
    EXPECT_FALSE(fits.horizontal);
    EXPECT_FALSE(fits.vertical);
    // Too wide only: the horizontal bar takes 16 pixels of height.
    ScrollNeed wide = ComputeScrollNeed(600, 380, 500, 400, 16, 16);
    EXPECT_TRUE(wide.horizontal);
    EXPECT_FALSE(wide.vertical);
    EXPECT_EQ(wide.clientHeight, 384);
    // ... and those 16 pixels make a content of 395 (fitting 400) too high as well.
    ScrollNeed both = ComputeScrollNeed(600, 395, 500, 400, 16, 16);
    EXPECT_TRUE(both.horizontal);
    EXPECT_TRUE(both.vertical);
    EXPECT_EQ(both.clientWidth, 484);
    EXPECT_EQ(both.clientHeight, 384);
    EXPECT_EQ(ClampScrollPosition(50, 600, 500), 50);
    EXPECT_EQ(ClampScrollPosition(150, 600, 500), 100);
    EXPECT_EQ(ClampScrollPosition(-5, 600, 500), 0);
    EXPECT_EQ(ClampScrollPosition(30, 400, 500), 0);
}

TEST(LayoutMath, MinimumSizeRaisesEachSideAlone) {
    const Extent a = AtLeast({400, 500}, {606, 467});
    EXPECT_EQ(a.width, 606);
    EXPECT_EQ(a.height, 500);
    const Extent b = AtLeast({700, 300}, {606, 467});
    EXPECT_EQ(b.width, 700);
    EXPECT_EQ(b.height, 467);
}

} // namespace
} // namespace corv

// UTF-8 inside, UTF-16 at the system: conversions that lose nothing a file name may hold, and the paths
// the system's ordinary rules would turn into other ones.
#include "base/pathrules.h"
#include "base/text.h"

#include <gtest/gtest.h>

namespace corv {
namespace {

TEST(Text, ConvertsBothWaysWithoutLoss) {
    const struct {
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"plain.jpg", u"plain.jpg"},
        {"Gdańsk", u"Gdańsk"},
        {"日本.jpg", u"日本.jpg"},
        {"😀.bmp", u"\xD83D\xDE00.bmp"},                      // outside the BMP: a surrogate pair
        {"\xED\xA0\xBDx", std::u16string(u"\xD83D") + u"x"}, // an unpaired surrogate keeps its unit
        {"", u""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf16FromUtf8(c.utf8), c.utf16) << c.utf8;
        EXPECT_EQ(Utf8FromUtf16(c.utf16), c.utf8) << c.utf8;
    }
    // Bytes that are no UTF-8 become U+FFFD each, and never read past the end.
    EXPECT_EQ(Utf16FromUtf8("a\xFF"
                            "b\xE6\x97"),
              u"a\xFFFD"
              u"b\xFFFD\xFFFD");
    EXPECT_EQ(Utf16FromUtf8("\xC0\xAF"), u"\xFFFD\xFFFD") << "an overlong form";
}

TEST(Text, CountsAndCutsWholeCharacters) {
    EXPECT_EQ(Utf8Length("日本😀a"), 4u);
    EXPECT_EQ(Utf8Prefix("日本😀a", 2), "日本");
    EXPECT_EQ(Utf8Prefix("日本😀a", 3), "日本😀");
    EXPECT_EQ(Utf8Prefix("ab", 5), "ab");
    EXPECT_TRUE(IsAscii("C:\\x y.jpg"));
    EXPECT_FALSE(IsAscii("Gdańsk"));
}

TEST(PathRules, FindsNamesTheOrdinaryRulesWouldChangeAndTheirExactForm) {
    const struct {
        std::string path;
        bool changes;
        std::string exact;
    } cases[] = {
        {"C:\\photos\\pic.jpg", false, "C:\\photos\\pic.jpg"},
        {"C:\\photos\\pic .jpg", false, "C:\\photos\\pic .jpg"}, // a blank inside a name is kept anyway
        {"C:\\photos\\pic.jpg ", true, "\\\\?\\C:\\photos\\pic.jpg "},
        {"C:\\photos.\\pic.jpg", true, "\\\\?\\C:\\photos.\\pic.jpg"},
        {"C:\\dir\\..\\pic.", true, "C:\\dir\\..\\pic."}, // ".." only the ordinary rules resolve
        {"\\\\server\\share\\a.", true, "\\\\?\\UNC\\server\\share\\a."},
        {"relative.", true, "relative."},
        {"C:\\\\pic. ", true, "\\\\?\\C:\\pic. "}, // a name joined to a root: one separator
        {"C:\\", false, "C:\\"},
        {"C:\\a\\.", false, "C:\\a\\."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PathRulesWouldChange(c.path), c.changes) << c.path;
        EXPECT_EQ(ExactFileSystemForm(c.path), c.exact) << c.path;
    }
    const std::string longPath = "C:\\" + std::string(300, 'x');
    EXPECT_TRUE(TooLongForOrdinaryCalls(longPath));
    EXPECT_EQ(ExactFileSystemForm(longPath), "\\\\?\\" + longPath);
    EXPECT_FALSE(TooLongForOrdinaryCalls("C:\\" + std::string(200, 'x')));
}

} // namespace
} // namespace corv

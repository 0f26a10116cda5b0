#include "settings/pathtext.h"

#include "base/text.h"

#include <gtest/gtest.h>

using namespace corv;

TEST(ShortenPath, KeepsPathsThatFitOrCannotShrink) {
    EXPECT_EQ(ShortenPath("C:\\WINDOWS\\SYSTEM\\COLOR", 30), "C:\\WINDOWS\\SYSTEM\\COLOR");
    EXPECT_EQ(ShortenPath("NOBACKSLASHES_AT_ALL_IN_THIS_NAME", 10), "NOBACKSLASHES_AT_ALL_IN_THIS_NAME");
    EXPECT_EQ(ShortenPath("", 0), "");
    // Dropping "AB" and adding "..." would make it longer: the path stays.
    EXPECT_EQ(ShortenPath("C:\\AB\\CDEFGH", 8), "C:\\AB\\CDEFGH");
}

TEST(ShortenPath, DropsLeadingDirectoriesUntilItFits) {
    EXPECT_EQ(ShortenPath("C:\\WINDOWS\\SYSTEM\\COLOR", 15), "C:\\...\\COLOR");
    EXPECT_EQ(ShortenPath("C:\\PROGRAMME\\PELLWORTH\\CORVANE\\PICTURES\\HOLIDAY", 30),
              "C:\\...\\PICTURES\\HOLIDAY");
    // Stops at the last name even when that alone is too long.
    EXPECT_EQ(ShortenPath("C:\\ABCDEFGH\\AVERYLONGDIRECTORYNAMEINDEED", 10),
              "C:\\...\\AVERYLONGDIRECTORYNAMEINDEED");
    EXPECT_EQ(ShortenPath("C:\\A\\AVERYLONGDIRECTORYNAMEINDEED", 10), "C:\\A\\AVERYLONGDIRECTORYNAMEINDEED");
    // A network path keeps its empty head before the first backslash.
    EXPECT_EQ(ShortenPath("\\\\SERVER\\SHARE\\DIR\\SUB\\DEEPER\\DEEPEST", 20), "\\...\\DEEPER\\DEEPEST");
    for (int max = 0; max <= 40; ++max) {
        const std::string path = "D:\\ONE\\TWO\\THREE\\FOUR\\FIVE";
        EXPECT_LE(ShortenPath(path, max).size(), path.size()) << max;
    }
}

TEST(ExtractDir, DirectoryPartWithoutTrailingBackslashButRootKeepsIt) {
    EXPECT_EQ(ExtractDir("C:\\DIR\\FILE.TXT"), "C:\\DIR");
    EXPECT_EQ(ExtractDir("C:\\FILE.TXT"), "C:\\");
    EXPECT_EQ(ExtractDir("FILE.TXT"), "");
    EXPECT_EQ(ExtractDir("\\FILE"), "\\");
    EXPECT_EQ(ExtractDir("C:FILE.TXT"), "C:");
    EXPECT_EQ(ExtractDir("C:\\DIR\\SUB\\"), "C:\\DIR\\SUB");
    EXPECT_EQ(ExtractDir("\\\\SERVER\\SHARE\\F.JPG"), "\\\\SERVER\\SHARE");
}

TEST(GroupDigits, SeparatorBetweenGroupsNeverFirstOrLast) {
    EXPECT_EQ(GroupDigits("1234567", '.', 3, true), "1.234.567");
    EXPECT_EQ(GroupDigits("1234567", '.', 3, false), "123.456.7");
    EXPECT_EQ(GroupDigits("123456", '.', 3, true), "123.456");
    EXPECT_EQ(GroupDigits("123", ',', 3, true), "123");
    EXPECT_EQ(GroupDigits("1", ',', 1, true), "1");
    EXPECT_EQ(GroupDigits("12", ',', 1, false), "1,2");
    EXPECT_EQ(GroupDigits("", '.', 3, true), "");
    EXPECT_EQ(GroupDigits("1234567", '.', 0, true), "1234567");
}

TEST(UpperCaseAscii, OnlyAsciiLettersChange) {
    EXPECT_EQ(UpperCaseAscii("abc.Jpg-1\xe4"), "ABC.JPG-1\xe4");
}

TEST(ShortenPath, CountsCharactersNotBytes) {
    // CJK names shortened as ASCII names of as many characters are.
    for (const auto& [max, shortened] :
         {std::pair{12, "C:\\...\\旅行\\京都"}, {14, "C:\\日本\\写真\\旅行\\京都"}, {9, "C:\\...\\京都"}}) {
        EXPECT_EQ(ShortenPath("C:\\日本\\写真\\旅行\\京都", max), shortened) << max;
        EXPECT_EQ(Utf8Length(shortened), ShortenPath("C:\\AB\\CD\\EF\\GH", max).size()) << max;
    }
}

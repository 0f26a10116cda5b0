#include "browse/folderpath.h"

#include "base/text.h"

#include <gtest/gtest.h>

using namespace corv;

namespace {
// Every character 7 pixels wide.
int Measure(const std::string& text) {
    return static_cast<int>(text.size()) * 7;
}
} // namespace

TEST(ShortenDirStep, DropsOneDirectoryAtATime) {
    std::string dir = "\\WINDOWS\\SYSTEM\\COLOR\\";
    ShortenDirStep(dir);
    EXPECT_EQ(dir, "\\...\\SYSTEM\\COLOR\\");
    ShortenDirStep(dir);
    EXPECT_EQ(dir, "\\...\\COLOR\\");
    ShortenDirStep(dir);
    EXPECT_EQ(dir, "\\...\\");
    dir = "\\";
    ShortenDirStep(dir);
    EXPECT_EQ(dir, "");
    dir = "...\\";
    ShortenDirStep(dir);
    EXPECT_EQ(dir, "");
    dir = "RELATIVE";
    ShortenDirStep(dir);
    EXPECT_EQ(dir, "");
}

TEST(FitPathToWidth, ShortensDirectoriesThenDriveButKeepsTheName) {
    const std::string path = "C:\\WINDOWS\\SYSTEM\\COLOR\\NAME";
    EXPECT_EQ(FitPathToWidth(path, 1000, Measure), path);
    EXPECT_EQ(FitPathToWidth(path, 24 * 7, Measure), "C:\\...\\SYSTEM\\COLOR\\NAME");
    EXPECT_EQ(FitPathToWidth(path, 17 * 7, Measure), "C:\\...\\COLOR\\NAME");
    EXPECT_EQ(FitPathToWidth(path, 11 * 7, Measure), "C:\\...\\NAME");
    EXPECT_EQ(FitPathToWidth(path, 8 * 7, Measure), "...\\NAME");
    EXPECT_EQ(FitPathToWidth(path, 5 * 7, Measure), "NAME");
    EXPECT_EQ(FitPathToWidth(path, 0, Measure), "NAME") << "nothing left to remove";
    EXPECT_EQ(FitPathToWidth("\\\\SERVER\\SHARE\\DIR", 9 * 7, Measure), "\\...\\DIR");
}

TEST(FitPathToWidth, EndsForAnyPathFittingOrWithTheNameAlone) {
    const std::string paths[] = {
        "C:\\",          "C:",     "\\",     "\\\\",    "...\\",           ".\\x",
        "C:\\A\\",       "\\A\\B", "C:NAME", "\\...\\", "C:\\...\\...\\X", "A:\\.HIDDEN\\DIR\\F",
        "\\\\S\\\\T\\\\"};
    for (const std::string& path : paths)
        for (int width = 0; width <= 100; width += 7) {
            const std::string fitted = FitPathToWidth(path, width, Measure);
            const std::string name =
                path.substr(path.find_last_of("\\:") == std::string::npos ? 0 : path.find_last_of("\\:") + 1);
            EXPECT_TRUE(Measure(fitted) <= width || fitted == name)
                << path << " at " << width << ": " << fitted;
            if (Measure(path) <= width) {
                EXPECT_EQ(fitted, path);
            }
        }
}

TEST(FitTextToWidth, CutsFromTheEndWithAnEllipsis) {
    EXPECT_EQ(FitTextToWidth("Network Neighbourhood", 1000, Measure), "Network Neighbourhood");
    EXPECT_EQ(FitTextToWidth("Network Neighbourhood", 10 * 7, Measure), "Network...");
    EXPECT_EQ(FitTextToWidth("ab", 0, Measure), "...");
    EXPECT_EQ(FitTextToWidth("", 0, Measure), "");
}

TEST(SelectionPath, NormalizeAndStrip) {
    EXPECT_EQ(NormalizeSelectionPath(""), "");
    EXPECT_EQ(NormalizeSelectionPath("C:"), "C:\\");
    EXPECT_EQ(NormalizeSelectionPath("C:\\"), "C:\\");
    EXPECT_EQ(NormalizeSelectionPath("C:\\DIR\\"), "C:\\DIR");
    EXPECT_EQ(NormalizeSelectionPath("C:\\DIR"), "C:\\DIR");
    EXPECT_EQ(NormalizeSelectionPath("\\"), "\\");
    EXPECT_EQ(NormalizeSelectionPath("\\\\SERVER\\SHARE\\"), "\\\\SERVER\\SHARE");
    EXPECT_EQ(StripTrailingBackslash("C:\\DIR\\"), "C:\\DIR");
    EXPECT_EQ(StripTrailingBackslash("C:\\DIR"), "C:\\DIR");
    EXPECT_EQ(StripTrailingBackslash(""), "");
}

TEST(FitTextToWidth, CutsWholeCharactersOnly) {
    const TextMeasure characters = [](const std::string& text) {
        return static_cast<int>(Utf8Length(text)) * 7;
    };
    EXPECT_EQ(FitTextToWidth("日本の写真 😀😀", 6 * 7, characters), "日本の...");
    EXPECT_EQ(FitTextToWidth("Ελληνικά", 5 * 7, characters), "Ελ...");
    // A name beginning with a dot is a name, not an earlier "...".
    std::string dir = "\\.a\\写真\\旅\\";
    ShortenDirStep(dir);
    EXPECT_EQ(dir, "\\...\\写真\\旅\\");
}

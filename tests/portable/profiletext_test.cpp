#include "settings/profiletext.h"

#include <gtest/gtest.h>

using namespace corv;

TEST(RemoveProfileKey, DropsTheKeyInTheTargetSectionOnly) {
    const std::string before = "[Files]\r\n"
                               "corv32.hlp=C:\\CORV\r\n"
                               "OTHER.HLP=C:\\X\r\n"
                               "CORV32.HLP=again\r\n"
                               "\r\n"
                               "[Other]\r\n"
                               "CORV32.HLP=stays\r\n";
    const ProfileEdit edit = RemoveProfileKey(before, "files", "Corv32.hlp");
    EXPECT_TRUE(edit.removed);
    EXPECT_EQ(edit.content, "[Files]\r\nOTHER.HLP=C:\\X\r\n\r\n[Other]\r\nCORV32.HLP=stays\r\n");
}

TEST(RemoveProfileKey, KeyWithBlankBeforeEqualsIsNotTheKey) {
    const std::string before = "[FILES]\nCORV32.HLP =C:\\CORV\nCORV32.HLPX=1\n";
    const ProfileEdit edit = RemoveProfileKey(before, "FILES", "CORV32.HLP");
    EXPECT_FALSE(edit.removed);
    EXPECT_EQ(edit.content, before);
}

TEST(RemoveProfileKey, SectionHeaderMustMatchExactly) {
    const std::string before = " [FILES]\nK=1\n[FILES] \nK=2\n";
    const ProfileEdit edit = RemoveProfileKey(before, "FILES", "K");
    EXPECT_FALSE(edit.removed);
    EXPECT_EQ(edit.content, before);
}

TEST(RemoveProfileKey, SectionEndsAtEmptyLineOrNextHeader) {
    // After the blank line we are outside the section again; a later section of the same name is treated.
    const std::string before = "[A]\nK=1\n\nK=2\n[B]\nK=3\n[A]\nK=4\n";
    const ProfileEdit edit = RemoveProfileKey(before, "A", "K");
    EXPECT_TRUE(edit.removed);
    EXPECT_EQ(edit.content, "[A]\n\nK=2\n[B]\nK=3\n[A]\n");
}

TEST(RemoveProfileKey, KeepsLastLineWithoutEndingAndMixedEndings) {
    EXPECT_EQ(RemoveProfileKey("[A]\nX=1\r\nK=2", "A", "K").content, "[A]\nX=1\r\n");
    EXPECT_EQ(RemoveProfileKey("[A]\nK=2", "A", "K").content, "[A]\n");
    EXPECT_EQ(RemoveProfileKey("", "A", "K").content, "");
    EXPECT_EQ(RemoveProfileKey("[A]", "A", "K").content, "[A]");
}

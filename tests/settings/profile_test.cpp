#include "base/handles.h"
#include "base/wide.h"
#include "settings/profile.h"
#include "settings/system.h"

#include "tests/support/winsupport.h"

#include <gtest/gtest.h>

using namespace corv;
using namespace corv::test;

namespace {
const std::string kProfile = "[Files]\r\n"
                             "CORV32.HLP=C:\\CORV\r\n"
                             "other.hlp=C:\\OTHER\r\n"
                             "\r\n"
                             "[Windows]\r\n"
                             "corv32.hlp=C:\\ELSEWHERE\r\n";
}

TEST(IniRemoveKey, RemovesTheKeyInAnyCaseOnlyInItsSection) {
    TempFolder folder;
    const std::string ini = folder / "winhelp.ini";
    WriteFileBytes(ini, kProfile);
    EXPECT_TRUE(IniRemoveKey(ini, "files", "corv32.hlp"));
    EXPECT_EQ(ReadFileBytes(ini),
              "[Files]\r\nother.hlp=C:\\OTHER\r\n\r\n[Windows]\r\ncorv32.hlp=C:\\ELSEWHERE\r\n");
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"winhelp.ini"}) << "no temporary file left";

    // Nothing more to remove: false, content unchanged.
    const std::string after = ReadFileBytes(ini);
    EXPECT_FALSE(IniRemoveKey(ini, "FILES", "CORV32.HLP"));
    EXPECT_EQ(ReadFileBytes(ini), after);
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"winhelp.ini"});
}

TEST(IniRemoveKey, BlankBeforeEqualsIsNotRecognised) {
    TempFolder folder;
    const std::string ini = folder / "x.ini";
    WriteFileBytes(ini, "[Files]\r\nCORV32.HLP =C:\\CORV\r\n");
    EXPECT_FALSE(IniRemoveKey(ini, "Files", "CORV32.HLP"));
    EXPECT_EQ(ReadFileBytes(ini), "[Files]\r\nCORV32.HLP =C:\\CORV\r\n");
}

TEST(IniRemoveKey, ReadOnlyOrMissingFileIsLeftAlone) {
    TempFolder folder;
    const std::string ini = folder / "ro.ini";
    WriteFileBytes(ini, kProfile);
    ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(IniRemoveKey(ini, "Files", "CORV32.HLP"));
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(ReadFileBytes(ini), kProfile);
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"ro.ini"});

    EXPECT_FALSE(IniRemoveKey(folder / "absent.ini", "Files", "CORV32.HLP"));
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"ro.ini"});
}

TEST(IniRemoveKey, FailedReplacementKeepsTheProfile) {
    TempFolder folder;
    const std::string ini = folder / "locked.ini";
    WriteFileBytes(ini, kProfile);
    // Held open without delete sharing, the profile cannot be replaced.
    {
        const FileHandle lock(
            CreateFileA(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(lock.Valid());
        EXPECT_FALSE(IniRemoveKey(ini, "Files", "CORV32.HLP"));
    }
    EXPECT_EQ(ReadFileBytes(ini), kProfile);
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"locked.ini"}) << "temporary file cleaned up";
}

TEST(IniRemoveKey, BareFileNameMeansTheWindowsDirectory) {
    const std::string bare = "CORVTEST" + std::to_string(GetCurrentProcessId()) + ".INI";
    const std::string full = GetWindowsDir() + "\\" + bare;
    WriteFileBytes(full, kProfile);
    EXPECT_TRUE(IniRemoveKey(bare, "Files", "CORV32.HLP"));
    EXPECT_EQ(ReadFileBytes(full).find("CORV32.HLP"), std::string::npos);
    DeleteFileA(full.c_str());
}

TEST(IniWriteString, WritesTheLineAndRaisesWhenItCannot) {
    TempFolder folder;
    const std::string ini = folder / "winhelp.ini";
    EXPECT_TRUE(IniWriteString(ini, "FILES", "CORV32.HLP", "C:\\CORV"));
    char value[64] = {};
    GetPrivateProfileStringA("FILES", "CORV32.HLP", "", value, sizeof value, ini.c_str());
    EXPECT_STREQ(value, "C:\\CORV");
    // Then the removal finds what the write stored.
    EXPECT_TRUE(IniRemoveKey(ini, "Files", "Corv32.hlp"));

    const std::string impossible = folder / "no\\such\\dir\\x.ini";
    try {
        IniWriteString(impossible, "FILES", "K", "V");
        ADD_FAILURE() << "no error raised";
    } catch (const ProfileWriteError& error) {
        std::string upper = impossible;
        CharUpperA(upper.data());
        EXPECT_EQ(std::string(error.what()), "Kann nicht nach " + upper + " schreiben");
    }
}

TEST(IniWriteString, UnicodeProfileKeepsUnicodeThroughWriteAndRemoval) {
    // A profile with the UTF-16 mark is UTF-16 to the system; the removal keeps it so.
    TempFolder folder;
    const std::string ini = folder / "u.ini";
    WriteFileBytes(ini, std::string("\xFF\xFE[\0F\0]\0\r\0\n\0", 12));
    for (const char* value : {"C:\\Ελληνικά", "C:\\日本 😀"}) {
        ASSERT_TRUE(IniWriteString(ini, "F", "CORV32.HLP", value));
        ASSERT_TRUE(IniWriteString(ini, "F", "Ψ", value));
        wchar_t got[64] = {};
        GetPrivateProfileStringW(L"F", L"CORV32.HLP", L"", got, 64, Wide(ini).c_str());
        EXPECT_EQ(Utf8(got), value);
    }
    EXPECT_TRUE(IniRemoveKey(ini, "f", "corv32.hlp"));
    wchar_t got[64] = {};
    EXPECT_EQ(GetPrivateProfileStringW(L"F", nullptr, L"", got, 64, Wide(ini).c_str()), 2u)
        << "only Ψ is left";
    GetPrivateProfileStringW(L"F", L"Ψ", L"", got, 64, Wide(ini).c_str());
    EXPECT_EQ(Utf8(got), "C:\\日本 😀");
}

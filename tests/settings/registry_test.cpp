#include "settings/registry.h"

#include "base/handles.h"
#include "base/wide.h"

#include "tests/support/winsupport.h"

#include <gtest/gtest.h>

using namespace corv;
using namespace corv::test;

namespace {
const char* const kKey = "SOFTWARE\\Pellworth\\CorvaneTest\\Registry";
}

TEST(Registry, WriteThenReadRoundTrip) {
    ScratchKey scratch(kKey);
    EXPECT_TRUE(RegWriteString(HKEY_CURRENT_USER, kKey, "Name", "C:\\Pictures\\Holiday"));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "Name"), "C:\\Pictures\\Holiday");
    // Overwriting replaces the text, a shorter one included.
    EXPECT_TRUE(RegWriteString(HKEY_CURRENT_USER, kKey, "Name", "X"));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "Name"), "X");
    // The empty value name is the key's default value.
    EXPECT_TRUE(RegWriteString(HKEY_CURRENT_USER, kKey, "", "default"));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, ""), "default");
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "Name"), "X");
}

TEST(Registry, WritesRegSzWithTerminatingNulAndCreatesMissingKeys) {
    ScratchKey scratch(kKey);
    const std::string deep = std::string(kKey) + "\\A\\B";
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, deep, "Empty", ""));
    DWORD type = 0;
    std::string data;
    ASSERT_TRUE(GetRawValue(HKEY_CURRENT_USER, deep, "Empty", type, data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, std::string(1, '\0'));

    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, deep, "Text", "abc"));
    ASSERT_TRUE(GetRawValue(HKEY_CURRENT_USER, deep, "Text", type, data));
    EXPECT_EQ(data, std::string("abc\0", 4));
}

TEST(Registry, AbsentOrForeignValuesReadEmpty) {
    ScratchKey scratch(kKey);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "Missing"), "");
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, std::string(kKey) + "\\NoSuchKey", "Missing"), "");

    const DWORD number = 1;
    SetRawValue(HKEY_CURRENT_USER, kKey, "Number", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "Number"), "");
    SetRawValue(HKEY_CURRENT_USER, kKey, "Expand", REG_EXPAND_SZ, "%TEMP%", 7);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "Expand"), "");
    SetRawValue(HKEY_CURRENT_USER, kKey, "Zero", REG_SZ, "", 0);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "Zero"), "");
}

TEST(Registry, ReadStopsAtNulAndNeverBeyondTheStoredData) {
    ScratchKey scratch(kKey);
    SetRawValue(HKEY_CURRENT_USER, kKey, "Embedded", REG_SZ, "ab\0cd", 6);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "Embedded"), "ab");
    // Stored without any terminating NUL.
    SetRawValue(HKEY_CURRENT_USER, kKey, "Unterminated", REG_SZ, "xyz", 3);
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "Unterminated"), "xyz");
}

TEST(Registry, RemoveKey) {
    ScratchKey scratch(kKey);
    const std::string leaf = std::string(kKey) + "\\Leaf";
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, leaf, "V", "1"));
    EXPECT_TRUE(RegRemoveKey(HKEY_CURRENT_USER, leaf));
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, leaf, "V"), "");
    EXPECT_FALSE(RegRemoveKey(HKEY_CURRENT_USER, leaf)) << "already gone";
    EXPECT_FALSE(RegRemoveKey(HKEY_CURRENT_USER, std::string(kKey) + "\\Never\\There"));
}

TEST(Registry, WriteToUnwritableRootFails) {
    // HKEY_PERFORMANCE_DATA cannot hold keys: the write reports false instead of pretending.
    EXPECT_FALSE(RegWriteString(HKEY_PERFORMANCE_DATA, "CorvaneTest", "V", "1"));
    EXPECT_EQ(RegReadString(HKEY_PERFORMANCE_DATA, "CorvaneTest", "V"), "");
}

TEST(Registry, RemoveValueAndEmptyKeys) {
    ScratchKey scratch(kKey);
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kKey, "", "default"));
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kKey, "Other", "kept"));
    EXPECT_FALSE(RegKeyIsEmpty(HKEY_CURRENT_USER, kKey));
    EXPECT_TRUE(RegRemoveValue(HKEY_CURRENT_USER, kKey, ""));
    EXPECT_FALSE(RegRemoveValue(HKEY_CURRENT_USER, kKey, "")) << "already gone";
    EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, "Other"), "kept");
    EXPECT_TRUE(RegRemoveValue(HKEY_CURRENT_USER, kKey, "Other"));
    EXPECT_TRUE(RegKeyIsEmpty(HKEY_CURRENT_USER, kKey));
    // A subkey is content too.
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, std::string(kKey) + "\\Sub", "", ""));
    EXPECT_FALSE(RegKeyIsEmpty(HKEY_CURRENT_USER, kKey));
    EXPECT_FALSE(RegKeyIsEmpty(HKEY_CURRENT_USER, std::string(kKey) + "\\Missing")) << "no key is not empty";
}

TEST(Registry, UnicodeAndAsciiTextRoundTripAsUtf16WithItsNul) {
    ScratchKey scratch(kKey);
    RegKeyHandle key;
    ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kKey, "", ""));
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, Wide(kKey).c_str(), 0, KEY_READ, OutParam(key)),
              ERROR_SUCCESS);
    for (const char* text : {"C:\\Bilder\\日本 😀", "Ελληνικά", "plain ASCII", ""}) {
        ASSERT_TRUE(RegWriteString(HKEY_CURRENT_USER, kKey, text, text)) << text;
        EXPECT_EQ(RegReadString(HKEY_CURRENT_USER, kKey, text), text);
        // What the system holds: the UTF-16 text and its NUL, sized in bytes.
        wchar_t data[64] = {};
        DWORD type = 0, size = sizeof data;
        ASSERT_EQ(RegQueryValueExW(key.Get(), Wide(text).c_str(), nullptr, &type,
                                   reinterpret_cast<BYTE*>(data), &size),
                  ERROR_SUCCESS);
        EXPECT_EQ(std::wstring(data, size / sizeof(wchar_t)), Wide(text) + L'\0');
    }
}

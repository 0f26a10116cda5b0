#include "image/resbitmap.h"

#include <gtest/gtest.h>

using namespace corv;

namespace {
COLORREF PixelOf(const ResourceBitmap& picture, int x, int y) {
    MemoryDcHandle dc(CreateCompatibleDC(nullptr));
    ScopedSelect select(dc.Get(), picture.bitmap.Get());
    return GetPixel(dc.Get(), x, y);
}
SIZE SizeOf(const ResourceBitmap& picture) {
    BITMAP info{};
    GetObjectA(picture.bitmap.Get(), sizeof info, &info);
    return {info.bmWidth, info.bmHeight};
}
} // namespace

TEST(ResourceBitmap, NameIsTheFilePartBeforeItsFirstDot) {
    EXPECT_EQ(ResourceNameOf("120.RES"), "120");
    EXPECT_EQ(ResourceNameOf("C:\\ANY\\DIR\\LOGO.RES"), "LOGO");
    EXPECT_EQ(ResourceNameOf("A:B.C.RES"), "B");
    EXPECT_EQ(ResourceNameOf(std::string(70, 'X') + ".RES"), std::string(64, 'X'));
    EXPECT_EQ(ResourceNameOf(std::string(63, 'X') + "éé.RES"), std::string(63, 'X') + "é")
        << "characters, not bytes";
}

TEST(ResourceBitmap, ByNumberAndByNameWithPalette) {
    const HMODULE self = GetModuleHandleA(nullptr);
    const ResourceBitmap numbered = LoadResourceBitmap(self, "120", nullptr);
    ASSERT_TRUE(numbered.bitmap);
    EXPECT_TRUE(numbered.palette) << "a palette bitmap brings its colours";
    EXPECT_EQ(SizeOf(numbered).cx, 32);
    EXPECT_EQ(SizeOf(numbered).cy, 12);
    EXPECT_EQ(PixelOf(numbered, 2, 2), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(numbered, 30, 10), RGB(0, 0, 255));

    const ResourceBitmap named = LoadResourceBitmap(self, "LOGO", nullptr);
    ASSERT_TRUE(named.bitmap);
    EXPECT_EQ(SizeOf(named).cx, 40);
    EXPECT_EQ(PixelOf(named, 1, 1), RGB(0, 255, 0));
    EXPECT_EQ(PixelOf(named, 39, 29), RGB(255, 255, 0));
    EXPECT_TRUE(LoadResourceBitmap(self, "logo", nullptr).bitmap) << "names are case-insensitive";
}

TEST(ResourceBitmap, MissingResourcesGiveNothing) {
    const HMODULE self = GetModuleHandleA(nullptr);
    const long before = LiveHandles(HandleKind::Bitmap);
    for (const char* missing : {"121", "NOSUCH", "", "99999", "70000"}) {
        const ResourceBitmap picture = LoadResourceBitmap(self, missing, nullptr);
        EXPECT_FALSE(picture.bitmap) << missing;
        EXPECT_FALSE(picture.palette) << missing;
    }
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), before);
}

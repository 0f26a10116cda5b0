// Pictures for tests: the committed fixtures, and bitmaps made in memory with known pixels.
#pragma once
#include "base/dibstride.h"
#include "base/handles.h"

#include <windows.h>

#include <string>

namespace corv::test {

// The Windows path of a fixture, given relative to tests/fixtures with forward slashes.
std::string FixturePath(const std::string& relative);

// A 24-bit top-down DIB section whose pixel (x, y) has the colour colorAt(x, y).
template <typename ColorAt> BitmapHandle MakeBitmap(int width, int height, ColorAt colorAt) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    BitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const int stride = static_cast<int>(DibRowStride(static_cast<std::uint64_t>(width), 24));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const COLORREF c = colorAt(x, y);
            BYTE* p = static_cast<BYTE*>(bits) + y * stride + x * 3;
            p[0] = GetBValue(c), p[1] = GetGValue(c), p[2] = GetRValue(c);
        }
    return bitmap;
}

// The bytes of a 24-bit bitmap file of one colour.
std::string SolidBmpFile(int width, int height, COLORREF color);

} // namespace corv::test

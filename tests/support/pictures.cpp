#include "tests/support/pictures.h"

namespace corv::test {

std::string FixturePath(const std::string& relative) {
    std::string path = std::string(CORV_FIXTURE_DIR) + "/" + relative;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string SolidBmpFile(int width, int height, COLORREF color) {
    const int stride = static_cast<int>(DibRowStride(static_cast<std::uint64_t>(width), 24));
    const DWORD pixels = static_cast<DWORD>(stride * height);
    BITMAPFILEHEADER file{0x4D42, 54 + pixels, 0, 0, 54};
    BITMAPINFOHEADER info{40, width, height, 1, 24, BI_RGB, pixels, 0, 0, 0, 0};
    std::string bytes(reinterpret_cast<const char*>(&file), 14);
    bytes.append(reinterpret_cast<const char*>(&info), 40);
    std::string row(static_cast<std::size_t>(stride), '\0');
    for (int x = 0; x < width; ++x) {
        row[x * 3] = static_cast<char>(GetBValue(color));
        row[x * 3 + 1] = static_cast<char>(GetGValue(color));
        row[x * 3 + 2] = static_cast<char>(GetRValue(color));
    }
    for (int y = 0; y < height; ++y)
        bytes += row;
    return bytes;
}

} // namespace corv::test

#include "base/gdi.h"

#include "base/dibstride.h"

#include <cstring>
#include <vector>

namespace corv {

PaletteHandle CreateLogicalPalette(const PALETTEENTRY* entries, std::size_t count) {
    if (count > 256) return {};
    // LOGPALETTE declares room for one entry; the storage has room for all of them.
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * count);
    auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
    palette->palVersion = kLogPaletteVersion;
    palette->palNumEntries = static_cast<WORD>(count);
    if (count > 0) std::memcpy(palette->palPalEntry, entries, sizeof(PALETTEENTRY) * count);
    return PaletteHandle(CreatePalette(palette));
}

std::size_t DibSizeOf(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info)) return 0;
    const unsigned bits = static_cast<unsigned>(info.bmBitsPixel * info.bmPlanes);
    const std::uint64_t colors = bits <= 8 ? (std::uint64_t{1} << bits) : 0;
    const std::uint64_t size = sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD) +
                               DibRowStride(static_cast<std::uint64_t>(info.bmWidth), bits) *
                                   static_cast<std::uint64_t>(info.bmHeight);
    return static_cast<std::size_t>(size);
}

int DrawUtf8Text(HDC dc, const std::string& text, RECT& rect, UINT format) {
    const std::wstring wide = Wide(text);
    return DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &rect, format);
}

BOOL TextOutUtf8(HDC dc, int x, int y, const std::string& text) {
    const std::wstring wide = Wide(text);
    return TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

SIZE Utf8TextExtent(HDC dc, const std::string& text) {
    const std::wstring wide = Wide(text);
    SIZE size{0, 0};
    if (!GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size)) size = {0, 0};
    return size;
}

} // namespace corv

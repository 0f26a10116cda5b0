#include "cvimg/win/output.h"

#include <vector>

namespace cvimg {

Status CreateDib(int width, int height, int bits, const Palette* palette, DibSection& out) {
    const int colors = palette ? palette->count : 0;
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + sizeof(RGBQUAD) * 256, 0);
    auto* bmi = reinterpret_cast<BITMAPINFO*>(info.data());
    bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi->bmiHeader.biWidth = width;
    bmi->bmiHeader.biHeight = height; // bottom-up, as most consumers of a DIB expect
    bmi->bmiHeader.biPlanes = 1;
    bmi->bmiHeader.biBitCount = static_cast<WORD>(bits);
    bmi->bmiHeader.biCompression = BI_RGB;
    bmi->bmiHeader.biClrUsed = static_cast<DWORD>(colors);
    for (int i = 0; i < colors; ++i) {
        bmi->bmiColors[i] = {palette->colors[i].b, palette->colors[i].g, palette->colors[i].r, 0};
    }
    void* bits_ = nullptr;
    out.bitmap = corv::BitmapHandle(CreateDIBSection(nullptr, bmi, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (!out.bitmap || !bits_) return Status::OutOfMemory;
    const ptrdiff_t stride = static_cast<ptrdiff_t>(((static_cast<size_t>(width) * bits + 31) / 32) * 4);
    out.top = static_cast<uint8_t*>(bits_) + stride * (height - 1);
    out.step = -stride;
    return Status::Ok;
}

Status CreateLogicalPalette(const Palette& palette, corv::PaletteHandle& out) {
    std::vector<uint8_t> memory(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * 256, 0);
    auto* lp = reinterpret_cast<LOGPALETTE*>(memory.data());
    lp->palVersion = 0x300;
    lp->palNumEntries = static_cast<WORD>(palette.count);
    for (int i = 0; i < palette.count; ++i) {
        lp->palPalEntry[i] = {palette.colors[i].r, palette.colors[i].g, palette.colors[i].b, 0};
    }
    out = corv::PaletteHandle(CreatePalette(lp));
    return out ? Status::Ok : Status::OutOfMemory;
}

} // namespace cvimg

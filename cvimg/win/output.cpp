#include "cvimg/win/output.h"

#include "base/dibstride.h"
#include "base/gdi.h"

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
    const auto stride = static_cast<ptrdiff_t>(corv::DibRowStride(static_cast<uint64_t>(width), bits));
    out.top = static_cast<uint8_t*>(bits_) + stride * (height - 1);
    out.step = -stride;
    return Status::Ok;
}

Status CreateLogicalPalette(const Palette& palette, corv::PaletteHandle& out) {
    PALETTEENTRY entries[256] = {};
    const int count = palette.count < 0 ? 0 : palette.count > 256 ? 256 : palette.count;
    for (int i = 0; i < count; ++i)
        entries[i] = {palette.colors[i].r, palette.colors[i].g, palette.colors[i].b, 0};
    out = corv::CreateLogicalPalette(entries, static_cast<size_t>(count));
    return out ? Status::Ok : Status::OutOfMemory;
}

} // namespace cvimg

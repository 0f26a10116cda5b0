// The decoded picture as the caller receives it: a DIB section and, for 8 bits and fewer, a palette.
#pragma once
#include "base/handles.h"
#include "cvimg/reduce.h"

namespace cvimg {

struct DibSection {
    corv::BitmapHandle bitmap;
    uint8_t* top = nullptr; // the picture's top row in the section's memory
    ptrdiff_t step = 0;     // from one picture row to the next (negative: the section is bottom-up)
};

// A bottom-up DIB section of `bits` per pixel with the palette's colours as its colour table.
Status CreateDib(int width, int height, int bits, const Palette* palette, DibSection& out);
// A logical palette with the colours of `palette`.
Status CreateLogicalPalette(const Palette& palette, corv::PaletteHandle& out);

} // namespace cvimg

// From a decoded picture to the depth the caller asked for: the output depth and palette for a depth
// code, then the rows in that form, with error diffusion where colours are reduced if asked.
#pragma once
#include "cvimg/raster.h"

namespace cvimg {

struct Target {
    int bits = 24;      // 24, 8, 4 or 1 bits per pixel
    Palette palette;    // for 8 bits and fewer
    bool exact = false; // every colour of the picture is in the palette
};

// Depth codes: 24 true colour; 8 the picture's own colours when there are at most 256, else an adaptive
// palette of 256; 4 the same with 16; 1 black and white; 0 the standard 16-colour VGA palette.
// BadDepth for any other code.
Status PlanTarget(const Raster& source, int depthCode, Target& target);

// Writes the rows as a DIB holds them (pixels packed high bits first, rows padded by the caller's step):
// row y of the picture goes to top + y * step.
Status Render(const Raster& source, const Target& target, bool dither, uint8_t* top, ptrdiff_t step);

// The standard 16 colours of a VGA display, in the order Windows gives them.
const Palette& VgaPalette();

} // namespace cvimg

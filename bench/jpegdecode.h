// One timed JPEG decode through CVIMG32.DLL, for the benchmark programs.
#pragma once
#include "bench/timing.h"
#include "image/cvimglib.h"

#include <string>

namespace corv::bench {

// Decodes the file at the depth code and frees what came back. Returns the milliseconds it took, or a
// negative value with the module's message in `error` when the decode failed.
inline double TimeJpegDecode(CvImgLib& library, const char* file, int depth, int dither, std::string& error) {
    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    const double start = Now();
    const int16_t code = library.LibReadJPEG(file, depth, 1, dither, &bitmap, &palette, 0, 0);
    const double elapsed = Now() - start;
    if (bitmap) DeleteObject(bitmap);
    if (palette) DeleteObject(palette);
    if (code < 1) {
        error = library.Message(code);
        return -1;
    }
    return elapsed;
}

} // namespace corv::bench

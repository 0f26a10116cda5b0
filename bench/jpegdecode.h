// One timed JPEG decode through CVIMG32.DLL, for the benchmark programs.
#pragma once
#include "base/handles.h"
#include "bench/timing.h"
#include "image/cvimglib.h"

#include <string>

namespace corv::bench {

// Decodes the file at the depth code and frees what came back. Returns the milliseconds it took, or a
// negative value with the module's message in `error` when the decode failed.
inline double TimeJpegDecode(CvImgLib& library, const char* file, int depth, int dither, std::string& error) {
    BitmapHandle bitmap;
    PaletteHandle palette;
    const double start = Now();
    const int16_t code =
        library.LibReadJPEG(file, depth, 1, dither, OutParam(bitmap), OutParam(palette), 0, 0);
    const double elapsed = Now() - start;
    if (code < 1) {
        error = library.Message(code);
        return -1;
    }
    return elapsed;
}

} // namespace corv::bench

// Times CVIMG32.DLL on one JPEG: the header read and the full decode at 24 bits, each repeated, and
// prints the medians in milliseconds: "info <ms>", "decode <ms>" and, for information, "decode8 <ms>"
// (adaptive 256-colour palette with error diffusion).
// Usage: cvimg_bench DLL-PATH JPEG-PATH [decode-runs]
#include "bench/jpegdecode.h"
#include "bench/timing.h"
#include "image/cvimglib.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using corv::bench::Median;
using corv::bench::Now;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: cvimg_bench DLL-PATH JPEG-PATH [decode-runs]\n");
        return 2;
    }
    corv::CvImgLib lib;
    if (!lib.Load(argv[1])) {
        std::fprintf(stderr, "cannot load %s\n", argv[1]);
        return 1;
    }
    const char* file = argv[2];
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;

    std::vector<double> info;
    for (int i = 0; i < 200; ++i) {
        char type[cvimg::kTypeTextSize], compression[cvimg::kCompressionTextSize];
        int16_t w, h, b, p, f;
        const double t0 = Now();
        const int16_t code = lib.LibImageInfo(file, type, &w, &h, &b, &p, &f, compression, 0);
        info.push_back(Now() - t0);
        if (code != 1) {
            std::fprintf(stderr, "info failed: %s\n", lib.Message(code).c_str());
            return 1;
        }
        if (i == 0) std::printf("picture %dx%d %s\n", w, h, compression);
    }
    std::vector<double> decode;
    std::string error;
    for (int i = 0; i < runs; ++i) {
        const double ms = corv::bench::TimeJpegDecode(lib, file, 24, 0, error);
        if (ms < 0) {
            std::fprintf(stderr, "decode failed: %s\n", error.c_str());
            return 1;
        }
        decode.push_back(ms);
    }
    // For information: the same picture reduced to an adaptive 256-colour palette with dithering.
    std::vector<double> reduced;
    for (int i = 0; i < std::max(1, runs / 2); ++i) {
        const double ms = corv::bench::TimeJpegDecode(lib, file, 8, 1, error);
        if (ms < 0) {
            std::fprintf(stderr, "decode at 8 bits failed: %s\n", error.c_str());
            return 1;
        }
        reduced.push_back(ms);
    }
    std::printf("info %.3f\ndecode %.3f\ndecode8 %.3f\n", Median(info), Median(decode), Median(reduced));
    return 0;
}

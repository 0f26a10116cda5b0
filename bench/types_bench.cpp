// Times CVIMG32.DLL on pictures of the newer types (WebP, HEIC, AVIF): the header read (the information
// that knows them) and the full decode at 24 bits, and prints per file "FILE info <ms> decode <ms>", the
// medians of the runs.
// Usage: types_bench DLL-PATH RUNS FILE...
#include "bench/timing.h"
#include "image/cvimglib.h"
#include "base/handles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using corv::bench::Median;
using corv::bench::Now;

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: types_bench DLL-PATH RUNS FILE...\n");
        return 2;
    }
    corv::CvImgLib lib;
    if (!lib.Load(argv[1]) || !lib.LibReadWEBP) {
        std::fprintf(stderr, "cannot load %s with the newer types\n", argv[1]);
        return 1;
    }
    const int runs = std::max(1, std::atoi(argv[2]));
    for (int n = 3; n < argc; ++n) {
        const char* file = argv[n];
        const bool webp = std::strstr(file, ".webp") != nullptr;
        std::vector<double> info, decode;
        for (int i = 0; i < 50; ++i) {
            char type[cvimg::kTypeTextSize], compression[cvimg::kCompressionTextSize];
            int16_t w, h, b, p, f;
            const double t0 = Now();
            const int16_t code = lib.LibImageInfoAll(file, type, &w, &h, &b, &p, &f, compression, 0);
            info.push_back(Now() - t0);
            if (code != 1) {
                std::fprintf(stderr, "%s: info failed: %s\n", file, lib.Message(code).c_str());
                return 1;
            }
        }
        for (int i = 0; i < runs; ++i) {
            HBITMAP bitmap = nullptr;
            HPALETTE palette = nullptr;
            const double t0 = Now();
            const int16_t code =
                (webp ? lib.LibReadWEBP : lib.LibReadHEIF)(file, 24, 0, &bitmap, &palette, 0, 0);
            decode.push_back(Now() - t0);
            corv::BitmapHandle owned(bitmap);
            corv::PaletteHandle ownedPalette(palette);
            if (code != 1) {
                std::fprintf(stderr, "%s: decode failed: %s\n", file, lib.Message(code).c_str());
                return 1;
            }
        }
        std::printf("%s info %.3f decode %.3f\n", file, Median(info), Median(decode));
    }
    return 0;
}

// Times what photos cost beyond the decode, through CVIMG32.DLL's photo read: the full decode of a JPEG at
// 24 bits with its embedded profile converted to sRGB against the same decode without conversion, the two
// alternating so that both meet the same machine. Prints the medians in milliseconds, "decode <ms>" and
// "color <ms>" (wall clock) and "cpu-decode <ms>" and "cpu-color <ms>" (processor time, which a loaded
// machine disturbs less), and checks that the conversion changed the pixels (a
// profile that was never applied would be a cheap benchmark). Usage: photo_bench DLL-PATH JPEG-PATH [runs]
#include "base/handles.h"
#include "base/wide.h"
#include "bench/timing.h"
#include "image/cvimglib.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using corv::bench::Median;
using corv::bench::Now;
using corv::bench::ProcessCpu;

namespace {

// One decode; its time, the processor time it took, and the colour of the middle pixel.
double Decode(const corv::CvImgLib& lib, const std::wstring& file, int flags, COLORREF& middle, double& cpu) {
    corv::BitmapHandle bitmap;
    corv::PaletteHandle palette;
    const double cpuStart = ProcessCpu();
    const double start = Now();
    const int16_t code = lib.LibReadEx(file.c_str(), cvimg::kOrdReadJpeg, 24, 0, 0, 0, flags, nullptr,
                                       corv::OutParam(bitmap), corv::OutParam(palette));
    const double elapsed = Now() - start;
    cpu = ProcessCpu() - cpuStart;
    if (code < 1) return -1;
    BITMAP info{};
    GetObjectW(bitmap.Get(), sizeof info, &info);
    corv::MemoryDcHandle dc(CreateCompatibleDC(nullptr));
    corv::ScopedSelect select(dc.Get(), bitmap.Get());
    middle = GetPixel(dc.Get(), info.bmWidth / 3, info.bmHeight / 3);
    return elapsed;
}

// Every .JPG of the folder reduced to the cell it fills (a 3:2 photo: 76 x 51), one after another.
double ThumbFolder(const corv::CvImgLib& lib, const std::string& folder) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW(corv::Wide(folder + "\\*.JPG").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return -1;
    double total = 0;
    do {
        const std::wstring name = corv::Wide(folder) + L"\\" + found.cFileName;
        corv::BitmapHandle bitmap;
        corv::PaletteHandle palette;
        const double start = Now();
        const int16_t code = lib.LibReadEx(name.c_str(), cvimg::kOrdReadJpeg, 24, 1, 76, 51,
                                           cvimg::kPhotoUpright | cvimg::kPhotoColor | cvimg::kPhotoPreview,
                                           nullptr, corv::OutParam(bitmap), corv::OutParam(palette));
        total += Now() - start;
        if (code < 1) total = -1e9;
    } while (FindNextFileW(find, &found));
    FindClose(find);
    return total;
}

int Thumbs(const corv::CvImgLib& lib, const std::string& a, const std::string& b, int runs) {
    std::vector<double> first, second;
    for (int i = 0; i < runs; ++i) {
        first.push_back(ThumbFolder(lib, a));
        second.push_back(ThumbFolder(lib, b));
        if (first.back() < 0 || second.back() < 0) {
            std::fprintf(stderr, "a thumbnail read failed\n");
            return 1;
        }
    }
    std::printf("folder1 %.3f\nfolder2 %.3f\n", Median(first), Median(second));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: photo_bench DLL-PATH JPEG-PATH [runs]\n");
        return 2;
    }
    corv::CvImgLib lib;
    if (!lib.Load(argv[1]) || !lib.LibReadEx) {
        std::fprintf(stderr, "cannot load the photo read of %s\n", argv[1]);
        return 1;
    }
    if (std::string(argv[2]) == "thumbs" && argc >= 5)
        return Thumbs(lib, argv[3], argv[4], argc > 5 ? std::atoi(argv[5]) : 3);
    const std::wstring file = corv::Wide(argv[2]);
    const int runs = argc > 3 ? std::atoi(argv[3]) : 5;
    std::vector<double> plain, color, plainCpu, colorCpu;
    COLORREF plainPixel = 0, colorPixel = 0;
    for (int i = 0; i < runs; ++i) {
        double cpuA = 0, cpuB = 0;
        const double a = Decode(lib, file, 0, plainPixel, cpuA);
        const double b = Decode(lib, file, cvimg::kPhotoColor, colorPixel, cpuB);
        if (a < 0 || b < 0) {
            std::fprintf(stderr, "decode failed\n");
            return 1;
        }
        plain.push_back(a);
        color.push_back(b);
        plainCpu.push_back(cpuA);
        colorCpu.push_back(cpuB);
    }
    if (plainPixel == colorPixel) {
        std::fprintf(stderr, "the profile changed nothing: not a picture with a profile to convert\n");
        return 1;
    }
    std::printf("decode %.3f\ncolor %.3f\ncpu-decode %.3f\ncpu-color %.3f\n", Median(plain), Median(color),
                Median(plainCpu), Median(colorCpu));
    return 0;
}

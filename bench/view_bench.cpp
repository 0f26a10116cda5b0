// Times showing a picture in the main window against decoding it alone: from the call of LoadPicture
// until the picture is painted, and a bare 24-bit decode through CVIMG32.DLL of the same file.
// Prints the medians in milliseconds: "decode <ms>" and "view <ms>".
// Usage: view_bench PICTURE-PATH [runs]
#include "app/mainfrm.h"
#include "bench/jpegdecode.h"
#include "bench/timing.h"
#include "fullview/fviewfrm.h"
#include "image/cvimglib.h"
#include "settings/store.h"
#include "ui/application.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

using corv::bench::Median;
using corv::bench::Now;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: view_bench PICTURE-PATH [runs]\n");
        return 2;
    }
    const std::string file = argv[1];
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    corv::CvImgLib& library = corv::ImagingLibrary();
    if (!library.Loaded()) {
        std::fprintf(stderr, "CVIMG32.DLL not found beside the program\n");
        return 1;
    }
    corv::TMainForm form(nullptr);
    corv::TFullViewForm fullView(nullptr);
    form.Show();
    corv::ui::App().ProcessMessages();

    std::vector<double> decode, view;
    std::string error;
    for (int i = 0; i < runs; ++i) {
        const double ms = corv::bench::TimeJpegDecode(library, file.c_str(), 24, 1, error);
        if (ms < 0) {
            std::fprintf(stderr, "decode failed: %s\n", error.c_str());
            return 1;
        }
        decode.push_back(ms);

        form.CurrentFile.clear(); // the same name again would not be loaded again
        const double t0 = Now();
        form.LoadPicture(file);
        // The decode ends in the message loop.
        while (form.Loading && corv::ui::App().HandleMessage()) {
        }
        UpdateWindow(form.PMI->Handle()); // the paint itself
        GdiFlush();
        view.push_back(Now() - t0);
        if (!form.PMI->Visible()) {
            std::fprintf(stderr, "the picture was not shown\n");
            return 1;
        }
    }
    std::printf("picture %dx%d\n", form.PMI->ImageWidth(), form.PMI->ImageHeight());
    std::printf("decode %.3f\nview %.3f\n", Median(decode), Median(view));
    return 0;
}

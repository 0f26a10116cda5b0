// Times paging with the numeric keypad's "+" in the full-screen view through a folder of photos: for each
// picture, from the key until the view has painted it, against a bare decode of the same file through
// CVIMG32.DLL at the depth the view decodes to, just before. The walk goes through the folder `rounds`
// times; each picture's line gives the fastest of its decodes and of its pages (on a shared machine the
// fastest run is the one least disturbed), then the sums of those. The processor time of the program's
// own thread, summed over every run, follows: what the paging itself costs, whatever the machine's load.
// Usage: page_bench FOLDER [rounds]
#include "app/mainfrm.h"
#include "image/pictureinfo.h"
#include "bench/jpegdecode.h"
#include "bench/timing.h"
#include "fullview/fviewfrm.h"
#include "image/cvimglib.h"
#include "ui/filelistmodel.h"
#include "settings/store.h"
#include "ui/application.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using corv::bench::Median;
using corv::bench::Now;

namespace {
// Milliseconds of processor time this thread has used (the system counts it in ticks of about 10 ms).
double ThreadTime() {
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto ms = [](FILETIME t) {
        return (static_cast<double>(t.dwHighDateTime) * 4294967296.0 + t.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: page_bench FOLDER [rounds]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    corv::CvImgLib& library = corv::ImagingLibrary();
    if (!library.Loaded()) {
        std::fprintf(stderr, "CVIMG32.DLL not found beside the program\n");
        return 1;
    }
    corv::ShowMouse = false;
    corv::TMainForm form(nullptr);
    corv::TFullViewForm view(nullptr);
    corv::ConnectFullView(form, view);
    form.Show();
    corv::GoToPath(form, argv[1], true);
    corv::ui::FileListBox& list = *form.FLB;
    std::vector<int> pictures;
    for (int i = 0; i < list.Count(); ++i)
        if (!list.IsDirectoryItem(i) && corv::IsPictureFile(list.Item(i))) pictures.push_back(i);
    if (pictures.empty() || pictures.front() == 0) {
        std::fprintf(stderr, "no pictures after the directory entries in %s\n", argv[1]);
        return 1;
    }
    view.ShowView();
    corv::ui::App().ProcessMessages();

    int paints = 0;
    double paintedAt = 0, paintedCpu = 0;
    view.PMI->OnPaint = [&](corv::ui::Control&, HDC) {
        GdiFlush();
        paintedAt = Now();
        paintedCpu = ThreadTime();
        ++paints;
    };
    double decodeCpu = 0, pageCpu = 0;
    const int depth = view.PMI->DepthFromDisplay();
    const std::size_t count = pictures.size();
    std::vector<double> decodes(count, 1e300), pages(count, 1e300);
    std::vector<std::string> sizes(count);
    for (int round = 0; round < rounds; ++round) {
        // Each round starts on the entry before the first photo, so that every photo is paged to.
        list.SetItemIndex(pictures.front() - 1);
        for (std::size_t i = 0; i < count; ++i) {
            const std::string file = corv::JoinEntry(list.Directory(), list.Item(pictures[i]));
            std::string error;
            const double decodeStart = ThreadTime();
            const double decode = corv::bench::TimeJpegDecode(library, file.c_str(), depth, 1, error);
            decodeCpu += ThreadTime() - decodeStart;
            if (decode < 0) {
                std::fprintf(stderr, "decode of %s failed: %s\n", file.c_str(), error.c_str());
                return 1;
            }
            const int before = paints;
            const double startCpu = ThreadTime();
            const double start = Now();
            PostMessageA(view.Handle(), WM_KEYDOWN, VK_ADD, 1);
            PostMessageA(view.Handle(), WM_KEYUP, VK_ADD, static_cast<LPARAM>(0xC0000001));
            while (paints == before)
                if (!corv::ui::App().HandleMessage()) return 1;
            const double page = paintedAt - start;
            pageCpu += paintedCpu - startCpu;
            if (form.CurrentFile != file || !view.PMI->Visible()) {
                std::fprintf(stderr, "paging did not show %s\n", file.c_str());
                return 1;
            }
            sizes[i] = std::to_string(view.PMI->Picture().Width()) + "x" +
                       std::to_string(view.PMI->Picture().Height());
            decodes[i] = std::min(decodes[i], decode);
            pages[i] = std::min(pages[i], page);
        }
    }
    std::printf("%-12s %11s %10s %10s %6s\n", "picture", "size", "decode ms", "page ms", "ratio");
    double decodeSum = 0, pageSum = 0;
    std::vector<double> ratios;
    for (std::size_t i = 0; i < count; ++i) {
        decodeSum += decodes[i];
        pageSum += pages[i];
        ratios.push_back(pages[i] / decodes[i]);
        std::printf("%-12s %11s %10.1f %10.1f %6.3f\n", list.Item(pictures[i]).c_str(), sizes[i].c_str(),
                    decodes[i], pages[i], pages[i] / decodes[i]);
    }
    std::printf("pictures %zu rounds %d\ndecode %.1f\npage %.1f\n", count, rounds, decodeSum, pageSum);
    std::printf("median ratio %.3f\n", Median(ratios));
    std::printf("thread time: decode %.0f page %.0f ratio %.3f\n", decodeCpu, pageCpu, pageCpu / decodeCpu);

    return 0;
}

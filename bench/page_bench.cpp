// Times paging with the numeric keypad's "+" in the full-screen view through a folder of photos: for each
// picture, from the key until the view has painted it, against a bare decode of the same file through
// CVIMG32.DLL at the depth the view decodes to, just before. The walk goes through the folder `rounds`
// times; each picture's line gives the fastest of its decodes and of its pages (on a shared machine the
// fastest run is the one least disturbed), then the sums of those. The processor time of the program's
// own thread, summed over every run, follows: what the paging itself costs, whatever the machine's load.
// With --ahead it measures decoding ahead instead: the same walk, with a pause after each page longer than
// the slowest decode (a person looking at the picture), once with decoding ahead on and once off in each
// round; the median time from the key to the painted view of each, leaving out each walk's first page,
// which nothing was decoded ahead for.
// Usage: page_bench FOLDER [rounds] [--ahead]
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
using corv::bench::ThreadCpu;

namespace {
// Handles the messages that come for the milliseconds given, as an idle program would.
void Idle(double milliseconds) {
    const double end = Now() + milliseconds;
    while (Now() < end) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        corv::ui::App().ProcessMessages();
    }
}

template <typename PageTo>
int PageAhead(corv::TMainForm& form, corv::ui::FileListBox& list, const std::vector<int>& pictures,
              int rounds, PageTo pageTo) {
    corv::CvImgLib& library = corv::ImagingLibrary();
    const int depth = form.PMI->DecodeDepth();
    double slowest = 0;
    for (int picture : pictures) {
        std::string error;
        const std::string file = corv::JoinEntry(list.Directory(), list.Item(picture));
        const double decode = corv::bench::TimeJpegDecode(library, file.c_str(), depth, 1, error);
        if (decode < 0) {
            std::fprintf(stderr, "decode of %s failed: %s\n", file.c_str(), error.c_str());
            return 1;
        }
        slowest = std::max(slowest, decode);
    }
    const double pause = 1.25 * slowest;
    std::vector<double> times[2]; // off, on
    for (int round = 0; round < rounds; ++round)
        for (int pass = 0; pass < 2; ++pass) {
            // Alternating which goes first, so that neither always meets the machine in the same state.
            const bool on = (pass + round) % 2 == 0;
            form.PicturesAhead.SetEnabled(on);
            list.SetItemIndex(pictures.front() - 1);
            const int hits = form.PicturesAhead.Hits();
            for (std::size_t i = 0; i < pictures.size(); ++i) {
                const double page = pageTo(corv::JoinEntry(list.Directory(), list.Item(pictures[i])));
                if (page < 0) return 1;
                if (i > 0) times[on].push_back(page);
                Idle(pause);
            }
            std::printf("round %d ahead %-3s median %7.1f ms, %d of %zu pages taken from ahead\n", round,
                        on ? "on" : "off",
                        Median({times[on].end() - static_cast<long>(pictures.size() - 1), times[on].end()}),
                        form.PicturesAhead.Hits() - hits, pictures.size());
        }
    std::printf("pictures %zu rounds %d pause %.0f ms (1.25 x the slowest decode %.0f ms)\n", pictures.size(),
                rounds, pause, slowest);
    std::printf("ahead off %.1f\nahead on %.1f\n", Median(times[0]), Median(times[1]));
    std::printf("on / off %.3f\n", Median(times[1]) / Median(times[0]));
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: page_bench FOLDER [rounds] [--ahead]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    const bool ahead = argc > 3 && std::string(argv[3]) == "--ahead";
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
        paintedCpu = ThreadCpu();
        ++paints;
    };
    // Presses "+" and waits until the view has painted the file; the milliseconds, negative on failure.
    auto pageTo = [&](const std::string& file) {
        const int before = paints;
        const double start = Now();
        PostMessageA(view.Handle(), WM_KEYDOWN, VK_ADD, 1);
        PostMessageA(view.Handle(), WM_KEYUP, VK_ADD, static_cast<LPARAM>(0xC0000001));
        while (paints == before)
            if (!corv::ui::App().HandleMessage()) return -1.0;
        if (form.CurrentFile != file || !view.PMI->Visible()) {
            std::fprintf(stderr, "paging did not show %s\n", file.c_str());
            return -1.0;
        }
        return paintedAt - start;
    };
    if (ahead) return PageAhead(form, list, pictures, rounds, pageTo);
    // The load itself is measured here: nothing is decoded ahead.
    form.PicturesAhead.SetEnabled(false);
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
            const double decodeStart = ThreadCpu();
            const double decode = corv::bench::TimeJpegDecode(library, file.c_str(), depth, 1, error);
            decodeCpu += ThreadCpu() - decodeStart;
            if (decode < 0) {
                std::fprintf(stderr, "decode of %s failed: %s\n", file.c_str(), error.c_str());
                return 1;
            }
            const double startCpu = ThreadCpu();
            const double page = pageTo(file);
            if (page < 0) return 1;
            pageCpu += paintedCpu - startCpu;
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

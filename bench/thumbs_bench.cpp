// Times the thumbnail window's build of a folder, from the call of BuildThumbnails until its final caption,
// and measures what it costs in memory and how long the user-interface thread goes without handling its
// messages meanwhile. A watcher thread posts a message every 5 ms; the longest wait until the UI thread takes
// one is the longest time it went without handling messages.
// Prints "cells <n>", "build <ms>", "longest-gap <ms>", "private-added <MB>", "peak-added <MB>".
// Usage: thumbs_bench FOLDER [HOLD-MS]   (HOLD-MS: keep the built window on the screen that long, for a
// screenshot)
#include "app/mainfrm.h"
#include "bench/timing.h"
#include "fullview/fviewfrm.h"
#include "image/picview.h"
#include "image/workerpool.h"
#include "settings/store.h"
#include "settings/system.h"
#include "thumbs/thmbfrm.h"
#include "ui/application.h"

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <thread>

using corv::bench::Now;

namespace {

constexpr UINT kProbe = WM_APP + 0x321;

double PrivateMb(bool peak) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return static_cast<double>(peak ? counters.PeakPagefileUsage : counters.PagefileUsage) /
           (1024.0 * 1024.0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: thumbs_bench FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    if (!corv::ImagingLibrary().Loaded()) {
        std::fprintf(stderr, "CVIMG32.DLL not found beside the program\n");
        return 1;
    }
    corv::LoadSettings();
    corv::BigThumbs = false;
    corv::SetThumbSizes();
    // Every box is answered at once (the 500 warning, a broken file's message): none is waited for.
    corv::SetMessageBoxHandler([](const corv::MessageBoxRequest&) { return IDOK; });
    auto* form = new corv::TMainForm(nullptr);
    corv::TFullViewForm fullView(nullptr);
    form->Show();
    corv::GoToPath(*form, folder, true);
    corv::ui::App().ProcessMessages();
    corv::DecodeWorkers(); // the threads exist before the clock starts, as in a running program

    // The UI thread's answer to the watcher's probes: how long each waited.
    std::atomic<double> posted{0};
    std::atomic<bool> answered{true};
    double longest = 0, longestAt = 0, start = 0;
    int over50 = 0;
    const int* cellsNow = nullptr;
    const DWORD uiThread = GetCurrentThreadId();
    auto previousHook = corv::ui::App().SetMessageHook(nullptr);
    corv::ui::App().SetMessageHook([&](MSG& message) {
        if (message.message == kProbe) {
            const double now = Now(), gap = now - posted.load();
            if (gap > longest) longest = gap, longestAt = now - start;
            if (gap > 50) {
                ++over50;
                if (std::getenv("CORV_BENCH_GAPS"))
                    std::fprintf(stderr, "gap %.0f ms at %.0f ms, %d cells\n", gap, now - start,
                                 cellsNow ? *cellsNow : -1);
            }
            answered = true;
            return true;
        }
        return previousHook && previousHook(message);
    });
    std::atomic<bool> stop{false};
    std::thread watcher([&] {
        while (!stop) {
            if (answered.exchange(false)) {
                posted = Now();
                PostThreadMessageA(uiThread, kProbe, 0, 0);
            }
            Sleep(5);
        }
    });

    corv::TCvThumbForm& thumbs = form->OpenThumbnails();
    cellsNow = &thumbs.ThumbCount;
    corv::ui::App().ProcessMessages();
    longest = 0;
    over50 = 0;
    const double before = PrivateMb(false);
    const double t0 = Now();
    start = t0;
    thumbs.BuildThumbnails();
    // The build goes on from the message loop, one step per pass.
    while (thumbs.Busy && corv::ui::App().HandleMessage()) {
    }
    const double elapsed = Now() - t0;
    corv::ui::App().ProcessMessages();
    const double after = PrivateMb(false);
    const double peak = PrivateMb(true);
    stop = true;
    watcher.join();

    std::printf("cells %d\n", thumbs.ThumbCount);
    std::printf("build %.1f\n", elapsed);
    std::printf("longest-gap %.1f\n", longest);
    std::printf("longest-gap-at %.1f\n", longestAt);
    std::printf("gaps-over-50 %d\n", over50);
    std::printf("private-added %.1f\n", after - before);
    std::printf("peak-added %.1f\n", peak - before);
    std::printf("workers %d\n", corv::DecodeWorkers().Threads());
    std::fflush(stdout);
    if (argc > 2) {
        const double until = Now() + std::atof(argv[2]);
        while (Now() < until) {
            corv::ui::App().ProcessMessages();
            Sleep(10);
        }
    }
    corv::ui::App().SetMessageHook(nullptr);
    delete form;
    corv::StopDecodeWorkers();
    return 0;
}

// Times listing a folder and entering it in the main window's file list: from GoToPath until the list is
// filled and its first entry handled, the way a user's folder change runs. Prints the median in
// milliseconds: "enter <ms>" and the number of entries listed.
// Usage: list_bench FOLDER [runs]
#include "app/mainfrm.h"
#include "bench/timing.h"
#include "fullview/fviewfrm.h"
#include "settings/pathtext.h"
#include "settings/store.h"
#include "ui/application.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

using corv::bench::Median;
using corv::bench::Now;

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: list_bench FOLDER [runs]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    corv::ShowOnSel = false;
    corv::TMainForm form(nullptr);
    corv::TFullViewForm fullView(nullptr);
    form.Show();
    corv::ui::App().ProcessMessages();
    const std::string elsewhere = corv::ExtractDir(folder);

    std::vector<double> enter;
    for (int i = 0; i < runs; ++i) {
        corv::GoToPath(form, elsewhere, true);
        const double t0 = Now();
        corv::GoToPath(form, folder, true);
        form.FLBChange(*form.FLB);
        UpdateWindow(form.FLB->Handle());
        enter.push_back(Now() - t0);
    }
    std::printf("entries %d\nenter %.3f\n", form.FLB->Count(), Median(enter));
    return 0;
}

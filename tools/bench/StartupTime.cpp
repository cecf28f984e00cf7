// Measures how long a program takes from its start until its window shows.
//   startup-time <runs> <caption> <program> [<caption> <program> ...]
// For each program, starts it <runs> times in its own folder, waits for a visible
// top-level window of the process with the caption, closes it, and prints every time
// and the median in milliseconds; the programs take turns, so both see the same machine.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/uidriver/Timing.h"
#include "tools/uidriver/UiDriver.h"

namespace {

using qel::uidriver::Median;
using qel::uidriver::NowMs;

double Once(const std::string& program, const std::string& caption) {
    std::string folder = program.substr(0, program.find_last_of('\\'));
    const double start = NowMs();
    auto p = qel::uidriver::Program::Start(program, folder);
    HWND w = nullptr;
    while (!w) {
        w = p.FindWindow(caption);
        if (!w) {
            if (NowMs() - start > 30000) throw qel::uidriver::DriverError("no window " + caption);
            Sleep(1);
        }
    }
    const double shown = NowMs() - start;
    PostMessageA(w, WM_CLOSE, 0, 0);
    p.WaitExit(15000);
    return shown;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4 || argc % 2 != 0) {
        std::printf("usage: startup-time <runs> <caption> <program> [<caption> <program> ...]\n");
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    std::vector<std::vector<double>> times((argc - 2) / 2);
    try {
        for (int r = 0; r < runs; ++r)
            for (size_t i = 0; i < times.size(); ++i) times[i].push_back(Once(argv[3 + 2 * i], argv[2 + 2 * i]));
    } catch (const std::exception& e) {
        std::printf("failed: %s\n", e.what());
        return 1;
    }
    std::vector<double> medians;
    for (size_t i = 0; i < times.size(); ++i) {
        std::printf("%s:", argv[3 + 2 * i]);
        for (double t : times[i]) std::printf(" %.0f", t);
        medians.push_back(Median(times[i]));
        std::printf("  median %.0f ms\n", medians.back());
    }
    auto name = [&](size_t i) {
        std::string path = argv[3 + 2 * i];
        return path.substr(path.find_last_of('\\') + 1);
    };
    for (size_t i = 1; i < medians.size(); ++i)
        std::printf("ratio of medians, %s / %s: %.2f\n", name(0).c_str(), name(i).c_str(), medians[0] / medians[i]);
    return 0;
}

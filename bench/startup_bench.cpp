// Start-up benchmark: from the spawn of `brelvo` to its first window shown and drawn (an empty session
// replayed, so that it ends there), against a bare Qt Widgets program showing one maximised label.
// Wall time and peak memory, each pair of runs taken back to back, repeated; both run offscreen.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "ratio_reporter.hpp"

#ifndef BRELVO_PROGRAM
#error "BRELVO_PROGRAM must name the brelvo executable"
#endif
#ifndef BRELVO_BARE_WINDOW
#error "BRELVO_BARE_WINDOW must name the bare window executable"
#endif

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const std::string emptySession = "/tmp/brelvo_startup_bench_session.txt";
    std::ofstream(emptySession) << "# no lines: the window is shown, then the run ends\n";

    const std::vector<std::string> program{BRELVO_PROGRAM, "--script", emptySession};
    const std::vector<std::string> bare{BRELVO_BARE_WINDOW};
    // One unmeasured run of each first, so that both find the libraries in the page cache.
    brelvo::bench::runChild(program);
    brelvo::bench::runChild(bare);

    std::vector<double> wall, memory;
    std::printf("%-4s %14s %14s %14s %14s\n", "run", "brelvo ms", "bare ms", "brelvo MiB", "bare MiB");
    for (int k = 0; k < repetitions; ++k) {
        const brelvo::bench::ChildRun a = brelvo::bench::runChild(program);
        const brelvo::bench::ChildRun b = brelvo::bench::runChild(bare);
        if (a.status != 0 || b.status != 0) {
            std::fprintf(stderr, "a run failed: brelvo %d, bare window %d\n", a.status, b.status);
            return 1;
        }
        std::printf("%-4d %14.1f %14.1f %14.1f %14.1f\n", k + 1, a.seconds * 1e3, b.seconds * 1e3, a.peakMiB,
                    b.peakMiB);
        wall.push_back(a.seconds / b.seconds);
        memory.push_back(a.peakMiB / b.peakMiB);
    }
    brelvo::bench::printRatioHeader();
    brelvo::bench::printRatioLine("start to first window, wall time / bare window", wall, 1.5);
    brelvo::bench::printRatioLine("start to first window, peak memory / bare window", memory, 1.3);
    std::remove(emptySession.c_str());
    return 0;
}

// Start-up benchmark: from the spawn of `brelvo` (started as a user starts it, no project) to the end of
// its first paint, against a bare Qt Widgets program showing one maximised label, to the end of its
// first paint as well. Both are ended by the same preloaded probe (first_paint_probe.cpp), so both stop
// at the same point. Wall time and peak memory, in interleaved pairs (brelvo, bare, brelvo, bare, ...),
// each run a fresh process, offscreen.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "interleaved_pairs.hpp"
#include "ratio_reporter.hpp"

#ifndef BRELVO_PROGRAM
#error "BRELVO_PROGRAM must name the brelvo executable"
#endif
#ifndef BRELVO_BARE_WINDOW
#error "BRELVO_BARE_WINDOW must name the bare window executable"
#endif
#ifndef BRELVO_FIRST_PAINT_PROBE
#error "BRELVO_FIRST_PAINT_PROBE must name the first paint probe library"
#endif

namespace {

struct Side {
    std::vector<std::string> command;
    std::vector<double> peakMiB;  // run by run: the warm-up first, then the timed pairs
    bool failed = false;
};

// One run of a side: its wall time from the spawn to its exit; its peak memory is kept.
double runOnce(Side& side) {
    const brelvo::bench::ChildRun run = brelvo::bench::runChild(side.command);
    if (run.status != 0 || run.output.find("painted") == std::string::npos) {
        std::fprintf(stderr, "%s did not end after its first paint (status %d)\n", side.command[0].c_str(),
                     run.status);
        side.failed = true;
    }
    side.peakMiB.push_back(run.peakMiB);
    return run.seconds;
}

}  // namespace

int main(int argc, char** argv) {
    brelvo::bench::PairOptions options;
    options.pairs = argc > 1 ? std::max(brelvo::bench::kMinimumPairs, std::atoi(argv[1])) : 15;
    options.warmUps = 1;  // both find their libraries in the page cache
    options.runsPerSide = 1;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("LD_PRELOAD", BRELVO_FIRST_PAINT_PROBE, 1);  // the children's, not this program's

    Side program{{BRELVO_PROGRAM}, {}, false};
    Side bare{{BRELVO_BARE_WINDOW}, {}, false};
    const brelvo::bench::PairTimes times = brelvo::bench::interleavedPairs(
        [&] { return runOnce(program); }, [&] { return runOnce(bare); }, options);
    if (program.failed || bare.failed) return 1;
    // The warm-up runs come first in the memory figures; the timed pairs follow in order.
    const std::size_t first = static_cast<std::size_t>(options.warmUps);
    std::vector<double> memory;
    std::printf("%-4s %14s %14s %14s %14s\n", "pair", "brelvo ms", "bare ms", "brelvo MiB", "bare MiB");
    for (std::size_t k = 0; k < times.a.size(); ++k) {
        const double a = program.peakMiB[first + k], b = bare.peakMiB[first + k];
        std::printf("%-4zu %14.1f %14.1f %14.1f %14.1f\n", k + 1, times.a[k] * 1e3, times.b[k] * 1e3, a, b);
        memory.push_back(a / b);
    }
    brelvo::bench::printPairTimes("start to first finished paint (A brelvo, B bare window)", times);
    brelvo::bench::printRatioHeader();
    brelvo::bench::printRatioLine("start to first paint, wall time / bare window", times.ratios, 1.2);
    brelvo::bench::printRatioLine("start to first paint, peak memory / bare window", memory, 1.2);
    return 0;
}

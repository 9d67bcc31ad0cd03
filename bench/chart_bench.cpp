// What a long compute and its chart add to a session: a session that only opens the runoff window,
// against the same session that then computes about 7,700 one-minute ordinates (a 123-hour storm on a
// 1-minute step, the triangle unit graph with a 2-hour lag) and shows them on the chart. Each session
// builds the windows afresh and paints the runoff window. Measured twice: as a user runs a session,
// `brelvo --script FILE` from the program's start to its end, whose ratio is held to at most 1.33; and,
// for comparison, the windows alone built again and again in one warm process, without the program's
// start (Qt, fonts, plugins), which shows the compute's own share more sharply.
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_window.hpp"
#include "app/runoff_window.hpp"
#include "app/script_runner.hpp"
#include "child_process.hpp"
#include "interleaved_pairs.hpp"

namespace {

const char* const kOpen = "menu \"Runoff Hydrogaph\"\n";
const char* const kCompute = R"(check chkAutoTimeStep off
type txtLag "2"
leave txtLag
type txtGraphtimestep "1"
leave txtGraphtimestep
type txtCNloss "0"
type txtConstLoss "0"
type txtPercentImp "0"
type txtDuration(1) "123"
type txtRain(1) "5"
choose ComboRain "Average"
choose ComboDimgraph "Triangle Unit Graph"
button Form3.Command1
)";

// One session's seconds, and the ordinates it computed.
double session(bool compute, int& ordinates) {
    QElapsedTimer timer;
    timer.start();
    brelvo::app::ScriptDialogs dialogs;
    auto window = std::make_unique<brelvo::app::MainWindow>(dialogs);
    window->resize(1280, 800);
    window->show();
    std::istringstream script(std::string(kOpen) + (compute ? kCompute : ""));
    std::ostringstream out, err;
    const qint64 start = timer.nsecsElapsed();
    {
        brelvo::app::ScriptRunner runner(*window, dialogs, out, err);
        if (runner.run(script, "chart_bench") != 0) std::fprintf(stderr, "%s", err.str().c_str());
    }
    const qint64 ran = timer.nsecsElapsed();
    QApplication::processEvents();
    // Painted as a user would see it.
    (void)window->runoffWindow()->grab();
    if (std::getenv("CHART_BENCH_PHASES"))
        std::printf("  window %.1f ms, script %.1f ms, paint %.1f ms\n", start / 1e6, (ran - start) / 1e6,
                    (timer.nsecsElapsed() - ran) / 1e6);
    ordinates = window->runoffWindow()->session().hydrograph.inflow.last + 1;
    window.reset();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The same two sessions as a user runs them: `brelvo --script FILE`, from the program's start to its end,
// in interleaved pairs (the computing session first). A failed session stops the benchmark.
brelvo::bench::PairTimes wholeSessionPairs(int pairs) {
    const std::string openScript = "/tmp/brelvo_chart_bench_open.txt";
    const std::string computeScript = "/tmp/brelvo_chart_bench_compute.txt";
    std::ofstream(openScript) << kOpen;
    std::ofstream(computeScript) << kOpen << kCompute;
    const std::vector<std::string> a{BRELVO_PROGRAM, "--script", openScript};
    const std::vector<std::string> b{BRELVO_PROGRAM, "--script", computeScript};
    const auto sessionOf = [](const std::vector<std::string>& command) {
        return [&command] {
            const brelvo::bench::ChildRun run = brelvo::bench::runChild(command);
            if (run.status != 0) {
                std::fprintf(stderr, "a session failed: %d\n", run.status);
                std::exit(1);
            }
            return run.seconds;
        };
    };
    // One unmeasured run of each: both find the libraries and graph files in the page cache.
    const brelvo::bench::PairTimes times = brelvo::bench::interleavedPairs(
        sessionOf(b), sessionOf(a), {.pairs = pairs, .warmUps = 1, .runsPerSide = 1});
    std::remove(openScript.c_str());
    std::remove(computeScript.c_str());
    return times;
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int pairs = 9;
    int ordinates = 0;
    // In this process, after a warm-up (fonts, styles, the graph files): compute, then open only.
    const brelvo::bench::PairTimes windows = brelvo::bench::interleavedPairs(
        [&] { return session(true, ordinates); }, [&] { return session(false, ordinates); },
        {.pairs = pairs, .warmUps = 1, .runsPerSide = 1});
    const brelvo::bench::PairTimes run = wholeSessionPairs(pairs);
    std::printf(
        "windows in this process: open the runoff window %.1f ms, and compute %d ordinates %.1f ms "
        "(medians of %zu)\n",
        median(windows.b) * 1000, ordinates, median(windows.a) * 1000, windows.a.size());
    std::printf("brelvo --script, start to end: open the runoff window %.1f ms, and compute %.1f ms\n",
                median(run.b) * 1000, median(run.a) * 1000);
    brelvo::bench::printRatioHeader();
    brelvo::bench::printRatioLine("session with a 7,700-ordinate compute / open only", run.ratios, 1.33,
                                  false);
    brelvo::bench::printRatioLine("  the windows alone, in one warm process", windows.ratios, 0, false);
    return 0;
}

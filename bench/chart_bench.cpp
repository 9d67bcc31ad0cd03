// What a long compute and its chart add to a session: a session that only opens the runoff window,
// against the same session that then computes about 7,700 one-minute ordinates (a 123-hour storm on a
// 1-minute step, the triangle unit graph with a 2-hour lag) and shows them on the chart. Each session
// builds the windows afresh and paints the runoff window; the median of several sessions is reported,
// with the ratio the chart is held to (at most 1.33).
#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/main_window.hpp"
#include "app/runoff_window.hpp"
#include "app/script_runner.hpp"

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

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runs = 7;
    int ordinates = 0;
    session(true, ordinates);  // warm-up: fonts, styles, the graph files
    std::vector<double> open, computed;
    for (int i = 0; i < runs; ++i) {
        open.push_back(session(false, ordinates));
        computed.push_back(session(true, ordinates));
    }
    const double a = median(open), b = median(computed);
    std::printf("open runoff window only:        %8.1f ms (median of %d)\n", a * 1000, runs);
    std::printf("open, compute %d ordinates, chart: %8.1f ms\n", ordinates, b * 1000);
    std::printf("ratio = %.2f (held to at most 1.33)\n", b / a);
    return 0;
}

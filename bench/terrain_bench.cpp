// The flow preparation (filling, flats, directions, accumulation) on synthetic terrain of 1,000^2,
// 4,000^2 and 10,000^2 float cells, against a bare pass that pushes every cell once into a
// std::priority_queue and pops it once, the queue held at the length the front of the textbook priority
// flood has on average on the same terrain (the queue work of that flood: as many pushes and pops as
// cells, through a queue as long as its own; measured once per size, untimed). A second bare pass, the queue
// held at one row's length (far shorter than any flood's front, so faster than any flood's queue could be),
// is timed beside it and printed for comparison. The three are timed in interleaved turns on one core (each
// side's processor time, so that other work on the machine does not count; wall times are printed beside);
// each size's peak memory is measured in a child process of its own (this program started again with
// --memory), over the model's float size, the child's start-up taken off.
//
//   terrain_bench [--sizes 1000,4000,10000] [--pairs 9] [--big-seconds 300]
// The two smaller sizes take --pairs pairs; 10,000^2 takes as many as fit in --big-seconds, at least 3.
//   terrain_bench --delineations SIZE
// only times the delineations on the SIZE^2 model.
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <queue>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "ratio_reporter.hpp"
#include "terrain/delineation.hpp"
#include "terrain/flow_model.hpp"

namespace {

using brelvo::terrain::ElevationModel;

// A lattice value in [0, 1) from its coordinates (a 32-bit integer hash).
float lattice(std::uint32_t x, std::uint32_t y, std::uint32_t octave) {
    std::uint32_t h = x * 0x8da6b343u ^ y * 0xd8163841u ^ octave * 0xcb1ab31fu ^ 0x2545f491u;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

float smooth(float t) {
    return t * t * (3 - 2 * t);
}

// Value noise of one octave at (x, y) in lattice units.
float noise(float x, float y, std::uint32_t octave) {
    const float fx = std::floor(x), fy = std::floor(y);
    const auto ix = static_cast<std::uint32_t>(static_cast<std::int32_t>(fx));
    const auto iy = static_cast<std::uint32_t>(static_cast<std::int32_t>(fy));
    const float tx = smooth(x - fx), ty = smooth(y - fy);
    const float a = lattice(ix, iy, octave), b = lattice(ix + 1, iy, octave);
    const float c = lattice(ix, iy + 1, octave), d = lattice(ix + 1, iy + 1, octave);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

// Hills and hollows (six octaves of value noise, the largest 512 cells across, 300 m of relief), a
// fall of 1 m in 100 cells toward the south-east, and sinuous valleys 40 m deep every 700 cells that
// wander across the rows: enough pits, flats and divides to be like a 10 m elevation model.
ElevationModel terrain(int size) {
    ElevationModel model;
    model.width = model.height = size;
    model.unit = brelvo::terrain::VerticalUnit::Metre;
    model.georef.geotransform = {500000, 10, 0, 4000000, 0, -10};
    model.z.resize(static_cast<std::size_t>(size) * static_cast<std::size_t>(size));
    for (int r = 0; r < size; ++r) {
        for (int c = 0; c < size; ++c) {
            float height = 0, amplitude = 150, period = 512;
            for (std::uint32_t o = 0; o < 6; ++o) {
                height +=
                    amplitude * noise(static_cast<float>(c) / period, static_cast<float>(r) / period, o);
                amplitude *= 0.5f;
                period *= 0.5f;
            }
            const float wander = 120 * std::sin(static_cast<float>(r) / 450.0f);
            const float across = std::fmod(static_cast<float>(c) + wander + 7000.0f, 700.0f) - 350.0f;
            height -= 40 * std::exp(-(across * across) / (2 * 60.0f * 60.0f));
            height -= 0.01f * static_cast<float>(c + r);
            model.z[model.index(c, r)] = 500 + height;
        }
    }
    return model;
}

double seconds(const std::chrono::steady_clock::time_point& start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// This thread's processor time (user and system), seconds: what one core spends, whatever else the
// machine runs meanwhile.
double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

struct Timed {
    double cpu = 0, wall = 0;
};

// The flood's own queue entry and order.
struct Queued {
    float z;
    std::uint32_t cell;
};
struct Higher {
    bool operator()(const Queued& a, const Queued& b) const { return a.z > b.z; }
};

// The length of the front of the textbook priority flood on `model` (every cell through one priority
// queue, keyed by its height raised to the level it was reached at, from the model's edge inward): on
// average over the cells taken, and at most.
struct Front {
    double mean = 0;
    std::size_t largest = 0;
};

Front textbookFront(const ElevationModel& model) {
    const int w = model.width, h = model.height;
    std::vector<std::uint8_t> reached(model.z.size(), 0);
    std::priority_queue<Queued, std::vector<Queued>, Higher> queue;
    const auto reach = [&](int c, int r, float level) {
        const std::size_t i = model.index(c, r);
        if (reached[i]) return;
        reached[i] = 1;
        queue.push({std::max(model.z[i], level), static_cast<std::uint32_t>(i)});
    };
    for (int c = 0; c < w; ++c) {
        reach(c, 0, -1e30f);
        reach(c, h - 1, -1e30f);
    }
    for (int r = 0; r < h; ++r) {
        reach(0, r, -1e30f);
        reach(w - 1, r, -1e30f);
    }
    Front front;
    double sum = 0;
    std::size_t taken = 0;
    while (!queue.empty()) {
        sum += static_cast<double>(queue.size());
        front.largest = std::max(front.largest, queue.size());
        const Queued q = queue.top();
        queue.pop();
        ++taken;
        const int c = static_cast<int>(q.cell % static_cast<std::uint32_t>(w));
        const int r = static_cast<int>(q.cell / static_cast<std::uint32_t>(w));
        for (int k = 0; k < 8; ++k) {
            const int nc = c + brelvo::terrain::kColumnStep[k], nr = r + brelvo::terrain::kRowStep[k];
            if (nc >= 0 && nr >= 0 && nc < w && nr < h) reach(nc, nr, q.z);
        }
    }
    front.mean = taken == 0 ? 0 : sum / static_cast<double>(taken);
    return front;
}

// Every cell pushed once and popped once, the queue held at `length` cells; the checksum keeps the work
// from being optimised away.
std::uint64_t barePass(const ElevationModel& model, std::size_t length) {
    std::priority_queue<Queued, std::vector<Queued>, Higher> queue;
    std::uint64_t sum = 0;
    for (std::size_t c = 0; c < model.z.size(); ++c) {
        queue.push({model.z[c], static_cast<std::uint32_t>(c)});
        if (queue.size() > length) {
            sum += queue.top().cell;
            queue.pop();
        }
    }
    while (!queue.empty()) {
        sum += queue.top().cell;
        queue.pop();
    }
    return sum;
}

Timed prepareOnce(const ElevationModel& model, std::uint64_t& check) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = cpuSeconds();
    const auto flow = brelvo::terrain::prepareFlow(model, [](double) { return true; });
    const Timed s{cpuSeconds() - cpu, seconds(start)};
    if (!flow) {
        std::fprintf(stderr, "the preparation gave nothing\n");
        std::exit(1);
    }
    check += flow->accumulation[model.z.size() / 2];
    return s;
}

Timed timeBarePass(const ElevationModel& model, std::size_t length, std::uint64_t& check) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = cpuSeconds();
    check += barePass(model, length);
    return {cpuSeconds() - cpu, seconds(start)};
}

// A projected system in metres: the delineation reads only its unit.
class MetreGround final : public brelvo::measure::GroundModel {
  public:
    std::optional<brelvo::measure::LonLat> toGeographic(const brelvo::measure::MapPoint&) const override {
        return {};
    }
    std::optional<brelvo::measure::LonLat> toWgs84(const brelvo::measure::MapPoint&) const override {
        return {};
    }
    double geodesicLength(const brelvo::measure::LonLat&, const brelvo::measure::LonLat&) const override {
        return 0;
    }
    double geodesicArea(const std::vector<brelvo::measure::LonLat>&) const override { return 0; }
    std::string unitName() const override { return "m"; }
};

// Outlets on the prepared model (clicks at a quarter, the middle and three quarters of the diagonal,
// and on the middle row's largest river, snapped within five cells): each delineation's processor and
// wall time, with the basin's size.
void timeDelineations(const ElevationModel& model) {
    const auto flow = brelvo::terrain::prepareFlow(model, nullptr);
    if (!flow) return;
    const brelvo::terrain::CellGeometry geometry = brelvo::terrain::cellGeometry(model, MetreGround());
    // And the middle row's largest river.
    const int middle = model.height / 2;
    int river = 0;
    for (int c = 0; c < model.width; ++c) {
        if (flow->accumulation[model.index(c, middle)] > flow->accumulation[model.index(river, middle)]) {
            river = c;
        }
    }
    for (int q = 1; q <= 4; ++q) {
        const brelvo::terrain::Cell click =
            q < 4 ? brelvo::terrain::Cell{model.width * q / 4, model.height * q / 4}
                  : brelvo::terrain::Cell{river, middle};
        const auto start = std::chrono::steady_clock::now();
        const double cpu = cpuSeconds();
        const auto d =
            brelvo::terrain::delineate(model, *flow, geometry, click, brelvo::terrain::kDefaultSnapCells);
        const double used = cpuSeconds() - cpu, s = seconds(start);
        std::printf(
            "  delineation at (%d, %d): %zu cells, %zu boundary corners, %.6f processor s (%.6f wall s)\n",
            click.column, click.row, d ? d->cells : 0, d ? d->boundary.size() : 0, used, s);
    }
}

// The child of the memory measurement: makes the model and prepares it, nothing else.
int memoryChild(int size) {
    if (size <= 0) return 0;  // the baseline: the program started and ended
    const ElevationModel model = terrain(size);
    std::uint64_t check = 0;
    prepareOnce(model, check);
    std::printf("%llu\n", static_cast<unsigned long long>(check));
    return 0;
}

std::vector<int> parseSizes(const char* text) {
    std::vector<int> sizes;
    for (const char* p = text; *p;) {
        char* end = nullptr;
        const long v = std::strtol(p, &end, 10);
        if (end == p) break;
        if (v > 0) sizes.push_back(static_cast<int>(v));
        p = *end == ',' ? end + 1 : end;
    }
    return sizes;
}

struct SizeFigures {
    int size = 0;
    std::vector<double> ratios, rowRatios, cellsPerSecond;
    double meanFront = 0;
    double peakMiB = 0, overModel = 0;
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<int> sizes{1000, 4000, 10000};
    int pairs = 9;
    double bigSeconds = 300;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--memory") == 0) return memoryChild(std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--delineations") == 0) {
            timeDelineations(terrain(std::atoi(argv[i + 1])));
            return 0;
        }
        if (std::strcmp(argv[i], "--sizes") == 0) sizes = parseSizes(argv[i + 1]);
        if (std::strcmp(argv[i], "--pairs") == 0) pairs = std::max(1, std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--big-seconds") == 0) bigSeconds = std::atof(argv[i + 1]);
    }
    char self[4096] = {};
    if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return 1;
    const brelvo::bench::ChildRun baseline = brelvo::bench::runChild({self, "--memory", "0"});

    std::vector<SizeFigures> figures;
    for (const int size : sizes) {
        SizeFigures f;
        f.size = size;
        const double cells = static_cast<double>(size) * size;
        const double modelMiB = cells * sizeof(float) / (1024.0 * 1024.0);
        const brelvo::bench::ChildRun child =
            brelvo::bench::runChild({self, "--memory", std::to_string(size)});
        if (child.status != 0) {
            std::fprintf(stderr, "the memory child for %d^2 failed\n", size);
            return 1;
        }
        f.peakMiB = child.peakMiB - baseline.peakMiB;
        f.overModel = f.peakMiB / modelMiB;

        const ElevationModel model = terrain(size);
        std::uint64_t check = 0;
        prepareOnce(model, check);  // unmeasured: the pages once touched
        const Front textbook = textbookFront(model);
        const auto front = static_cast<std::size_t>(std::llround(textbook.mean));
        const auto row = static_cast<std::size_t>(size);
        f.meanFront = textbook.mean;
        check += barePass(model, front) + barePass(model, row);
        const bool big = size >= 10000;
        std::printf(
            "\n%d^2 cells (model %.0f MiB); the textbook flood's front %zu cells on average, %zu at most.\n"
            "processor s (wall s):\n  turn      prepare    bare, front's length      bare, one row"
            "   ratios\n",
            size, modelMiB, front, textbook.largest);
        const auto started = std::chrono::steady_clock::now();
        for (int k = 0; big ? (k < 3 || seconds(started) < bigSeconds) : k < pairs; ++k) {
            const Timed a = prepareOnce(model, check);
            const Timed b = timeBarePass(model, front, check);
            const Timed c = timeBarePass(model, row, check);
            std::printf("  %4d %7.3f (%7.3f) %7.3f (%7.3f)   %7.3f (%7.3f)   %5.2f %5.2f\n", k + 1, a.cpu,
                        a.wall, b.cpu, b.wall, c.cpu, c.wall, a.cpu / b.cpu, a.cpu / c.cpu);
            std::fflush(stdout);
            f.ratios.push_back(a.cpu / b.cpu);
            f.rowRatios.push_back(a.cpu / c.cpu);
            f.cellsPerSecond.push_back(cells / a.cpu / 1e6);
            // A big model's pair ends the loop once the next would pass the time given.
            if (big && k >= 2 && seconds(started) * (k + 2) / (k + 1) > bigSeconds) break;
        }
        timeDelineations(model);
        std::printf("%d^2: %zu pairs, peak memory %.0f MiB over the start-up's (checksum %llu)\n", size,
                    f.ratios.size(), f.peakMiB, static_cast<unsigned long long>(check));
        figures.push_back(f);
    }

    brelvo::bench::printRatioHeader();
    for (const SizeFigures& f : figures) {
        const std::string n = std::to_string(f.size) + "^2";
        brelvo::bench::printRatioLine("prepare flow / bare pass, queue of the front, " + n, f.ratios, 3);
    }
    for (const SizeFigures& f : figures) {
        const std::string n = std::to_string(f.size) + "^2";
        brelvo::bench::printRatioLine("prepare flow / bare pass, queue of one row, " + n, f.rowRatios, 0);
    }
    for (const SizeFigures& f : figures) {
        const std::string n = std::to_string(f.size) + "^2";
        brelvo::bench::printRatioLine("prepare flow, million cells per second (>= 2.5), " + n,
                                      f.cellsPerSecond, 0);
    }
    for (const SizeFigures& f : figures) {
        const std::string n = std::to_string(f.size) + "^2";
        brelvo::bench::printRatioLine("peak memory / model's float size, " + n, {f.overModel}, 2.5, false);
    }
    std::printf("\ngrowth across sizes (peak memory over the start-up's):\n");
    for (const SizeFigures& f : figures) {
        const double modelMiB = static_cast<double>(f.size) * f.size * 4 / (1024.0 * 1024.0);
        std::printf("  %6d^2  model %8.1f MiB  peak %8.1f MiB  x %.3f  median %.2f M cells/s  front %.0f\n",
                    f.size, modelMiB, f.peakMiB, f.overModel,
                    brelvo::bench::spreadOf(f.cellsPerSecond).median, f.meanFront);
    }
    return 0;
}

// JPEG load benchmark over a 12,000 x 9,000 map. The program itself (brelvo --script: a session that
// loads the map, waits for the whole picture and its smaller copies, and paints the window into a
// picture file) against libjpeg-turbo's `djpeg -outfile /dev/null` and against the reachable floor, the
// same library decoding the file into a buffer it holds (a child of this bench); every ratio from
// interleaved pairs of fresh processes, min / median / max. Then, inside one window: how soon the
// preview's first band and the whole preview are there, the longest the event loop waits during the
// load, and when the picture shows.
#include <turbojpeg.h>

#include <QApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/main_window.hpp"
#include "app/script_runner.hpp"
#include "child_process.hpp"
#include "interleaved_pairs.hpp"

#ifndef BRELVO_PROGRAM
#error "BRELVO_PROGRAM must name the brelvo executable"
#endif

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 12000;  // pixels
constexpr int kHeight = 9000;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A scanned-map-like picture: paper tone and grain, contour rings, a river, rows of dark lettering;
// JPEG quality 90, 4:2:0.
bool writeMap(const std::string& path) {
    std::vector<unsigned char> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
    std::uint32_t noise = 2024;
    for (int y = 0; y < kHeight; ++y) {
        unsigned char* row = rgb.data() + static_cast<std::size_t>(y) * kWidth * 3;
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 29);
            const double r = std::hypot(x - 4000.0, y - 3500.0) + 300 * std::sin(x / 900.0);
            const bool contour = std::fmod(r, 120.0) < 3.0;
            const bool river = std::abs(y - 5000 - 600 * std::sin(x / 1500.0)) < 9;
            const bool text = (x / 7) % 13 < 6 && (y / 11) % 29 < 5 && ((x * 7 + y * 3) >> 4) % 2 == 1;
            row[3 * x] = static_cast<unsigned char>(contour ? 150 : river ? 40 : text ? 30 : 236 - grain);
            row[3 * x + 1] = static_cast<unsigned char>(contour ? 100 : river ? 90 : text ? 30 : 228 - grain);
            row[3 * x + 2] = static_cast<unsigned char>(contour ? 60 : river ? 210 : text ? 30 : 200 - grain);
        }
    }
    tjhandle encoder = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int failed =
        tjCompress2(encoder, rgb.data(), kWidth, 0, kHeight, TJPF_RGB, &jpeg, &size, TJSAMP_420, 90, 0);
    tjDestroy(encoder);
    if (failed != 0) return false;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(jpeg), static_cast<long>(size));
    tjFree(jpeg);
    return true;
}

// The floor: the file read, decoded by libjpeg-turbo into a buffer held to the end (as the program
// holds its picture), 32-bit pixels as the program decodes to.
int floorChild(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    std::vector<unsigned char> data(static_cast<std::size_t>(std::max<std::streamoff>(0, in.tellg())));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    tjhandle decoder = tjInitDecompress();
    int w = 0, h = 0, sub = 0, space = 0;
    if (tjDecompressHeader3(decoder, data.data(), data.size(), &w, &h, &sub, &space) != 0) return 3;
    auto* pixels = static_cast<unsigned char*>(std::malloc(4ULL * w * h));
    const int failed = tjDecompress2(decoder, data.data(), data.size(), pixels, w, 4 * w, h, TJPF_BGRA, 0);
    tjDestroy(decoder);
    std::printf("%d\n", pixels[4ULL * w * h - 1]);  // the buffer is used, so the decode is kept
    std::free(pixels);
    return failed == 0 ? 0 : 3;
}

// Inside one window (offscreen): from choosing the file to the preview, the longest wait of the event
// loop while the picture decodes, the picture shown, and its smaller copies built.
int windowChild(const std::string& path) {
    int argc = 1;
    char name[] = "jpeg_load_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    brelvo::app::ScriptDialogs dialogs;
    brelvo::app::MainWindow window(dialogs);
    window.resize(1600, 1000);
    window.show();
    QApplication::processEvents();
    window.chooseCommand("Load/Save Map");
    dialogs.queueAnswer(path);
    const auto start = Clock::now();
    window.choosePicture("Load Map File");
    const double chosen = msSince(start);
    double band = -1, preview = -1, shown = -1, longestWait = 0;
    auto last = Clock::now();
    QTimer ticker;
    ticker.setInterval(1);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const auto now = Clock::now();
        longestWait = std::max(longestWait, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
        const auto* panel = window.pictureHost().loadPanel();
        if (band < 0 && panel != nullptr && panel->hasPreviewBand()) band = msSince(start);
        if (preview < 0 && panel != nullptr && panel->hasPreview()) preview = msSince(start);
        if (shown < 0 && !window.renderer().isNull()) shown = msSince(start);
        // Ended without closing the window: a close would ask about the map just loaded, unsaved.
        if (!window.pictureHost().loading()) QCoreApplication::exit(0);
    });
    ticker.start();
    last = Clock::now();
    app.exec();
    std::printf("%.1f %.1f %.1f %.1f %.1f %.1f\n", chosen, band, preview, longestWait, shown, msSince(start));
    return window.renderer().hasPyramid() ? 0 : 3;
}

long peakKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

// Two maps loaded one after the other in one window, as the user does it (the event loop running, the
// smaller copies built on the worker): the peak resident memory (KiB) after the first and after the
// second, which replaces the first. With `changed`, the first map's file is stamped a minute later once
// it shows, as if edited since: the first picture cannot be read back then, so it is held through the
// second load in case that fails.
int secondMapChild(const std::string& first, const std::string& second, bool changed) {
    int argc = 1;
    char name[] = "jpeg_load_bench";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    brelvo::app::ScriptDialogs dialogs;
    brelvo::app::MainWindow window(dialogs);
    window.resize(1600, 1000);
    window.show();
    QApplication::processEvents();
    long peaks[2] = {0, 0};
    for (int k = 0; k < 2; ++k) {
        window.chooseCommand("Load/Save Map");
        dialogs.queueAnswer(k == 0 ? first : second);
        window.choosePicture("Load Map File");
        QTimer ticker;
        ticker.setInterval(1);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (!window.pictureHost().loading()) QCoreApplication::exit(0);
        });
        ticker.start();
        app.exec();
        if (!window.renderer().hasPyramid() || window.renderer().size() != QSize(kWidth, kHeight)) return 3;
        peaks[k] = peakKiB();
        if (k == 0 && changed)
            std::filesystem::last_write_time(
                first, std::filesystem::last_write_time(first) + std::chrono::minutes(1));
    }
    std::printf("%ld %ld\n", peaks[0], peaks[1]);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "--floor") return floorChild(argv[2]);
    if (argc == 3 && std::string(argv[1]) == "--window") return windowChild(argv[2]);
    if ((argc == 4 || argc == 5) && std::string(argv[1]) == "--second")
        return secondMapChild(argv[2], argv[3], argc == 5);
    if (argc == 3 && std::string(argv[1]) == "--write") return writeMap(argv[2]) ? 0 : 1;  // the map alone
    const int pairs = argc > 1 ? std::max(9, std::atoi(argv[1])) : 9;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (access("/usr/bin/djpeg", X_OK) != 0) {
        std::fprintf(stderr, "/usr/bin/djpeg is missing: it comes with the package libjpeg-turbo-progs\n");
        return 1;
    }
    const std::string path = "/tmp/brelvo_jpeg_load_bench_12000x9000.jpg";
    const std::string session = "/tmp/brelvo_jpeg_load_bench_session.txt";
    const std::string painted = "/tmp/brelvo_jpeg_load_bench_window.png";
    if (!writeMap(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    std::ofstream(session) << "resize 1600 1000\nmenu \"Load/Save Map\"\nanswer \"" << path
                           << "\"\npicture \"Load Map File\"\ngrab Form1 \"" << painted << "\"\n";
    const std::string self = argv[0][0] == '/' ? argv[0] : std::string(getenv("PWD")) + "/" + argv[0];
    const std::vector<std::string> program{BRELVO_PROGRAM, "--script", session};
    const std::vector<std::string> djpeg{"/usr/bin/djpeg", "-outfile", "/dev/null", path};
    const std::vector<std::string> floor{self, "--floor", path};
    const std::vector<std::string> window{self, "--window", path};

    bool failed = false;
    double programPeak = 0, floorPeak = 0;
    const auto side = [&](const std::vector<std::string>& command, double* peak) {
        return [&, command, peak]() -> double {
            const auto run = brelvo::bench::runChild(command);
            if (run.status != 0) failed = true;
            if (peak != nullptr) *peak = std::max(*peak, run.peakMiB);
            return run.seconds;
        };
    };
    brelvo::bench::PairOptions options;
    options.pairs = pairs;
    options.runsPerSide = 1;
    const auto againstDjpeg =
        brelvo::bench::interleavedPairs(side(program, &programPeak), side(djpeg, nullptr), options);
    const auto againstFloor =
        brelvo::bench::interleavedPairs(side(program, &programPeak), side(floor, &floorPeak), options);
    if (failed) {
        std::fprintf(stderr, "a run failed\n");
        return 1;
    }
    std::printf("picture %d x %d, JPEG quality 90 4:2:0; processes from spawn to exit\n", kWidth, kHeight);
    brelvo::bench::printPairTimes("brelvo session (A) / djpeg (B)", againstDjpeg);
    brelvo::bench::printPairTimes("brelvo session (A) / floor: decode into a held buffer (B)", againstFloor);
    std::printf("peak memory: brelvo session %.1f MiB, floor %.1f MiB\n", programPeak, floorPeak);
    brelvo::bench::printRatioHeader();
    // djpeg writes its rows to /dev/null as it decodes them and never holds the picture: no program that
    // shows a map can do that, so it is shown for comparison; the held buffer is the floor.
    brelvo::bench::printRatioLine("JPEG load and paint, brelvo session / djpeg", againstDjpeg.ratios, 0);
    brelvo::bench::printRatioLine("JPEG load and paint, brelvo session / floor", againstFloor.ratios, 2.0);

    // A second map replacing the first in one window: the peak against the picture as the program holds
    // it, 4 bytes a pixel. The picture and its smaller copies alone are 4/3 of that; the rest is the
    // process itself (Qt, the window, the compressed file being read).
    const std::string second = "/tmp/brelvo_jpeg_load_bench_second.jpg";
    std::filesystem::copy_file(path, second, std::filesystem::copy_options::overwrite_existing);
    const double decodedMiB = 4.0 * kWidth * kHeight / (1 << 20);
    std::vector<double> firstPeaks, secondPeaks, keptPeaks;
    for (int k = 0; k < 3; ++k) {
        for (const bool changed : {false, true}) {
            std::vector<std::string> command{self, "--second", path, second};
            if (changed) command.push_back("changed");
            const auto run = brelvo::bench::runChild(command);
            long first = 0, whole = 0;
            if (run.status != 0 || std::sscanf(run.output.c_str(), "%ld %ld", &first, &whole) != 2) {
                std::fprintf(stderr, "a second-map run failed\n");
                return 1;
            }
            (changed ? keptPeaks : secondPeaks).push_back(whole / 1024.0 / decodedMiB);
            if (!changed) firstPeaks.push_back(first / 1024.0 / decodedMiB);
        }
    }
    std::filesystem::remove(second);
    std::printf("\n%-58s %7s %7s %7s   %s\n", "peak resident memory / the decoded picture (412.0 MiB)", "min",
                "median", "max", "goal");
    const auto times = [](const char* label, const std::vector<double>& v, double goal) {
        const brelvo::bench::Spread s = brelvo::bench::spreadOf(v);
        std::printf("%-58s %7.3f %7.3f %7.3f", label, s.min, s.median, s.max);
        if (goal > 0) std::printf("   < %.1f  %s", goal, s.max < goal ? "within" : "OVER");
        std::printf("\n");
    };
    times("one map loaded", firstPeaks, 0);
    times("a second map loaded over it", secondPeaks, 1.5);
    times("a second map over one whose file changed (held)", keptPeaks, 0);
    times("floor: the picture and its smaller copies", {4.0 / 3.0}, 0);
    times("floor: decode into a held buffer (a process of its own)", {floorPeak / decodedMiB}, 0);

    std::vector<double> chosen, band, preview, wait, shown, whole;
    for (int k = 0; k < pairs; ++k) {
        const auto run = brelvo::bench::runChild(window);
        double c = 0, b = 0, p = 0, w = 0, s = 0, a = 0;
        if (run.status != 0 ||
            std::sscanf(run.output.c_str(), "%lf %lf %lf %lf %lf %lf", &c, &b, &p, &w, &s, &a) != 6) {
            std::fprintf(stderr, "a window run failed\n");
            return 1;
        }
        chosen.push_back(c), band.push_back(b), preview.push_back(p), wait.push_back(w);
        shown.push_back(s), whole.push_back(a);
    }
    std::printf("\n%-58s %7s %7s %7s   %s\n", "in the window, milliseconds from choosing the file", "min",
                "median", "max", "goal");
    const auto ms = [](const char* label, const std::vector<double>& v, double goal) {
        const brelvo::bench::Spread s = brelvo::bench::spreadOf(v);
        if (goal > 0) {
            std::printf("%-58s %7.1f %7.1f %7.1f   <= %.0f  %s\n", label, s.min, s.median, s.max, goal,
                        s.max <= goal ? "within" : "OVER");
        } else {
            std::printf("%-58s %7.1f %7.1f %7.1f\n", label, s.min, s.median, s.max);
        }
    };
    ms("the choice handled (header read, panel shown)", chosen, 0);
    ms("preview on the screen (its first band)", band, 150);
    // The whole eighth cannot come sooner than the compressed stream is read through once: djpeg
    // -scale 1/8 of this file takes about 240 ms on its own.
    ms("whole preview there", preview, 0);
    ms("longest wait of the event loop during the load", wait, 50);
    ms("picture shown", shown, 0);
    ms("smaller copies built", whole, 0);
    std::remove(path.c_str());
    std::remove(session.c_str());
    std::remove(painted.c_str());
    return 0;
}

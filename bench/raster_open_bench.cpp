// Big raster benchmark over a tiled 30,000 x 30,000 GeoTIFF with overviews: from the start of a process
// to the first view painted at 1920 x 1080 (the picture fitted, read window by window as the program
// reads it), and to the view after one zoom step in, each against `gdal_translate` reading the same
// overview level of the same window to an output of the view's size; peak memory of each. Each measured
// run is a fresh process, the two sides interleaved (A B A B ...).
#include <cpl_string.h>
#include <gdal.h>

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "app/raster_picture.hpp"
#include "child_process.hpp"
#include "geo/gdal_services.hpp"
#include "interleaved_pairs.hpp"
#include "mapview/picture_renderer.hpp"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSide = 30000;  // pixels
constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;
constexpr double kZoom = 1.5;  // one zoom step in, about the view's centre

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool run(const std::vector<std::string>& command) {
    return brelvo::bench::runChild(command).status == 0;
}

// A map-like 1,500 x 1,500 source (paper, contour rings, a river, grain) written through GDAL, then
// enlarged to 30,000 x 30,000 (bilinear, so the texture stays smooth), tiled and compressed, with
// averaged overviews down to 256 pixels.
bool writeRaster(const std::string& folder, const std::string& path) {
    const int n = 1500;
    const std::string small = folder + "/source.tif";
    GDALAllRegister();
    GDALDatasetH ds = GDALCreate(GDALGetDriverByName("GTiff"), small.c_str(), n, n, 3, GDT_Byte, nullptr);
    if (ds == nullptr) return false;
    std::vector<unsigned char> band(static_cast<std::size_t>(n) * n);
    for (int b = 0; b < 3; ++b) {
        std::uint32_t noise = 2024;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const int grain = static_cast<int>(noise >> 28);
                const double r = std::hypot(x - 500.0, y - 430.0) + 40 * std::sin(x / 110.0);
                const bool contour = std::fmod(r, 15.0) < 1.0;
                const bool river = std::abs(y - 900 - 80 * std::sin(x / 190.0)) < 2;
                const int paper[3] = {236, 228, 200}, line[3] = {150, 100, 60}, water[3] = {40, 90, 210};
                band[static_cast<std::size_t>(y) * n + x] =
                    static_cast<unsigned char>(contour ? line[b]
                                               : river ? water[b]
                                                       : paper[b] - grain);
            }
        if (GDALRasterIO(GDALGetRasterBand(ds, b + 1), GF_Write, 0, 0, n, n, band.data(), n, n, GDT_Byte, 0,
                         0) != CE_None)
            return false;
    }
    GDALClose(ds);
    const std::string size = std::to_string(kSide);
    return run({"/usr/bin/gdal_translate",
                "-q",
                "-outsize",
                size,
                size,
                "-r",
                "bilinear",
                "-co",
                "TILED=YES",
                "-co",
                "COMPRESS=DEFLATE",
                "-co",
                "BIGTIFF=YES",
                "-a_srs",
                "EPSG:32613",
                "-a_ullr",
                "400000",
                "4600000",
                "700000",
                "4300000",
                small,
                path}) &&
           run({"/usr/bin/gdaladdo", "-q", "-r", "average", path, "2", "4", "8", "16", "32", "64", "128"});
}

// The view's target rectangle: the picture fitted to the view's height, then zoomed about the centre.
QRectF target(double zoom) {
    const double side = kViewHeight * zoom;
    return {kViewWidth / 2.0 - side / 2, kViewHeight / 2.0 - side / 2, side, side};
}

// The picture pixels a view shows (what the renderer reads) and the overview gdal_translate is told to
// read them from: the largest factor at most the reduction, as GDAL picks it.
struct Window {
    int x, y, w, h, outW, outH, overview;
};
Window shown(double zoom) {
    const QRectF t = target(zoom);
    const double perPixel = t.width() / kSide;
    const double x0 = std::max(0.0, -t.left() / perPixel), y0 = std::max(0.0, -t.top() / perPixel);
    const double x1 = std::min<double>(kSide, (kViewWidth - t.left()) / perPixel);
    const double y1 = std::min<double>(kSide, (kViewHeight - t.top()) / perPixel);
    Window w{int(x0), int(y0), int(std::ceil(x1 - x0)), int(std::ceil(y1 - y0)), 0, 0, -1};
    w.outW = int(std::ceil(w.w * perPixel));
    w.outH = int(std::ceil(w.h * perPixel));
    for (int factor = 2; factor <= 128 && factor <= 1 / perPixel; factor *= 2) ++w.overview;
    return w;
}

// The child: open the raster as the program does, paint the fitted view, and with `zoom` the view after
// one zoom step; prints the milliseconds of each and the pixels the renderer held.
int child(const std::string& path, bool zoom) {
    const auto start = Clock::now();
    brelvo::geo::GdalServices services;
    std::string error;
    auto source = services.openRaster(path, error);
    if (source == nullptr || source->overviewCount() == 0) return 3;
    brelvo::mapview::PictureRenderer renderer;
    renderer.setWindowed(std::make_unique<brelvo::app::RasterPicture>(std::move(source)));
    QImage screen(kViewWidth, kViewHeight, QImage::Format_RGB32);
    const QRect view(0, 0, kViewWidth, kViewHeight);
    {
        QPainter painter(&screen);
        renderer.paint(painter, target(1), view, view);
    }
    const double firstPaint = msSince(start);
    qint64 held = qint64(renderer.windowImage().width()) * renderer.windowImage().height();
    double zoomPaint = 0;
    if (zoom) {
        const auto zoomStart = Clock::now();
        QPainter painter(&screen);
        renderer.paint(painter, target(kZoom), view, view);
        painter.end();
        zoomPaint = msSince(zoomStart);
        held = std::max(held, qint64(renderer.windowImage().width()) * renderer.windowImage().height());
    }
    if (renderer.windowImage().isNull()) return 4;
    std::printf("%.3f %.3f %lld\n", firstPaint, zoomPaint, static_cast<long long>(held));
    return 0;
}

std::vector<std::string> translate(const std::string& path, const Window& w, const std::string& out) {
    return {"/usr/bin/gdal_translate",
            "-q",
            "-ovr",
            std::to_string(w.overview),
            "-srcwin",
            std::to_string(w.x),
            std::to_string(w.y),
            std::to_string(w.w),
            std::to_string(w.h),
            "-outsize",
            std::to_string(w.outW),
            std::to_string(w.outH),
            "-r",
            "average",
            "-of",
            "ENVI",
            path,
            out};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--child") return child(argv[2], std::string(argv[3]) == "zoom");
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    // Kept between runs when asked (BRELVO_RASTER_BENCH_KEEP=1): writing it takes minutes.
    const std::string folder = "/tmp/brelvo_raster_bench";
    const std::string path = folder + "/big.tif";
    std::filesystem::create_directories(folder);
    if (!std::filesystem::exists(path) && !writeRaster(folder, path)) {
        std::fprintf(stderr, "cannot write %s (gdal-bin is needed)\n", path.c_str());
        return 1;
    }
    const std::string self = argv[0][0] == '/' ? argv[0] : std::string(getenv("PWD")) + "/" + argv[0];
    const std::string out = folder + "/floor.bin";
    const Window fitted = shown(1), zoomed = shown(kZoom);
    const auto floorOpen = translate(path, fitted, out);
    const auto floorZoom = translate(path, zoomed, out);
    const std::vector<std::string> open{self, "--child", path, "open"};
    const std::vector<std::string> zoom{self, "--child", path, "zoom"};
    brelvo::bench::runChild(floorOpen);  // the file's first tiles into the page cache
    brelvo::bench::runChild(open);

    std::vector<double> firstPaint, zoomPaint, floorPeak, openPeak, zoomPeak;
    const auto failed = [](const brelvo::bench::ChildRun& run) {
        if (run.status == 0) return;
        std::fprintf(stderr, "a run failed: %d\n", run.status);
        std::exit(1);
    };
    const brelvo::bench::PairOptions once{.pairs = repetitions, .warmUps = 0, .runsPerSide = 1};
    // Open to first paint against gdal_translate of that window: the program's own report of its first
    // paint and what it holds, and both sides' peak memory.
    const brelvo::bench::PairTimes opened = brelvo::bench::interleavedPairs(
        [&] {
            const auto b = brelvo::bench::runChild(open);
            failed(b);
            double paint = 0, unused = 0;
            long long held = 0;
            std::istringstream(b.output) >> paint >> unused >> held;
            std::printf("open %10.1f ms, first paint %10.1f ms, %10.1f MiB, %12lld pixels held\n",
                        b.seconds * 1e3, paint, b.peakMiB, held);
            firstPaint.push_back(paint);
            openPeak.push_back(b.peakMiB);
            return b.seconds;
        },
        [&] {
            const auto a = brelvo::bench::runChild(floorOpen);
            failed(a);
            floorPeak.push_back(a.peakMiB);
            return a.seconds;
        },
        once);
    // Open, paint and one zoom step against two gdal_translate runs (the fitted and the zoomed window).
    const brelvo::bench::PairTimes zoomedIn = brelvo::bench::interleavedPairs(
        [&] {
            const auto d = brelvo::bench::runChild(zoom);
            failed(d);
            double step = 0, unused = 0;
            std::istringstream(d.output) >> unused >> step;
            zoomPaint.push_back(step);
            zoomPeak.push_back(d.peakMiB);
            return d.seconds;
        },
        [&] {
            const auto c1 = brelvo::bench::runChild(floorOpen);
            const auto c2 = brelvo::bench::runChild(floorZoom);
            failed(c1);
            failed(c2);
            return c1.seconds + c2.seconds;
        },
        once);
    const std::vector<double>& openRatio = opened.ratios;
    const std::vector<double>& zoomRatio = zoomedIn.ratios;
    std::vector<double> memoryRatio, peak;
    for (std::size_t k = 0; k < std::min(openPeak.size(), floorPeak.size()); ++k)
        memoryRatio.push_back(openPeak[k] / floorPeak[k]);
    peak = openPeak;
    peak.insert(peak.end(), zoomPeak.begin(), zoomPeak.end());
    if (std::getenv("BRELVO_RASTER_BENCH_KEEP") == nullptr) std::filesystem::remove_all(folder);
    std::printf(
        "raster %d x %d, tiled, overviews 2..128; view %d x %d; fitted reads overview %d, zoomed %d\n", kSide,
        kSide, kViewWidth, kViewHeight, fitted.overview, zoomed.overview);
    brelvo::bench::printRatioHeader();
    brelvo::bench::printRatioLine("open to first paint / gdal_translate of that window", openRatio, 2.0);
    brelvo::bench::printRatioLine("open, paint, zoom step / two gdal_translate runs", zoomRatio, 2.0);
    brelvo::bench::printRatioLine("open to first paint, peak memory / gdal_translate", memoryRatio, 0, false);
    std::printf("\n%-58s %7s %7s %7s   %s\n", "absolute", "min", "median", "max", "goal");
    const auto line = [](const char* label, const std::vector<double>& v, double goal) {
        const brelvo::bench::Spread s = brelvo::bench::spreadOf(v);
        std::printf("%-58s %7.1f %7.1f %7.1f   <= %.0f  %s\n", label, s.min, s.median, s.max, goal,
                    s.max <= goal ? "within" : "OVER");
    };
    line("first paint after the start, ms", firstPaint, 2000);
    line("zoom step's paint, ms", zoomPaint, 2000);
    line("peak memory, MiB", peak, 400);
    return 0;
}

// Zoom benchmark of the map view: repaint time at 1920 x 1080 and peak memory over a 12,000 x 9,000 map.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <utility>

#include "mapview/picture_renderer.hpp"
#include "mapview/view_geometry.hpp"

namespace {

using brelvo::mapview::PictureRenderer;
using brelvo::mapview::ViewGeometry;
using Clock = std::chrono::steady_clock;

constexpr int kPictureWidth = 12000;  // pixels
constexpr int kPictureHeight = 9000;
constexpr int kViewWidth = 1920;  // device pixels
constexpr int kViewHeight = 1080;
constexpr float kUnitsPerPixel = 15;  // view units (twips) per pixel at 96 DPI
constexpr int kSteps = 40;            // zoom steps each way
constexpr double kStepRatio = 1.05;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Peak resident memory of this process so far, bytes.
double peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) * 1024.0;  // ru_maxrss is in KiB on Linux
}

// Something like a scanned topographic sheet: paper, a kilometre grid, contour rings around hills with
// every fifth one thicker, and streams.
void drawMap(QImage& map) {
    map.fill(QColor(244, 239, 224));
    QPainter p(&map);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 150, 190), 2));
    for (int x = 0; x < map.width(); x += 500) p.drawLine(x, 0, x, map.height());
    for (int y = 0; y < map.height(); y += 500) p.drawLine(0, y, map.width(), y);

    const struct {
        double x, y, size;
    } hills[] = {{2500, 2000, 1800},  {7800, 3100, 2600}, {4200, 6800, 2100},
                 {10200, 7600, 1500}, {9600, 900, 1100},  {1200, 7900, 1300}};
    int hillNumber = 0;
    for (const auto& hill : hills) {
        ++hillNumber;
        int ring = 0;
        for (double r = 40; r < hill.size; r += 35, ++ring) {
            QPainterPath path;
            constexpr int kPoints = 180;
            for (int i = 0; i <= kPoints; ++i) {
                const double a = 2 * std::numbers::pi * i / kPoints;
                // Lobed rings so that the lines are not plain ellipses.
                const double wobble =
                    1 + 0.12 * std::sin(3 * a + hillNumber) + 0.05 * std::sin(7 * a + r / 200);
                const QPointF pt(hill.x + 1.3 * r * wobble * std::cos(a), hill.y + r * wobble * std::sin(a));
                if (i == 0) {
                    path.moveTo(pt);
                } else {
                    path.lineTo(pt);
                }
            }
            p.setPen(QPen(QColor(150, 95, 50), ring % 5 == 0 ? 3 : 1.2));
            p.drawPath(path);
        }
    }

    p.setPen(QPen(QColor(40, 90, 200), 3));
    for (int s = 0; s < 8; ++s) {
        QPainterPath stream(QPointF(s * 1500 + 300, 0));
        stream.cubicTo(s * 1500 + 1800, 3000, s * 1500 - 600, 6000, s * 1500 + 900, kPictureHeight);
        p.drawPath(stream);
    }
}

// Draws the map and writes it as PNG in a child process, so that building the picture does not count
// towards this process's peak memory: only loading and viewing it do.
bool writeMapFile(const QString& path) {
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        QImage map(kPictureWidth, kPictureHeight, QImage::Format_RGB32);
        if (map.isNull()) _exit(2);
        drawMap(map);
        QImageWriter writer(path, "png");
        writer.setQuality(80);  // light zlib compression: writing stays a few seconds
        _exit(writer.write(map) ? 0 : 1);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct Session {
    PictureRenderer renderer;
    double decodedBytes = 0;
    double writeMs = 0;
    double readMs = 0;
    double setImageMs = 0;
    double peakAfterReadBytes = 0;  // before the renderer converts and builds its pyramid
};

std::optional<Session>& session() {
    static std::optional<Session> s;
    return s;
}

bool prepare() {
    QTemporaryDir dir;
    if (!dir.isValid()) return false;
    const QString path = dir.filePath("map.png");
    Session s;
    auto start = Clock::now();
    if (!writeMapFile(path)) {
        std::fprintf(stderr, "could not write the test map to %s\n", qPrintable(path));
        return false;
    }
    s.writeMs = millisecondsSince(start);

    start = Clock::now();
    QImageReader reader(path);
    QImageReader::setAllocationLimit(0);  // Qt's default cap, 128 MiB, is below a large scanned sheet
    QImage picture = reader.read();
    s.readMs = millisecondsSince(start);
    if (picture.isNull()) {
        std::fprintf(stderr, "could not read the test map: %s\n", qPrintable(reader.errorString()));
        return false;
    }
    s.decodedBytes = static_cast<double>(picture.sizeInBytes());
    s.peakAfterReadBytes = peakResidentBytes();

    start = Clock::now();
    s.renderer.setImage(std::move(picture));
    s.setImageMs = millisecondsSince(start);
    session() = std::move(s);
    return true;
}

// The picture at natural size centred in the view, as after opening it.
ViewGeometry startGeometry() {
    ViewGeometry g;
    brelvo::mapview::layout(g, {0, 0, kViewWidth * kUnitsPerPixel, kViewHeight * kUnitsPerPixel});
    brelvo::mapview::setPicture(g, true, kPictureWidth * kUnitsPerPixel, kPictureHeight * kUnitsPerPixel);
    brelvo::mapview::scrollPic(g, 4);
    return g;
}

void repaint(QImage& view, const PictureRenderer& renderer, const ViewGeometry& g) {
    QPainter p(&view);
    p.fillRect(view.rect(), QColor(128, 128, 128));  // the view's background around the picture
    const QRectF target(g.picture.left / kUnitsPerPixel, g.picture.top / kUnitsPerPixel,
                        g.picture.width / kUnitsPerPixel, g.picture.height / kUnitsPerPixel);
    renderer.paint(p, target, view.rect());
}

// One iteration is one zoom step and one repaint; 2 x kSteps iterations make the round trip.
void zoomRoundTrip(benchmark::State& state, bool inFirst) {
    if (!session()) {
        state.SkipWithError("no picture");
        return;
    }
    const Session& s = *session();
    ViewGeometry g = startGeometry();
    float scaleX = 1;
    float scaleY = 1;
    QImage view(kViewWidth, kViewHeight, QImage::Format_ARGB32_Premultiplied);
    int step = 0;
    double worstMs = 0;
    for (auto _ : state) {
        const bool enlarge = (step < kSteps) == inFirst;
        brelvo::mapview::zoomPic(g, enlarge ? kStepRatio : 1 / kStepRatio, scaleX, scaleY);
        const auto start = Clock::now();
        repaint(view, s.renderer, g);
        worstMs = std::max(worstMs, millisecondsSince(start));
        benchmark::DoNotOptimize(view.constBits());
        benchmark::ClobberMemory();
        step = (step + 1) % (2 * kSteps);
    }
    state.counters["worst_repaint_ms"] = worstMs;
    state.counters["peak_over_decoded"] = peakResidentBytes() / s.decodedBytes;
    state.counters["read_peak_over_decoded"] = s.peakAfterReadBytes / s.decodedBytes;
    state.counters["peak_MiB"] = peakResidentBytes() / (1024.0 * 1024.0);
    state.counters["decoded_MiB"] = s.decodedBytes / (1024.0 * 1024.0);
    state.counters["read_ms"] = s.readMs;
    state.counters["set_image_ms"] = s.setImageMs;
    state.counters["write_ms"] = s.writeMs;
}

// Two round trips each: natural size to 7x and back, and natural size to 1/7 and back.
BENCHMARK_CAPTURE(zoomRoundTrip, in_then_out, true)
    ->Iterations(4 * kSteps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(zoomRoundTrip, out_then_in, false)
    ->Iterations(4 * kSteps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!prepare()) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// JPEG load benchmark over a 12,000 x 9,000 map: from the start of the program to the picture loaded,
// its zoomed-out levels built and the first view painted at 1920 x 1080, against libjpeg-turbo's own
// `djpeg -outfile /dev/null` on the same file; peak memory against the decoded picture; and the first
// paint at every zoomed-out level. Each measured run is a fresh process, repeated.
#include <turbojpeg.h>

#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "child_process.hpp"
#include "common/failure.hpp"
#include "mapview/picture_file.hpp"
#include "mapview/picture_renderer.hpp"
#include "ratio_reporter.hpp"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 12000;  // pixels
constexpr int kHeight = 9000;
constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;
constexpr double kDecodedMiB = 4.0 * kWidth * kHeight / (1024.0 * 1024.0);

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A scanned-map-like picture: paper tone, contour rings, a river, grain; JPEG quality 85, 4:2:0.
bool writeMap(const std::string& path) {
    std::vector<unsigned char> rgb(static_cast<std::size_t>(kWidth) * kHeight * 3);
    std::uint32_t noise = 2024;
    for (int y = 0; y < kHeight; ++y) {
        unsigned char* row = rgb.data() + static_cast<std::size_t>(y) * kWidth * 3;
        for (int x = 0; x < kWidth; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 28);
            const double r = std::hypot(x - 4000.0, y - 3500.0) + 300 * std::sin(x / 900.0);
            const bool contour = std::fmod(r, 120.0) < 3.0;
            const bool river = std::abs(y - 5000 - 600 * std::sin(x / 1500.0)) < 9;
            row[3 * x] = static_cast<unsigned char>(contour ? 150 : river ? 40 : 236 - grain);
            row[3 * x + 1] = static_cast<unsigned char>(contour ? 100 : river ? 90 : 228 - grain);
            row[3 * x + 2] = static_cast<unsigned char>(contour ? 60 : river ? 210 : 200 - grain);
        }
    }
    tjhandle encoder = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    const int failed =
        tjCompress2(encoder, rgb.data(), kWidth, 0, kHeight, TJPF_RGB, &jpeg, &size, TJSAMP_420, 85, 0);
    tjDestroy(encoder);
    if (failed != 0) return false;
    FILE* out = std::fopen(path.c_str(), "wb");
    const bool written = out != nullptr && std::fwrite(jpeg, 1, size, out) == size;
    if (out != nullptr) std::fclose(out);
    tjFree(jpeg);
    return written;
}

// The child: load as the program does (or through Qt's reader alone, as it did before), build the
// renderer, paint the whole picture fitted into the view, then once at each zoomed-out level.
int child(const std::string& path, bool direct) {
    const auto start = Clock::now();
    QImage image;
    if (direct) {
        try {
            image = brelvo::mapview::readPictureFile(path);
        } catch (const brelvo::common::RuntimeFailure&) {
            return 3;
        }
    } else {
        QImageReader::setAllocationLimit(
            brelvo::mapview::kPictureAllocationLimitMiB);  // as the program sets it
        QImageReader reader(QString::fromStdString(path));
        reader.setAutoTransform(true);
        image = reader.read();
    }
    if (image.size() != QSize(kWidth, kHeight)) return 3;
    brelvo::mapview::PictureRenderer renderer;
    renderer.setImage(std::move(image));
    QImage screen(kViewWidth, kViewHeight, QImage::Format_RGB32);
    const QRect clip(0, 0, kViewWidth, kViewHeight);
    const auto paintStart = Clock::now();
    {
        QPainter painter(&screen);
        renderer.paint(painter, QRectF(0, 0, kViewHeight * 4.0 / 3.0, kViewHeight), clip);
    }
    const double firstPaint = msSince(paintStart);
    const double loaded = msSince(start);
    // Picture pixels per screen pixel 1, 2, 4, 8, 16: the first paint at each scale.
    double slowestLevel = 0;
    for (int scale = 1; scale <= 16; scale *= 2) {
        const auto levelStart = Clock::now();
        QPainter painter(&screen);
        renderer.paint(painter, QRectF(-100, -100, double(kWidth) / scale, double(kHeight) / scale), clip);
        painter.end();
        slowestLevel = std::max(slowestLevel, msSince(levelStart));
    }
    std::printf("%.3f %.3f %.3f\n", loaded, firstPaint, slowestLevel);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string(argv[1]) == "--child")
        return child(argv[2], std::string(argv[3]) == "direct");
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    if (access("/usr/bin/djpeg", X_OK) != 0) {
        std::fprintf(stderr, "/usr/bin/djpeg is missing: it comes with the package libjpeg-turbo-progs\n");
        return 1;
    }
    const std::string path = "/tmp/brelvo_jpeg_load_bench_12000x9000.jpg";
    if (!writeMap(path)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    const std::string self = argv[0][0] == '/' ? argv[0] : std::string(getenv("PWD")) + "/" + argv[0];
    const std::vector<std::string> djpeg{"/usr/bin/djpeg", "-outfile", "/dev/null", path};
    const std::vector<std::string> ours{self, "--child", path, "direct"};
    const std::vector<std::string> qtOnly{self, "--child", path, "qt"};
    brelvo::bench::runChild(djpeg);  // the file into the page cache

    std::vector<double> wall, wallQt, memory, firstPaint, levels;
    std::printf("%-4s %10s %12s %12s %12s %12s %12s\n", "run", "djpeg ms", "program ms", "Qt-only ms",
                "program MiB", "1st paint ms", "level ms");
    for (int k = 0; k < repetitions; ++k) {
        const auto reference = brelvo::bench::runChild(djpeg);
        const auto program = brelvo::bench::runChild(ours);
        const auto before = brelvo::bench::runChild(qtOnly);
        if (reference.status != 0 || program.status != 0 || before.status != 0) {
            std::fprintf(stderr, "a run failed: djpeg %d, program %d, Qt only %d\n", reference.status,
                         program.status, before.status);
            return 1;
        }
        double loaded = 0, paint = 0, level = 0;
        std::istringstream(program.output) >> loaded >> paint >> level;
        std::printf("%-4d %10.1f %12.1f %12.1f %12.1f %12.2f %12.2f\n", k + 1, reference.seconds * 1e3,
                    program.seconds * 1e3, before.seconds * 1e3, program.peakMiB, paint, level);
        wall.push_back(program.seconds / reference.seconds);
        wallQt.push_back(before.seconds / reference.seconds);
        memory.push_back(program.peakMiB / kDecodedMiB);
        firstPaint.push_back(paint);
        levels.push_back(level);
    }
    std::remove(path.c_str());
    std::printf("picture %d x %d, decoded %.1f MiB, view %d x %d\n", kWidth, kHeight, kDecodedMiB, kViewWidth,
                kViewHeight);
    brelvo::bench::printRatioHeader();
    brelvo::bench::printRatioLine("JPEG load to first paint / djpeg", wall, 2.5);
    brelvo::bench::printRatioLine("  (Qt's reader instead, as before) / djpeg", wallQt, 2.5);
    brelvo::bench::printRatioLine("JPEG load, peak memory / decoded picture", memory, 1.5, false);
    std::printf("\n%-58s %7s %7s %7s   %s\n", "milliseconds", "min", "median", "max", "goal");
    const auto ms = [](const char* label, const std::vector<double>& v, double goal) {
        const brelvo::bench::Spread s = brelvo::bench::spreadOf(v);
        std::printf("%-58s %7.2f %7.2f %7.2f   <= %.0f  %s\n", label, s.min, s.median, s.max, goal,
                    s.max <= goal ? "within" : "OVER");
    };
    ms("first paint after the load, 1920 x 1080", firstPaint, 30);
    ms("slowest first paint of a zoom level (1:1 .. 1:16)", levels, 30);
    return 0;
}

// Writing the chart as SVG text.
#include "runoff/chart_svg.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace brelvo::runoff {

namespace {

constexpr std::uint32_t kPalette[] = {0xD6452A, 0x1F6FB4, 0x2E8B57, 0x8E44AD,
                                      0xE69B00, 0x17A2B8, 0x6C757D, 0xC2185B};

std::string colour(std::uint32_t rgb) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(rgb & 0xFFFFFF));
    return text;
}

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// A coordinate in pixels, to a tenth.
// The shortest text that reads back as the same single (as the CSV export writes its numbers), here on
// its own so that the charts plugin carries the drawing without the exports.
std::string px(double v) {
    char buffer[32];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(std::round(v * 10) / 10));
    if (result.ec != std::errc()) return "0";
    return std::string(buffer, result.ptr);
}

// A tick label: the tick's value without the noise of its multiplication ("0.3", not "0.30000001").
std::string tickLabel(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::round(v * 1e6) / 1e6);
    return text;
}

}  // namespace

std::uint32_t lineColour(std::size_t index) {
    return kPalette[index % std::size(kPalette)];
}

AxisTicks roundAxis(double max, int maxTicks) {
    if (!(max > 0) || !std::isfinite(max)) max = 1;
    // The chart's axes take a range under about 1e-12 for no range at all and lay their ticks out over
    // the range they had, a tick every 1e-16 over the last one: a top below a millionth (of a cfs, an
    // inch or an hour), which no report shows, is a millionth.
    max = std::max(max, kSmallestAxisTop);
    AxisTicks t;
    t.spacing = tickSpacing(max, maxTicks);
    t.top = t.spacing * std::max(1.0, std::ceil(max / t.spacing - 1e-9));
    return t;
}

ChartAxes chartAxes(const std::vector<RunPlot>& runs, const std::vector<ChartPoint>& excess) {
    double hours = 0, flow = 0, depth = 0;
    for (const auto& run : runs) {
        for (const auto& p : run.line) {
            hours = std::max(hours, p.hours);
            flow = std::max(flow, p.value);
        }
    }
    for (const auto& p : excess) {
        hours = std::max(hours, p.hours);
        depth = std::max(depth, p.value);
    }
    return {roundAxis(hours, 10), roundAxis(flow * 1.1, 6), roundAxis(depth * 2.5, 5)};
}

std::string chartSvg(const std::vector<RunPlot>& runs, const std::vector<ChartPoint>& excess, int width,
                     int height) {
    const ChartAxes axes = chartAxes(runs, excess);
    const AxisTicks &x = axes.time, &y = axes.runoff, &d = axes.excess;
    const int legendRows = static_cast<int>(runs.size()) + (excess.empty() ? 0 : 1);
    const double left = 70, right = width - 70.0, top = 20;
    const double bottom = height - 60.0 - 18.0 * legendRows;
    auto sx = [&](double h) { return left + (right - left) * h / x.top; };
    auto sy = [&](double q) { return bottom - (bottom - top) * q / y.top; };
    auto sd = [&](double in) { return top + (bottom - top) * in / d.top; };

    std::string s =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
        std::to_string(width) + "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
        std::to_string(width) + " " + std::to_string(height) +
        "\" font-family=\"sans-serif\" font-size=\"12\">\n"
        "<rect width=\"100%\" height=\"100%\" fill=\"#FFFFFF\"/>\n";
    // Grid, ticks and their labels.
    for (int i = 0; i * x.spacing <= x.top + 1e-9; ++i) {
        const double v = i * x.spacing;
        s += "<line x1=\"" + px(sx(v)) + "\" y1=\"" + px(top) + "\" x2=\"" + px(sx(v)) + "\" y2=\"" +
             px(bottom) + "\" stroke=\"#E4E4E4\"/>\n<text x=\"" + px(sx(v)) + "\" y=\"" + px(bottom + 16) +
             "\" text-anchor=\"middle\">" + tickLabel(v) + "</text>\n";
    }
    for (int i = 0; i * y.spacing <= y.top + 1e-9; ++i) {
        const double v = i * y.spacing;
        s += "<line x1=\"" + px(left) + "\" y1=\"" + px(sy(v)) + "\" x2=\"" + px(right) + "\" y2=\"" +
             px(sy(v)) + "\" stroke=\"#E4E4E4\"/>\n<text x=\"" + px(left - 6) + "\" y=\"" + px(sy(v) + 4) +
             "\" text-anchor=\"end\">" + tickLabel(v) + "</text>\n";
    }
    if (!excess.empty()) {
        for (int i = 0; i * d.spacing <= d.top + 1e-9; ++i) {
            const double v = i * d.spacing;
            s +=
                "<text x=\"" + px(right + 6) + "\" y=\"" + px(sd(v) + 4) + "\">" + tickLabel(v) + "</text>\n";
        }
    }
    s += "<rect x=\"" + px(left) + "\" y=\"" + px(top) + "\" width=\"" + px(right - left) + "\" height=\"" +
         px(bottom - top) + "\" fill=\"none\" stroke=\"#888888\"/>\n";
    s += "<text x=\"" + px((left + right) / 2) + "\" y=\"" + px(bottom + 36) +
         "\" text-anchor=\"middle\" font-weight=\"bold\">Time (hours)</text>\n";
    s += "<text transform=\"translate(16 " + px((top + bottom) / 2) +
         ") rotate(-90)\" text-anchor=\"middle\" font-weight=\"bold\">Runoff (cfs)</text>\n";
    if (!excess.empty()) {
        s += "<text transform=\"translate(" + px(width - 12.0) + " " + px((top + bottom) / 2) +
             ") rotate(90)\" text-anchor=\"middle\" font-weight=\"bold\">Excess Rainfall (in)</text>\n";
    }
    // The excess band, then each run's line.
    auto polyline = [&](const std::vector<ChartPoint>& points, std::uint32_t rgb, bool isExcess) {
        std::string p =
            (isExcess ? "<polygon fill=\"" + colour(rgb) + "\"" : std::string("<polyline fill=\"none\"")) +
            " stroke=\"" + colour(rgb) + "\" stroke-width=\"" + (isExcess ? "1" : "2") + "\" points=\"";
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (i) p += ' ';
            p += px(sx(points[i].hours)) + ',' + px(isExcess ? sd(points[i].value) : sy(points[i].value));
        }
        return p + "\"/>\n";
    };
    // One filled band, a column a pixel at most: the steps of a long storm never leave slits.
    if (!excess.empty())
        s += polyline(excessOutline(excess, static_cast<int>(right - left)), kExcessColour, true);
    for (std::size_t i = 0; i < runs.size(); ++i) s += polyline(runs[i].line, lineColour(i), false);
    // The legend, one entry a line.
    double ly = bottom + 56;
    auto legend = [&](const std::string& name, std::uint32_t rgb) {
        s += "<rect x=\"" + px(left) + "\" y=\"" + px(ly - 9) + "\" width=\"10\" height=\"10\" fill=\"" +
             colour(rgb) + "\"/>\n<text x=\"" + px(left + 16) + "\" y=\"" + px(ly) + "\">" + escaped(name) +
             "</text>\n";
        ly += 18;
    };
    if (!excess.empty()) legend("Excess rainfall (in)", kExcessColour);
    for (std::size_t i = 0; i < runs.size(); ++i) legend(runs[i].name, lineColour(i));
    return s + "</svg>\n";
}

}  // namespace brelvo::runoff

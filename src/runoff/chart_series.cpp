// The chart's series: tick spacing, thinning, the excess band's outline, the nearest ordinate.
#include "runoff/chart_series.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

namespace brelvo::runoff {

double tickSpacing(double span, int maxTicks) {
    if (!(span > 0) || !std::isfinite(span) || maxTicks < 1) return 1;
    // A span so small that its parts are no normal numbers is one interval.
    if (!(span / maxTicks >= 10 * std::numeric_limits<double>::min())) return span;
    double unit = std::pow(10.0, std::floor(std::log10(span / maxTicks)));
    // The spacing lies within two decades of the first guess; the bound keeps a degenerate span from
    // looping.
    for (int decade = 0; decade < 3; ++decade, unit *= 10) {
        for (const double m : {1.0, 2.0, 5.0}) {
            // A little slack, so that 6 hours in steps of 1 is six intervals, not a seventh from rounding.
            if (span / (m * unit) <= maxTicks + 1e-9) return m * unit;
        }
    }
    return span / maxTicks;
}

std::vector<ChartPoint> thinned(const std::vector<ChartPoint>& points, int maxPoints) {
    const auto n = points.size();
    if (maxPoints < 4 || n <= static_cast<std::size_t>(maxPoints)) return points;
    const std::size_t runs = static_cast<std::size_t>(maxPoints) / 4;
    std::vector<ChartPoint> out;
    out.reserve(runs * 4);
    for (std::size_t r = 0; r < runs; ++r) {
        const std::size_t begin = r * n / runs, end = (r + 1) * n / runs;
        if (begin >= end) continue;
        std::size_t low = begin, high = begin;
        for (std::size_t i = begin; i < end; ++i) {
            if (points[i].value < points[low].value) low = i;
            if (points[i].value > points[high].value) high = i;
        }
        std::size_t keep[] = {begin, std::min(low, high), std::max(low, high), end - 1};
        for (std::size_t k = 0; k < 4; ++k) {
            if (k > 0 && keep[k] == keep[k - 1]) continue;
            out.push_back(points[keep[k]]);
        }
    }
    return out;
}

std::vector<ChartPoint> excessOutline(const std::vector<ChartPoint>& steps, int columns) {
    struct Level {
        double from, to, depth;
    };
    std::vector<Level> levels;
    levels.reserve(steps.size() / 4);
    for (std::size_t k = 0; k + 3 < steps.size(); k += 4)
        levels.push_back({steps[k].hours, steps[k + 2].hours, steps[k + 1].value});
    if (levels.empty()) return {};
    const double start = levels.front().from, end = levels.back().to;
    if (columns >= 1 && levels.size() > static_cast<std::size_t>(columns) && end > start) {
        // Each column as deep as the deepest step that reaches into it; a step on a column's edge
        // belongs to the column it starts in.
        const auto count = static_cast<std::size_t>(columns);
        const double width = (end - start) / static_cast<double>(count);
        std::vector<Level> binned(count);
        for (std::size_t c = 0; c < count; ++c)
            binned[c] = {start + static_cast<double>(c) * width, start + static_cast<double>(c + 1) * width,
                         0};
        binned.back().to = end;
        for (const Level& l : levels) {
            const auto column = [&](double hours) {
                const double at = std::floor((hours - start) / width);
                return static_cast<std::size_t>(std::clamp(at, 0.0, static_cast<double>(count - 1)));
            };
            const std::size_t first = column(l.from);
            // A step ending exactly on a column's edge does not reach into the next column.
            std::size_t last = column(l.to);
            if (last > first && binned[last].from >= l.to) --last;
            for (std::size_t c = first; c <= last; ++c) binned[c].depth = std::max(binned[c].depth, l.depth);
        }
        levels = std::move(binned);
    }
    std::vector<ChartPoint> out;
    out.reserve(2 * levels.size() + 2);
    out.push_back({levels.front().from, 0});
    for (std::size_t i = 0; i < levels.size(); ++i) {
        const Level& l = levels[i];
        // A gap between steps drops to the foot; a level the same as the one before carries on.
        if (i > 0 && l.from != levels[i - 1].to) {
            out.push_back({levels[i - 1].to, 0});
            out.push_back({l.from, 0});
        } else if (i > 0 && l.depth == levels[i - 1].depth) {
            out.back().hours = l.to;
            continue;
        }
        if (!(out.back() == ChartPoint{l.from, l.depth})) out.push_back({l.from, l.depth});
        out.push_back({l.to, l.depth});
    }
    if (!(out.back() == ChartPoint{levels.back().to, 0})) out.push_back({levels.back().to, 0});
    return out;
}

const ChartPoint& nearestPoint(const std::vector<ChartPoint>& line, double hours) {
    const auto after = std::lower_bound(line.begin(), line.end(), hours,
                                        [](const ChartPoint& p, double h) { return p.hours < h; });
    if (after == line.end()) return line.back();
    if (after != line.begin() && hours - (after - 1)->hours < after->hours - hours) return *(after - 1);
    return *after;
}

}  // namespace brelvo::runoff

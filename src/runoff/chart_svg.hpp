// The hydrograph chart as an SVG picture for a report: the same runs, names, excess steps and round
// ticks as the window's chart, drawn at a given size in pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "runoff/chart_series.hpp"

namespace brelvo::runoff {

// The colour (0xRRGGBB) of the line of run `index`, the same in the window and in a picture of it.
[[nodiscard]] std::uint32_t lineColour(std::size_t index);
inline constexpr std::uint32_t kExcessColour = 0x7A8B99;

// A standalone SVG document of `width` × `height` pixels.
[[nodiscard]] std::string chartSvg(const std::vector<RunPlot>& runs, const std::vector<ChartPoint>& excess,
                                   int width, int height);

// Round ticks from 0 for the largest value `max` (at most `maxTicks` intervals): the axis's end and
// its spacing.
// The smallest top of an axis.
inline constexpr double kSmallestAxisTop = 1e-6;
struct AxisTicks {
    double top = 1;
    double spacing = 1;
};
[[nodiscard]] AxisTicks roundAxis(double max, int maxTicks);

// The chart's three axes for what it shows: time (hours) to the last point, runoff with a tenth of
// room above the highest flow, and the excess (inches, hanging from the top) over two and a half times
// its largest step, so that the steps keep to the upper part of the plot, clear of the hydrographs.
struct ChartAxes {
    AxisTicks time;
    AxisTicks runoff;
    AxisTicks excess;
};
[[nodiscard]] ChartAxes chartAxes(const std::vector<RunPlot>& runs, const std::vector<ChartPoint>& excess);

}  // namespace brelvo::runoff

// The chart as SVG: lines placed on round axes, the excess on its reversed axis, escaped legend names.
#include "runoff/chart_svg.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace brelvo::runoff {
namespace {

bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST(ChartSvg, PlacesTheLinesOnRoundAxes) {
    // 2 hours and 100 cfs: time ticks every 0.2 h up to 2, flow ticks every 20 cfs up to 120 (100 × 1.1
    // rounded up). The plot spans x 70..670 and y 20..322 (one legend line below it).
    const std::vector<RunPlot> runs{{"Runoff 1 (A & B <x>)", {{0, 0}, {1, 100}, {2, 0}}, {}}};
    const std::string svg = chartSvg(runs, {}, 740, 400);
    EXPECT_TRUE(has(svg, "width=\"740\" height=\"400\""));
    EXPECT_TRUE(has(svg, "stroke=\"#D6452A\" stroke-width=\"2\" points=\"70,322 370,70.3 670,322\""));
    EXPECT_TRUE(has(svg, ">Runoff 1 (A &amp; B &lt;x&gt;)</text>"));
    EXPECT_TRUE(has(svg, ">0.6</text>"));
    EXPECT_TRUE(has(svg, ">120</text>"));
    EXPECT_FALSE(has(svg, ">140</text>"));
    EXPECT_FALSE(has(svg, "Excess"));
}

TEST(ChartSvg, DrawsTheExcessFromTheTop) {
    // Half an inch: its axis runs to 1.25 → ticks of 0.5 up to 1.5; 0.5 in lies a third of the way down.
    const std::vector<RunPlot> runs{{"Runoff 1", {{0, 0}, {1, 10}}, {}}};
    const std::vector<ChartPoint> excess{{0, 0}, {0, 0.5}, {1, 0.5}, {1, 0}};
    const std::string svg = chartSvg(runs, excess, 740, 400);
    // Two legend lines: the plot spans y 20..304; 0.5 in is at 20 + 284 / 3.
    EXPECT_TRUE(has(svg,
                    "<polygon fill=\"#7A8B99\" stroke=\"#7A8B99\" stroke-width=\"1\" "
                    "points=\"70,20 70,114.7 670,114.7 670,20\""));
    EXPECT_TRUE(has(svg, ">Excess Rainfall (in)</text>"));
    EXPECT_TRUE(has(svg, ">1.5</text>"));
    EXPECT_EQ(roundAxis(1.25, 5).spacing, 0.5);
    EXPECT_EQ(roundAxis(1.25, 5).top, 1.5);
}

// A basin of 1e-15 sq mi gives flows near 1e-12 cfs; an axis that small once made the chart lay out
// ticks without end. The top is at least a millionth, with round ticks to it.
TEST(RoundAxis, ATopBelowAMillionthIsAMillionth) {
    for (const double max : {1.1e-15, 7e-13, 4.9e-324, 9e-7}) {
        SCOPED_TRACE(max);
        const AxisTicks t = roundAxis(max, 6);
        EXPECT_DOUBLE_EQ(t.top, 1e-6);
        EXPECT_DOUBLE_EQ(t.spacing, 2e-7);
    }
    EXPECT_EQ(roundAxis(std::numeric_limits<double>::infinity(), 5).top, 1);
}

}  // namespace
}  // namespace brelvo::runoff

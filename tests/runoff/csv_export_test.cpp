// The hydrograph CSV: its header and rows against the report of the same run, the shortest single texts.
#include "runoff/csv_export.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace brelvo::runoff {
namespace {

std::vector<std::string> split(const std::string& text, const std::string& separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos;
         start = at + separator.size())
        parts.push_back(text.substr(start, at - start));
    parts.push_back(text.substr(start));
    return parts;
}

class CsvExportTest : public ::testing::Test {
  protected:
    CsvExportTest() {
        // One inch in one hour on a 20-minute step: three rain steps, a 0.1-inch initial loss.
        run.stepHours = 1.0f / 3.0f;
        run.areaSqMi = 1;
        run.c = 0.5f;
        run.storm.steps = 3;
        run.storm.upper = 8;
        run.storm.durationHours = 1;
        run.storm.depthIn = 1;
        run.storm.rainIn.redim(8);
        run.storm.excessIn.redim(8);
        const float rain[] = {0, 0.3f, 0.4f, 0.3f};
        const float excess[] = {0, 0.2f, 0.4f, 0.3f};
        for (int i = 0; i < 4; ++i) {
            run.storm.rainIn[i] = rain[i];
            run.storm.excessIn[i] = excess[i];
        }
        h.inflow.flowCfs.redim(basin::kHydrographUpper);
        const float flow[] = {0, 12.345678f, 250.1f, 99.96f, 3.5f, 0};
        for (int i = 0; i < 6; ++i) h.inflow.flowCfs[i] = flow[i];
        h.inflow.last = 5;
        h.inflow.peakCfs = 250.1f;
        h.inflow.peakIndex = 2;
        h.volumeAcreFt = 30;
    }

    // The report's table rows: every line after the one that starts "     Time".
    std::vector<std::string> reportRows() {
        std::ostringstream out;
        writeReport(out, h, run);
        auto lines = split(out.str(), "\r\n");
        std::vector<std::string> rows;
        bool table = false;
        for (const auto& line : lines) {
            if (table && !line.empty()) rows.push_back(line);
            if (line.rfind("     Time", 0) == 0) table = true;
        }
        return rows;
    }

    ReportRun run;
    basin::WorkingHydrograph h;
};

TEST_F(CsvExportTest, AComputeRunHasTimeRunoffRainAndExcessUnrounded) {
    EXPECT_EQ(hydrographCsv(h, run),
              "Time (h),Runoff (cfs),Rainfall (in),Excess (in)\r\n"
              "0,0,0,0\r\n"
              "0.33333334,12.345678,0.3,0.2\r\n"
              "0.6666667,250.1,0.4,0.4\r\n"
              "1,99.96,0.3,0.3\r\n"
              "1.3333334,3.5,0,0\r\n"
              "1.6666667,0,,\r\n");
    // The same rows as the report, whose values are these rounded.
    const auto rows = reportRows();
    const auto csv = split(hydrographCsv(h, run), "\r\n");
    ASSERT_EQ(rows.size(), 6u);
    ASSERT_EQ(csv.size(), 8u);  // header, six rows and the empty text after the last line end
    for (std::size_t i = 0; i < rows.size(); ++i) {
        std::istringstream reported(rows[i]);
        double time = 0, flow = 0;
        reported >> time >> flow;
        const auto cells = split(csv[i + 1], ",");
        EXPECT_NEAR(std::strtod(cells[0].c_str(), nullptr), time, 0.000005) << rows[i];
        EXPECT_NEAR(std::strtod(cells[1].c_str(), nullptr), flow, 0.5) << rows[i];
    }
}

TEST_F(CsvExportTest, TheRationalMethodShowsTheExcessAfterC) {
    run.rational = true;
    const auto lines = split(hydrographCsv(h, run), "\r\n");
    EXPECT_EQ(lines[2], "0.33333334,12.345678,0.3,0.1");
    EXPECT_EQ(lines[3], "0.6666667,250.1,0.4,0.2");
}

TEST_F(CsvExportTest, RoutingRunsHaveOutflowAndInflowAndStorageItsElevationAndVolume) {
    h.routed.outflowCfs.redim(basin::kHydrographUpper);
    h.routed.elevationFt.redim(basin::kHydrographUpper);
    h.routed.storageAcreFt.redim(basin::kHydrographUpper);
    for (int i = 0; i <= 5; ++i) {
        h.routed.outflowCfs[i] = 0.5f * static_cast<float>(i);
        h.routed.elevationFt[i] = 100.25f + static_cast<float>(i);
        h.routed.storageAcreFt[i] = 0.1f * static_cast<float>(i);
    }
    run.route = basin::RouteMethod::muskingum;
    auto lines = split(hydrographCsv(h, run), "\r\n");
    EXPECT_EQ(lines[0], "Time (h),Outflow (cfs),Inflow (cfs)");
    EXPECT_EQ(lines[4], "1,1.5,99.96");
    EXPECT_EQ(lines.size(), 8u);
    run.route = basin::RouteMethod::storage;
    lines = split(hydrographCsv(h, run), "\r\n");
    EXPECT_EQ(lines[0], "Time (h),Elevation (ft),Storage (ac-ft),Outflow (cfs),Inflow (cfs)");
    EXPECT_EQ(lines[3], "0.6666667,102.25,0.2,1,250.1");
}

TEST(ShortestText, ReadsBackAsTheSameSingle) {
    EXPECT_EQ(shortestText(0.1f), "0.1");
    EXPECT_EQ(shortestText(1234.5f), "1234.5");
    EXPECT_EQ(shortestText(1e-7f), "1e-07");
    EXPECT_EQ(shortestText(-2.5f), "-2.5");
    for (const float v : {0.1f, 1.0f / 3.0f, 16777217.0f, 3.4e38f, 1.17549435e-38f})
        EXPECT_EQ(std::strtof(shortestText(v).c_str(), nullptr), v);
}

}  // namespace
}  // namespace brelvo::runoff

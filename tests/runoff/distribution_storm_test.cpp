// Storms of the NRCS 24-hour distributions, checked against the published tabulation (a 10-inch storm at
// every tabulated time), and the strict reading of the distributions' data file.
#include "runoff/distribution_storm.hpp"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/messages.hpp"
#include "support/failure_number.hpp"

namespace brelvo::runoff {
namespace {

using basin::NrcsType;

// The published tabulation: hours, then the cumulative fraction of Types I, IA, II and III.
struct Published {
    double hours;
    std::array<double, 4> fraction;
};
const std::vector<Published> kPublished = {
    {0.0, {0.000, 0.000, 0.000, 0.000}},   {2.0, {0.035, 0.050, 0.022, 0.020}},
    {4.0, {0.076, 0.116, 0.048, 0.043}},   {6.0, {0.125, 0.206, 0.080, 0.072}},
    {7.0, {0.156, 0.268, 0.098, 0.089}},   {8.0, {0.194, 0.425, 0.120, 0.115}},
    {8.5, {0.219, 0.480, 0.133, 0.130}},   {9.0, {0.254, 0.520, 0.147, 0.148}},
    {9.5, {0.303, 0.550, 0.163, 0.167}},   {9.75, {0.362, 0.564, 0.172, 0.178}},
    {10.0, {0.515, 0.577, 0.181, 0.189}},  {10.5, {0.583, 0.601, 0.204, 0.216}},
    {11.0, {0.624, 0.624, 0.235, 0.250}},  {11.5, {0.654, 0.645, 0.283, 0.298}},
    {11.75, {0.669, 0.655, 0.357, 0.339}}, {12.0, {0.682, 0.664, 0.663, 0.500}},
    {12.5, {0.706, 0.683, 0.735, 0.702}},  {13.0, {0.727, 0.701, 0.772, 0.751}},
    {13.5, {0.748, 0.719, 0.799, 0.785}},  {14.0, {0.767, 0.736, 0.820, 0.811}},
    {16.0, {0.830, 0.800, 0.880, 0.886}},  {20.0, {0.926, 0.906, 0.952, 0.957}},
    {24.0, {1.000, 1.000, 1.000, 1.000}},
};

std::string shippedFile() {
    std::ifstream file(std::string(BRELVO_SOURCE_DIR) + "/data/nrcs_24h_distributions.csv", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

NrcsDistributions shipped() {
    const NrcsDistributionsRead read = readNrcsDistributions(shippedFile(), "nrcs_24h_distributions.csv");
    EXPECT_EQ(read.error, "");
    return read.distributions.value_or(NrcsDistributions{});
}

// The rain fallen by the end of step `steps`, summed as the run sums it.
float fallenBy(const basin::Storm& storm, int steps) {
    float total = 0;
    for (int i = 1; i <= steps; ++i) total += storm.rainIn[i];
    return total;
}

int peakStep(const basin::Storm& storm) {
    int peak = 1;
    for (int i = 2; i <= storm.steps; ++i) {
        if (storm.rainIn[i] > storm.rainIn[peak]) peak = i;
    }
    return peak;
}

DepthDurationTable table(const std::vector<DepthDurationRow>& rows) {
    return depthDurationTable(rows);
}

TEST(NrcsStorm, EveryTypeFollowsThePublishedTableAndRainsTheWholeDepth) {
    const NrcsDistributions distributions = shipped();
    for (std::size_t type = 0; type < 4; ++type) {
        // A 0.1-hour step reaches every tabulated time (9.75 and 11.75 h on a 0.05-hour step).
        for (const float step : {0.1f, 0.05f}) {
            const basin::Storm storm = patternStorm(distributions.types[type], 10.0f, step);
            ASSERT_EQ(storm.steps, step == 0.1f ? 240 : 480);
            EXPECT_EQ(storm.durationHours, 24.0f);
            for (const Published& row : kPublished) {
                const double exactSteps = row.hours / step;
                const int steps = static_cast<int>(exactSteps + 0.5);
                if (std::abs(exactSteps - steps) > 1e-4) continue;  // not on this step
                EXPECT_NEAR(fallenBy(storm, steps), 10.0 * row.fraction[type], 0.005)
                    << "type " << type << " at " << row.hours << " h, step " << step;
            }
            EXPECT_EQ(fallenBy(storm, storm.steps), 10.0f) << "type " << type;  // exactly the depth
        }
    }
    // Type II: 6.63 inches of a 10-inch storm by noon.
    const basin::Storm typeII = patternStorm(distributions.types[2], 10.0f, 0.5f);
    EXPECT_NEAR(fallenBy(typeII, 24), 6.63, 0.0005);
}

TEST(NrcsStorm, ThePeakFallsWhereTheDistributionPutsIt) {
    const NrcsDistributions distributions = shipped();
    // One-hour steps: the step of each type's steepest hour, counted from 1.
    const std::array<int, 4> hourlyPeak = {10, 8, 12, 13};
    for (std::size_t type = 0; type < 4; ++type) {
        const basin::Storm storm = patternStorm(distributions.types[type], 10.0f, 1.0f);
        ASSERT_EQ(storm.steps, 24);
        EXPECT_EQ(peakStep(storm), hourlyPeak[type]) << "type " << type;
        // Hour by hour the cumulative depth is the table's, read at every whole hour.
        EXPECT_NEAR(fallenBy(storm, 12), 10.0 * kPublished[15].fraction[type], 1e-4);
        EXPECT_NEAR(fallenBy(storm, 3),
                    10.0 * (kPublished[1].fraction[type] + kPublished[2].fraction[type]) / 2,
                    1e-4);  // halfway between 2 and 4 hours
    }
    // Type II on half hours: 3.80 inches in the half hour before noon.
    const basin::Storm halfHours = patternStorm(distributions.types[2], 10.0f, 0.5f);
    EXPECT_EQ(peakStep(halfHours), 24);
    EXPECT_NEAR(halfHours.rainIn[24], 3.80, 1e-4);
}

TEST(NrcsStorm, AStepThatDoesNotDivideTheDayEndsWithAShorterStepAt24Hours) {
    const NrcsDistributions distributions = shipped();
    const basin::Storm storm = patternStorm(distributions.types[2], 10.0f, 0.35f);
    // 68 whole steps reach 23.8 hours; the 69th runs from there to 24 hours.
    ASSERT_EQ(storm.steps, 69);
    EXPECT_EQ(storm.upper, 79);
    // Type II between 20 and 24 hours rises by 0.048 of the depth in 4 hours: 0.2 hours of it.
    EXPECT_NEAR(storm.rainIn[69], 10 * 0.048 * 0.2 / 4, 1e-5);
    EXPECT_NEAR(storm.rainIn[68], 10 * 0.048 * 0.35 / 4, 1e-5);
    EXPECT_EQ(fallenBy(storm, 69), 10.0f);
    EXPECT_EQ(storm.rainIn[70], 0.0f);
}

TEST(NrcsStorm, TheDepthIsTheTablesTwentyFourHourRowOrTheRunIsRefusedByName) {
    const DepthDurationTable withDay = table({{1.0, 0, 1}, {4.2, 0.9f, 24}, {5.0, 0, 48}});
    const DistributionChoice chosen = nrcsChoice(NrcsType::typeIII, "NRCS Type III", withDay, "");
    EXPECT_EQ(chosen.error, "");
    EXPECT_FLOAT_EQ(chosen.depthIn, 4.2f * 0.9f);     // after its areal factor
    EXPECT_EQ(chosen.pattern.fractions.at(15), 0.5);  // Type III at 12 hours

    const DepthDurationTable noDay = table({{1.0, 0, 1}, {2.5, 0, 6}, {3.1, 0, 12}});
    const DistributionChoice refused = nrcsChoice(NrcsType::typeII, "NRCS Type II", noDay, "");
    EXPECT_EQ(refused.error, common::msg::distributionNeedsDuration("NRCS Type II", "24"));
    EXPECT_NE(refused.error.find("\"NRCS Type II\" needs the depth of the 24-hour storm"), std::string::npos);
}

TEST(NrcsStorm, ADamagedDistributionsFileIsRefusedByLine) {
    const std::string header = "# comment\nhours,Type I,Type IA,Type II,Type III\n";
    const auto refusal = [&](const std::string& rows) {
        return readNrcsDistributions(header + rows, "d.csv").error;
    };
    const std::string start = "0,0,0,0,0\n";
    EXPECT_EQ(refusal(start + "12,0.5,0.5,0.5,0.5\n24,1,1,1,1\n"), "");
    EXPECT_EQ(refusal(start + "12,0.5,0.5,0.5,0.5\n24,1,1,0.999,1\n"),
              common::msg::distributionsFileRefused("d.csv", 5, common::msg::kPatternEndNotWhole));
    EXPECT_EQ(refusal(start + "12,0.5,0.4,0.5,0.5\n11,0.6,0.6,0.6,0.6\n24,1,1,1,1\n"),
              common::msg::distributionsFileRefused("d.csv", 5, common::msg::kPatternTimeNotRising));
    EXPECT_EQ(refusal(start + "12,0.5,0.4,0.5,0.5\n13,0.6,0.3,0.6,0.6\n24,1,1,1,1\n"),
              common::msg::distributionsFileRefused("d.csv", 5, common::msg::kPatternFalls));
    EXPECT_EQ(refusal(start + "12,0.5,1.2,0.5,0.5\n24,1,1,1,1\n"),
              common::msg::distributionsFileRefused("d.csv", 4, common::msg::kPatternFractionRange));
    EXPECT_EQ(refusal(start + "12,0.5,x,0.5,0.5\n24,1,1,1,1\n"),
              common::msg::distributionsFileRefused("d.csv", 4, common::msg::kPatternNotNumbers));
    EXPECT_EQ(refusal(start + "12,0.5,nan,0.5,0.5\n24,1,1,1,1\n"),
              common::msg::distributionsFileRefused("d.csv", 4, common::msg::kPatternNotNumbers));
    EXPECT_EQ(refusal(start + "12,0.5,0.5,0.5\n24,1,1,1,1\n"),
              common::msg::distributionsFileRefused("d.csv", 4, common::msg::kPatternColumns));
    EXPECT_EQ(refusal("1,0,0,0,0\n24,1,1,1,1\n"),
              common::msg::distributionsFileRefused("d.csv", 3, common::msg::kPatternStartNotZero));
    EXPECT_EQ(refusal(start + "12,1,1,1,1\n"),
              common::msg::distributionsFileRefused("d.csv", 4, common::msg::kPatternNotTwentyFour));
    EXPECT_EQ(refusal(""), common::msg::distributionsFileRefused("d.csv", 0, common::msg::kPatternNoRows));
    EXPECT_EQ(readNrcsDistributions("hours;I;IA;II;III\n", "d.csv").error,
              common::msg::distributionsFileRefused("d.csv", 1, common::msg::kPatternNoHeader));
    std::string many = start;
    for (int i = 1; i <= kMaxPatternRows; ++i) many += std::to_string(i * 0.01) + ",0.1,0.1,0.1,0.1\n";
    EXPECT_EQ(refusal(many),
              common::msg::distributionsFileRefused("d.csv", 2003, common::msg::kPatternTooManyRows));
}

TEST(NrcsStorm, AZeroStepIsTheRunsDivisionFailure) {
    const NrcsDistributions distributions = shipped();
    EXPECT_EQ(testing_support::failureNumber([&] { (void)patternStorm(distributions.types[0], 1, 0); }), 11);
    // More steps than a 16-bit count holds: overflow.
    EXPECT_EQ(testing_support::failureNumber([&] { (void)patternStorm(distributions.types[0], 1, 0.0001f); }),
              6);
}

}  // namespace
}  // namespace brelvo::runoff

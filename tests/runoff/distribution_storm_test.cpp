// Storms of the NRCS 24-hour distributions, checked against the shipped tabular distributions (a 10-inch
// storm at every tabulated time and at common steps), and the strict reading of the distributions' file.
#include "runoff/distribution_storm.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/messages.hpp"
#include "support/failure_number.hpp"

namespace brelvo::runoff {
namespace {

using basin::NrcsType;

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

// The shipped table read here on its own, cell by cell, in the order of NrcsType (the file's columns
// are Types I, II, III, IA): each type's tabulated times and fractions.
struct Tabulated {
    std::vector<double> hours;
    std::vector<double> fraction;
};
std::array<Tabulated, 4> tabulated() {
    std::array<Tabulated, 4> table;
    const std::array<std::size_t, 4> column = {1, 4, 2, 3};  // of Types I, IA, II, III
    std::stringstream text(shippedFile());
    std::string line;
    bool header = true;
    while (std::getline(text, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (header) {
            header = false;
            continue;
        }
        std::vector<std::string> cells;
        std::stringstream row(line);
        std::string cell;
        while (std::getline(row, cell, ',')) cells.push_back(cell);
        cells.resize(5);
        for (std::size_t type = 0; type < 4; ++type) {
            if (cells[column[type]].empty()) continue;
            table[type].hours.push_back(std::stod(cells[0]));
            table[type].fraction.push_back(std::stod(cells[column[type]]));
        }
    }
    return table;
}

// The table's fraction at `hours`, straight between its tabulated times.
double tableAt(const Tabulated& table, double hours) {
    std::size_t i = 1;
    while (i + 1 < table.hours.size() && table.hours[i] < hours) ++i;
    const double share = (hours - table.hours[i - 1]) / (table.hours[i] - table.hours[i - 1]);
    return table.fraction[i - 1] + std::clamp(share, 0.0, 1.0) * (table.fraction[i] - table.fraction[i - 1]);
}

// The rain fallen by the end of step `steps`.
double fallenBy(const basin::Storm& storm, int steps) {
    double total = 0;
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

TEST(NrcsStorm, ATenInchStormFollowsEveryTabulatedPointAndRainsTheWholeDepth) {
    const NrcsDistributions distributions = shipped();
    const std::array<Tabulated, 4> table = tabulated();
    const std::array<std::size_t, 4> points = {241, 49, 241, 241};  // Type IA: the half hours
    for (std::size_t type = 0; type < 4; ++type) {
        ASSERT_EQ(table[type].hours.size(), points[type]) << "type " << type;
        const float step = type == 1 ? 0.5f : 0.1f;
        const basin::Storm storm = patternStorm(distributions.types[type], 10.0f, step);
        ASSERT_EQ(storm.steps, type == 1 ? 48 : 240);
        EXPECT_EQ(storm.durationHours, 24.0f);
        for (std::size_t i = 0; i < table[type].hours.size(); ++i) {
            const int steps = static_cast<int>(std::lround(table[type].hours[i] / step));
            EXPECT_NEAR(fallenBy(storm, steps), 10.0 * table[type].fraction[i], 0.0005)
                << "type " << type << " at " << table[type].hours[i] << " h";
        }
        float total = 0;  // summed as the run sums it: exactly the depth
        for (int i = 1; i <= storm.steps; ++i) total += storm.rainIn[i];
        EXPECT_EQ(total, 10.0f) << "type " << type;
    }
}

TEST(NrcsStorm, StepsOfFiveSixTenAndFifteenMinutesReproduceTheTableAtTheirEnds) {
    const NrcsDistributions distributions = shipped();
    const std::array<Tabulated, 4> table = tabulated();
    for (const int minutes : {5, 6, 10, 15}) {
        const float step = static_cast<float>(minutes / 60.0);
        for (std::size_t type = 0; type < 4; ++type) {
            const basin::Storm storm = patternStorm(distributions.types[type], 10.0f, step);
            ASSERT_EQ(storm.steps, 24 * 60 / minutes);
            for (int k = 1; k <= storm.steps; ++k) {
                EXPECT_NEAR(fallenBy(storm, k), 10.0 * tableAt(table[type], k * minutes / 60.0), 0.0005)
                    << "type " << type << ", " << minutes << "-minute step " << k;
            }
        }
    }
    // Between tabulated times the storm follows the table's straight line: Type II from 11.9 h (0.5679)
    // to 12.0 h (0.6630), at 11.95 h on a 3-minute step.
    const basin::Storm typeII = patternStorm(distributions.types[2], 10.0f, 0.05f);
    EXPECT_NEAR(fallenBy(typeII, 239), 10.0 * (0.5679 + 0.6630) / 2, 0.0005);
}

TEST(NrcsStorm, ThePeakFallsWhereTheDistributionPutsIt) {
    const NrcsDistributions distributions = shipped();
    // The largest 6-minute increment: Type II 0.1371 of the depth from 11.8 to 11.9 h, Type III 0.0840
    // from 12.0 to 12.1 h.
    const basin::Storm typeII = patternStorm(distributions.types[2], 10.0f, 0.1f);
    EXPECT_EQ(peakStep(typeII), 119);
    EXPECT_NEAR(typeII.rainIn[119], 1.371, 5e-5);
    const basin::Storm typeIII = patternStorm(distributions.types[3], 10.0f, 0.1f);
    EXPECT_EQ(peakStep(typeIII), 121);
    EXPECT_NEAR(typeIII.rainIn[121], 0.840, 5e-5);
    // On half hours: Type I 2.12 in from 9.5 to 10 h, Type IA 1.15 in from 7.5 to 8 h, Type II 3.80 in
    // the half hour before noon.
    const std::array<std::pair<int, double>, 3> halfHourPeak = {{{20, 2.12}, {16, 1.15}, {24, 3.80}}};
    for (std::size_t type = 0; type < 3; ++type) {
        const basin::Storm storm = patternStorm(distributions.types[type], 10.0f, 0.5f);
        EXPECT_EQ(peakStep(storm), halfHourPeak[type].first) << "type " << type;
        EXPECT_NEAR(storm.rainIn[halfHourPeak[type].first], halfHourPeak[type].second, 5e-5);
    }
}

TEST(NrcsStorm, AStepThatDoesNotDivideTheDayEndsWithAShorterStepAt24Hours) {
    const NrcsDistributions distributions = shipped();
    const basin::Storm storm = patternStorm(distributions.types[2], 10.0f, 0.35f);
    // 68 whole steps reach 23.8 hours; the 69th runs from there to 24 hours.
    ASSERT_EQ(storm.steps, 69);
    EXPECT_EQ(storm.upper, 79);
    // Type II: 0.9978 at 23.8 h, 1 at 24 h; from 23.45 h (halfway between 0.9933 at 23.4 h and 0.9944
    // at 23.5 h) to 23.8 h.
    EXPECT_NEAR(storm.rainIn[69], 10 * (1 - 0.9978), 1e-5);
    EXPECT_NEAR(storm.rainIn[68], 10 * (0.9978 - (0.9933 + 0.9944) / 2), 1e-5);
    float total = 0;
    for (int i = 1; i <= 69; ++i) total += storm.rainIn[i];
    EXPECT_EQ(total, 10.0f);
    EXPECT_EQ(storm.rainIn[70], 0.0f);
}

TEST(NrcsStorm, TheDepthIsTheTablesTwentyFourHourRowOrTheRunIsRefusedByName) {
    const DepthDurationTable withDay = table({{1.0, 0, 1}, {4.2, 0.9f, 24}, {5.0, 0, 48}});
    const DistributionChoice chosen = nrcsChoice(NrcsType::typeIII, "NRCS Type III", withDay, "");
    EXPECT_EQ(chosen.error, "");
    EXPECT_FLOAT_EQ(chosen.depthIn, 4.2f * 0.9f);      // after its areal factor
    EXPECT_EQ(chosen.pattern.fractions.at(120), 0.5);  // Type III at 12 hours

    const DepthDurationTable noDay = table({{1.0, 0, 1}, {2.5, 0, 6}, {3.1, 0, 12}});
    const DistributionChoice refused = nrcsChoice(NrcsType::typeII, "NRCS Type II", noDay, "");
    EXPECT_EQ(refused.error, common::msg::distributionNeedsDuration("NRCS Type II", "24"));
    EXPECT_NE(refused.error.find("\"NRCS Type II\" needs the depth of the 24-hour storm"), std::string::npos);
}

TEST(NrcsStorm, ADamagedDistributionsFileIsRefusedByLine) {
    const std::string header = "# comment\nhours,Type I,Type II,Type III,Type IA\n";
    const auto refusal = [&](const std::string& rows) {
        return readNrcsDistributions(header + rows, "d.csv").error;
    };
    const std::string start = "0,0,0,0,0\n";
    EXPECT_EQ(refusal(start + "12,0.5,0.5,0.5,0.5\n24,1,1,1,1\n"), "");
    // Only Type IA (the last column) may skip a time; its series then keeps only its own times.
    const NrcsDistributionsRead gaps =
        readNrcsDistributions(header + start + "12,0.5,0.4,0.3,\n24,1,1,1,1\n", "d.csv");
    ASSERT_TRUE(gaps.distributions);
    EXPECT_EQ(gaps.distributions->types[1].hours, (std::vector<double>{0, 24}));
    EXPECT_EQ(gaps.distributions->types[3].fractions, (std::vector<double>{0, 0.3, 1}));
    EXPECT_EQ(refusal(start + "12,0.5,,0.5,0.5\n24,1,1,1,1\n"),
              common::msg::distributionsFileRefused("d.csv", 4, common::msg::kPatternEmptyCell));
    EXPECT_EQ(refusal("0,0,0,0,\n24,1,1,1,1\n"),
              common::msg::distributionsFileRefused("d.csv", 3, common::msg::kPatternStartNotZero));
    EXPECT_EQ(refusal(start + "12,0.5,0.5,0.5,0.5\n24,1,1,1,\n"),
              common::msg::distributionsFileRefused("d.csv", 5, common::msg::kPatternEndNotWhole));
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

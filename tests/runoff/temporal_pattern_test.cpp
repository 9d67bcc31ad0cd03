// Temporal distributions in the layout of NOAA's *_temporal.csv files: the sections and columns read, a
// chosen column reproducing the file's percents as a storm, and the refusals by file and line.
#include "runoff/temporal_pattern.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/messages.hpp"

namespace brelvo::runoff {
namespace {

std::string fixture() {
    std::ifstream file(std::string(BRELVO_SOURCE_DIR) + "/tests/e2e/fixtures/sample_6h_temporal.csv",
                       std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

DepthDurationTable table(const std::vector<DepthDurationRow>& rows) {
    return depthDurationTable(rows);
}

TEST(TemporalPattern, TheFilesSectionsAndColumnsAreReadAsWritten) {
    const TemporalFileRead read = readTemporalFile(fixture(), "sample_6h_temporal.csv");
    ASSERT_EQ(read.error, "");
    const TemporalFile& file = *read.file;
    ASSERT_EQ(file.sections.size(), 5u);
    EXPECT_EQ(file.sections[0].name, "FIRST-QUARTILE");
    EXPECT_EQ(file.sections[3].name, "FOURTH-QUARTILE");
    EXPECT_EQ(file.sections[4].name, "ALL CASES");
    EXPECT_EQ(file.sections[1].columns,
              (std::vector<std::string>{"90%", "80%", "70%", "60%", "50%", "40%", "30%", "20%", "10%"}));
    EXPECT_EQ(file.headerLines.size(), 3u);
    EXPECT_EQ(file.headerLines[1], "Duration: 6-hour");

    // The second quartile's 50% column, as the file writes it.
    const std::optional<TemporalPattern> pattern = temporalPattern(file, "SECOND-QUARTILE", "50%");
    ASSERT_TRUE(pattern.has_value());
    EXPECT_EQ(pattern->hours, (std::vector<double>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(pattern->percents, (std::vector<double>{0, 5, 30, 70, 88, 96, 100}));
    EXPECT_EQ(pattern->section, "SECOND-QUARTILE");
    EXPECT_EQ(pattern->probability, "50%");
    EXPECT_EQ(temporalPattern(file, "SECOND-QUARTILE", "55%"), std::nullopt);
    EXPECT_EQ(temporalPattern(file, "FIFTH-QUARTILE", "50%"), std::nullopt);
    // The first quartile's 10% column: another column of another section.
    EXPECT_EQ(temporalPattern(file, "FIRST-QUARTILE", "10%")->percents,
              (std::vector<double>{0, 59.2, 79.6, 89.8, 95.24, 97.96, 100}));
}

TEST(TemporalPattern, TheStormReproducesThePercentsScaledToTheTablesDepthOfItsLength) {
    const TemporalFile file = *readTemporalFile(fixture(), "t.csv").file;
    const std::optional<TemporalPattern> pattern = temporalPattern(file, "SECOND-QUARTILE", "50%");
    const DistributionChoice choice =
        temporalChoice(pattern, "Temporal Distribution", table({{1.2, 0, 1}, {3.0, 0, 6}, {4.0, 0, 24}}));
    ASSERT_EQ(choice.error, "");
    EXPECT_EQ(choice.depthIn, 3.0f);
    // Hour by hour: 3 inches times the rise of the percents.
    const basin::Storm storm = patternStorm(choice.pattern, choice.depthIn, 1.0f);
    ASSERT_EQ(storm.steps, 6);
    const std::vector<double> expected = {0.15, 0.75, 1.2, 0.54, 0.24, 0.12};
    float total = 0;
    for (int i = 1; i <= 6; ++i) {
        EXPECT_NEAR(storm.rainIn[i], expected[static_cast<std::size_t>(i - 1)], 1e-6) << "step " << i;
        total += storm.rainIn[i];
    }
    EXPECT_EQ(total, 3.0f);
    // Half hours halve each hour's rain, linear between the file's rows.
    const basin::Storm halves = patternStorm(choice.pattern, choice.depthIn, 0.5f);
    ASSERT_EQ(halves.steps, 12);
    EXPECT_NEAR(halves.rainIn[5], 0.6, 1e-6);
    EXPECT_NEAR(halves.rainIn[6], 0.6, 1e-6);
}

TEST(TemporalPattern, WithoutAPatternOrARowOfItsLengthTheRunIsRefusedByName) {
    const TemporalFile file = *readTemporalFile(fixture(), "t.csv").file;
    const std::optional<TemporalPattern> pattern = temporalPattern(file, "ALL CASES", "50%");
    EXPECT_EQ(temporalChoice(pattern, "Temporal Distribution", table({{1.2, 0, 1}, {4.0, 0, 24}})).error,
              common::msg::distributionNeedsDuration("Temporal Distribution", "6"));
    EXPECT_EQ(temporalChoice(std::nullopt, "Temporal Distribution", table({{3.0, 0, 6}})).error,
              common::msg::temporalPatternMissing("Temporal Distribution"));
    // A kept pattern that a project file spoiled.
    TemporalPattern spoiled = *pattern;
    spoiled.percents[3] = 10;
    EXPECT_EQ(temporalChoice(spoiled, "Temporal Distribution", table({{3.0, 0, 6}})).error,
              common::msg::temporalPatternRefused(common::msg::kPatternFalls));
}

TEST(TemporalPattern, ABrokenFileIsRefusedByLine) {
    const std::string head = "Title line\nFIRST-QUARTILE CASES\nhours,90%,50%\n0,0,0\n";
    const auto refusal = [](const std::string& text) { return readTemporalFile(text, "f.csv").error; };
    const auto refused = [](int line, std::string_view reason) {
        return common::msg::temporalFileRefused("f.csv", line, reason);
    };
    EXPECT_EQ(refusal(head + "1,50,60\n2,100,100\n"), "");
    EXPECT_EQ(refusal(head + "1,50,6O\n2,100,100\n"), refused(5, common::msg::kPatternNotNumbers));
    EXPECT_EQ(refusal(head + "1,50\n2,100,100\n"), refused(5, common::msg::kPatternColumns));
    EXPECT_EQ(refusal(head + "1,50,60\n2,40,100\n"), refused(6, common::msg::kPatternFalls));
    EXPECT_EQ(refusal(head + "1,50,60\n2,100,99\n"), refused(6, common::msg::kPatternEndNotWhole));
    EXPECT_EQ(refusal(head + "1,50,160\n2,100,100\n"), refused(5, common::msg::kPatternFractionRange));
    EXPECT_EQ(refusal(head + "1,50,60\n1,100,100\n"), refused(6, common::msg::kPatternTimeNotRising));
    EXPECT_EQ(refusal(head + "1,50,60\n\n2,100,100\n"), refused(7, common::msg::kTemporalRowAfterTable));
    EXPECT_EQ(refusal("FIRST-QUARTILE CASES\n0,0,0\n"), refused(2, common::msg::kTemporalNoHeaderRow));
    EXPECT_EQ(refusal("FIRST-QUARTILE CASES\nhours,50%\n0,0\n1,100\nALL CASES\n"),
              refused(0, common::msg::kTemporalNoHeaderRow));
    EXPECT_EQ(refusal("Precipitation frequency estimates\n5-min:, 0.5\n"),
              refused(0, common::msg::kTemporalNoSections));
    // Trailing empty fields (a spreadsheet's) and CR LF lines are read as the rows they are.
    EXPECT_EQ(refusal("ALL CASES,,\r\nhours,90%,50%,\r\n0,0,0,\r\n2,100,100,\r\n"), "");
}

}  // namespace
}  // namespace brelvo::runoff

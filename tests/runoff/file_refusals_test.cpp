// Storm files and dimensionless graphs that an earlier reader took in a wrong meaning without a word:
// each is now read exactly, or refused naming the file, the line and the text. And graph names that
// lead to no regular file, which are refused before a byte is read.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/failure.hpp"
#include "runoff/rainfall.hpp"
#include "runoff/unit_graphs.hpp"

namespace brelvo::runoff {
namespace {

std::string stormRefusal(const std::string& text) {
    try {
        (void)parseStormFileRows(text, parseStormFileHeader(text, "may.STM"));
    } catch (const common::RuntimeFailure& failure) {
        return failure.cause();
    }
    return "accepted";
}

TEST(StormMisreads, DecimalCommasSeparatorsAndTimesOffTheStepAreRefusedByName) {
    // "1,0,5" was read as time 1 and depth 0: the 0.5 inch was lost.
    EXPECT_EQ(stormRefusal("t\n2,0.5\n0.5,1\n1,0,5\n"),
              "may.STM, line 4: \"1,0,5\" holds a third number; a line holds two (use a decimal point, not a "
              "decimal comma, and no thousands separators).");
    // "1,000" inches was read as 1.
    EXPECT_EQ(
        stormRefusal("t\n1,0.5\n0.5,1,000\n"),
        "may.STM, line 3: \"0.5,1,000\" holds a third number; a line holds two (use a decimal point, not "
        "a decimal comma, and no thousands separators).");
    EXPECT_EQ(stormRefusal("t\n3,0.5\n0.5,1\n1,1\n2,1\n"),
              "may.STM, line 5: the time \"2\" does not follow the step of 0.5 hours (1.5 expected).");
    EXPECT_EQ(stormRefusal("t\n3,0.5\n0,1\n0.5,1\n0.25,1\n"),
              "may.STM, line 5: the time \"0.25\" does not follow the step of 0.5 hours (1 expected).");
    EXPECT_EQ(stormRefusal("t\n2,0.5\n2,1\n2.5,1\n"),
              "may.STM, line 3: the time \"2\" does not follow the step of 0.5 hours (0 or 0.5 expected).");
    // Times of each step's start or end, written rounded, and a comment after the depth are read.
    EXPECT_EQ(stormRefusal("t\n3,0.0833\n0.0833,1\n0.1667,1\n0.25,1,heavy\n"), "accepted");
    EXPECT_EQ(stormRefusal("t\n2\t0.25\n0\t1\n0.25\t1\n"), "accepted");
}

std::string graphRefusal(const std::string& text) {
    std::istringstream in(text);
    try {
        (void)parseDimensionlessGraph(in, "My.DGF");
    } catch (const common::RuntimeFailure& failure) {
        return failure.cause();
    }
    return "accepted";
}

TEST(GraphMisreads, CommasRepeatsAndNegativeOrdinatesAreRefusedByName) {
    // Decimal commas: "0,5" is two fields, so the graph would be read shifted and cut.
    EXPECT_EQ(graphRefusal("t\nd\n3\n50\n0\n0,5\n1\n"),
              "My.DGF, line 7: \"1\" is beyond the 3 points the file announces (use a decimal point, not a "
              "decimal comma).");
    // A spacing of "20,5" read as 20 with 5 as the first ordinate.
    EXPECT_EQ(graphRefusal("t\nd\n3\n20,5\n0\n1\n0\n"),
              "My.DGF, line 7: \"0\" is beyond the 3 points the file announces (use a decimal point, not a "
              "decimal comma).");
    // A repeated count line reads the count as the spacing and leaves an ordinate over.
    EXPECT_EQ(graphRefusal("t\nd\n3\n3\n50\n0\n1\n0\n"),
              "My.DGF, line 8: \"0\" is beyond the 3 points the file announces (use a decimal point, not a "
              "decimal comma).");
    EXPECT_EQ(graphRefusal("t\nd\n3,50\n0,1,0\n0.2\n"),
              "My.DGF, line 5: \"0.2\" is beyond the 3 points the file announces (use a decimal point, not a "
              "decimal comma).");
    EXPECT_EQ(graphRefusal("t\nd\n3,50\n0,-1,0\n"), "My.DGF, line 4: \"-1\" is a negative ordinate.");
    EXPECT_EQ(graphRefusal("t\nd\n3,0\n0,1,0\n"), "My.DGF, line 3: \"0\" is not a spacing above 0 percent.");
    EXPECT_EQ(graphRefusal("t\nd\n3,50\n0,1,0\n\n,\n"), "accepted");
}

TEST(GraphMisreads, OrdinatesTooLargeToSumFailTheRunInsteadOfAGraphOfZeros) {
    // A peak of 1.1e36 overflows the sampled curve's single-precision sum; the unit graph would have been
    // scaled to all zeros.
    std::istringstream in("t\n\n3\n2025\n0\n1111111111111111111111111111111111111\n0");
    const DimensionlessGraph graph = parseDimensionlessGraph(in, "Big.DGF");
    try {
        (void)sampleUnitGraph(graph, 1.0f, 1.0f, 0.25f);
        FAIL() << "a graph of zeros was sampled";
    } catch (const common::RuntimeFailure& failure) {
        EXPECT_EQ(failure.description(), "Overflow");
        EXPECT_EQ(failure.cause(),
                  "The dimensionless graph's ordinates are too large to sum in single precision: "
                  "scale them down (only their shape counts).");
    }
}

TEST(GraphFiles, NamesOfNoRegularFileAreRefusedBeforeAnyReadAndTheListPutsThePresentFirst) {
    const std::string folder = ::testing::TempDir() + "graph_list_folder";
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/Urban.DGF", std::ios::binary) << "t\nd\n3,50\n0,1,0\n";
    std::filesystem::create_directories(folder + "/GreatPlains.DGF");  // a folder of that name

    // A graph named /dev/zero, or a folder, was opened and read without end.
    EXPECT_EQ(
        missingGraphFile("/dev/zero", folder),
        std::optional<std::string>("\"/dev/zero\" is not a regular file (a folder, a device or a pipe)."));
    basin::Storm storm;
    basin::Hydrograph hydrograph;
    try {
        (void)unitGraphFile(storm, GraphBasin{1, 1, 0, 0, 1}, "GreatPlains.DGF", folder, hydrograph);
        ADD_FAILURE() << "a folder must be refused";
    } catch (const common::RuntimeFailure& failure) {
        EXPECT_EQ(failure.number(), 75);  // "Path/File access error": there is a file, but no graph in it
        EXPECT_EQ(failure.cause(),
                  "\"" + folder + "/GreatPlains.DGF\" is not a regular file (a folder, a device or a pipe).");
    }

    // SCS.DGF is found beside the program (the build puts it there); Urban.DGF in the folder given.
    const GraphChoices choices = graphChoices(folder);
    EXPECT_EQ(choices.present,
              (std::vector<std::string>{"Rational Method", "Triangle Unit Graph", "SCS.DGF", "Urban.DGF"}));
    EXPECT_EQ(choices.absent, (std::vector<std::string>{"SWDesertCoPlateau.DGF", "PhoenixMtsAZ.DGF",
                                                        "GreatPlains.DGF", "SierraCascadeCoastal.DGF",
                                                        "RockMtTstorm.DGF", "RockyMtGenStorm.DGF"}));
}

}  // namespace
}  // namespace brelvo::runoff

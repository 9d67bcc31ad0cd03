// Basin block: slope, C, lag and time step from the fields, the nested txtC handler, areal factors,
// the window's defaults and the hand-off of a measurement.
#include "basin/basin_block.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace brelvo::basin {
namespace {

class BasinBlockTest : public ::testing::Test {
  protected:
    BasinBlockTest() {
        loadRunoffDefaults(fields);
        fields.displayChanged = [this](const std::string& name) {
            changes.push_back(name + "=" + valueOf(name));
        };
    }

    std::string valueOf(const std::string& name) const {
        const auto captions = fields.captionNames();
        if (std::find(captions.begin(), captions.end(), name) != captions.end()) return fields.caption(name);
        const auto checks = fields.checkNames();
        if (std::find(checks.begin(), checks.end(), name) != checks.end())
            return fields.checked(name) ? "on" : "off";
        return fields.text(name);
    }

    // Upper 2000 ft, lower 1000 ft, L 5 mi, Lca 2.5 mi: S = 200 ft/mi.
    void enterExampleBasin() {
        fields.setText("txtelv1", "2000");
        fields.setText("txtElv2", "1000");
        fields.setText("txtL", "5");
        fields.setText("txtLca", "2.5");
    }

    std::map<std::string, std::string> snapshot() const {
        std::map<std::string, std::string> all;
        for (const auto& name : fields.textNames()) all["text " + name] = fields.text(name);
        for (const auto& name : fields.captionNames()) all["caption " + name] = fields.caption(name);
        return all;
    }

    RunoffFields fields;
    BasinBlock block{fields};
    std::vector<std::string> changes;
};

TEST_F(BasinBlockTest, DefaultsAndListsOfTheWindow) {
    EXPECT_EQ(fields.text("txtBasinArea"), "1");
    EXPECT_EQ(fields.text("txtGraphtimestep"), "15");
    EXPECT_EQ(fields.caption("Label14"), "Hydrograph Time Step (minutes)");
    EXPECT_EQ(fields.caption("Frame2"), "Hydrograph Method");
    EXPECT_EQ(fields.text("txtDuration(0)"), "1");
    EXPECT_EQ(fields.text("txtRain(0)"), "1.00");
    EXPECT_EQ(fields.text("txtRain(7)"), "");
    EXPECT_TRUE(fields.checked("chkAutoTimeStep"));
    EXPECT_FALSE(fields.checked("chkAreaAdj"));
    EXPECT_EQ(fields.text("ComboDimgraph"), "Select Dimensionless Graph");
    // Later steps pick the method and the arrangement by the item's position.
    ASSERT_EQ(dimgraphItems().size(), 10u);
    EXPECT_EQ(dimgraphItems()[0], "Rational Method");
    EXPECT_EQ(dimgraphItems()[2], "SCS.DGF");
    EXPECT_EQ(dimgraphItems()[9], "RockyMtGenStorm.DGF");
    EXPECT_EQ(rainItems(),
              (std::vector<std::string>{"Average", "None", "Peak at 2/3", "Peak at 1/3", "Peak Centered",
                                        "Storm File", "NRCS Type I", "NRCS Type IA", "NRCS Type II",
                                        "NRCS Type III", "Temporal Distribution"}));
}

// S = 1000 / 5 = 200; C = 0.76748 * 200^0.14645 = 1.66745 -> "1.67";
// lag = 1.66745 * (12.5 / 200^0.5)^0.33 = 1.66745 * 0.96009 = 1.60090 -> "1.6"; r = 0.2911: 15 minutes.
TEST_F(BasinBlockTest, ExampleBasinInMilesAndInFeetGivesTheSameResults) {
    for (const bool feet : {false, true}) {
        SCOPED_TRACE(feet ? "feet" : "miles");
        loadRunoffDefaults(fields);
        fields.setText("txtGraphtimestep", "3");
        fields.setCaption("Label14", "Hydrograph Time Step (hours)");
        enterExampleBasin();
        if (feet) {
            fields.setText("txtL", "26400");
            fields.setText("txtLca", "13200");
            fields.setCaption("lblL", "Stream Length (ft)");
            block.lostFocus("txtLca");
        } else {
            block.lostFocus("txtElv2");
        }
        EXPECT_EQ(fields.text("txtS"), "200");
        EXPECT_EQ(fields.text("txtC"), "1.67");
        EXPECT_EQ(fields.text("txtLag"), "1.6");
        EXPECT_EQ(fields.text("txtGraphtimestep"), "15");
        EXPECT_EQ(fields.caption("Label14"), "Hydrograph Time Step (minutes)");
    }
}

// Writing C = 1.67 runs txtC's handler at once: it writes S, the lag from the rounded C
// (1.67 * 0.96009 = 1.6033 -> "1.6") and the step from lag / 11 = 0.1458 (5 minutes). Only then does
// Getbasinstats go on; its S and lag texts are the same, its step from lag / 5.5 = 0.2911 is 15 minutes.
TEST_F(BasinBlockTest, TxtCHandlerRunsInsideGetbasinstatsBeforeItWritesS) {
    enterExampleBasin();
    changes.clear();
    block.Getbasinstats();
    EXPECT_EQ(changes, (std::vector<std::string>{"txtC=1.67", "txtS=200", "txtLag=1.6", "txtGraphtimestep=5",
                                                 "txtGraphtimestep=15"}));
}

TEST_F(BasinBlockTest, TypedCRecomputesLagAndChoosesStepFromLagOverEleven) {
    enterExampleBasin();
    block.Getbasinstats();
    fields.setText("txtLag", "9");
    fields.setText("txtC", "");  // the user clears the field: nothing is recomputed
    EXPECT_EQ(fields.text("txtLag"), "9");
    fields.setText("txtC", ".");
    EXPECT_EQ(fields.text("txtLag"), "9");

    fields.setText("txtC", "1.67");
    EXPECT_EQ(fields.text("txtLag"), "1.6");
    EXPECT_EQ(fields.text("txtGraphtimestep"), "5");
    EXPECT_EQ(fields.caption("Label14"), "Hydrograph Time Step (minutes)");

    // lag = 3 * 0.96009 = 2.8803 -> "2.88"; r = 2.8803 / 11 = 0.2618: 15 minutes.
    fields.setText("txtC", "3");
    EXPECT_EQ(fields.text("txtLag"), "2.88");
    EXPECT_EQ(fields.text("txtGraphtimestep"), "15");
    EXPECT_EQ(fields.text("txtS"), "200");
}

TEST_F(BasinBlockTest, TypedLagChoosesStepFromLagOverFiveAndAHalf) {
    struct Case {
        const char* lag;
        const char* step;
        const char* caption;
    };
    // r = lag / 5.5; from r >= 0.99 the step is Int(r - 0.1) + 1 hours.
    const Case cases[] = {
        {"6", "1", "Hydrograph Time Step (hours)"},      // r = 1.091
        {"0.3", "1", "Hydrograph Time Step (minutes)"},  // r = 0.0545 < 0.08
        {"12", "3", "Hydrograph Time Step (hours)"},     // r = 2.182, Int(2.082) + 1
        {"5.775", "1", "Hydrograph Time Step (hours)"},  // r = 1.05, Int(0.95) + 1
        {"6.325", "2", "Hydrograph Time Step (hours)"},  // r = 1.15, Int(1.05) + 1
        {"4", "30", "Hydrograph Time Step (minutes)"},   // r = 0.727
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lag);
        fields.setText("txtGraphtimestep", "99");
        fields.setCaption("Label14", "");
        fields.setText("txtLag", c.lag);
        block.lostFocus("txtLag");
        EXPECT_EQ(fields.text("txtGraphtimestep"), c.step);
        EXPECT_EQ(fields.caption("Label14"), c.caption);
    }
}

TEST_F(BasinBlockTest, TimeStepThresholdsAreStrictSingles) {
    struct Case {
        float r;
        const char* step;
        bool hours;
    };
    const Case cases[] = {
        {0.0799f, "1", false}, {0.08f, "5", false},   {0.165f, "5", false}, {0.166f, "10", false},
        {0.24f, "15", false},  {0.489f, "15", false}, {0.49f, "30", false}, {0.989f, "30", false},
        {0.99f, "1", true},    {1.5f, "2", true},     {2.2f, "3", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.r);
        block.chooseTimeStep(c.r);
        EXPECT_EQ(fields.text("txtGraphtimestep"), c.step);
        EXPECT_EQ(fields.caption("Label14"),
                  c.hours ? "Hydrograph Time Step (hours)" : "Hydrograph Time Step (minutes)");
    }
}

TEST_F(BasinBlockTest, AutoTimeStepOffLeavesEveryOtherFieldAlone) {
    enterExampleBasin();
    fields.setChecked("chkAutoTimeStep", false);
    fields.setText("txtC", "2.5");
    fields.setText("txtLag", "7");
    const auto before = snapshot();
    changes.clear();
    for (const char* name : {"txtelv1", "txtElv2", "txtL", "txtLca", "txtLag"}) block.lostFocus(name);
    block.Getbasinstats();
    block.cChanged();
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(snapshot(), before);
}

// Each case stops the recomputation before anything is written, by a lost focus and by a typed C.
TEST_F(BasinBlockTest, IncompleteOrDegenerateInputsWriteNothing) {
    struct Case {
        const char* what;
        const char* field;
        const char* text;
    };
    const Case cases[] = {
        {"lower above upper", "txtElv2", "2001"},
        {"equal elevations: S = 0", "txtElv2", "2000"},
        {"empty upper elevation", "txtelv1", ""},
        {"empty L", "txtL", ""},
        {"empty Lca", "txtLca", ""},
        {"L not a number", "txtL", "5 mi"},
        {"zero L", "txtL", "0"},
        {"zero Lca", "txtLca", "0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        loadRunoffDefaults(fields);
        enterExampleBasin();
        fields.setText(c.field, c.text);
        changes.clear();
        block.lostFocus("txtelv1");
        fields.setText("txtC", "2");
        EXPECT_EQ(changes, (std::vector<std::string>{"txtC=2"}));
    }
}

TEST_F(BasinBlockTest, LengthsLosingFocusRecomputeOnlyWithATimeStep) {
    enterExampleBasin();
    fields.setText("txtGraphtimestep", "");
    block.lostFocus("txtL");
    EXPECT_EQ(fields.text("txtS"), "1");
    fields.setText("txtGraphtimestep", "60");
    block.lostFocus("txtL");
    EXPECT_EQ(fields.text("txtS"), "200");
    EXPECT_EQ(fields.text("txtGraphtimestep"), "15");
}

// A = 100 sq mi: d = 6 is tabled (0.894); d = 2 lies between 1 h (0.725) and 3 h (0.848):
// exp(ln 0.725 + ln 2 / ln 3 * (ln 0.848 - ln 0.725)) = 0.8003; 48 h takes the 24-hour row (0.935);
// 0.25 h counts as 0.5 h (0.612).
TEST_F(BasinBlockTest, ArealReductionFillsRowsThatHaveADuration) {
    fields.setText("txtBasinArea", "100");
    const char* durations[] = {"6", "2", "", "48", "0.25", "0", "", ""};
    for (int i = 0; i < 8; ++i) fields.setText(RunoffFields::indexed("txtDuration", i), durations[i]);
    fields.setText("txtArealAdj(2)", "0.7");
    fields.setText("txtArealAdj(5)", "0.6");

    fields.setChecked("chkAreaAdj", true);
    block.areaAdjClicked();
    const std::vector<std::string> reduced{"0.894", "0.800", "0.7", "0.935", "0.612", "0.6", "", ""};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(fields.text(RunoffFields::indexed("txtArealAdj", i)), reduced[i]) << i;

    fields.setChecked("chkAreaAdj", false);
    block.areaAdjClicked();
    const std::vector<std::string> unreduced{"1.000", "1.000", "0.7", "1.000", "1.000", "0.6", "", ""};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(fields.text(RunoffFields::indexed("txtArealAdj", i)), unreduced[i]) << i;
}

TEST_F(BasinBlockTest, ArealReductionConvertsTheAreaByItsUnit) {
    struct Case {
        const char* area;
        const char* label;
        const char* factor;
    };
    // 64,000 acres / 640 and 2,787,840,000 ft^2 / 27,878,400 are both 100 sq mi (0.894 at 6 h);
    // unconverted they would be clamped to 400 sq mi (0.835). 0.5 sq mi is below 1: no reduction.
    const Case cases[] = {
        {"64000", "Basin Area (acres)", "0.894"},
        {"2787840000", "Basin Area (ft^2)", "0.894"},
        {"100", "Basin Area (pix^2)", "0.894"},
        {"0.5", "Basin Area (mi^2)", "1.000"},
    };
    fields.setText("txtDuration(0)", "6");
    fields.setChecked("chkAreaAdj", true);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        fields.setText("txtArealAdj(0)", "");
        fields.setText("txtBasinArea", c.area);
        fields.setCaption("Label10", c.label);
        block.areaAdjClicked();
        EXPECT_EQ(fields.text("txtArealAdj(0)"), c.factor);
    }

    fields.setText("txtArealAdj(0)", "");
    fields.setText("txtBasinArea", "none");  // reads as 0: nothing to do
    block.areaAdjClicked();
    EXPECT_EQ(fields.text("txtArealAdj(0)"), "");
}

// The compute run once divided square feet in double precision and the areal reduction in single; the
// one conversion divides in single, which must give the bits of both for every area it may meet.
TEST(RunoffFieldsNames, ANameThatIsNoControlOfTheWindowIsAProgrammingError) {
    RunoffFields fields;
    EXPECT_EQ(fields.text("txtRain(7)"), "");                         // a control whose text was never set
    EXPECT_THROW((void)fields.text("txtRain(8)"), std::logic_error);  // the grid has rows 0..7
    EXPECT_THROW((void)fields.text("txtc"), std::logic_error);
    EXPECT_THROW(fields.setText("txtBasin", "1"), std::logic_error);
    EXPECT_THROW((void)fields.caption("txtC"), std::logic_error);  // a text box has no caption
    EXPECT_THROW(fields.setChecked("chkAutoStep", true), std::logic_error);
    EXPECT_THROW(fields.onChange("Label14", [] {}), std::logic_error);
    EXPECT_TRUE(fields.textNames().empty());  // nothing was stored on the way

    fields.setCaption("Label14", "Hydrograph Time Step (minutes)");
    EXPECT_TRUE(timeStepInMinutes(fields));
    fields.setCaption("Label14", "Hydrograph Time Step (hours)");
    EXPECT_FALSE(timeStepInMinutes(fields));
}

TEST(SquareMiles, SingleDivisionGivesTheDoubleQuotientsBits) {
    EXPECT_EQ(squareMiles(640, "Basin Area (acres)"), 1.0f);
    EXPECT_EQ(squareMiles(27878400, "Basin Area (ft^2)"), 1.0f);
    EXPECT_EQ(squareMiles(2.5f, "Basin Area (mi^2)"), 2.5f);
    // Every 499th single from 2^-20 to 2^40: about a million areas, each divided both ways.
    std::uint32_t bits = 0x35800000u;  // 2^-20
    int compared = 0;
    for (; bits < 0x53800000u; bits += 499u) {  // 2^40
        float area = 0;
        std::memcpy(&area, &bits, sizeof area);
        ASSERT_EQ(squareMiles(area, " (ft^2)"), static_cast<float>(area / 27878400.0)) << area;
        ASSERT_EQ(squareMiles(area, " (acres)"), static_cast<float>(area / 640.0)) << area;
        ++compared;
    }
    EXPECT_GT(compared, 1000000);
}

TEST_F(BasinBlockTest, HandOffWritesInTheWindowsOrderAndKeepsAbsentValues) {
    enterExampleBasin();
    changes.clear();
    receiveMeasurement(fields, {"HydrographArea2",
                                "26400",
                                "Stream Length (ft)",
                                "13200",
                                "Below Centroid (ft)",
                                "640",
                                "Basin Area (acres)",
                                {},
                                {},
                                {}});
    EXPECT_EQ(changes, (std::vector<std::string>{
                           "Frame2=HydrographArea2", "txtL=26400", "lblL=Stream Length (ft)", "txtLca=13200",
                           "lblLca=Below Centroid (ft)", "txtBasinArea=640", "Label10=Basin Area (acres)"}));
    // Nothing is recomputed until the user's next edit.
    EXPECT_EQ(fields.text("txtS"), "1");

    changes.clear();
    receiveMeasurement(fields, {"HydrographArea3",
                                std::nullopt,
                                "Stream Length (mi)",
                                "",
                                "Below Centroid (mi)",
                                std::nullopt,
                                "Basin Area (mi^2)",
                                {},
                                {},
                                {}});
    EXPECT_EQ(changes, (std::vector<std::string>{"Frame2=HydrographArea3", "lblL=Stream Length (mi)",
                                                 "lblLca=Below Centroid (mi)"}));
    EXPECT_EQ(fields.text("txtL"), "26400");
    EXPECT_EQ(fields.text("txtBasinArea"), "640");
    EXPECT_EQ(fields.caption("Label10"), "Basin Area (acres)");

    // A delineated basin's elevations follow the area, upper then lower (the captions are as
    // they were, so they change nothing).
    changes.clear();
    common::HandOff delineated{"HydrographArea4",
                               "2.5",
                               "Stream Length (mi)",
                               "1",
                               "Below Centroid (mi)",
                               "3",
                               "Basin Area (mi^2)",
                               {},
                               {},
                               {}};
    delineated.upperElevation = "1234.6";
    delineated.lowerElevation = "1000.0";
    receiveMeasurement(fields, delineated);
    EXPECT_EQ(changes,
              (std::vector<std::string>{"Frame2=HydrographArea4", "txtL=2.5", "txtLca=1", "txtBasinArea=3",
                                        "Label10=Basin Area (mi^2)", "txtelv1=1234.6", "txtElv2=1000.0"}));
}

// Strict boxes in the basin block: each box is read as a run reads it when the block reads it. A text
// that is no number, one past the single or the double range, or a lower elevation at or above the
// upper is refused by name and nothing is written (S stays 200 from the example basin), where the
// lenient read once took "1,950" as 1 and "1e400" aborted the program.
TEST_F(BasinBlockTest, StrictBoxesRefuseByNameAndWriteNothing) {
    std::vector<BoxReport> reports;
    block.checked = [&](const BoxReport& r) { reports.push_back(r); };
    enterExampleBasin();
    block.lostFocus("txtelv1");
    ASSERT_EQ(fields.text("txtS"), "200");
    struct Case {
        const char* field;
        const char* text;
        const char* refused;  // the box named
        const char* line;
    };
    const Case cases[] = {
        {"txtelv1", "1,950", "txtelv1",
         "Upper Elev (ft): \"1,950\" is not a number (use a decimal point and no thousands separators)."},
        {"txtElv2", "three", "txtElv2", "Lower Elev (ft): \"three\" is not a number."},
        {"txtElv2", "nan", "txtElv2", "Lower Elev (ft): \"nan\" is not a number."},
        {"txtElv2", "2500", "txtElv2", "Lower Elev (ft): \"2500\" must be below the Upper Elev (ft)."},
        {"txtL", "3,0", "txtL",
         "Stream Length: \"3,0\" is not a number (use a decimal point and no thousands separators)."},
        {"txtLca", "1e400", "txtLca", "Below Centroid: \"1e400\" is too large a number."},
        {"txtelv1", "1e39", "txtelv1", "Upper Elev (ft): \"1e39\" is too large a number."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        loadRunoffDefaults(fields);
        enterExampleBasin();
        fields.setText("txtS", "200");
        fields.setText(c.field, c.text);
        reports.clear();
        changes.clear();
        block.lostFocus(c.field);
        ASSERT_EQ(reports.size(), 1u);
        ASSERT_EQ(reports[0].refused.size(), 1u);
        EXPECT_EQ(reports[0].refused[0].name, c.refused);
        EXPECT_EQ(reports[0].refused[0].line(), c.line);
        EXPECT_TRUE(reports[0].tell);
        EXPECT_TRUE(changes.empty());
    }

    // Leaving another box frames the refused one again without naming it once more; leaving either
    // elevation names a lower elevation that is not below the upper.
    fields.setText("txtelv1", "1,950");
    for (const char* left : {"txtL", "txtElv2"}) {
        block.lostFocus(left);
        EXPECT_EQ(reports.back().refused.at(0).name, "txtelv1");
        EXPECT_FALSE(reports.back().tell) << left;
    }
    fields.setText("txtelv1", "900");
    block.lostFocus("txtelv1");
    EXPECT_EQ(reports.back().refused.at(0).name, "txtElv2");
    EXPECT_TRUE(reports.back().tell);

    // C is read as it is typed: framed (not told) at each keystroke, told when the box is left.
    loadRunoffDefaults(fields);
    enterExampleBasin();
    reports.clear();
    fields.setText("txtC", "1e400");
    ASSERT_FALSE(reports.empty());
    EXPECT_FALSE(reports.back().tell);
    EXPECT_EQ(reports.back().refused.at(0).line(), "C estimate: \"1e400\" is too large a number.");
    block.lostFocus("txtC");
    EXPECT_TRUE(reports.back().tell);
    fields.setText("txtC", "2");  // accepted again: read, nothing refused
    EXPECT_TRUE(reports.back().refused.empty());
    EXPECT_NE(std::find(reports.back().read.begin(), reports.back().read.end(), "txtC"),
              reports.back().read.end());

    // Ticking Areal Reduction with an area past the double range refuses it and takes the tick back.
    fields.setText("txtDuration(0)", "6");
    fields.setText("txtBasinArea", "1e400");
    fields.setChecked("chkAreaAdj", true);
    block.areaAdjClicked();
    EXPECT_EQ(reports.back().refused.at(0).line(), "Basin Area (mi^2): \"1e400\" is too large a number.");
    EXPECT_FALSE(fields.checked("chkAreaAdj"));
    EXPECT_EQ(fields.text("txtArealAdj(0)"), "");
    fields.setText("txtBasinArea", "100");
    fields.setText("txtDuration(1)", "1 1/2");
    fields.setChecked("chkAreaAdj", true);
    block.areaAdjClicked();
    EXPECT_EQ(reports.back().refused.at(0).line(),
              "Rainfall Durations row 2 Hours: \"1 1/2\" is not a number (write a fraction as a decimal).");
    EXPECT_EQ(fields.text("txtArealAdj(0)"), "");
}

}  // namespace
}  // namespace brelvo::basin

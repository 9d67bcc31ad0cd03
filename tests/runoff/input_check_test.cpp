// The strict check of the boxes a run reads: every box that feeds a figure is refused by name when its
// text is no number, past the single or the double range, or outside what the box can mean.
#include "runoff/input_check.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "basin/basin_block.hpp"

namespace brelvo::runoff {
namespace {

std::vector<std::string> names(const std::vector<RefusedBox>& boxes) {
    std::vector<std::string> out;
    for (const auto& box : boxes) out.push_back(box.name);
    return out;
}

// A table storm by the Triangle Unit Graph on the window's defaults: nothing refused.
basin::RunoffFields tableStorm() {
    basin::RunoffFields fields;
    basin::loadRunoffDefaults(fields);
    fields.setText("ComboRain", "Average");
    fields.setText("ComboDimgraph", "Triangle Unit Graph");
    return fields;
}

// Each of the boxes a compute or routing run reads, with "1e39" (past the single range) and "1e400"
// (past the double range, which once aborted the program at Compute or Go): refused by name, never a
// failure.
TEST(StrictBoxes, NumbersPastTheRangesAreRefusedByNameInEveryBoxARunReads) {
    const std::vector<std::string> computeBoxes{
        "txtBasinArea", "txtC",          "txtLag",         "txtGraphtimestep", "txtCNloss",
        "txtConstLoss", "txtPercentImp", "txtDuration(0)", "txtRain(0)",       "txtArealAdj(0)"};
    for (const char* text : {"1e39", "1e400", "-1e39"}) {
        for (const std::string& box : computeBoxes) {
            SCOPED_TRACE(box + " " + text);
            basin::RunoffFields fields = tableStorm();
            fields.setText(box, text);
            std::vector<RefusedBox> refused;
            ASSERT_NO_THROW(refused = checkComputeBoxes(fields));
            ASSERT_EQ(names(refused), std::vector<std::string>{box});
            EXPECT_EQ(refused[0].reason, "is too large a number.");
        }
    }
    struct Routing {
        int option;
        const char* box;
        std::string label;
    };
    const Routing routing[] = {{0, "txtModbelv", "Begin Elev (blank ok)"},
                               {1, "txtMuskK", "K lag (hr)"},
                               {1, "txtMuskX", "X storage (0 - 0.5)"},
                               {3, "txtTatum", "Travel time (Hours)"}};
    for (const auto& r : routing) {
        SCOPED_TRACE(r.box);
        basin::RunoffFields fields = tableStorm();
        fields.setText(r.box, std::string(400, '9'));
        std::vector<RefusedBox> refused;
        ASSERT_NO_THROW(refused = checkRoutingBoxes(fields, r.option));
        ASSERT_EQ(refused.size(), 1u);
        EXPECT_EQ(refused[0].line(), r.label + ": \"" + std::string(400, '9') + "\" is too large a number.");
    }
}

// What each box can mean: a curve number from 5 to 100 (the label says so), an areal factor of at most
// 1, X from 0 to 0.5; elevations and lengths read as the basin block reads them, so that a run never goes
// on with a slope left from before a refused edit.
TEST(StrictBoxes, ValuesABoxCannotMeanAreRefusedAtCompute) {
    struct Case {
        const char* box;
        const char* text;
        const char* line;
    };
    const Case cases[] = {
        {"txtCNloss", "150",
         "SCS CN (5-100) or Initial Loss (inches): \"150\" must be a curve number from 5 to 100, or an "
         "initial "
         "loss below 5 inches."},
        {"txtCNloss", "100.5",
         "SCS CN (5-100) or Initial Loss (inches): \"100.5\" must be a curve number from 5 to 100, or an "
         "initial loss below 5 inches."},
        {"txtArealAdj(0)", "1.5", "Rainfall Durations row 1 Areal factor: \"1.5\" must not be above 1."},
        {"txtelv1", "1,950",
         "Upper Elev (ft): \"1,950\" is not a number (use a decimal point and no thousands separators)."},
        {"txtElv2", "2100", "Lower Elev (ft): \"2100\" must be below the Upper Elev (ft)."},
        {"txtL", "three", "Stream Length: \"three\" is not a number."},
        {"txtLca", "0", "Below Centroid: \"0\" must be above 0."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        basin::RunoffFields fields = tableStorm();
        fields.setText("txtelv1", "2000");
        fields.setText("txtElv2", "1800");
        fields.setText("txtL", "2");
        fields.setText("txtLca", "1");
        ASSERT_TRUE(checkComputeBoxes(fields).empty());
        fields.setText(c.box, c.text);
        const std::vector<RefusedBox> refused = checkComputeBoxes(fields);
        ASSERT_EQ(refused.size(), 1u);
        EXPECT_EQ(refused[0].line(), c.line);
    }
    // 100 is a curve number, 4.9 an initial loss; empty elevations and lengths are not yet filled in.
    basin::RunoffFields fields = tableStorm();
    for (const char* loss : {"100", "4.9", "5"}) {
        fields.setText("txtCNloss", loss);
        EXPECT_TRUE(checkComputeBoxes(fields).empty()) << loss;
    }
    for (const char* x : {"0.6", "-0.1"}) {
        fields.setText("txtMuskX", x);
        const std::vector<RefusedBox> refused = checkRoutingBoxes(fields, 1);
        ASSERT_EQ(refused.size(), 1u);
        EXPECT_EQ(refused[0].line(),
                  "X storage (0 - 0.5): \"" + std::string(x) + "\" must be from 0 to 0.5.");
    }
}

}  // namespace
}  // namespace brelvo::runoff

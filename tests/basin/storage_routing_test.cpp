// Storage routing worked by hand: the *.RAT table, the lookup, the routed series and the refused files.
#include "basin/storage_routing.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "basin/runoff_fields.hpp"
#include "common/failure.hpp"
#include "common/numbers.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::basin {
namespace {

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The description of the failure parseStorageFile raises, empty when it accepts the text.
std::string refusalOf(const std::string& text, float udur = 1.0f, const std::string& name = "storage file") {
    try {
        (void)parseStorageFile(text, udur, name);
    } catch (const common::RuntimeFailure& failure) {
        return failure.cause().empty() ? failure.description() : failure.cause();
    }
    return "";
}

// A column with rows 1..values.size() set, row 0 and the rest of rows 0..100 at 0.
std::vector<float> column(const std::vector<float>& values) {
    std::vector<float> rows(StorageTable::kLastRow + 1, 0.0f);
    for (std::size_t i = 0; i < values.size(); ++i) rows[i + 1] = values[i];
    return rows;
}

// The worked basin: rows (elevation ft, outflow cfs, storage acre-feet).
const std::string kPond = "Pond\n3\n100,0,0\n101,10,10\n102,40,25\n";

// Rows r = 1..100 at elevation 100 + r ft, outflow 10r cfs, storage r acre-feet: with a 1-hour step
// the storage indication is 34.2r cfs, up to 3420 cfs at row 100.
std::string fullTable(int rows) {
    std::string text = "Full table\n" + std::to_string(rows) + "\n";
    for (int r = 1; r <= rows; ++r) {
        text += std::to_string(100 + r) + "," + std::to_string(10 * r) + "," + std::to_string(r) + "\n";
    }
    return text;
}

TEST(StorageFile, CommaRowsGiveTheStorageIndicationForTheStep) {
    // Line 3 holds commas, so every row is comma-separated; blanks around a field are read past, and so
    // are blank lines after the rows.
    const StorageTable table =
        parseStorageFile("Pond at Elm St\r\n3\r\n100, 0, 0\r\n101,10,10\r\n102 , 40 , 25\r\n\r\n", 1.0f);
    EXPECT_EQ(table.n, 3);
    EXPECT_EQ(table.elevation, column({100, 101, 102}));
    EXPECT_EQ(table.outflow, column({0, 10, 40}));
    EXPECT_EQ(table.storage, column({0, 10, 25}));
    // SI = S * 24.2 / 1 h + O: 10 * 24.2 + 10 = 252, 25 * 24.2 + 40 = 645.
    ASSERT_EQ(table.indication.size(), 101u);
    EXPECT_EQ(table.indication[0], 0.0f);
    EXPECT_EQ(table.indication[1], 0.0f);
    EXPECT_NEAR(table.indication[2], 252.0f, 1e-4);
    EXPECT_NEAR(table.indication[3], 645.0f, 1e-4);
    EXPECT_EQ(table.indication[4], 0.0f);
}

TEST(StorageFile, TabsUnlessTheThirdLineHoldsAComma) {
    // Half a step: SI = S * 24.2 / 0.5 + O = 48.4 S + O.
    const StorageTable tabs = parseStorageFile("Tabs\n3\n100\t0\t0\n101\t10\t10\n102\t40\t25\n", 0.5f);
    EXPECT_EQ(tabs.n, 3);
    EXPECT_EQ(tabs.storage, column({0, 10, 25}));
    EXPECT_NEAR(tabs.indication[2], 494.0f, 1e-3);   // 484 + 10
    EXPECT_NEAR(tabs.indication[3], 1250.0f, 1e-3);  // 1210 + 40

    // Line 3 has no comma, so the comma row below it is one tab field, which is no number.
    EXPECT_EQ(refusalOf("Mixed\n2\n100\t0\t0\n101,10,10\n", 1.0f, "mixed.RAT"),
              "mixed.RAT, line 4: \"101,10,10\" is not a number (use a decimal point).");
}

TEST(StorageFile, RefusesFieldsCountsAndRowsItCannotReadByFileAndLine) {
    EXPECT_EQ(refusalOf("Pond\n3 rows\n100,0,0\n", 1.0f, "p.RAT"),
              "p.RAT, line 2: \"3 rows\" is not a number.");
    EXPECT_EQ(refusalOf("Pond\n2.5\n100,0,0\n101,1,1\n", 1.0f, "p.RAT"),
              "p.RAT, line 2: \"2.5\" is not a whole number of rows.");
    EXPECT_EQ(refusalOf("Pond\n2\n100\t0,5\t0\n101\t1\t1\n", 1.0f, "p.RAT"),
              "p.RAT, line 3: \"100\t0\" is not a number (use a decimal point).");
    EXPECT_EQ(refusalOf("Pond\n2\n100,0\n101,1,1\n", 1.0f, "p.RAT"), "p.RAT, line 3: \"\" is not a number.");
    EXPECT_EQ(refusalOf("Pond\n2\n100,0,0\n\n101,1,1\n", 1.0f, "p.RAT"),
              "p.RAT, line 4: \"\" is not a number.");
    EXPECT_EQ(refusalOf("Pond\n2\n100,0,0\n101,1,1\n102,5,5\n", 1.0f, "p.RAT"),
              "p.RAT, line 5: \"102,5,5\" is a row beyond the 2 rows the file announces.");
    EXPECT_EQ(refusalOf("Pond\n1\n100,1E39,0\n", 1.0f, "p.RAT"),
              "p.RAT, line 3: \"1E39\" is too large a number.");
}

TEST(StorageFile, RefusesCountsRowsAndNumbersItCannotHold) {
    EXPECT_TRUE(contains(refusalOf(""), "second line"));
    EXPECT_TRUE(contains(refusalOf("Only a title\n"), "second line"));
    const std::string tooMany = refusalOf(fullTable(101));
    EXPECT_TRUE(contains(tooMany, "101 rows")) << tooMany;
    EXPECT_TRUE(contains(tooMany, "at most 100")) << tooMany;
    EXPECT_TRUE(contains(refusalOf("Huge\n40000\n"), "too many rows"));
    EXPECT_TRUE(contains(refusalOf("None\n0\n100,0,0\n"), "no rows"));
    EXPECT_TRUE(contains(refusalOf("Short\n3\n100,0,0\n101,10,10\n"), "lists 3 rows but holds only 2"));
    EXPECT_TRUE(contains(refusalOf("Falls\n3\n100,0,0\n101,10,10\n100.5,40,25\n"), "Row 3"));
    EXPECT_TRUE(contains(refusalOf("Falls\n3\n100,0,0\n101,10,10\n102,8,25\n"), "in outflow"));
    // Equal neighbours are a flat stretch, not a fall; a full table of 100 rows is accepted.
    EXPECT_EQ(refusalOf("Flat\n3\n100,0,0\n101,0,5\n102,10,12\n"), "");
    EXPECT_EQ(refusalOf(fullTable(100)), "");
    // The storage term divides by the step.
    EXPECT_EQ(refusalOf(kPond, 0.0f), "Division by zero");
}

TEST(LocateInTable, InterpolatesExtrapolatesAndStopsAtRowZero) {
    const std::vector<float> si = column({0, 252, 645});
    const auto expectAt = [](Located at, int k, float f) {
        EXPECT_EQ(at.k, k);
        EXPECT_NEAR(at.f, f, 1e-6);
    };
    expectAt(locateInTable(100, si, 3), 1, 100.0f / 252.0f);
    expectAt(locateInTable(252, si, 3), 1, 1.0f);  // on a row: the end of the interval below it
    // Past row 3 along rows 2..3: (800 - 252) / (645 - 252).
    expectAt(locateInTable(800, si, 3), 2, 548.0f / 393.0f);
    expectAt(locateInTable(0, si, 3), 0, 0.0f);
    expectAt(locateInTable(-5, si, 3), 0, 0.0f);

    const std::vector<float> elevation = column({100, 101, 102});
    expectAt(locateInTable(100.25f, elevation, 3), 1, 0.25f);
    expectAt(locateInTable(99, elevation, 3), 0, 0.0f);

    const std::vector<float> falling = column({30, 20, 10});
    expectAt(locateInTable(25, falling, 3, false), 1, 0.5f);
    expectAt(locateInTable(5, falling, 3, false), 2, 1.5f);
    expectAt(locateInTable(35, falling, 3, false), 0, 0.0f);

    // Extrapolating along two equal rows, and past a full table that has no empty row to find.
    EXPECT_THROW((void)locateInTable(12, column({0, 10, 10}), 3), common::RuntimeFailure);
    std::vector<float> full(StorageTable::kLastRow + 1);
    for (int r = 1; r <= StorageTable::kLastRow; ++r)
        full[static_cast<std::size_t>(r)] = static_cast<float>(r);
    expectAt(locateInTable(99.5f, full, StorageTable::kLastRow), 99, 0.5f);
    EXPECT_THROW((void)locateInTable(101, full, StorageTable::kLastRow), common::RuntimeFailure);
}

// A working hydrograph with the run's step and routed bound, and what a storage routing commits.
struct Case {
    WorkingHydrograph h;
    float udur = 0;
    std::int16_t newit = 0;
    std::string storageFileName;
    bool routed = false;  // the last modpul gave a routing
};

class ModpulTest : public ::testing::Test {
  protected:
    ModpulTest() {
        // A computed hydrograph (cfs) of a 1-hour step as the compute run leaves it, with the routed
        // series reset to two elements and elvout dimensioned to 0..newit by the run.
        state.udur = 1.0f;
        state.h.inflow.flowCfs.redim(kHydrographUpper);
        state.h.inflow.last = 3;
        state.newit = 15;
        state.h.routed.outflowCfs.redim(1);
        state.h.routed.storageAcreFt.redim(1);
        state.h.routed.elevationFt.redim(state.newit);
        state.h.inflow.peakCfs = 100.0f;
        state.h.inflow.peakIndex = 2;
    }

    std::string writeFile(const std::string& text) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        const std::string path = ::testing::TempDir() + info->name() + "_" + std::to_string(files++) + ".RAT";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }

    void route(const std::string& fileText) {
        dialogs.fileAnswer = writeFile(fileText);
        routeChosen();
    }

    // modpul on the file the dialog answers, from the begin elevation typed (blank: row 1), its
    // messages shown and its result committed as the routing run does.
    void routeChosen() {
        const std::optional<std::string> chosen = dialogs.fileDialog(common::FileDialogRequest{});
        state.routed = false;
        if (!chosen || chosen->empty()) return;
        const common::BoxNumber begin = common::readBoxNumber(fields.text("txtModbelv"));
        const std::optional<float> beginFt =
            begin.reading == common::BoxReading::number ? std::optional<float>(begin.value) : std::nullopt;
        StorageOutcome result = modpul(state.h, state.newit, state.udur, beginFt, *chosen);
        for (const std::string& message : result.messages) dialogs.message(message);
        state.routed = result.routing.has_value();
        if (!result.routing) return;
        state.h = std::move(result.routing->hydrograph);
        state.storageFileName = result.routing->fileName;
    }

    Case state;
    RunoffFields fields;
    testing_support::RecordingDialogs dialogs;
    int files = 0;
};

TEST_F(ModpulTest, RoutesThroughThePondFromRowOne) {
    state.h.inflow.flowCfs[2] = 100.0f;
    route(kPond);

    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(state.routed);
    EXPECT_EQ(state.storageFileName, *dialogs.fileAnswer);

    // Start at row 1, the steady state of the first inflow (0 cfs): 100 ft, 0 cfs, 0 acre-feet. Step 1
    // (inflow 0 and 0) has SI = 0, at or below row 1, which reads row 0: 0 cfs, 0 ft, 0 acre-feet.
    // Step 2 has SI = 0 + 100 + 0 - 0 = 100, a fraction 100/252 of rows 1..2: O = 3.968 cfs,
    // 100.397 ft, 3.968 acre-feet. Step 3: SI = 100 + 0 + (100 - 3.968) - 3.968 = 192.063, O = 7.622.
    // Step 4: SI = 184.442 - 7.622, O = 7.017.
    EXPECT_EQ(state.h.routed.outflowCfs[0], 0.0f);
    EXPECT_EQ(state.h.routed.elevationFt[0], 100.0f);
    EXPECT_EQ(state.h.routed.storageAcreFt[0], 0.0f);
    EXPECT_EQ(state.h.routed.outflowCfs[1], 0.0f);
    EXPECT_EQ(state.h.routed.elevationFt[1], 0.0f);
    EXPECT_NEAR(state.h.routed.outflowCfs[2], 3.968f, 5e-4);
    EXPECT_NEAR(state.h.routed.elevationFt[2], 100.397f, 5e-4);
    EXPECT_NEAR(state.h.routed.storageAcreFt[2], 3.968f, 5e-4);
    EXPECT_NEAR(state.h.routed.outflowCfs[3], 7.622f, 5e-4);
    EXPECT_NEAR(state.h.routed.elevationFt[3], 100.762f, 5e-4);
    EXPECT_NEAR(state.h.routed.outflowCfs[4], 7.017f, 5e-4);

    // The peak is the step-3 outflow; at 10 cfs or less the end threshold is 0.01 cfs, which the slow
    // recession (x 23.2/25.2 a step) does not reach, so the routing stops at newit - 1 = 14.
    EXPECT_NEAR(state.h.routed.peakCfs, 7.622f, 5e-4);
    EXPECT_EQ(state.h.routed.peakIndex, 3.0f);
    EXPECT_NEAR(state.h.routed.peakElevationFt, 100.762f, 5e-4);
    EXPECT_EQ(state.h.inflow.last, 14);
    EXPECT_GE(state.h.routed.outflowCfs.upper(), 14);
    EXPECT_EQ(state.h.routed.storageAcreFt.upper(), state.h.routed.outflowCfs.upper());
    // The computed hydrograph stays as it was.
    EXPECT_EQ(state.h.inflow.flowCfs[2], 100.0f);
    EXPECT_EQ(state.h.inflow.peakCfs, 100.0f);
    EXPECT_EQ(state.h.inflow.peakIndex, 2);
}

TEST_F(ModpulTest, BeginElevationBetweenRowsInterpolatesTheStart) {
    fields.setText("txtModbelv", "  100.5 ");
    route(kPond);

    // Halfway between rows 1 and 2: 5 cfs and 5 acre-feet, while the storage term is that of row 2,
    // the first row at or above 100.5 ft: 10 * 24.2 = 242 cfs. With no inflow, step 1 has SI = 242 - 5
    // = 237, a fraction 237/252 of rows 1..2: 9.405 cfs, 100.940 ft, 9.405 acre-feet. Step 2:
    // SI = (237 - 9.405) - 9.405 = 218.19, a fraction 0.86583: 8.658 cfs.
    EXPECT_TRUE(state.routed);
    EXPECT_EQ(state.h.routed.outflowCfs[0], 5.0f);
    EXPECT_EQ(state.h.routed.elevationFt[0], 100.5f);
    EXPECT_EQ(state.h.routed.storageAcreFt[0], 5.0f);
    EXPECT_NEAR(state.h.routed.outflowCfs[1], 9.405f, 5e-4);
    EXPECT_NEAR(state.h.routed.elevationFt[1], 100.940f, 5e-4);
    EXPECT_NEAR(state.h.routed.storageAcreFt[1], 9.405f, 5e-4);
    EXPECT_NEAR(state.h.routed.outflowCfs[2], 8.658f, 5e-4);
    EXPECT_NEAR(state.h.routed.peakCfs, 9.405f, 5e-4);
    EXPECT_EQ(state.h.routed.peakIndex, 1.0f);
    EXPECT_NEAR(state.h.routed.peakElevationFt, 100.940f, 5e-4);
}

TEST_F(ModpulTest, BeginElevationAtOrBelowRowOneStartsFromRowZero) {
    // Row 1 carries 5 cfs and 2 acre-feet, so row 0 and row 1 differ; SI(1) = 2 * 24.2 + 5 = 53.4 cfs.
    const std::string basin = "Basin\n3\n100,5,2\n101,10,10\n102,40,25\n";
    fields.setText("txtModbelv", "99.5");
    state.h.inflow.flowCfs[2] = 10.0f;
    route(basin);

    // Outflow and storage of row 0 (0 and 0), storage term of row 1 (2 * 24.2 = 48.4 cfs). Step 1:
    // SI = 0 + 10 + 48.4 - 0 = 58.4, a fraction 5/198.6 of rows 1..2: O = 5.126 cfs, 100.025 ft and
    // 2 + 8 * 0.025176 = 2.201 acre-feet.
    EXPECT_TRUE(state.routed);
    EXPECT_EQ(state.h.routed.outflowCfs[0], 0.0f);
    EXPECT_EQ(state.h.routed.elevationFt[0], 99.5f);
    EXPECT_EQ(state.h.routed.storageAcreFt[0], 0.0f);
    EXPECT_EQ(state.h.routed.outflowCfs[1], 0.0f);
    EXPECT_NEAR(state.h.routed.outflowCfs[2], 5.126f, 5e-4);
    EXPECT_NEAR(state.h.routed.elevationFt[2], 100.025f, 5e-4);
    EXPECT_NEAR(state.h.routed.storageAcreFt[2], 2.201f, 5e-4);

    // Without inflow step 1 ends at SI = 48.4, below row 1's 53.4: the outflow is row 0's, and an
    // outflow at or below row 1's gives elevation 0 and storage 0 at the next index.
    state = Case{};
    state.udur = 1.0f;
    state.h.inflow.flowCfs.redim(kHydrographUpper);
    state.h.inflow.last = 3;
    state.newit = 15;
    state.h.routed.outflowCfs.redim(1);
    state.h.routed.elevationFt.redim(15);
    route(basin);
    EXPECT_EQ(state.h.routed.outflowCfs[2], 0.0f);
    EXPECT_EQ(state.h.routed.elevationFt[2], 0.0f);
    EXPECT_EQ(state.h.routed.storageAcreFt[2], 0.0f);
}

TEST_F(ModpulTest, LoadedHydrographIsRoutedFromQout) {
    // After a file load the working hydrograph is in qout; qi holds an older one (all 0 here).
    state.h.outflowIsCurrent = true;
    state.h.routed.outflowCfs.redim(4);
    state.h.routed.outflowCfs[2] = 100.0f;
    state.h.routed.peakCfs = 100.0f;
    state.h.routed.peakIndex = 2.0f;
    state.h.inflow.peakCfs = 55.0f;
    state.h.inflow.peakIndex = 7;
    route(kPond);

    // The inflow is taken from qout, so the routing is the pond's worked one.
    EXPECT_TRUE(state.routed);
    EXPECT_EQ(state.h.inflow.flowCfs[2], 100.0f);
    EXPECT_NEAR(state.h.routed.outflowCfs[2], 3.968f, 5e-4);
    EXPECT_NEAR(state.h.routed.outflowCfs[3], 7.622f, 5e-4);
    // The inflow's peak is the previous routed peak; the new routed peak replaces it.
    EXPECT_EQ(state.h.inflow.peakCfs, 100.0f);
    EXPECT_EQ(state.h.inflow.peakIndex, 2);
    EXPECT_NEAR(state.h.routed.peakCfs, 7.622f, 5e-4);
    EXPECT_EQ(state.h.routed.peakIndex, 3.0f);
}

TEST_F(ModpulTest, UnusableFilesAreToldAndLeaveTheHydrographAsItWas) {
    state.h.inflow.flowCfs[2] = 100.0f;
    state.h.routed.outflowCfs.redim(3);
    state.h.routed.outflowCfs[2] = 42.0f;
    state.h.routed.peakCfs = 42.0f;
    state.h.routed.peakIndex = 2.0f;
    state.storageFileName = "earlier.RAT";
    Case before = state;
    const auto expectUntouched = [&](const std::string& what) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(state.routed);
        EXPECT_EQ(state.h.inflow.flowCfs.values(), before.h.inflow.flowCfs.values());
        EXPECT_EQ(state.h.routed.outflowCfs.values(), before.h.routed.outflowCfs.values());
        EXPECT_EQ(state.h.routed.elevationFt.values(), before.h.routed.elevationFt.values());
        EXPECT_EQ(state.h.routed.storageAcreFt.values(), before.h.routed.storageAcreFt.values());
        EXPECT_EQ(state.h.inflow.last, before.h.inflow.last);
        EXPECT_EQ(state.h.inflow.peakCfs, before.h.inflow.peakCfs);
        EXPECT_EQ(state.h.routed.peakCfs, before.h.routed.peakCfs);
        EXPECT_EQ(state.h.routed.peakIndex, before.h.routed.peakIndex);
        EXPECT_EQ(state.h.routed.peakElevationFt, before.h.routed.peakElevationFt);
    };

    // No file chosen: nothing is said and the last chosen name stays.
    for (const std::optional<std::string>& answer :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
        dialogs.fileAnswer = answer;
        state.routed = true;
        routeChosen();
        expectUntouched("cancelled");
        EXPECT_TRUE(dialogs.messages.empty());
        EXPECT_EQ(state.storageFileName, "earlier.RAT");
    }

    const auto expectTold = [&](const std::string& what, const std::string& part) {
        expectUntouched(what);
        ASSERT_EQ(dialogs.messages.size(), 1u) << what;
        EXPECT_TRUE(contains(dialogs.messages[0], part)) << dialogs.messages[0];
        dialogs.messages.clear();
    };

    dialogs.fileAnswer = ::testing::TempDir() + "no_such_basin.RAT";
    state.routed = true;
    routeChosen();
    expectTold("missing", "no_such_basin.RAT");

    state.routed = true;
    route(fullTable(101));
    expectTold("101 rows", "at most 100");

    state.routed = true;
    route("Short\n3\n100,0,0\n101,10,10\n");
    expectTold("lines missing", "holds only 2");

    // Step 1 of a full table reaches SI = 0 + 5000 + 24.2 - 10 = 5014.2 cfs, past row 100's 3420.
    state.h.inflow.flowCfs[2] = 5000.0f;
    before = state;
    state.routed = true;
    route(fullTable(100));
    expectTold("beyond a full table", "beyond the last row");

    // Within the full table it routes: from row 1 (10 cfs, 1 acre-foot, 24.2 cfs storage term) step 1
    // (no inflow) has SI = 24.2 - 10 = 14.2, below row 1's 34.2, which reads row 0: 0 cfs. Step 2 has
    // SI = 100 + 14.2 - 0 = 114.2, between rows 3 and 4 (102.6, 136.8): O = 30 + 10 * 11.6/34.2.
    state.h.inflow.flowCfs[2] = 100.0f;
    route(fullTable(100));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(state.routed);
    EXPECT_EQ(state.h.routed.outflowCfs[1], 0.0f);
    EXPECT_NEAR(state.h.routed.outflowCfs[2], 33.392f, 5e-4);

    // A zero step is the run's division failure, not a refusal.
    state.udur = 0.0f;
    EXPECT_THROW(route(kPond), common::RuntimeFailure);
}

}  // namespace
}  // namespace brelvo::basin

// The calculation report's document: what it lists of a worked example, and how it falls into pages.
#include "runoff/calc_report.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "basin/basin_block.hpp"
#include "runoff/csv_export.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::runoff {
namespace {

struct Window {
    basin::RunoffFields fields;
    RunoffSession session;
    basin::ChartGrid chart;
    testing_support::RecordingDialogs dialogs;
    ComputeContext context{".", ::testing::TempDir() + "/calc_report_Temp.GRF", nullptr, {}};

    // One inch in one hour through the triangle graph of one square mile with a 2-hour lag, typed as
    // a user types it after a hand-off in miles.
    Window() {
        basin::loadRunoffDefaults(fields);
        clearPlots(session, chart, fields);
        fields.setCaption("lblL", "Stream Length (mi)");
        fields.setCaption("lblLca", "Below Centroid (mi)");
        fields.setCaption("Label14", "Hydrograph Time Step (hours)");
        fields.setCaption("Frame2", "HydrographArea1");  // as a hand-off names the frame
        fields.setText("txtL", "2.5");
        fields.setText("txtLca", "1.25");
        fields.setText("txtelv1", "1200");
        fields.setText("txtElv2", "900");
        fields.setChecked("chkAutoTimeStep", false);
        fields.setText("txtGraphtimestep", "1");
        fields.setText("txtLag", "2");
        fields.setText("txtCNloss", "0.5");
        fields.setText("txtConstLoss", "0.1");
        fields.setText("txtPercentImp", "10");
        fields.setText("txtTitle", "Mill Creek");
        fields.setText("txtTile2", "100-year storm");
        fields.setText("ComboRain", "Average");
        fields.setText("ComboDimgraph", "Triangle Unit Graph");
    }
    RunOutcome run() { return computeHydrograph(session, fields, chart, dialogs, context); }
};

std::vector<std::string> texts(const std::vector<ReportItem>& items) {
    std::vector<std::string> out;
    for (const ReportItem& item : items) out.push_back(item.text);
    return out;
}

TEST(CalcReport, ListsTheWindowsInputsWithTheirSources) {
    Window w;
    CalcReportSources sources;
    const std::vector<std::string> inputs = {
        "Basin",
        "  Basin figures                         typed in the runoff window",
        "  Basin Area (mi^2)                     1",
        "  Stream Length (mi)                    2.5",
        "  Below Centroid (mi)                   1.25",
        "  Upper Elev (ft)                       1200",
        "  Lower Elev (ft)                       900",
        "  S (ft/mi)                             1",
        "  C estimate                            1",
        "  Auto time step / lag                  off",
        "  Hydrograph Time Step (hours)          1",
        "  Areal Reduction                       off",
        "Map",
        "  Map file                              none",
        "  Coordinate system                     not known (the map is not georeferenced)",
        "Storm",
        "  Source                                depth-duration table as typed",
        "  Hours     Inches    Areal factor",
        "      1       1.00                ",
        "  Arrangement                           Average",
        "Losses",
        "  Initial Loss (inches)                 0.5",
        "  Constant Loss (in/hr)                 0.1",
        "  Percent Basin Impervious              10",
        "Unit graph",
        "  Hydrograph Method                     Triangle Unit Graph",
        "  Lag equation                          Lag = C (L Lca / S^0.5)^0.33 (h)",
        "                                        = 1 (2.5 mi x 1.25 mi / (1 ft/mi)^0.5)^0.33 = 1.46 h",
        "  Lag used (h)                          2",
    };
    EXPECT_EQ(texts(inputItems(w.fields, w.session, sources)), inputs);

    // A delineated basin names its model, outlet, search distance and threshold; a georeferenced map its
    // system; a curve number states the initial abstraction with its numbers.
    w.fields.setText("txtCNloss", "75");
    sources.basin = BasinOrigin::delineated;
    sources.delineation =
        DelineationSource{"dem.tif", "m", 12, 34, "500012.50, 4100087.50 (EPSG:26917)", 30, 250};
    sources.mapFile = "/maps/dem.tif";
    sources.georeferenced = true;
    sources.mapSystem = "EPSG:26917";
    const std::vector<std::string> delineated = texts(inputItems(w.fields, w.session, sources));
    EXPECT_EQ(std::vector<std::string>(delineated.begin() + 1, delineated.begin() + 8),
              (std::vector<std::string>{
                  "  Basin figures                         delineated from an elevation model",
                  "  Stream used                           the longest flow path of the delineation",
                  "  Elevation model                       dem.tif (heights in m)",
                  "  Outlet cell                           column 12, row 34",
                  "  Outlet map coordinates                500012.50, 4100087.50 (EPSG:26917)",
                  "  Outlet search distance                30 m",
                  "  Stream threshold                      250 cells draining through a cell"}));
    EXPECT_EQ(std::vector<std::string>(delineated.begin() + 18, delineated.begin() + 21),
              (std::vector<std::string>{"Map", "  Map file                              /maps/dem.tif",
                                        "  Coordinate system                     EPSG:26917"}));
    const auto losses = std::find(delineated.begin(), delineated.end(), "Losses");
    ASSERT_NE(losses, delineated.end());
    EXPECT_EQ(
        std::vector<std::string>(losses + 1, losses + 4),
        (std::vector<std::string>{
            "  SCS CN                                75",
            "  Initial abstraction                   Ia = 0.2 S, S = 1000/CN - 10 (in)",
            "                                        S = 1000/75 - 10 = 3.33 in, Ia = 0.2 S = 0.667 in"}));
}

TEST(CalcReport, TitlePageFirstResultsWithUnitsThenTheAppendices) {
    Window w;
    w.fields.setText("txtCNloss", "0");
    w.fields.setText("txtConstLoss", "0");
    w.fields.setText("txtPercentImp", "0");
    ASSERT_TRUE(w.run().reported);
    w.fields.setText("txtLag", "x");
    EXPECT_FALSE(w.run().reported);  // a refused run adds no summary
    w.fields.setText("txtLag", "1");
    ASSERT_TRUE(w.run().reported);
    EXPECT_EQ(w.session.runSummaries,
              (std::vector<std::string>{"Runoff Qmax=242 cfs, Vol=50 acft, RainLoss=0.00 in from 1.00 total",
                                        w.fields.caption("Form3")}));

    CalcReportSources sources;
    sources.listing = "Area 1\r\n  x  y\r\n  1  2\r\n\r\n";
    sources.frequencyRows = {{"2", "4.5", "3.1", "1200", "12.5", "165"},
                             {"100", "9.5", "8.1", "3200", "12.4", "465"}};
    sources.date = "2026-12-11";
    sources.version = "0.1.0";
    sources.engineer = "A. Reviewer";
    const CalcReport report = calcReport(w.fields, w.session, sources);
    EXPECT_EQ(report.header, "Mill Creek \u2014 2- to 100-year storms");
    const std::vector<std::string> all = texts(report.items);
    EXPECT_EQ(
        std::vector<std::string>(all.begin(), all.begin() + 9),
        (std::vector<std::string>{
            "Calculation Report", "  Project                               Mill Creek",
            "  Second title                          100-year storm",
            "  Storms                                2- to 100-year storms",
            "  Date                                  2026-12-11",
            "  Program                               Brelvo 0.1.0",
            "  Engineer                              A. Reviewer",
            "  Firm                                  (none typed: File -> Report Signature...)", "Inputs"}));
    EXPECT_EQ(report.items[0].kind, ReportItemKind::title);
    EXPECT_TRUE(report.items[8].newPage);
    const auto map = std::find(all.begin(), all.end(), "Map of the basin");
    ASSERT_NE(map, all.end());
    const auto m = static_cast<std::size_t>(map - all.begin());
    EXPECT_TRUE(report.items[m].newPage);
    EXPECT_EQ(report.items[m + 1].kind, ReportItemKind::map);
    EXPECT_EQ(all[m + 2], "Hydrograph chart");
    EXPECT_EQ(report.items[m + 3].kind, ReportItemKind::chart);
    const std::vector<std::string> results = {
        "Results",
        "Runs",
        "Run  Summary (Qmax in cfs, Vol in acre-ft, losses in in)",
        "  1  Runoff Qmax=242 cfs, Vol=50 acft, RainLoss=0.00 in from 1.00 total",
        "  2  " + w.session.runSummaries[1],
        "Frequency summary",
        "Return period (yr)  Storm (in)  Runoff (in)  Peak (cfs)  Time of peak (h)  Volume (acre-ft)",
        "                 2         4.5          3.1        1200              12.5               165",
        "               100         9.5          8.1        3200              12.4               465",
        "Appendix A. Coordinate listing",
        "Area 1",
        "  x  y",
        "  1  2",
        "Appendix B. Report tables of the last run"};
    EXPECT_EQ(
        std::vector<std::string>(all.begin() + static_cast<long>(m) + 4,
                                 all.begin() + static_cast<long>(m) + 4 + static_cast<long>(results.size())),
        results);
    // Every row of a table carries its header, for a page it continues on.
    EXPECT_EQ(report.items[m + 11].columns, results[6]);
    EXPECT_EQ(report.items[m + 7].columns, results[2]);
    EXPECT_EQ(report.items[m + 14].kind, ReportItemKind::table);  // the listing in the fixed-width font
    // Then the report file's lines, as Export Report PDF prints them.
    const PrintedReport printed = printedReport(*w.session.lastReport, w.session.reportText);
    ASSERT_GT(printed.lines.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(all.end() - static_cast<long>(printed.lines.size()), all.end()),
              printed.lines);
    EXPECT_EQ(all.size(), m + 4 + results.size() + printed.lines.size());

    // Without a frequency run the header names the single storm; without a listing, said.
    const CalcReport bare = calcReport(w.fields, w.session, {});
    EXPECT_EQ(bare.header, "Mill Creek \u2014 100-year storm");
    EXPECT_NE(std::find(bare.items.begin(), bare.items.end(),
                        ReportItem{ReportItemKind::text, "(no coordinates listed)", false, {}}),
              bare.items.end());
}

TEST(CalcReport, PagesKeepHeadingsWithTheirLinesAndFiguresWhole) {
    CalcReport report;
    const auto add = [&](ReportItemKind kind, std::string text, bool newPage = false) {
        report.items.push_back(ReportItem{kind, std::move(text), newPage, {}});
    };
    add(ReportItemKind::heading, "Map");
    add(ReportItemKind::map, "");                  // 2 + 6 lines
    add(ReportItemKind::heading, "Listing");       // would end page 1 at line 10 of 10
    add(ReportItemKind::text, "a");                // page 2
    add(ReportItemKind::chart, "");                // 4 lines: page 2 at 2 + 1 + 4 = 7
    add(ReportItemKind::chart, "");                // would be 11: page 3
    add(ReportItemKind::heading, "Tables", true);  // page 4, whatever the room
    for (int i = 0; i < 9; ++i) add(ReportItemKind::table, std::to_string(i));  // 8 on page 4, 1 on 5
    const PageShape shape{10, 6, 4};
    const auto pages = paginate(report, shape);
    ASSERT_EQ(pages.size(), 5u);
    EXPECT_EQ(pages[0].size(), 2u);
    EXPECT_EQ(texts(pages[1]), (std::vector<std::string>{"Listing", "a", ""}));
    EXPECT_EQ(pages[2].size(), 1u);
    EXPECT_EQ(pages[3].size(), 9u);
    EXPECT_EQ(pages[3].front().text, "Tables");
    EXPECT_EQ(texts(pages[4]), (std::vector<std::string>{"8"}));

    // A figure taller than the page is drawn within it; nothing is lost or repeated.
    const auto tall = paginate(report, PageShape{5, 40, 40});
    EXPECT_EQ(itemLines(report.items[1], PageShape{5, 40, 40}), 3);
    std::size_t count = 0;
    for (const auto& page : tall) {
        int used = 0;
        for (const ReportItem& item : page) used += itemLines(item, PageShape{5, 40, 40});
        EXPECT_LE(used, 5);
        count += page.size();
    }
    EXPECT_EQ(count, report.items.size());

    // A table's rows that run onto the next page bring their column header with them.
    CalcReport table;
    table.items.push_back(ReportItem{ReportItemKind::heading, "Frequency", false, {}});
    table.items.push_back(ReportItem{ReportItemKind::text, "T (yr)  Q (cfs)", false, {}});
    for (int i = 0; i < 12; ++i)
        table.items.push_back(ReportItem{ReportItemKind::text, std::to_string(i), false, "T (yr)  Q (cfs)"});
    const auto split = paginate(table, PageShape{6, 3, 3});
    ASSERT_EQ(split.size(), 3u);
    EXPECT_EQ(texts(split[0]), (std::vector<std::string>{"Frequency", "T (yr)  Q (cfs)", "0", "1", "2"}));
    EXPECT_EQ(texts(split[1]), (std::vector<std::string>{"T (yr)  Q (cfs)", "3", "4", "5", "6", "7"}));
    EXPECT_EQ(texts(split[2]), (std::vector<std::string>{"T (yr)  Q (cfs)", "8", "9", "10", "11"}));
}

TEST(CalcReport, TheImportedStormIsNamedWhileItsRowsStandAndFailedFrequencyRowsSayWhy) {
    std::ifstream in(
        std::filesystem::path(BRELVO_SOURCE_DIR) / "tests" / "e2e" / "fixtures" / "pfds_fort_myers.csv",
        std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    Window w;
    w.session.stormTable = readPrecipFrequency(text.str(), "pfds.csv").table;
    ASSERT_TRUE(w.session.stormTable);
    w.session.stormReturnPeriod = 100;
    EXPECT_EQ(importedStormTitle(w.fields, w.session), "");  // the typed table is not the import's
    applyDesignStorm(w.fields, designStormRows(*w.session.stormTable, 100, 24));
    EXPECT_EQ(importedStormTitle(w.fields, w.session),
              "NOAA Atlas 14 Volume 9 Version 2, 26.6 N 81.9 W, 100-year");
    w.fields.setText("txtRain(7)", "12.0");  // one depth typed over
    EXPECT_EQ(importedStormTitle(w.fields, w.session), "");

    FrequencyRow done;
    done.returnPeriodYears = 10;
    done.run.reported = true;
    done.run.summary = {6.12f, 3.3f, 1234.5f, 16.1666667f, 440.4f};
    FrequencyRow failed;
    failed.returnPeriodYears = 500;
    failed.run.messages = {"No 500-year column", "in the table"};
    CalcReportSources sources;
    sources.frequencyRows = frequencyReportRows({done, failed});
    ASSERT_TRUE(w.run().reported);
    const std::vector<std::string> all = texts(calcReport(w.fields, w.session, sources).items);
    const auto at = std::find(all.begin(), all.end(), "Frequency summary");
    ASSERT_NE(at, all.end());
    EXPECT_EQ(
        std::vector<std::string>(at + 2, at + 4),
        (std::vector<std::string>{
            "                10        6.12         3.30      1234.5             16.17             440.4",
            "               500    No 500-year column in the table"}));
}

}  // namespace
}  // namespace brelvo::runoff

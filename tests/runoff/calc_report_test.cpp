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

TEST(CalcReport, ListsTheWindowsInputsAsShownAndEveryRunsSummary) {
    Window w;
    const std::vector<std::string> inputs = {
        "Basin",
        "  Basin Area (mi^2)                     1",
        "  Stream Length (mi)                    2.5",
        "  Below Centroid (mi)                   1.25",
        "  Upper Elev (ft)                       1200",
        "  Lower Elev (ft)                       900",
        "  S (ft/mi)                             1",
        "  C estimate                            1",
        "  Lag Time (hours)                      2",
        "  Auto time step / lag                  off",
        "  Hydrograph Time Step (hours)          1",
        "  Areal Reduction                       off",
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
    };
    EXPECT_EQ(texts(inputItems(w.fields, w.session, "")), inputs);

    // A curve number from 5 up is named as one; an imported table names itself as the source.
    w.fields.setText("txtCNloss", "75");
    const std::vector<std::string> imported =
        texts(inputItems(w.fields, w.session, "NOAA Atlas 14 Volume 9 Version 2, 26.6 N 81.9 W, 100-year"));
    // Too long beside its label on the page, it takes a line of its own.
    EXPECT_EQ(imported[13], "  Source");
    EXPECT_EQ(imported[14], "    imported table: NOAA Atlas 14 Volume 9 Version 2, 26.6 N 81.9 W, 100-year");
    EXPECT_EQ(imported[19], "  SCS CN                                75");

    // Every run that reports adds its caption; a refused run adds nothing.
    w.fields.setText("txtCNloss", "0");
    w.fields.setText("txtConstLoss", "0");
    w.fields.setText("txtPercentImp", "0");
    ASSERT_TRUE(w.run().reported);
    w.fields.setText("txtLag", "x");
    EXPECT_FALSE(w.run().reported);
    w.fields.setText("txtLag", "1");
    ASSERT_TRUE(w.run().reported);
    EXPECT_EQ(w.session.runSummaries,
              (std::vector<std::string>{"Runoff Qmax=242 cfs, Vol=50 acft, RainLoss=0.00 in from 1.00 total",
                                        w.fields.caption("Form3")}));
    EXPECT_NE(w.session.runSummaries[0], w.session.runSummaries[1]);

    CalcReportSources sources;
    sources.listing = "Area 1\r\n  x  y\r\n  1  2\r\n\r\n";
    sources.frequencyRows = {{"2", "4.5", "3.1", "1200", "12.5", "165"}};
    const CalcReport report = calcReport(w.fields, w.session, sources);
    EXPECT_EQ(report.title1, "Mill Creek");
    EXPECT_EQ(report.title2, "100-year storm");
    const std::vector<std::string> all = texts(report.items);
    const std::vector<std::string> head = {
        "Map and traced basin", "", "Coordinate listing", "Area 1", "  x  y", "  1  2", "Basin"};
    EXPECT_EQ(std::vector<std::string>(all.begin(), all.begin() + 7), head);
    EXPECT_EQ(report.items[1].kind, ReportItemKind::map);
    EXPECT_FALSE(report.items[6].newPage);  // only the report tables start a page of their own
    const std::size_t chart = 3 + 3 + inputs.size();
    EXPECT_EQ(all[chart], "Hydrograph chart");
    EXPECT_FALSE(report.items[chart].newPage);
    EXPECT_TRUE(report.items[chart + 8].newPage);
    EXPECT_EQ(report.items[chart + 1].kind, ReportItemKind::chart);
    const std::vector<std::string> runs = {
        "Runs",
        "  1  Runoff Qmax=242 cfs, Vol=50 acft, RainLoss=0.00 in from 1.00 total",
        "  2  " + w.session.runSummaries[1],
        "Frequency summary",
        "Return period (yr)  Storm (in)  Runoff (in)  Peak (cfs)  Time of peak (h)  Volume (acre-ft)",
        "                 2         4.5          3.1        1200              12.5               165",
        "Report tables"};
    EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<long>(chart) + 2,
                                       all.begin() + static_cast<long>(chart) + 9),
              runs);
    // Then the report file's lines, as Export Report PDF prints them.
    const PrintedReport printed = printedReport(*w.session.lastReport, w.session.reportText);
    ASSERT_GT(printed.lines.size(), 10u);
    EXPECT_EQ(std::vector<std::string>(all.end() - static_cast<long>(printed.lines.size()), all.end()),
              printed.lines);
    EXPECT_EQ(report.items.back().kind, ReportItemKind::table);
    EXPECT_EQ(all.size(), chart + 9 + printed.lines.size());

    // Without a listing or a frequency summary: said, and left out.
    const std::vector<std::string> bare = texts(calcReport(w.fields, w.session, {}).items);
    EXPECT_EQ(bare[3], "(no coordinates listed)");
    EXPECT_EQ(all.size() - bare.size(), 5u);  // three listing lines for one, three frequency lines
}

TEST(CalcReport, PagesKeepHeadingsWithTheirLinesAndFiguresWhole) {
    CalcReport report;
    const auto add = [&](ReportItemKind kind, std::string text, bool newPage = false) {
        report.items.push_back(ReportItem{kind, std::move(text), newPage});
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

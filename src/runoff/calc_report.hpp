// The calculation report handed to a reviewer, as a document of lines: the map and its coordinate
// listing, the basin inputs, the storm, the losses and the unit graph as the runoff window shows them,
// the chart, the summary line of every run, the frequency summary, then the report tables. It is laid
// out in pages here, so that its content and its page count are known without drawing; the window's
// layer only draws the pages (text lines in a fixed-width font, the map and the chart as pictures).
#pragma once

#include <string>
#include <vector>

#include "basin/runoff_fields.hpp"
#include "runoff/compute_driver.hpp"
#include "runoff/frequency_run.hpp"

namespace brelvo::runoff {

enum class ReportItemKind {
    heading,  // a section's title, kept on the page of what follows it
    text,     // a line of the window's texts (UTF-8)
    table,    // a line of the report file (single-byte), in the fixed-width font as the file has it
    map,      // the map view as the user sees it
    chart,    // the runoff window's hydrograph chart
};

struct ReportItem {
    ReportItemKind kind = ReportItemKind::text;
    std::string text;
    bool newPage = false;  // starts a page of its own
    friend bool operator==(const ReportItem&, const ReportItem&) = default;
};

// What the report takes from outside the runoff window.
struct CalcReportSources {
    std::string listing;  // the coordinate listing as its window shows it (CR LF or LF lines)
    // The imported precipitation-frequency table's title, when the storm came from one; else empty.
    std::string importedTable;
    // The frequency summary's rows as its table shows them: return period, storm depth, runoff depth,
    // peak, time of peak, volume. Empty when there is none.
    std::vector<std::vector<std::string>> frequencyRows;
};

// The imported storm's second title when the depth-duration table still holds exactly the rows its
// import wrote; empty when nothing was imported or a row was typed over since.
[[nodiscard]] std::string importedStormTitle(const basin::RunoffFields& fields, const RunoffSession& session);

// The frequency run's rows as the report lists them: the return period, then the five figures as the
// summary table writes them, or the reason the run failed on one line.
[[nodiscard]] std::vector<std::vector<std::string>> frequencyReportRows(
    const std::vector<FrequencyRow>& rows);

struct CalcReport {
    std::string title1;  // the two titles as the runoff window shows them, heading every page
    std::string title2;
    std::vector<ReportItem> items;
};

// The report of the window's fields and session; only meaningful once a run has reported.
[[nodiscard]] CalcReport calcReport(const basin::RunoffFields& fields, const RunoffSession& session,
                                    const CalcReportSources& sources);

// The basin inputs, storm, losses and unit graph lines alone (what the second section lists).
[[nodiscard]] std::vector<ReportItem> inputItems(const basin::RunoffFields& fields,
                                                 const RunoffSession& session,
                                                 const std::string& importedTable);

// The room of a page, in text lines: the body's lines, and the lines a figure takes.
struct PageShape {
    int lines = 55;
    int mapLines = 34;
    int chartLines = 26;
};

// The items page by page: a heading never ends a page, a figure is never split, a table line longer
// than the page is never cut (the drawing clips it at the margin, the file keeps it).
[[nodiscard]] std::vector<std::vector<ReportItem>> paginate(const CalcReport& report, const PageShape& shape);

// The lines an item takes on a page of that shape.
[[nodiscard]] int itemLines(const ReportItem& item, const PageShape& shape);

}  // namespace brelvo::runoff

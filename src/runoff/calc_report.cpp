#include "runoff/calc_report.hpp"

#include <algorithm>

#include "basin/working_state.hpp"
#include "common/control_names.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "runoff/calc_report_lines.hpp"
#include "runoff/csv_export.hpp"

namespace brelvo::runoff {

namespace {

namespace msg = common::msg;
namespace form3 = common::controls::form3;

using namespace report_lines;

// The lines of a text as a text box shows them: CR LF or LF ends, the empty lines at its end dropped.
std::vector<std::string> textLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string piece = text.substr(start, end - start);
        if (!piece.empty() && piece.back() == '\r') piece.pop_back();
        lines.push_back(std::move(piece));
        start = end + 1;
    }
    while (!lines.empty() && lines.back().find_first_not_of(' ') == std::string::npos) lines.pop_back();
    return lines;
}

// The columns of the frequency summary, each as wide as its heading and its values right-aligned.
std::vector<std::size_t> frequencyWidths() {
    std::vector<std::size_t> widths;
    const std::string header = msg::kCalcFrequencyHeader;
    std::size_t start = 0;
    while (start < header.size()) {
        std::size_t end = header.find("  ", start);
        if (end == std::string::npos) end = header.size();
        widths.push_back(end - start);
        start = end + 2;
    }
    return widths;
}

}  // namespace

std::string importedStormTitle(const basin::RunoffFields& fields, const RunoffSession& session) {
    if (!session.stormTable || session.stormReturnPeriod <= 0) return {};
    const DesignStormRows storm =
        designStormRows(*session.stormTable, session.stormReturnPeriod, session.stormHours);
    if (!storm.error.empty()) return {};
    for (int i = 0; i < form3::kGridRows; ++i) {
        const auto row = static_cast<std::size_t>(i);
        const bool filled = row < storm.rows.size();
        if (fields.text(basin::RunoffFields::indexed(form3::txtDuration, i)) !=
                (filled ? storm.rows[row].first : "") ||
            fields.text(basin::RunoffFields::indexed(form3::txtRain, i)) !=
                (filled ? storm.rows[row].second : ""))
            return {};
    }
    return storm.title2;
}

std::vector<std::vector<std::string>> frequencyReportRows(const std::vector<FrequencyRow>& rows) {
    std::vector<std::vector<std::string>> out;
    for (const FrequencyRow& row : rows) {
        std::vector<std::string> cells{std::to_string(row.returnPeriodYears)};
        if (row.run.reported) {
            for (std::string& text : summaryTexts(row.run.summary)) cells.push_back(std::move(text));
        } else {
            std::string why = failureText(row.run);
            std::replace(why.begin(), why.end(), '\n', ' ');
            cells.push_back("  " + why);
        }
        out.push_back(std::move(cells));
    }
    return out;
}

std::string stormSet(const basin::RunoffFields& fields, const RunoffSession& session,
                     const CalcReportSources& sources) {
    if (!sources.frequencyRows.empty())
        return msg::calcFrequencySet(sources.frequencyRows.front().front(),
                                     sources.frequencyRows.back().front());
    if (!sources.importedTable.empty() && session.stormReturnPeriod > 0)
        return msg::calcSingleStorm(session.stormReturnPeriod, common::generalText(session.stormHours));
    const std::string& typed = fields.text(form3::txtTile2);
    return typed.empty() ? fields.text(form3::ComboRain) : typed;
}

CalcReport calcReport(const basin::RunoffFields& fields, const RunoffSession& session,
                      const CalcReportSources& sources) {
    CalcReport report;
    report.title1 = fields.text(form3::txtTitle);
    report.title2 = fields.text(form3::txtTile2);
    const std::string storms = stormSet(fields, session, sources);
    const std::string project = report.title1.empty() ? std::string(msg::kCalcUntitled) : report.title1;
    report.header = msg::calcHeader(project, storms);
    auto& items = report.items;

    items.push_back(ReportItem{ReportItemKind::title, msg::kCalcReportTitle, false, {}});
    addLabelled(items, msg::kCalcProject, project);
    addLabelled(items, msg::kCalcSecondTitle, report.title2);
    addLabelled(items, msg::kCalcStorms, storms);
    addLabelled(items, msg::kCalcDate, sources.date);
    addLabelled(items, msg::kCalcProgram, msg::calcVersion(sources.version));
    addLabelled(items, msg::kCalcEngineer, sources.engineer.empty() ? msg::kCalcNotTyped : sources.engineer);
    addLabelled(items, msg::kCalcFirm, sources.firm.empty() ? msg::kCalcNotTyped : sources.firm);

    items.push_back(ReportItem{ReportItemKind::title, msg::kCalcInputsHeading, true, {}});
    for (ReportItem& item : inputItems(fields, session, sources)) items.push_back(std::move(item));

    items.push_back(heading(msg::kCalcMapHeading, true));
    items.push_back(ReportItem{ReportItemKind::map, "", false, {}});

    items.push_back(heading(msg::kCalcChartHeading, true));
    items.push_back(ReportItem{ReportItemKind::chart, "", false, {}});

    items.push_back(ReportItem{ReportItemKind::title, msg::kCalcResultsHeading, true, {}});
    items.push_back(heading(msg::kCalcRunsHeading));
    items.push_back(line(msg::kCalcRunsHeader));
    for (std::size_t i = 0; i < session.runSummaries.size(); ++i) {
        ReportItem row = line(padLeft(std::to_string(i + 1), 3) + "  " + session.runSummaries[i]);
        row.columns = msg::kCalcRunsHeader;
        items.push_back(std::move(row));
    }

    if (!sources.frequencyRows.empty()) {
        items.push_back(heading(msg::kCalcFrequencyHeading));
        items.push_back(line(msg::kCalcFrequencyHeader));
        const std::vector<std::size_t> widths = frequencyWidths();
        for (const auto& row : sources.frequencyRows) {
            std::string text;
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (c > 0) text += "  ";
                text += padLeft(row[c], c < widths.size() ? widths[c] : 0);
            }
            ReportItem item = line(text);
            item.columns = msg::kCalcFrequencyHeader;
            items.push_back(std::move(item));
        }
    }

    items.push_back(heading(msg::kCalcListingAppendix, true));
    const std::vector<std::string> listing = textLines(sources.listing);
    if (listing.empty()) items.push_back(line(msg::kCalcNoListing));
    for (const std::string& text : listing)
        items.push_back(ReportItem{ReportItemKind::table, text, false, {}});

    if (session.lastReport) {
        items.push_back(heading(msg::kCalcTablesHeading, true));
        for (std::string& text : printedReport(*session.lastReport, session.reportText).lines)
            items.push_back(ReportItem{ReportItemKind::table, std::move(text), false, {}});
    }
    return report;
}

int itemLines(const ReportItem& item, const PageShape& shape) {
    switch (item.kind) {
        // A figure leaves room for its heading on the page.
        case ReportItemKind::map:
            return std::clamp(shape.mapLines, 1, std::max(1, shape.lines - 2));
        case ReportItemKind::chart:
            return std::clamp(shape.chartLines, 1, std::max(1, shape.lines - 2));
        case ReportItemKind::heading:
            return 2;  // a blank line above the title
        case ReportItemKind::title:
            return 3;
        default:
            return 1;
    }
}

std::vector<std::vector<ReportItem>> paginate(const CalcReport& report, const PageShape& shape) {
    std::vector<std::vector<ReportItem>> pages(1);
    int used = 0;
    const auto& items = report.items;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const ReportItem& item = items[i];
        int needed = itemLines(item, shape);
        // A heading goes with the first item of its section.
        if (item.kind == ReportItemKind::heading && i + 1 < items.size() && !items[i + 1].newPage)
            needed += itemLines(items[i + 1], shape);
        if (!pages.back().empty() && (item.newPage || used + needed > shape.lines)) {
            pages.emplace_back();
            used = 0;
            // A table continued from the page before starts with its column header again.
            if (!item.columns.empty()) {
                pages.back().push_back(line(item.columns));
                used = 1;
            }
        }
        pages.back().push_back(item);
        used += itemLines(item, shape);
    }
    return pages;
}

}  // namespace brelvo::runoff

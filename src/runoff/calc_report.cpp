#include "runoff/calc_report.hpp"

#include <algorithm>

#include "basin/working_state.hpp"
#include "common/control_names.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "runoff/csv_export.hpp"

namespace brelvo::runoff {

namespace {

namespace msg = common::msg;
namespace form3 = common::controls::form3;

constexpr std::size_t kLabelWidth = 38;
// The characters a text line of the page holds in the fixed-width font.
constexpr std::size_t kPageColumns = 92;

ReportItem heading(const char* text, bool newPage = false) {
    return ReportItem{ReportItemKind::heading, text, newPage};
}

ReportItem line(std::string text) {
    return ReportItem{ReportItemKind::text, std::move(text), false};
}

// "  Label .......... value": the label padded so that the values line up.
ReportItem labelled(const std::string& label, const std::string& value) {
    std::string text = "  " + label;
    if (text.size() < kLabelWidth) text.append(kLabelWidth - text.size(), ' ');
    return line(text + "  " + value);
}

std::string padLeft(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

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

std::string stormSource(const basin::RunoffFields& fields, const RunoffSession& session,
                        const std::string& importedTable) {
    if (basin::isStormFile(fields.text(form3::ComboRain)))
        return std::string(msg::kCalcSourceStormFile) + session.stormFile;
    if (!importedTable.empty()) return std::string(msg::kCalcSourceImported) + importedTable;
    return msg::kCalcSourceTable;
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

std::vector<ReportItem> inputItems(const basin::RunoffFields& fields, const RunoffSession& session,
                                   const std::string& importedTable) {
    const auto text = [&](std::string_view name) { return fields.text(name); };
    const auto onOff = [&](std::string_view name) {
        return std::string(fields.checked(name) ? msg::kCalcOn : msg::kCalcOff);
    };
    std::vector<ReportItem> items;
    items.push_back(heading(msg::kCalcBasinHeading));
    items.push_back(labelled(fields.caption(form3::Label10), text(form3::txtBasinArea)));
    items.push_back(labelled(fields.caption(form3::lblL), text(form3::txtL)));
    items.push_back(labelled(fields.caption(form3::lblLca), text(form3::txtLca)));
    items.push_back(labelled(msg::kCalcUpperElev, text(form3::txtelv1)));
    items.push_back(labelled(msg::kCalcLowerElev, text(form3::txtElv2)));
    items.push_back(labelled(msg::kCalcSlope, text(form3::txtS)));
    items.push_back(labelled(msg::kCalcC, text(form3::txtC)));
    items.push_back(labelled(msg::kCalcLag, text(form3::txtLag)));
    items.push_back(labelled(msg::kCalcAutoStep, onOff(form3::chkAutoTimeStep)));
    items.push_back(labelled(fields.caption(form3::Label14), text(form3::txtGraphtimestep)));
    items.push_back(labelled(msg::kCalcArealReduction, onOff(form3::chkAreaAdj)));

    items.push_back(heading(msg::kCalcStormHeading));
    // A source longer than the page's width (a table's title, a storm file's path) goes on a line of its
    // own below its label, where it fits.
    const std::string source = stormSource(fields, session, importedTable);
    if (kLabelWidth + 2 + source.size() <= kPageColumns) {
        items.push_back(labelled(msg::kCalcStormSource, source));
    } else {
        items.push_back(line(std::string("  ") + msg::kCalcStormSource));
        items.push_back(line("    " + source));
    }
    items.push_back(line(msg::kCalcTableHeader));
    for (int i = 0; i < form3::kGridRows; ++i) {
        const std::string& hours = text(basin::RunoffFields::indexed(form3::txtDuration, i));
        const std::string& inches = text(basin::RunoffFields::indexed(form3::txtRain, i));
        const std::string& factor = text(basin::RunoffFields::indexed(form3::txtArealAdj, i));
        if (hours.empty() && inches.empty()) continue;
        items.push_back(line(padLeft(hours, 7) + padLeft(inches, 11) + padLeft(factor, 16)));
    }
    items.push_back(labelled(msg::kCalcArrangement, text(form3::ComboRain)));

    items.push_back(heading(msg::kCalcLossesHeading));
    // One box holds either: a curve number from 5 up, else an initial loss in inches.
    const std::string& loss = text(form3::txtCNloss);
    items.push_back(
        labelled(common::leadingNumber(loss) >= 5 ? msg::kCalcCurveNumber : msg::kCalcInitialLoss, loss));
    items.push_back(labelled(msg::kCalcConstantLoss, text(form3::txtConstLoss)));
    items.push_back(labelled(msg::kCalcImpervious, text(form3::txtPercentImp)));

    items.push_back(heading(msg::kCalcUnitGraphHeading));
    items.push_back(labelled(msg::kCalcMethod, text(form3::ComboDimgraph)));
    return items;
}

CalcReport calcReport(const basin::RunoffFields& fields, const RunoffSession& session,
                      const CalcReportSources& sources) {
    CalcReport report;
    report.title1 = fields.text(form3::txtTitle);
    report.title2 = fields.text(form3::txtTile2);
    auto& items = report.items;

    items.push_back(heading(msg::kCalcMapHeading));
    items.push_back(ReportItem{ReportItemKind::map, "", false});
    items.push_back(heading(msg::kCalcListingHeading));
    const std::vector<std::string> listing = textLines(sources.listing);
    if (listing.empty()) items.push_back(line(msg::kCalcNoListing));
    for (const std::string& text : listing) items.push_back(line(text));

    for (ReportItem& item : inputItems(fields, session, sources.importedTable))
        items.push_back(std::move(item));

    items.push_back(heading(msg::kCalcChartHeading));
    items.push_back(ReportItem{ReportItemKind::chart, "", false});

    items.push_back(heading(msg::kCalcRunsHeading));
    for (std::size_t i = 0; i < session.runSummaries.size(); ++i)
        items.push_back(line(padLeft(std::to_string(i + 1), 3) + "  " + session.runSummaries[i]));

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
            items.push_back(line(text));
        }
    }

    if (session.lastReport) {
        items.push_back(heading(msg::kCalcTablesHeading, true));
        for (std::string& text : printedReport(*session.lastReport, session.reportText).lines)
            items.push_back(ReportItem{ReportItemKind::table, std::move(text), false});
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
        }
        pages.back().push_back(item);
        used += itemLines(item, shape);
    }
    return pages;
}

}  // namespace brelvo::runoff

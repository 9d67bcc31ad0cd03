// The calculation report's inputs page: each figure the runs took with where it came from.
#include <cmath>
#include <cstdio>

#include "basin/basin_block.hpp"
#include "basin/working_state.hpp"
#include "common/control_names.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "runoff/calc_report.hpp"
#include "runoff/calc_report_lines.hpp"

namespace brelvo::runoff {

namespace {

namespace msg = common::msg;
namespace form3 = common::controls::form3;
using namespace report_lines;

// A figure to three significant digits, as the equations' results are written.
std::string figure(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", value);
    return text;
}

// A value as the boxes hold such figures: up to six significant digits, without an exponent at the
// sizes of basins.
std::string input(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", value);
    return text;
}

void add(std::vector<ReportItem>& items, const std::string& label, const std::string& value) {
    addLabelled(items, label, value);
}

std::string stormSource(const basin::RunoffFields& fields, const RunoffSession& session,
                        const std::string& importedTable) {
    if (basin::isStormFile(fields.text(form3::ComboRain)))
        return std::string(msg::kCalcSourceStormFile) + session.stormFile;
    if (!importedTable.empty()) return std::string(msg::kCalcSourceImported) + importedTable;
    return msg::kCalcSourceTable;
}

void basinSource(std::vector<ReportItem>& items, const CalcReportSources& sources) {
    switch (sources.basin) {
        case BasinOrigin::typed:
            add(items, msg::kCalcBasinSource, msg::kCalcBasinTyped);
            return;
        case BasinOrigin::traced:
            add(items, msg::kCalcBasinSource, msg::kCalcBasinTraced);
            add(items, msg::kCalcStreamUsed, msg::kCalcStreamLast);
            return;
        case BasinOrigin::delineated:
            add(items, msg::kCalcBasinSource, msg::kCalcBasinDelineated);
            break;
    }
    add(items, msg::kCalcStreamUsed, msg::kCalcStreamFlowPath);
    if (!sources.delineation) return;
    const DelineationSource& d = *sources.delineation;
    add(items, msg::kCalcModel, d.modelFile + " (heights in " + d.modelUnit + ")");
    add(items, msg::kCalcOutletCell,
        "column " + std::to_string(d.outletColumn) + ", row " + std::to_string(d.outletRow));
    if (!d.outletMap.empty()) add(items, msg::kCalcOutletMap, d.outletMap);
    add(items, msg::kCalcSearchDistance,
        d.searchDistanceM > 0 ? figure(d.searchDistanceM) + " m" : std::string(msg::kCalcSearchNone));
    add(items, msg::kCalcStreamThreshold,
        std::to_string(d.streamThreshold) + " cells draining through a cell");
}

void stormItems(std::vector<ReportItem>& items, const basin::RunoffFields& fields,
                const RunoffSession& session, const CalcReportSources& sources) {
    const auto text = [&](std::string_view name) { return fields.text(name); };
    items.push_back(heading(msg::kCalcStormHeading));
    const bool imported = !sources.importedTable.empty() && session.stormTable;
    // An imported table is named by its file, publication, series and point below.
    add(items, msg::kCalcStormSource,
        imported ? std::string(msg::kCalcSourceImportedBelow)
                 : stormSource(fields, session, sources.importedTable));
    if (imported) {
        const PrecipFrequencyTable& table = *session.stormTable;
        add(items, msg::kCalcAtlasFile, table.fileName);
        add(items, msg::kCalcAtlasVolume, table.volume);
        add(items, msg::kCalcAtlasSeries, table.seriesType);
        add(items, msg::kCalcAtlasPoint, table.latitudeText + ", " + table.longitudeText);
        add(items, msg::kCalcReturnPeriod, std::to_string(session.stormReturnPeriod));
        add(items, msg::kCalcDuration, common::generalText(session.stormHours));
    }
    items.push_back(line(msg::kCalcTableHeader));
    for (int i = 0; i < form3::kGridRows; ++i) {
        const std::string& hours = text(basin::RunoffFields::indexed(form3::txtDuration, i));
        const std::string& inches = text(basin::RunoffFields::indexed(form3::txtRain, i));
        const std::string& factor = text(basin::RunoffFields::indexed(form3::txtArealAdj, i));
        if (hours.empty() && inches.empty()) continue;
        items.push_back(line(padLeft(hours, 7) + padLeft(inches, 11) + padLeft(factor, 16)));
    }
    add(items, msg::kCalcArrangement, text(form3::ComboRain));
}

}  // namespace

std::vector<ReportItem> inputItems(const basin::RunoffFields& fields, const RunoffSession& session,
                                   const CalcReportSources& sources) {
    const auto text = [&](std::string_view name) { return fields.text(name); };
    const auto onOff = [&](std::string_view name) {
        return std::string(fields.checked(name) ? msg::kCalcOn : msg::kCalcOff);
    };
    std::vector<ReportItem> items;
    items.push_back(heading(msg::kCalcBasinHeading));
    basinSource(items, sources);
    items.push_back(labelled(fields.caption(form3::Label10), text(form3::txtBasinArea)));
    items.push_back(labelled(fields.caption(form3::lblL), text(form3::txtL)));
    items.push_back(labelled(fields.caption(form3::lblLca), text(form3::txtLca)));
    items.push_back(labelled(msg::kCalcUpperElev, text(form3::txtelv1)));
    items.push_back(labelled(msg::kCalcLowerElev, text(form3::txtElv2)));
    items.push_back(labelled(msg::kCalcSlope, text(form3::txtS)));
    items.push_back(labelled(msg::kCalcC, text(form3::txtC)));
    items.push_back(labelled(msg::kCalcAutoStep, onOff(form3::chkAutoTimeStep)));
    items.push_back(labelled(fields.caption(form3::Label14), text(form3::txtGraphtimestep)));
    items.push_back(labelled(msg::kCalcArealReduction, onOff(form3::chkAreaAdj)));

    items.push_back(heading(msg::kCalcMapFileHeading));
    add(items, msg::kCalcMapFile, sources.mapFile.empty() ? std::string(msg::kCalcMapNone) : sources.mapFile);
    add(items, msg::kCalcMapSystem,
        !sources.georeferenced      ? std::string(msg::kCalcMapNotGeoreferenced)
        : sources.mapSystem.empty() ? std::string(msg::kCalcMapSystemUnknown)
                                    : sources.mapSystem);

    stormItems(items, fields, session, sources);

    items.push_back(heading(msg::kCalcLossesHeading));
    // One box holds either: a curve number from 5 up, else an initial loss in inches.
    const std::string& loss = text(form3::txtCNloss);
    const double number = common::leadingNumber(loss);
    items.push_back(labelled(number >= 5 ? msg::kCalcCurveNumber : msg::kCalcInitialLoss, loss));
    if (number >= 5) {
        const double s = 1000.0 / number - 10.0;
        items.push_back(labelled(msg::kCalcAbstraction, msg::kCalcAbstractionRule));
        items.push_back(labelled("", "S = 1000/" + loss + " - 10 = " + figure(s) +
                                         " in, Ia = 0.2 S = " + figure(0.2 * s) + " in"));
    }
    items.push_back(labelled(msg::kCalcConstantLoss, text(form3::txtConstLoss)));
    items.push_back(labelled(msg::kCalcImpervious, text(form3::txtPercentImp)));

    items.push_back(heading(msg::kCalcUnitGraphHeading));
    items.push_back(labelled(msg::kCalcMethod, text(form3::ComboDimgraph)));
    add(items, msg::kCalcLagEquation, msg::kCalcLagRule);
    // The equation's numbers as the boxes hold them, L and Lca in miles.
    const double c = common::leadingNumber(text(form3::txtC));
    const double factor = basin::lengthFactor(fields);
    const double l = common::leadingNumber(text(form3::txtL)) * factor;
    const double lca = common::leadingNumber(text(form3::txtLca)) * factor;
    const double slope = common::leadingNumber(text(form3::txtS));
    if (c > 0 && l > 0 && lca > 0 && slope > 0) {
        const double lag = c * std::pow(l * lca / std::sqrt(slope), 0.33);
        const std::string numbers = "= " + input(c) + " (" + input(l) + " mi x " + input(lca) + " mi / (" +
                                    input(slope) + " ft/mi)^0.5)^0.33 = " + figure(lag) + " h";
        items.push_back(kLabelWidth + 2 + numbers.size() <= kPageColumns ? labelled("", numbers)
                                                                         : line("    " + numbers));
    }
    items.push_back(labelled(msg::kCalcLagUsed, text(form3::txtLag)));
    return items;
}

}  // namespace brelvo::runoff

// The kept results to and from a value tree.
#include "runoff/kept_results.hpp"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "common/messages.hpp"

namespace brelvo::runoff {

namespace msg = common::msg;
using common::TreeReader;
using common::ValueTree;

namespace {

// Far beyond any series a run holds (a hydrograph has 9,001 ordinates, a storm at most 32,767 steps).
constexpr int kMaxSeries = 40000;
constexpr std::size_t kMaxTexts = 40000;
constexpr std::size_t kMaxFrequencyRows = 1000;

// The series as its size and the shortest decimals of its values up to its last one that is not 0.
ValueTree seriesTree(const basin::Series& s) {
    std::string text;
    int end = s.size();
    while (end > 0 && s[end - 1] == 0) --end;
    char buffer[32];
    for (int i = 0; i < end; ++i) {
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, s[i]);
        if (i > 0) text += ' ';
        text.append(buffer, result.ptr);
    }
    ValueTree tree = ValueTree::map();
    tree.set("size", ValueTree::integer(s.size()));
    tree.set("values", ValueTree::text(std::move(text)));
    return tree;
}

basin::Series readSeries(const TreeReader& parent, std::string_view key) {
    const TreeReader r = parent.map(key);
    const int size = r.integer("size", 0, kMaxSeries);
    basin::Series s;
    s.redim(size - 1);
    const std::string text = r.text("values");
    const char* at = text.data();
    const char* end = at + text.size();
    int index = 0;
    while (at < end) {
        float value = 0;
        const auto result = std::from_chars(at, end, value);
        if (result.ec != std::errc() || !std::isfinite(value)) r.fail("values", msg::kValueNotNumberList);
        if (index >= size) r.fail("values", msg::kValueTooManyEntries);
        s[index++] = value;
        at = result.ptr;
        if (at < end) {
            if (*at != ' ' || at + 1 == end) r.fail("values", msg::kValueNotNumberList);
            ++at;
        }
    }
    return s;
}

ValueTree texts(const std::vector<std::string>& lines) {
    ValueTree list = ValueTree::list();
    for (const auto& line : lines) list.append(ValueTree::text(line));
    return list;
}

std::vector<std::string> readTexts(const TreeReader& r, std::string_view key) {
    std::vector<std::string> out;
    for (const ValueTree& item : r.list(key, kMaxTexts)) {
        if (item.kind() != ValueTree::Kind::Text) r.fail(key, msg::kValueEntryWrongKind);
        out.push_back(item.asText());
    }
    return out;
}

// Lines joined by line feeds: a chart column's thousands of texts in one value.
ValueTree joined(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += '\n';
        text += lines[i];
    }
    return ValueTree::text(std::move(text));
}

std::vector<std::string> readJoined(const TreeReader& r, std::string_view key, std::size_t count) {
    const std::string text = r.text(key);
    std::vector<std::string> lines;
    if (count == 0) {
        if (!text.empty()) r.fail(key, msg::kValueTooManyEntries);
        return lines;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    if (lines.size() != count) r.fail(key, msg::kValueNotRowCount);
    return lines;
}

ValueTree single(float f) {
    return ValueTree::single(f);
}

ValueTree runTree(const KeptRun& k) {
    const basin::WorkingHydrograph& h = k.hydrograph;
    ValueTree inflow = ValueTree::map();
    inflow.set("flowCfs", seriesTree(h.inflow.flowCfs));
    inflow.set("last", ValueTree::integer(h.inflow.last));
    inflow.set("peakCfs", single(h.inflow.peakCfs));
    inflow.set("peakIndex", ValueTree::integer(h.inflow.peakIndex));
    ValueTree routed = ValueTree::map();
    routed.set("outflowCfs", seriesTree(h.routed.outflowCfs));
    routed.set("elevationFt", seriesTree(h.routed.elevationFt));
    routed.set("storageAcreFt", seriesTree(h.routed.storageAcreFt));
    routed.set("peakCfs", single(h.routed.peakCfs));
    routed.set("peakIndex", single(h.routed.peakIndex));
    routed.set("peakElevationFt", single(h.routed.peakElevationFt));
    ValueTree hydrograph = ValueTree::map();
    hydrograph.set("inflow", inflow);
    hydrograph.set("routed", routed);
    hydrograph.set("volumeAcreFt", single(h.volumeAcreFt));
    hydrograph.set("outflowIsCurrent", ValueTree::boolean(h.outflowIsCurrent));

    const ReportRun& r = k.report;
    ValueTree losses = ValueTree::map();
    losses.set("lossValue", single(r.losses.lossValue));
    losses.set("curveNumberLoss", ValueTree::boolean(r.losses.curveNumberLoss));
    losses.set("curveNumber", ValueTree::integer(r.losses.curveNumber));
    losses.set("initialLossIn", single(r.losses.initialLossIn));
    losses.set("constantLossInPerHour", single(r.losses.constantLossInPerHour));
    losses.set("imperviousFraction", single(r.losses.imperviousFraction));
    ValueTree storm = ValueTree::map();
    storm.set("rainIn", seriesTree(r.storm.rainIn));
    storm.set("excessIn", seriesTree(r.storm.excessIn));
    storm.set("steps", ValueTree::integer(r.storm.steps));
    storm.set("upper", ValueTree::integer(r.storm.upper));
    storm.set("durationHours", single(r.storm.durationHours));
    storm.set("depthIn", single(r.storm.depthIn));
    ValueTree report = ValueTree::map();
    report.set("route", ValueTree::integer(r.route ? static_cast<int>(*r.route) : 0));
    report.set("stepHours", single(r.stepHours));
    report.set("areaSqMi", single(r.areaSqMi));
    report.set("c", single(r.c));
    report.set("lagHours", single(r.lagHours));
    report.set("losses", losses);
    report.set("storm", storm);
    report.set("rational", ValueTree::boolean(r.rational));
    const std::pair<const char*, const std::string*> named[] = {{"storageFileName", &r.storageFileName},
                                                                {"combinedFileName", &r.combinedFileName},
                                                                {"title1", &r.title1},
                                                                {"title2", &r.title2},
                                                                {"methodText", &r.methodText},
                                                                {"arrangementText", &r.arrangementText},
                                                                {"muskingumKText", &r.muskingumKText},
                                                                {"muskingumXText", &r.muskingumXText},
                                                                {"travelTimeText", &r.travelTimeText},
                                                                {"travelTimeUnit", &r.travelTimeUnit}};
    for (const auto& [key, value] : named) report.set(key, ValueTree::text(*value));

    ValueTree tree = ValueTree::map();
    tree.set("inputs", ValueTree::text(k.inputs));
    tree.set("hydrograph", hydrograph);
    tree.set("report", report);
    tree.set("reportText", ValueTree::text(k.reportText));
    tree.set("runSummaries", texts(k.runSummaries));
    tree.set("stepHours", single(k.stepHours));
    tree.set("previousStepTyped", single(k.previousStepTyped));
    tree.set("rainSteps", ValueTree::integer(k.rainSteps));
    tree.set("routed", ValueTree::boolean(k.routed));
    return tree;
}

// An index within a series that is read: beyond it, a later report or chart would run past its end.
std::int16_t indexIn(const TreeReader& r, std::string_view key, const basin::Series& series) {
    const std::int16_t index = r.int16(key);
    if (index < 0 || index > series.upper()) r.fail(key, msg::kValueOutOfRange);
    return index;
}

KeptRun readRun(const TreeReader& t) {
    KeptRun k;
    k.inputs = t.text("inputs");
    const TreeReader h = t.map("hydrograph");
    const TreeReader inflow = h.map("inflow");
    k.hydrograph.inflow.flowCfs = readSeries(inflow, "flowCfs");
    k.hydrograph.inflow.last = indexIn(inflow, "last", k.hydrograph.inflow.flowCfs);
    k.hydrograph.inflow.peakCfs = inflow.single("peakCfs");
    k.hydrograph.inflow.peakIndex = indexIn(inflow, "peakIndex", k.hydrograph.inflow.flowCfs);
    const TreeReader routed = h.map("routed");
    k.hydrograph.routed.outflowCfs = readSeries(routed, "outflowCfs");
    k.hydrograph.routed.elevationFt = readSeries(routed, "elevationFt");
    k.hydrograph.routed.storageAcreFt = readSeries(routed, "storageAcreFt");
    k.hydrograph.routed.peakCfs = routed.single("peakCfs");
    k.hydrograph.routed.peakIndex = routed.single("peakIndex");
    k.hydrograph.routed.peakElevationFt = routed.single("peakElevationFt");
    k.hydrograph.volumeAcreFt = h.single("volumeAcreFt");
    k.hydrograph.outflowIsCurrent = h.boolean("outflowIsCurrent");

    const TreeReader r = t.map("report");
    ReportRun& run = k.report;
    const int route = r.integer("route", 0, static_cast<int>(basin::RouteMethod::travelTime));
    if (route != 0) run.route = static_cast<basin::RouteMethod>(route);
    // A routed report reads the outflow over the inflow's length.
    if (run.route && k.hydrograph.routed.outflowCfs.upper() < k.hydrograph.inflow.last)
        routed.fail("outflowCfs", msg::kValueOutOfRange);
    run.stepHours = r.single("stepHours");
    if (!(run.stepHours > 0)) r.fail("stepHours", msg::kValueNotAboveZero);
    run.areaSqMi = r.single("areaSqMi");
    run.c = r.single("c");
    run.lagHours = r.single("lagHours");
    const TreeReader losses = r.map("losses");
    run.losses.lossValue = losses.single("lossValue");
    run.losses.curveNumberLoss = losses.boolean("curveNumberLoss");
    run.losses.curveNumber = losses.int16("curveNumber");
    run.losses.initialLossIn = losses.single("initialLossIn");
    run.losses.constantLossInPerHour = losses.single("constantLossInPerHour");
    run.losses.imperviousFraction = losses.single("imperviousFraction");
    const TreeReader storm = r.map("storm");
    run.storm.rainIn = readSeries(storm, "rainIn");
    run.storm.excessIn = readSeries(storm, "excessIn");
    // A routing run's report carries no rain: its storm has no series at all.
    run.storm.upper = storm.int16("upper");
    const bool noRain =
        run.storm.rainIn.size() == 0 && run.storm.excessIn.size() == 0 && run.storm.upper == 0;
    if (!noRain && (run.storm.upper < 0 || run.storm.upper > run.storm.rainIn.upper() ||
                    run.storm.upper > run.storm.excessIn.upper()))
        storm.fail("upper", msg::kValueOutOfRange);
    run.storm.steps = storm.int16("steps");
    if (run.storm.steps < 0 || run.storm.steps > run.storm.upper) storm.fail("steps", msg::kValueOutOfRange);
    run.storm.durationHours = storm.single("durationHours");
    run.storm.depthIn = storm.single("depthIn");
    run.rational = r.boolean("rational");
    const std::pair<const char*, std::string*> named[] = {{"storageFileName", &run.storageFileName},
                                                          {"combinedFileName", &run.combinedFileName},
                                                          {"title1", &run.title1},
                                                          {"title2", &run.title2},
                                                          {"methodText", &run.methodText},
                                                          {"arrangementText", &run.arrangementText},
                                                          {"muskingumKText", &run.muskingumKText},
                                                          {"muskingumXText", &run.muskingumXText},
                                                          {"travelTimeText", &run.travelTimeText},
                                                          {"travelTimeUnit", &run.travelTimeUnit}};
    for (const auto& [key, value] : named) *value = r.text(key);

    k.reportText = t.text("reportText");
    k.runSummaries = readTexts(t, "runSummaries");
    k.stepHours = t.single("stepHours");
    k.previousStepTyped = t.single("previousStepTyped");
    k.rainSteps = t.int16("rainSteps");
    k.routed = t.boolean("routed");
    return k;
}

ValueTree rowTree(const FrequencyRow& row) {
    const DesignRun& run = row.run;
    ValueTree summary = ValueTree::map();
    summary.set("stormDepthIn", single(run.summary.stormDepthIn));
    summary.set("runoffDepthIn", single(run.summary.runoffDepthIn));
    summary.set("peakCfs", single(run.summary.peakCfs));
    summary.set("peakHours", single(run.summary.peakHours));
    summary.set("volumeAcreFt", single(run.summary.volumeAcreFt));
    ValueTree column = ValueTree::map();
    column.set("labelSpacing", ValueTree::integer(run.column.labelSpacing));
    column.set("rows", ValueTree::integer(static_cast<std::int64_t>(run.column.labels.size())));
    column.set("labels", joined(run.column.labels));
    column.set("excess", joined(run.column.excess));
    column.set("flows", joined(run.column.flows));
    ValueTree tree = ValueTree::map();
    tree.set("returnPeriod", ValueTree::integer(row.returnPeriodYears));
    tree.set("reported", ValueTree::boolean(run.reported));
    tree.set("messages", texts(run.messages));
    tree.set("summary", summary);
    tree.set("caption", ValueTree::text(run.caption));
    tree.set("reportText", ValueTree::text(run.reportText));
    tree.set("column", column);
    return tree;
}

FrequencyRow readRow(const TreeReader& t) {
    FrequencyRow row;
    row.returnPeriodYears = t.integer("returnPeriod", 1, 1000000);
    DesignRun& run = row.run;
    run.reported = t.boolean("reported");
    run.messages = readTexts(t, "messages");
    const TreeReader s = t.map("summary");
    run.summary.stormDepthIn = s.single("stormDepthIn");
    run.summary.runoffDepthIn = s.single("runoffDepthIn");
    run.summary.peakCfs = s.single("peakCfs");
    run.summary.peakHours = s.single("peakHours");
    run.summary.volumeAcreFt = s.single("volumeAcreFt");
    run.caption = t.text("caption");
    run.reportText = t.text("reportText");
    const TreeReader c = t.map("column");
    run.column.labelSpacing = c.integer("labelSpacing", 0, kMaxSeries);
    const auto rows = static_cast<std::size_t>(c.integer("rows", 0, kMaxSeries));
    run.column.labels = readJoined(c, "labels", rows);
    run.column.excess = readJoined(c, "excess", rows);
    run.column.flows = readJoined(c, "flows", rows);
    return row;
}

}  // namespace

bool operator==(const KeptResults& a, const KeptResults& b) {
    return resultsTree(a) == resultsTree(b);
}

std::optional<KeptRun> keptRun(const RunoffSession& session, std::string inputs) {
    if (!session.lastReport) return std::nullopt;
    return KeptRun{session.hydrograph,   *session.lastReport,      session.reportText,
                   session.runSummaries, session.stepHours,        session.previousStepTyped,
                   session.rainSteps,    session.lastReportRouted, std::move(inputs)};
}

void restoreRun(RunoffSession& session, const KeptRun& kept) {
    session.hydrograph = kept.hydrograph;
    session.lastReport = kept.report;
    session.reportText = kept.reportText;
    session.runSummaries = kept.runSummaries;
    session.stepHours = kept.stepHours;
    session.previousStepTyped = kept.previousStepTyped;
    session.rainSteps = kept.rainSteps;
    session.lastReportRouted = kept.routed;
}

ValueTree resultsTree(const KeptResults& results) {
    ValueTree tree = ValueTree::map();
    if (results.run) tree.set("run", runTree(*results.run));
    if (results.frequency) {
        ValueTree frequency = ValueTree::map();
        frequency.set("inputs", ValueTree::text(results.frequency->inputs));
        ValueTree rows = ValueTree::list();
        for (const FrequencyRow& row : results.frequency->rows) rows.append(rowTree(row));
        frequency.set("rows", rows);
        tree.set("frequency", frequency);
    }
    return tree;
}

KeptResults readResultsTree(const TreeReader& r) {
    KeptResults results;
    if (r.has("run")) results.run = readRun(r.map("run"));
    if (r.has("frequency")) {
        const TreeReader f = r.map("frequency");
        KeptFrequency frequency;
        frequency.inputs = f.text("inputs");
        const ValueTree::List& rows = f.list("rows", kMaxFrequencyRows);
        for (std::size_t i = 0; i < rows.size(); ++i)
            frequency.rows.push_back(readRow(f.item(rows, i, "rows")));
        results.frequency = std::move(frequency);
    }
    return results;
}

std::string fingerprint(std::string_view text) {
    std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(hash));
    return out;
}

}  // namespace brelvo::runoff

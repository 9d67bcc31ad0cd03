// The script lines of the frequency runs' window, and its part of the dump.
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProgressBar>
#include <QTableWidget>
#include <charconv>

#include "app/frequency_window.hpp"
#include "app/json_writer.hpp"
#include "app/runoff_window.hpp"
#include "app/script_runner.hpp"

namespace brelvo::app {

namespace {

// "2,10,100" as whole numbers; nothing when a part is not one.
std::optional<std::vector<int>> yearList(const std::string& text) {
    std::vector<int> years;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        int y = 0;
        const auto read = std::from_chars(p, end, y);
        if (read.ec != std::errc() || (read.ptr != end && *read.ptr != ',')) return std::nullopt;
        years.push_back(y);
        p = read.ptr == end ? end : read.ptr + 1;
    }
    if (years.empty()) return std::nullopt;
    return years;
}

}  // namespace

std::optional<std::string> ScriptRunner::frequencyLine(const std::vector<std::string>& w) {
    const std::string verb = w.size() > 1 ? w[1] : std::string();
    const std::size_t count = w.size() - 2;
    const bool known = ((verb == "periods" || verb == "hours" || verb == "grab") && count == 1) ||
                       ((verb == "open" || verb == "run" || verb == "start" || verb == "wait" ||
                         verb == "cancel" || verb == "export" || verb == "close") &&
                        count == 0);
    if (!known) return "cannot execute this line";
    RunoffWindow* runoff = window_.runoffWindow();
    if (verb == "open") {
        if (!runoff) return "the runoff window is not loaded";
        runoff->openFrequencyRuns();
        return std::nullopt;
    }
    FrequencyWindow* frequency = runoff ? runoff->frequencyWindow() : nullptr;
    if (!frequency || frequency->isHidden()) return "the frequency runs window is not open";
    if (verb == "periods") {
        const auto years = yearList(w[2]);
        if (!years || !frequency->choosePeriods(*years)) return "no such return periods in the table";
    } else if (verb == "grab") {
        // A picture of the window as it is shown now.
        if (!frequency->grab().save(QString::fromStdString(w[2]))) return "the picture could not be saved";
    } else if (verb == "hours") {
        frequency->setStormHours(w[2]);
    } else if (verb == "run") {
        if (frequency->run()) frequency->waitForRun();
    } else if (verb == "start") {
        frequency->run();
    } else if (verb == "wait") {
        frequency->waitForRun();
    } else if (verb == "cancel") {
        frequency->cancel();
    } else if (verb == "export") {
        frequency->exportSummary();
    } else {
        frequency->close();
    }
    return std::nullopt;
}

void ScriptRunner::dumpFrequency(JsonWriter& json) const {
    const RunoffWindow* runoff = window_.runoffWindow();
    json.key("Frequency");
    if (!runoff || !runoff->frequency()) {
        json.null();
    } else {
        json.beginArray();
        for (const runoff::FrequencyRow& row : *runoff->frequency()) {
            json.beginObject().key("returnPeriod").value(row.returnPeriodYears);
            if (row.run.reported) {
                json.key("summary").beginArray();
                for (const std::string& text : runoff::summaryTexts(row.run.summary)) json.value(text);
                json.endArray();
                json.key("caption").value(row.run.caption);
            } else {
                json.key("failure").value(runoff::failureText(row.run));
            }
            json.endObject();
        }
        json.endArray();
    }
    const FrequencyWindow* frequency = runoff ? runoff->frequencyWindow() : nullptr;
    json.key("FrequencyWindow");
    if (!frequency) {
        json.null();
        return;
    }
    json.beginObject();
    json.key("visible").value(frequency->isVisible());
    json.key("running").value(frequency->running());
    json.key("periods").beginArray();
    for (const int years : frequency->chosenPeriods()) json.value(years);
    json.endArray();
    json.key("hours").value(
        frequency->findChild<QLineEdit*>(QStringLiteral("txtStormHours"))->text().toStdString());
    json.key("status").value(
        frequency->findChild<QLabel*>(QStringLiteral("lblStatus"))->text().toStdString());
    const QTableWidget* table = frequency->summaryTable();
    json.key("table").beginArray();
    for (int r = 0; r < table->rowCount(); ++r) {
        json.beginArray();
        for (int c = 0; c < table->columnCount(); ++c) {
            const QTableWidgetItem* item = table->item(r, c);
            if (item && (c == 0 || !item->text().isEmpty())) json.value(item->text().toStdString());
        }
        json.endArray();
    }
    json.endArray();
    // The charts: the peak line's points on the logarithmic return-period axis, the hydrographs' names.
    const FrequencyCharts& charts = frequency->charts();
    json.key("peakLine").beginArray();
    for (const QPointF& p : charts.peakLine())
        json.point(static_cast<float>(p.x()), static_cast<float>(p.y()));
    json.endArray();
    json.key("periodAxisBase").value(charts.periodAxisBase());
    json.key("hydrographs").beginArray();
    for (const QString& name : charts.hydrographNames()) json.value(name.toStdString());
    json.endArray();
    json.endObject();
}

}  // namespace brelvo::app

// Results kept with a project through the real windows: the last single compute and the frequency rows
// saved and opened again show the same caption, chart, report and rows and give the same calculation
// report; a changed input marks them out of date and the calculation report is refused until they are
// computed again; a project without results opens as before; a damaged results value is refused by name.
#include <QJsonDocument>
#include <QJsonObject>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>
#include <fstream>
#include <sstream>

#include "app/frequency_window.hpp"
#include "app/main_window.hpp"
#include "app/runoff_window.hpp"
#include "app/script_runner.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "runoff/calc_report.hpp"
#include "support/shown_window.hpp"

using brelvo::app::MainWindow;
using brelvo::app::RunoffWindow;
using brelvo::app::ScriptDialogs;
using brelvo::app::ScriptRunner;
namespace msg = brelvo::common::msg;

namespace {

// The Fort Myers table's 100-year 24-hour storm through a triangle unit graph with a 2-hour lag and a
// 1-hour step, computed once, then its 2- and 100-year frequency runs.
std::string computeScript() {
    return "menu \"Runoff Hydrogaph\"\nstorm returnperiod 100\nstorm hours 24\nanswer \"" +
           brelvo::common::programFolder() +
           "/e2e_fixtures/pfds_fort_myers.csv\"\naction \"Storm/Import Precipitation Frequency...\"\n"
           "check chkAutoTimeStep off\ntype txtLag \"2\"\nleave txtLag\ntype txtCNloss \"0\"\n"
           "type txtConstLoss \"0\"\ntype txtPercentImp \"0\"\nchoose ComboRain \"Average\"\n"
           "choose ComboDimgraph \"Triangle Unit Graph\"\nbutton Form3.Command1\n"
           "action \"Storm/Frequency Runs...\"\nfrequency periods 2,100\nfrequency run\nfrequency close\n";
}

QJsonObject lastDump(MainWindow& window, ScriptDialogs& dialogs, const std::string& script) {
    std::istringstream in(script + "dump\n");
    std::ostringstream out, err;
    ScriptRunner runner(window, dialogs, out, err);
    if (runner.run(in, "project_results_test") != 0) qWarning("script failed: %s", err.str().c_str());
    std::istringstream lines(out.str());
    QJsonObject last;
    for (std::string line; std::getline(lines, line);) {
        const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(line));
        if (doc.isObject()) last = doc.object();
    }
    return last;
}

// Whether the runoff window's dump says its results are out of date.
bool stale(const QJsonObject& dump) {
    return dump["Form3"].toObject()["resultsStale"].toBool();
}

// The calculation report's items as the export gathers them from the runoff window.
std::vector<brelvo::runoff::ReportItem> reportItems(RunoffWindow& runoff) {
    brelvo::runoff::CalcReportSources sources;
    sources.date = "2026-01-01";
    sources.importedTable = brelvo::runoff::importedStormTitle(runoff.fields(), runoff.session());
    if (const auto& rows = runoff.frequency())
        sources.frequencyRows = brelvo::runoff::frequencyReportRows(*rows);
    return brelvo::runoff::calcReport(runoff.fields(), runoff.session(), sources).items;
}

// Every cell of the frequency window's summary table, row by row.
std::vector<QString> tableCells(const brelvo::app::FrequencyWindow& window) {
    std::vector<QString> cells;
    const QTableWidget* table = window.summaryTable();
    for (int r = 0; r < table->rowCount(); ++r)
        for (int c = 0; c < table->columnCount(); ++c)
            cells.push_back(table->item(r, c) ? table->item(r, c)->text() : QString());
    return cells;
}

std::string readAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

}  // namespace

class ProjectResultsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ScriptDialogs dialogs_;

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    std::unique_ptr<MainWindow> computedAndSaved(const char* name) {
        auto window = brelvo::testing::shownMainWindow(dialogs_);
        lastDump(*window, dialogs_, computeScript());
        if (!window->project().saveProjectFile(path(name).toStdString())) qWarning("not saved");
        dialogs_.takeMessages();
        return window;
    }

  private slots:
    void resultsComeBackAndGoStaleWhenAnInputChanges() {
        auto window = brelvo::testing::shownMainWindow(dialogs_);
        const QJsonObject before = lastDump(*window, dialogs_, computeScript());
        RunoffWindow& runoff = *window->runoffWindow();
        QVERIFY(runoff.session().lastReport.has_value());
        QCOMPARE(runoff.frequency()->size(), std::size_t{2});
        // The single compute marks the project changed; a save keeps the results beside the inputs.
        QVERIFY(window->project().projectModified());
        QVERIFY(window->project().saveProjectFile(path("kept.brelvo").toStdString()));
        QVERIFY(!window->project().projectModified());
        QVERIFY(readAll(path("kept.brelvo")).find("\"results\"") != std::string::npos);
        lastDump(*window, dialogs_, "action \"Storm/Frequency Runs...\"\n");
        const std::vector<QString> cellsBefore = tableCells(*runoff.frequencyWindow());
        QCOMPARE(cellsBefore.size(), std::size_t{12});
        const QList<QPointF> peaksBefore = runoff.frequencyWindow()->charts().peakLine();
        const QStringList namesBefore = runoff.frequencyWindow()->charts().hydrographNames();
        QCOMPARE(peaksBefore.size(), 2);

        auto reopened = brelvo::testing::shownMainWindow(dialogs_);
        QVERIFY(reopened->project().openProjectFile(path("kept.brelvo").toStdString()));
        QVERIFY(!reopened->project().projectModified());
        const QJsonObject after = lastDump(*reopened, dialogs_, "action \"Storm/Frequency Runs...\"\n");
        RunoffWindow& back = *reopened->runoffWindow();
        QCOMPARE(after["Form3"]["caption"], before["Form3"]["caption"]);
        // The single compute was the 100-year storm with the same inputs: its caption is that row's.
        QCOMPARE(after["Form3"]["caption"].toString().toStdString(), runoff.frequency()->at(1).run.caption);
        QCOMPARE(after["Form3"]["chart"], before["Form3"]["chart"]);
        QCOMPARE(after["Form3"]["resultsStale"].toBool(), false);
        QCOMPARE(back.session().reportText, runoff.session().reportText);
        QCOMPARE(back.session().hydrograph.inflow.flowCfs.values(),
                 runoff.session().hydrograph.inflow.flowCfs.values());
        QCOMPARE(back.session().runSummaries, runoff.session().runSummaries);
        QCOMPARE(tableCells(*back.frequencyWindow()), cellsBefore);
        QCOMPARE(back.frequencyWindow()->charts().peakLine(), peaksBefore);
        QCOMPARE(back.frequencyWindow()->charts().hydrographNames(), namesBefore);
        for (std::size_t i = 0; i < 2; ++i) {
            QCOMPARE(back.frequency()->at(i).returnPeriodYears, runoff.frequency()->at(i).returnPeriodYears);
            QCOMPARE(back.frequency()->at(i).run.reportText, runoff.frequency()->at(i).run.reportText);
            QCOMPARE(back.frequency()->at(i).run.column.flows, runoff.frequency()->at(i).run.column.flows);
        }
        const auto items = reportItems(back);
        QVERIFY(items == reportItems(runoff));

        // A changed input: shown in both windows, and no report is made of the results.
        QJsonObject changed = lastDump(*reopened, dialogs_, "type txtLag \"3\"\nleave txtLag\n");
        QCOMPARE(stale(changed), true);
        QVERIFY(back.frequencyWindow()->staleShown());
        QVERIFY(!reopened->exportCalcReport());
        QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{msg::kReportResultsOutOfDate});
        // The input as it was: the results are those of the inputs again.
        changed = lastDump(*reopened, dialogs_, "type txtLag \"2\"\nleave txtLag\n");
        QCOMPARE(stale(changed), false);
        QVERIFY(!back.frequencyWindow()->staleShown());
        // Computed again after a change, the single run is current and the frequency rows still stale.
        changed = lastDump(*reopened, dialogs_, "type txtLag \"3\"\nleave txtLag\nbutton Form3.Command1\n");
        QCOMPARE(stale(changed), true);
        QVERIFY(back.frequencyWindow()->staleShown());
        changed = lastDump(*reopened, dialogs_, "frequency run\n");
        QCOMPARE(stale(changed), false);
        QVERIFY(!back.frequencyWindow()->staleShown());
        // An edit while a run goes on: its rows are of the inputs it started with, out of date at once.
        lastDump(*reopened, dialogs_, "frequency start\ntype txtLag \"4\"\nleave txtLag\nfrequency wait\n");
        QVERIFY(back.frequencyWindow()->staleShown());
    }

    void projectsWithoutOrWithDamagedResults() {
        auto window = computedAndSaved("full.brelvo");
        const std::string full = readAll(path("full.brelvo"));
        QJsonObject root = QJsonDocument::fromJson(QByteArray::fromStdString(full)).object();
        QJsonObject runoffPart = root["runoff"].toObject();
        QJsonObject results = runoffPart["results"].toObject();

        // Written before results were kept: the inputs and the caption, no run, no rows, nothing stale.
        runoffPart.remove("results");
        root["runoff"] = runoffPart;
        std::ofstream(path("older.brelvo").toStdString(), std::ios::binary)
            << QJsonDocument(root).toJson().toStdString();
        auto older = brelvo::testing::shownMainWindow(dialogs_);
        QVERIFY(older->project().openProjectFile(path("older.brelvo").toStdString()));
        const QJsonObject dump = lastDump(*older, dialogs_, "");
        QCOMPARE(dump["Form3"]["caption"],
                 QJsonDocument::fromJson(QByteArray::fromStdString(full))["runoff"]["captions"]["Form3"]);
        QCOMPARE(stale(dump), false);
        QVERIFY(!older->runoffWindow()->session().lastReport);
        QVERIFY(!older->runoffWindow()->frequency());
        QVERIFY(!older->exportCalcReport());
        QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{msg::kNoComputedHydrograph});

        // Damaged values, each refused by its name, and nothing of the open project changes.
        const auto spoiled = [&](const char* name, const QJsonObject& damaged) {
            QJsonObject r = root;
            QJsonObject part = runoffPart;
            part["results"] = damaged;
            r["runoff"] = part;
            std::ofstream(path(name).toStdString(), std::ios::binary)
                << QJsonDocument(r).toJson().toStdString();
            if (window->project().openProjectFile(path(name).toStdString())) return std::string("opened");
            const auto messages = dialogs_.takeMessages();
            return messages.size() == 1 ? messages[0] : std::string();
        };
        QJsonObject run = results["run"].toObject(), hydrograph = run["hydrograph"].toObject();
        QJsonObject inflow = hydrograph["inflow"].toObject();
        inflow["last"] = 9001;
        hydrograph["inflow"] = inflow;
        run["hydrograph"] = hydrograph;
        QJsonObject damaged = results;
        damaged["run"] = run;
        QCOMPARE(spoiled("last.brelvo", damaged),
                 "The project \"" + path("last.brelvo").toStdString() +
                     "\" cannot be opened: the value \"runoff.results.run.hydrograph.inflow.last\" is out of "
                     "range. Nothing was changed.");
        QJsonObject flow = inflow["flowCfs"].toObject();
        flow["values"] = QStringLiteral("0 12.5 x");
        inflow["last"] = 10;
        inflow["flowCfs"] = flow;
        hydrograph["inflow"] = inflow;
        run["hydrograph"] = hydrograph;
        damaged["run"] = run;
        QCOMPARE(
            spoiled("values.brelvo", damaged),
            "The project \"" + path("values.brelvo").toStdString() +
                "\" cannot be opened: the value \"runoff.results.run.hydrograph.inflow.flowCfs.values\" is "
                "not a list of numbers separated by single spaces. Nothing was changed.");
        QVERIFY(window->runoffWindow()->session().lastReport.has_value());
        QCOMPARE(QString::fromStdString(window->project().projectPath()), path("full.brelvo"));
    }
};

QTEST_MAIN(ProjectResultsTest)
#include "project_results_test.moc"

// brelvo --batch on projects written by the project writer: every row and report equals the runoff
// window's own compute of the same project, the summary does not depend on the number of threads, a
// project that fails gets its row while the others run, and a bad command line runs nothing.
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/batch_command.hpp"
#include "app/project_file.hpp"
#include "app/runoff_window.hpp"
#include "app/script_runner.hpp"
#include "batch_support.hpp"
#include "common/data_file.hpp"
#include "runoff/design_run.hpp"
#include "runoff/precip_frequency.hpp"
#include "support/recording_dialogs.hpp"

namespace batch = brelvo::app::batch;
namespace project = brelvo::app::project;
using brelvo::app::RunoffWindow;
using namespace brelvo::testing_support::batch;

namespace {

struct WindowRun {
    std::vector<std::string> messages;
    std::string caption;
    std::string reportText;
};

// The project's inputs put back into a runoff window, as opening the project does, and computed by its
// button.
// With a storm: the rows the window's import writes into the depth-duration table first.
WindowRun computeInWindow(const project::RunoffInputs& inputs,
                          const brelvo::runoff::DesignStormRows* storm = nullptr) {
    brelvo::testing_support::RecordingDialogs dialogs;
    RunoffWindow window(dialogs);
    window.restoreInputs(inputs);
    if (storm) brelvo::runoff::applyDesignStorm(window.fields(), *storm);
    qobject_cast<QPushButton*>(window.control(QStringLiteral("Command1")))->click();
    return {dialogs.messages, window.fields().caption("Form3"), window.session().reportText};
}

}  // namespace

class BatchTest : public QObject {
    Q_OBJECT

  private slots:
    void summaryRowsAndReportsEqualTheWindowsRuns();
    void theNumberOfThreadsChangesNothing();
    void aFailingProjectGetsItsRowAndTheOthersRun();
    void aBadCommandLineRunsNothing();
    void theProgramRunsABatchWithoutADisplay();
    void frequencyRunsAreTheWindowsRunsOfTheImportedStorms();
};

void BatchTest::summaryRowsAndReportsEqualTheWindowsRuns() {
    QTemporaryDir dir;
    // One inch in one hour over one square mile through the triangle graph with a 2-hour lag: all of it
    // runs off (50 acre-ft) and peaks at 242 cfs two hours in; then two basins of the SCS graph.
    std::vector<project::RunoffInputs> inputs{
        basinInputs("1", "2", "Triangle Unit Graph", "Average", {{"1", "1.00"}}),
        basinInputs("3.5", "1.5", "SCS.DGF", "Peak at 2/3", {{"1", "1.2"}, {"6", "2.5"}, {"24", "4.1"}}),
        basinInputs("12", "4", "SCS.DGF", "Peak Centered", {{"1", "0.9"}, {"6", "1.8"}, {"24", "3.3"}}),
        basinInputs("5", "2", "SCS.DGF", "NRCS Type II", {{"6", "2.2"}, {"24", "4.1"}}),
        basinInputs("6", "2", "SCS.DGF", "Temporal Distribution", {{"6", "2.2"}, {"24", "4.1"}}),
    };
    // The project keeps its imported pattern; the batch's run takes it as the window does.
    inputs.back().temporalPattern =
        brelvo::runoff::TemporalPattern{"t.csv", "FIRST-QUARTILE", "50%", {0, 6, 12, 24}, {0, 70, 90, 100}};
    std::vector<std::string> args{"--batch", dir.filePath("summary.csv").toStdString(), "--reports",
                                  dir.filePath("reports").toStdString()};
    for (std::size_t k = 0; k < inputs.size(); ++k)
        args.push_back(writeProject(dir, "basin" + std::to_string(k) + ".brelvo", inputs[k]));
    const BatchResult result = runBatch(args);
    QCOMPARE(result.status, 0);
    const std::vector<std::string> rows = lines(fileText(dir.filePath("summary.csv").toStdString()));
    QCOMPARE(rows.size(), inputs.size() + 1);
    QCOMPARE(rows[0],
             std::string("Project,Return period (years),Storm depth (in),Runoff depth (in),Peak (cfs),"
                         "Time of peak (h),Volume (acre-ft)"));
    // The runoff depth is the reported volume over the area: 50 * 12 / 640 = 0.9375 inches.
    QCOMPARE(rows[1], args[4] + ",,1.00,0.94,242,2.00,50");
    for (std::size_t k = 0; k < inputs.size(); ++k) {
        const WindowRun window = computeInWindow(inputs[k]);
        QVERIFY(window.messages.empty());
        const std::string report =
            fileText(dir.filePath(QStringLiteral("reports/basin%1.GRF").arg(k)).toStdString());
        QVERIFY(!report.empty());
        QCOMPARE(report, window.reportText);
    }
}

void BatchTest::theNumberOfThreadsChangesNothing() {
    QTemporaryDir dir;
    std::vector<std::string> projects;
    for (int k = 0; k < 16; ++k) {
        const std::string area = std::to_string(k + 1) + ".5";
        projects.push_back(
            writeProject(dir, "p" + std::to_string(k) + ".brelvo",
                         basinInputs(area, k % 2 ? "1.5" : "3", k % 3 ? "SCS.DGF" : "Triangle Unit Graph",
                                     "Peak at 1/3", {{"1", "1.1"}, {"6", "2.2"}, {"24", "3.7"}})));
    }
    std::string summaries[2];
    for (const int jobs : {1, 2}) {
        const std::string summary = dir.filePath(QStringLiteral("jobs%1.csv").arg(jobs)).toStdString();
        std::vector<std::string> args{"--batch", summary, "--jobs", std::to_string(jobs)};
        args.insert(args.end(), projects.begin(), projects.end());
        const BatchResult result = runBatch(args);
        QCOMPARE(result.status, 0);
        // Progress ends with every run done.
        QVERIFY(result.err.ends_with("16/16 runs\n"));
        summaries[jobs - 1] = fileText(summary);
    }
    QCOMPARE(summaries[1], summaries[0]);
    // The rows in the command line's order, each with its figures.
    const std::vector<std::string> rows = lines(summaries[0]);
    QCOMPARE(rows.size(), projects.size() + 1);
    for (std::size_t k = 0; k < projects.size(); ++k) {
        QVERIFY(rows[k + 1].starts_with(projects[k] + ",,"));
        QVERIFY(rows[k + 1].find("FAILED") == std::string::npos);
    }
}

void BatchTest::aFailingProjectGetsItsRowAndTheOthersRun() {
    QTemporaryDir dir;
    const project::RunoffInputs good =
        basinInputs("1", "2", "Triangle Unit Graph", "Average", {{"1", "1.00"}});
    project::RunoffInputs refused = good;
    refused.texts["txtBasinArea"] = "1,5";
    refused.texts["txtLag"] = "two";
    project::RunoffInputs stormFile = good;
    stormFile.texts["ComboRain"] = "Storm File";
    const std::string notAProject = dir.filePath("notes.brelvo").toStdString();
    std::ofstream(notAProject) << "basin notes\n";
    const std::vector<std::string> projects{
        writeProject(dir, "good.brelvo", good),       notAProject,
        dir.filePath("missing.brelvo").toStdString(), writeProject(dir, "measured.brelvo", std::nullopt),
        writeProject(dir, "refused.brelvo", refused), writeProject(dir, "storm.brelvo", stormFile),
        writeProject(dir, "good2.brelvo", good),
    };
    const std::string summary = dir.filePath("summary.csv").toStdString();
    std::vector<std::string> args{"--batch", summary, "--jobs", "2"};
    args.insert(args.end(), projects.begin(), projects.end());
    const BatchResult result = runBatch(args);
    QCOMPARE(result.status, 1);
    QVERIFY(result.err.ends_with("7/7 runs\n5 of 7 runs failed; see the summary.\n"));

    // The refused run's row holds the window's message for the same project, on one line.
    const WindowRun window = computeInWindow(refused);
    QCOMPARE(window.messages, std::vector<std::string>{
                                  "Basin Area (mi^2): \"1,5\" is not a number (use a decimal point and no "
                                  "thousands separators).\nLag Time (hours): \"two\" is not a number."});
    const std::vector<std::string> rows = lines(fileText(summary));
    QCOMPARE(rows.size(), std::size_t(8));
    QCOMPARE(rows[1], projects[0] + ",,1.00,0.94,242,2.00,50");
    QCOMPARE(rows[2], projects[1] + ",,\"FAILED: The project \"\"" + projects[1] +
                          "\"\" cannot be opened: it is not a project file. Nothing was changed.\",,,,");
    QCOMPARE(rows[3], projects[2] + ",,\"FAILED: The project \"\"" + projects[2] +
                          "\"\" cannot be opened: the file cannot be read. Nothing was changed.\",,,,");
    QCOMPARE(rows[4], projects[3] +
                          ",,FAILED: the project has no runoff inputs (open its runoff window and save the "
                          "project),,,,");
    QCOMPARE(rows[5],
             projects[4] +
                 ",,\"FAILED: Basin Area (mi^2): \"\"1,5\"\" is not a number (use a decimal point and no "
                 "thousands separators). Lag Time (hours): \"\"two\"\" is not a number.\",,,,");
    QCOMPARE(rows[6], projects[5] +
                          ",,FAILED: the run asks for a storm file and a batch run cannot choose one (use "
                          "another rainfall arrangement),,,,");
    QCOMPARE(rows[7], projects[6] + ",,1.00,0.94,242,2.00,50");
}

void BatchTest::aBadCommandLineRunsNothing() {
    QTemporaryDir dir;
    const std::string summary = dir.filePath("summary.csv").toStdString();
    const std::string p = writeProject(
        dir, "good.brelvo", basinInputs("1", "2", "Triangle Unit Graph", "Average", {{"1", "1.00"}}));
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--batch"}, "brelvo --batch: --batch needs a value"},
        {{"--batch", summary}, "brelvo --batch: no project files are given"},
        {{p, "--jobs", "2", "--batch", ""}, "brelvo --batch: --batch needs a value"},
        {{"--jobs", "2", p}, "brelvo --batch: the summary file (SUMMARY.csv) is missing"},
        {{"--batch", summary, "--jobs", "0", p},
         "brelvo --batch: --jobs takes a whole number from 1 to 1024, not \"0\""},
        {{"--batch", summary, "--jobs", "two", p},
         "brelvo --batch: --jobs takes a whole number from 1 to 1024, not \"two\""},
        {{"--batch", summary, "--threads", "2", p}, "brelvo --batch: unknown option --threads"},
        {{"--batch", summary, "--return-periods", "2,10", p},
         "brelvo --batch: --return-periods needs --frequency"},
        {{"--batch", summary, "--frequency", "a.csv", "--return-periods", "2,,10", p},
         "brelvo --batch: --return-periods takes whole numbers of years separated by commas, each once, not "
         "\"2,,10\""},
        {{"--batch", summary, "--frequency", "a.csv", "--return-periods", "10,2,10", p},
         "brelvo --batch: --return-periods takes whole numbers of years separated by commas, each once, not "
         "\"10,2,10\""},
        {{"--batch", summary, "--batch", summary, p}, "brelvo --batch: --batch is given twice"},
    };
    for (const auto& [args, error] : cases) {
        const BatchResult result = runBatch(args);
        QCOMPARE(result.status, 2);
        QCOMPARE(result.err, error + "\n" + kUsage);
        QVERIFY(!std::filesystem::exists(summary));
    }
    // A summary that cannot be saved is refused before any run.
    std::filesystem::create_directory(summary);
    const BatchResult folder = runBatch({"--batch", summary, p});
    QCOMPARE(folder.status, 2);
    QCOMPARE(folder.err, "The file \"" + summary + "\" was not saved: a folder has that name.\n");
}

void BatchTest::theProgramRunsABatchWithoutADisplay() {
    QTemporaryDir dir;
    const std::string good = writeProject(
        dir, "good.brelvo", basinInputs("1", "2", "Triangle Unit Graph", "Average", {{"1", "1.00"}}));
    const QString summary = dir.filePath("summary.csv");
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    program.setProcessEnvironment(env);
    program.start(QStringLiteral(BRELVO_PROGRAM),
                  {QStringLiteral("--batch"), summary, QStringLiteral("--reports"), dir.filePath("reports"),
                   QString::fromStdString(good), dir.filePath("missing.brelvo")});
    QVERIFY(program.waitForFinished(60000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 1);
    QCOMPARE(QString::fromUtf8(program.readAllStandardError()),
             QStringLiteral("2/2 runs\n1 of 2 runs failed; see the summary.\n"));
    const std::vector<std::string> rows = lines(fileText(summary.toStdString()));
    QCOMPARE(rows.size(), std::size_t(3));
    QCOMPARE(rows[1], good + ",,1.00,0.94,242,2.00,50");
    QVERIFY(rows[2].starts_with(dir.filePath("missing.brelvo").toStdString() + ",,\"FAILED: "));
    QVERIFY(std::filesystem::is_regular_file(dir.filePath("reports/good.GRF").toStdString()));
}

void BatchTest::frequencyRunsAreTheWindowsRunsOfTheImportedStorms() {
    QTemporaryDir dir;
    const std::string pfds = BRELVO_SOURCE_DIR "/tests/e2e/fixtures/pfds_fort_myers.csv";
    const brelvo::runoff::PrecipFrequencyRead read =
        brelvo::runoff::readPrecipFrequency(brelvo::common::readDataFile(pfds, 1 << 20), pfds);
    QVERIFY(read.table);
    // A 24-hour storm (no import kept) through the triangle graph, and a 6-hour one (the length of the
    // project's last import) through the SCS graph.
    const project::RunoffInputs day =
        basinInputs("2", "1", "Triangle Unit Graph", "Average", {{"1", "1.00"}});
    project::RunoffInputs sixHours =
        basinInputs("0.8", "0.5", "SCS.DGF", "Peak at 2/3", {{"1", "1.2"}, {"6", "2.5"}, {"24", "4.1"}});
    sixHours.stormTable = brelvo::runoff::KeptStormTable{*read.table, 10, 6};
    const std::string a = writeProject(dir, "day.brelvo", day);
    const std::string b = writeProject(dir, "six.brelvo", sixHours);
    const std::string summary = dir.filePath("summary.csv").toStdString();
    const BatchResult result = runBatch({"--batch", summary, "--frequency", pfds, "--return-periods", "100,2",
                                         "--reports", dir.filePath("reports").toStdString(), a, b});
    QCOMPARE(result.status, 0);
    const std::vector<std::string> rows = lines(fileText(summary));
    QCOMPARE(rows.size(), std::size_t(5));
    // The storm depths are the table's 24-hour and 6-hour depths of each period.
    const std::vector<std::pair<std::string, std::string>> starts{{a + ",100,12.10,", "day-100yr"},
                                                                  {a + ",2,4.76,", "day-2yr"},
                                                                  {b + ",100,7.75,", "six-100yr"},
                                                                  {b + ",2,3.70,", "six-2yr"}};
    for (std::size_t k = 0; k < starts.size(); ++k) {
        QVERIFY2(rows[k + 1].starts_with(starts[k].first), rows[k + 1].c_str());
        const int years = k % 2 ? 2 : 100;
        const brelvo::runoff::DesignStormRows storm =
            brelvo::runoff::designStormRows(*read.table, years, k < 2 ? 24 : 6);
        const WindowRun window = computeInWindow(k < 2 ? day : sixHours, &storm);
        QVERIFY(window.messages.empty());
        const std::string report = fileText(
            dir.filePath(QString::fromStdString("reports/" + starts[k].second + ".GRF")).toStdString());
        QVERIFY(!report.empty());
        QCOMPARE(report, window.reportText);
    }

    // Without --return-periods the batch runs the table's 2- to 100-year storms, as the window ticks them.
    const BatchResult defaults = runBatch({"--batch", summary, "--frequency", pfds, a});
    QCOMPARE(defaults.status, 0);
    const std::vector<std::string> defaultRows = lines(fileText(summary));
    QCOMPARE(defaultRows.size(), std::size_t(7));
    const std::array<int, 6> defaultYears = {2, 5, 10, 25, 50, 100};
    for (std::size_t k = 0; k < defaultYears.size(); ++k) {
        QVERIFY2(defaultRows[k + 1].starts_with(a + "," + std::to_string(defaultYears[k]) + ","),
                 defaultRows[k + 1].c_str());
    }

    // A period the table lacks is a bad command line; a table that cannot be read runs nothing.
    const BatchResult lacking =
        runBatch({"--batch", summary, "--frequency", pfds, "--return-periods", "2,3", a});
    QCOMPARE(lacking.status, 2);
    QCOMPARE(lacking.err, "brelvo --batch: the return period 3 is not in \"" + pfds + "\"\n" + kUsage);
    const BatchResult notATable = runBatch({"--batch", summary, "--frequency", a, a});
    QCOMPARE(notATable.status, 2);
    QVERIFY(notATable.err.starts_with("brelvo --batch: \"" + a +
                                      "\" cannot be read as a precipitation frequency table: "));
    QVERIFY(notATable.err.find(kUsage) == std::string::npos);
}

QTEST_MAIN(BatchTest)
#include "batch_test.moc"

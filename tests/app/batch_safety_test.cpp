// brelvo --batch where things go wrong: a run that fails by a thrown failure gets its row while the others
// run, the summary never takes the place of a file the batch reads or writes, one project listed many
// times writes its report every time, and Ctrl+C ends the real program with the rows that ran.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <filesystem>

#include "app/batch_command.hpp"
#include "batch_support.hpp"
#include "common/data_file.hpp"
#include "runoff/frequency_run.hpp"
#include "runoff/precip_frequency.hpp"

namespace fs = std::filesystem;
using namespace brelvo::testing_support::batch;

namespace {

const std::string kFortMyers = BRELVO_SOURCE_DIR "/tests/e2e/fixtures/pfds_fort_myers.csv";

std::vector<int> fortMyersPeriods() {
    const brelvo::runoff::PrecipFrequencyRead read =
        brelvo::runoff::readPrecipFrequency(brelvo::common::readDataFile(kFortMyers, 1 << 20), kFortMyers);
    // The periods a --frequency batch runs without --return-periods.
    return read.table ? brelvo::runoff::defaultReturnPeriods(read.table->returnPeriods) : std::vector<int>{};
}

}  // namespace

class BatchSafetyTest : public QObject {
    Q_OBJECT

  private slots:
    void aRunThatFailsByAThrownFailureGetsItsRowAndTheOthersRun();
    void theSummaryIsNeverAFileTheBatchReadsOrWrites();
    void oneProjectListedManyTimesWritesItsReportEveryTime();
    void ctrlCEndsTheProgramWithTheRowsThatRan();
};

void BatchSafetyTest::aRunThatFailsByAThrownFailureGetsItsRowAndTheOthersRun() {
    QTemporaryDir dir;
    // Numbers beyond the largest a run's single precision takes, in the depth-duration table and in the
    // areal factors.
    const std::vector<std::pair<std::string, std::string>> boxes{{"txtRain(0)", "4e38"},
                                                                 {"txtRain(0)", "1e39"},
                                                                 {"txtRain(0)", "1e400"},
                                                                 {"txtArealAdj(0)", "4e38"},
                                                                 {"txtArealAdj(0)", "1e400"}};
    std::vector<std::string> projects{writeProject(dir, "first.brelvo", oneInchBasin())};
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        project::RunoffInputs inputs = oneInchBasin();
        inputs.texts[boxes[k].first] = boxes[k].second;
        if (boxes[k].first.starts_with("txtArealAdj")) inputs.checks["chkAreaAdj"] = true;
        projects.push_back(writeProject(dir, "huge" + std::to_string(k) + ".brelvo", inputs));
    }
    projects.push_back(writeProject(dir, "last.brelvo", oneInchBasin()));
    const std::string summary = dir.filePath("summary.csv").toStdString();
    std::vector<std::string> args{"--batch", summary,     "--jobs",
                                  "2",       "--reports", dir.filePath("r").toStdString()};
    args.insert(args.end(), projects.begin(), projects.end());
    const BatchResult result = runBatch(args);
    QCOMPARE(result.status, 1);
    QVERIFY2(result.err.ends_with("7/7 runs\n5 of 7 runs failed; see the summary.\n"), result.err.c_str());
    const std::vector<std::string> rows = lines(fileText(summary));
    QCOMPARE(rows.size(), std::size_t(8));
    QCOMPARE(rows[1], projects[0] + kOneInchFigures);
    for (std::size_t k = 0; k < boxes.size(); ++k)
        QCOMPARE(rows[k + 2], projects[k + 1] + ",,FAILED: Overflow,,,,");
    QCOMPARE(rows[7], projects[6] + kOneInchFigures);
    QVERIFY(fs::is_regular_file(dir.filePath("r/last.GRF").toStdString()));
    QVERIFY(!fs::exists(dir.filePath("r/huge0.GRF").toStdString()));
}

void BatchSafetyTest::theSummaryIsNeverAFileTheBatchReadsOrWrites() {
    QTemporaryDir dir;
    const std::string a = writeProject(dir, "a.brelvo", oneInchBasin());
    const std::string b = writeProject(dir, "b.brelvo", oneInchBasin());
    const std::string projectBytes = fileText(a);
    // The frequency table copied beside the projects, so that a fault could only spoil the copy.
    const std::string table = dir.filePath("fm.csv").toStdString();
    fs::copy_file(kFortMyers, table);
    const std::string tableBytes = fileText(table);
    const std::string d = dir.path().toStdString();
    fs::create_symlink("a.brelvo", d + "/link.csv");
    fs::create_directory(d + "/in");
    // A project whose name is that of its own report.
    const std::string graf = writeProject(dir, "in/g.GRF", oneInchBasin());
    const std::string grafBytes = fileText(graf);

    struct Case {
        std::vector<std::string> args;
        std::string err;
    };
    const std::string reports = d + "/reports";
    const std::vector<Case> cases{
        // "brelvo --batch *.brelvo": the summary's name forgotten.
        {{"--batch", a, b},
         "brelvo --batch: the summary file \"" + a +
             "\" is a project file (.brelvo); the summary's name (SUMMARY.csv) comes right after --batch\n" +
             kUsage},
        {{"--batch", d + "/./fm.csv", "--frequency", table, a},
         "brelvo --batch: the summary file \"" + d + "/./fm.csv\" is the frequency table \"" + table +
             "\", which the batch reads; give the summary a name of its own\n"},
        {{"--batch", d + "/link.csv", b, a},
         "brelvo --batch: the summary file \"" + d + "/link.csv\" is the project \"" + a +
             "\", which the batch reads; give the summary a name of its own\n"},
        // Neither is there: the same name all the same.
        {{"--batch", d + "/in/../missing.csv", a, d + "/missing.csv"},
         "brelvo --batch: the summary file \"" + d + "/in/../missing.csv\" is the project \"" + d +
             "/missing.csv\", which the batch reads; give the summary a name of its own\n"},
        {{"--batch", reports + "/b.GRF", "--reports", d + "/./reports", a, b},
         "brelvo --batch: the summary file \"" + reports + "/b.GRF\" is the report \"" + d +
             "/./reports/b.GRF\", which the batch writes; give the summary a name of its own\n"},
        {{"--batch", reports + "/a-100yr.GRF", "--frequency", table, "--return-periods", "2,100", "--reports",
          reports, a},
         "brelvo --batch: the summary file \"" + reports + "/a-100yr.GRF\" is the report \"" + reports +
             "/a-100yr.GRF\", which the batch writes; give the summary a name of its own\n"},
        {{"--batch", d + "/summary.csv", "--reports", d + "/in", a, graf},
         "brelvo --batch: the report \"" + d + "/in/g.GRF\" is the project \"" + graf +
             "\", which the batch reads; give the reports a folder of their own\n"},
    };
    for (const Case& c : cases) {
        const BatchResult result = runBatch(c.args);
        QCOMPARE(result.status, 2);
        QCOMPARE(result.err, c.err);
        // Nothing read was written, and nothing was written at all.
        QCOMPARE(fileText(a), projectBytes);
        QCOMPARE(fileText(b), projectBytes);
        QCOMPARE(fileText(table), tableBytes);
        QCOMPARE(fileText(graf), grafBytes);
        QVERIFY(!fs::exists(d + "/summary.csv"));
        QVERIFY(!fs::exists(d + "/missing.csv"));
        QVERIFY(!fs::exists(reports));
    }
    // The same files by other names run as ever.
    const BatchResult ran = runBatch({"--batch", d + "/summary.csv", "--reports", reports, a, b});
    QCOMPARE(ran.status, 0);
    QCOMPARE(lines(fileText(d + "/summary.csv")).size(), std::size_t(3));
}

void BatchSafetyTest::oneProjectListedManyTimesWritesItsReportEveryTime() {
    // Many threads saving the same report at once: every save succeeds, and none leaves its temporary file.
    QTemporaryDir dir;
    const std::string a = writeProject(dir, "a.brelvo", oneInchBasin());
    const std::string summary = dir.filePath("summary.csv").toStdString();
    const std::string reports = dir.filePath("reports").toStdString();
    std::vector<std::string> args{"--batch", summary, "--jobs", "4", "--reports", reports};
    args.insert(args.end(), 200, a);
    const BatchResult result = runBatch(args);
    QCOMPARE(result.status, 0);
    QVERIFY(result.err.ends_with("200/200 runs\n"));
    const std::vector<std::string> rows = lines(fileText(summary));
    QCOMPARE(rows.size(), std::size_t(201));
    for (std::size_t k = 1; k < rows.size(); ++k) QCOMPARE(rows[k], a + kOneInchFigures);
    QCOMPARE(temporaryFiles(reports), std::vector<std::string>{});
    QCOMPARE(temporaryFiles(dir.path().toStdString()), std::vector<std::string>{});
    // The report is the one a single listing writes.
    QCOMPARE(runBatch({"--batch", summary, "--reports", dir.filePath("once").toStdString(), a}).status, 0);
    QCOMPARE(fileText(reports + "/a.GRF"), fileText(dir.filePath("once/a.GRF").toStdString()));
}

void BatchSafetyTest::ctrlCEndsTheProgramWithTheRowsThatRan() {
    QTemporaryDir dir;
    writeProject(dir, "a.brelvo", oneInchBasin());
    const std::vector<int> periods = fortMyersPeriods();
    QCOMPARE(periods, (std::vector<int>{2, 5, 10, 25, 50, 100}));
    // Each row the program may write: the rows of the same batch on one listing of the project.
    const BatchResult one = runBatch({"--batch", dir.filePath("one.csv").toStdString(), "--frequency",
                                      kFortMyers, dir.filePath("a.brelvo").toStdString()});
    QCOMPARE(one.status, 0);
    std::vector<std::string> expected = lines(fileText(dir.filePath("one.csv").toStdString()));
    QCOMPARE(expected.size(), periods.size() + 1);
    for (std::size_t k = 1; k < expected.size(); ++k)
        expected[k].replace(0, expected[k].find(','), "a.brelvo");

    // Far more runs than can be done before the signal comes: it comes when the first report is there.
    constexpr int kListings = 20000;
    QStringList args{QStringLiteral("--batch"),     QStringLiteral("summary.csv"),
                     QStringLiteral("--jobs"),      QStringLiteral("2"),
                     QStringLiteral("--frequency"), QString::fromStdString(kFortMyers),
                     QStringLiteral("--reports"),   QStringLiteral("reports")};
    for (int k = 0; k < kListings; ++k) args << QStringLiteral("a.brelvo");
    QProcess program;
    program.setWorkingDirectory(dir.path());
    program.start(QStringLiteral(BRELVO_PROGRAM), args);
    QVERIFY(program.waitForStarted());
    const std::string firstReport = dir.filePath("reports/a-%1yr.GRF").arg(periods[0]).toStdString();
    bool finished = false;
    while (!fs::exists(firstReport) && !finished) finished = program.waitForFinished(1);
    QVERIFY2(!finished, "the program ended before its first report");
    QCOMPARE(::kill(static_cast<pid_t>(program.processId()), SIGINT), 0);
    QVERIFY(program.waitForFinished(120000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 130);

    // Whole rows, each the one of its place, in the command line's order; none for the runs not run.
    const std::string text = fileText(dir.filePath("summary.csv").toStdString());
    QVERIFY(text.ends_with('\n'));
    const std::vector<std::string> rows = lines(text);
    QVERIFY(rows.size() >= 2);
    QVERIFY(rows.size() < std::size_t(kListings) * periods.size() + 1);
    QCOMPARE(rows[0], expected[0]);
    for (std::size_t k = 1; k < rows.size(); ++k) QCOMPARE(rows[k], expected[1 + (k - 1) % periods.size()]);
    // Standard error ends with the progress of the runs that ran and says the batch was interrupted.
    const std::vector<std::string> err =
        lines(QString::fromUtf8(program.readAllStandardError()).toStdString());
    const std::string ran = std::to_string(rows.size() - 1);
    QVERIFY(err.size() >= 2);
    const std::string runs = std::to_string(kListings * periods.size());
    QCOMPARE(err[err.size() - 2], ran + "/" + runs + " runs");
    QCOMPARE(err.back(),
             "Interrupted after " + ran + " of " + runs + " runs; the summary holds their rows only.");
    QCOMPARE(temporaryFiles(dir.filePath("reports").toStdString()), std::vector<std::string>{});
    QCOMPARE(temporaryFiles(dir.path().toStdString()), std::vector<std::string>{});
}

QTEST_MAIN(BatchSafetyTest)
#include "batch_safety_test.moc"

// File -> Export Calculation Report... through the real windows, as a script drives them: refused
// without a computed hydrograph, a PDF of the report's pages after one, and a failed export that leaves
// the file it would replace as it was.
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "app/calc_report_pdf.hpp"
#include "app/main_window.hpp"
#include "app/runoff_window.hpp"
#include "app/script_runner.hpp"
#include "common/dialog_folders.hpp"
#include "common/program_folder.hpp"
#include "runoff/calc_report.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;
using brelvo::app::ScriptRunner;
namespace fs = std::filesystem;

namespace {

const char* const kTrace = R"(resize 800 600
menu "Load/Save Map"
answer "PICTURE"
picture "Load Map File"
menu "Start Area"
click 1000 1000
click 4000 1000
click 4000 4000
menu "End Area/Line"
menu "Runoff Hydrogaph"
type txtBasinArea "1"
check chkAutoTimeStep off
type txtLag "2"
leave txtLag
type txtTitle "Creek at the mill"
type txtTile2 "Storm of record"
choose ComboRain "Average"
choose ComboDimgraph "Triangle Unit Graph"
)";

const char* const kExport = "action \"File/Export Calculation Report...\"\n";

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The pages of a PDF file: its page objects ("/Type /Page", not the "/Type /Pages" tree).
int pdfPages(const std::string& bytes) {
    int pages = 0;
    const std::string key = "/Type /Page";
    for (std::size_t at = bytes.find(key); at != std::string::npos; at = bytes.find(key, at + 1)) {
        const char next = at + key.size() < bytes.size() ? bytes[at + key.size()] : ' ';
        if (next != 's') ++pages;
    }
    return pages;
}

}  // namespace

class CalcReportExportTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    ScriptDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;

    std::string path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }
    int replay(const std::string& script) {
        std::istringstream in(script);
        std::ostringstream out, err;
        ScriptRunner runner(*window_, dialogs_, out, err);
        const int status = runner.run(in, "calc_report_export_test");
        if (status != 0) qWarning("%s", err.str().c_str());
        return status;
    }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        brelvo::common::dialogFolders().clear();
        const std::string picture = path("map.png");
        fs::remove(picture);
        fs::copy_file(brelvo::common::programFolder() + "/example_map.png", picture);
        window_ = std::make_unique<MainWindow>(dialogs_);
        window_->showMaximizedAtStart();
        window_->showNormal();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        std::string session = kTrace;
        session.replace(session.find("PICTURE"), 7, picture);
        QCOMPARE(replay(session), 0);
        QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{});
    }
    void cleanup() {
        window_.reset();
        brelvo::common::dialogFolders().clear();
    }

    void refusedBeforeAComputedHydrograph() {
        QCOMPARE(replay(std::string(kExport)), 0);
        QCOMPARE(dialogs_.takeMessages(),
                 std::vector<std::string>{
                     "There is no computed hydrograph yet. Compute a hydrograph first: the calculation "
                     "report lists its inputs, its runs and its report tables."});
        QCOMPARE(window_->lastCalcReportPages(), 0);
    }

    void writesEveryPageWithItsNumber() {
        QCOMPARE(replay("button Form3.Command1\ntype txtLag \"3\"\nleave txtLag\nbutton Form3.Command1\n"),
                 0);
        QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{});
        const std::string target = path("report.pdf");
        QCOMPARE(replay("answer \"" + target + "\"\n" + kExport), 0);
        QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{});
        const std::string bytes = readAll(target);
        QVERIFY(bytes.rfind("%PDF-", 0) == 0);
        // The map and its listing; the inputs, the chart and the runs; the last run's report tables, which
        // start a page of their own.
        // The file holds every page the report counted (what the pages say is read in the content test).
        const int pages = window_->lastCalcReportPages();
        QVERIFY2(pages >= 3, std::to_string(pages).c_str());
        QCOMPARE(pdfPages(bytes), pages);
        // A traced basin on a map picture without georeference or scale: said where a reviewer looks.
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"),
                        {QStringLiteral("-layout"), QString::fromStdString(target), QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished(60000));
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput()).simplified();
        for (const char* said :
             {"Basin figures traced on the map",
              "Stream used the last stream traced (the last in the listing)",
              "Coordinate system not known (the map is not georeferenced)",
              "No scale: the map has no scale set.", "North not known: the map is not georeferenced.",
              "Creek at the mill \u2014 Storm of record", "Page 1 of "})
            QVERIFY2(text.contains(QString::fromUtf8(said)), said);
        QCOMPARE(window_->runoffWindow()->session().runSummaries.size(), std::size_t{2});
    }

    void theScaleBarShowsARoundLength() {
        // 1, 2 or 5 times a power of ten, never longer than the room.
        QCOMPARE(brelvo::app::scaleBarLength(73), 50.0);
        QCOMPARE(brelvo::app::scaleBarLength(199.99), 100.0);
        QCOMPARE(brelvo::app::scaleBarLength(1000), 1000.0);
        QCOMPARE(brelvo::app::scaleBarLength(0.37), 0.2);
        QCOMPARE(brelvo::app::scaleBarLength(0), 0.0);
        QCOMPARE(brelvo::app::scaleBarLength(std::numeric_limits<double>::infinity()), 0.0);
    }

    void aFailedExportKeepsTheOldFile() {
        QCOMPARE(replay("button Form3.Command1\n"), 0);
        const std::string target = path("kept.pdf");
        std::ofstream(target, std::ios::binary) << "kept";
        fs::permissions(target, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        QCOMPARE(replay("answer \"" + target + "\"\n" + kExport), 0);
        QCOMPARE(
            dialogs_.takeMessages(),
            std::vector<std::string>{"The file \"" + target + "\" was not saved: the file is read-only."});
        QCOMPARE(readAll(target), std::string("kept"));
        // A cancelled dialog writes nothing and says nothing.
        QCOMPARE(replay(std::string("answer cancel\n") + kExport), 0);
        QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{});
        QCOMPARE(window_->lastCalcReportPages(), 0);
    }
};

QTEST_MAIN(CalcReportExportTest)
#include "calc_report_export_test.moc"

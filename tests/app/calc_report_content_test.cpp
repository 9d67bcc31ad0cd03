// The calculation report of a delineated basin with frequency runs, read back as a reviewer reads it
// (the PDF's text through pdftotext): the title page, the inputs with their sources, the map's legend and
// scale, the results with units in every header, a table's header on every page it spans, the appendices
// at the end, and one header and "Page N of M" on every page.
#include <QDate>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sstream>

#include "app/elevation_layer.hpp"
#include "app/main_window.hpp"
#include "app/script_runner.hpp"
#include "common/dialog_folders.hpp"
#include "measure/ground_position.hpp"
#include "model_cell_click.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;
using brelvo::app::ScriptRunner;
using brelvo::measure::MouseButton;

namespace {

// A V-shaped valley 31 x 20 cells of 10 m in UTM zone 13N draining south along column 15 (as the
// delineation tests have it): the outlet snapped to cell (15, 15) drains 119 cells.
QByteArray valleyGrid() {
    QByteArray text =
        "ncols 31\nnrows 20\nxllcorner 700000\nyllcorner 4398000\ncellsize 10\nNODATA_value -9999\n";
    for (int r = 0; r < 20; ++r) {
        for (int c = 0; c < 31; ++c) {
            const int d = std::abs(c - 15);
            const int a = d <= 10 ? 2 * d : 20 - 3 * (d - 10);
            const int b = r >= 4 ? 19 - r : 15 - 3 * (4 - r);
            text += QByteArray::number(100 + a + b) + (c == 30 ? "\n" : " ");
        }
    }
    return text;
}

const char* const kUtm13 =
    "PROJCS[\"WGS_1984_UTM_Zone_13N\",GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_1984\","
    "6378137.0,298.257223563]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]],"
    "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"False_Easting\",500000.0],PARAMETER[\"False_"
    "Northing\",0.0],PARAMETER[\"Central_Meridian\",-105.0],PARAMETER[\"Scale_Factor\",0.9996],"
    "PARAMETER[\"Latitude_Of_Origin\",0.0],UNIT[\"Meter\",1.0]]";

// The runoff side: the Fort Myers table's 100-year storm through a curve number, computed, then many
// more computes (so that the runs' table spans pages) and the 2- to 100-year frequency runs.
std::string runoffScript(const std::string& table) {
    std::string script =
        "type txtTitle \"Valley creek\"\ntype txtTile2 \"Design storms\"\n"
        "storm returnperiod 100\nstorm hours 24\nanswer \"" +
        table +
        "\"\naction \"Storm/Import Precipitation Frequency...\"\n"
        "check chkAutoTimeStep off\ntype txtCNloss \"75\"\ntype txtConstLoss \"0\"\n"
        "type txtPercentImp \"0\"\nchoose ComboRain \"Average\"\n"
        "choose ComboDimgraph \"Triangle Unit Graph\"\n";
    for (int i = 0; i < 70; ++i) script += "button Form3.Command1\n";
    script +=
        "action \"Storm/Frequency Runs...\"\nfrequency periods 2,5,10,25,50,100\nfrequency run\n"
        "frequency close\n";
    return script;
}

}  // namespace

class CalcReportContentTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    ScriptDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;

    int replay(const std::string& script) {
        std::istringstream in(script);
        std::ostringstream out, err;
        ScriptRunner runner(*window_, dialogs_, out, err);
        const int status = runner.run(in, "calc_report_content_test");
        if (status != 0) qWarning("%s", err.str().c_str());
        return status;
    }
    void clickCell(int column, int row) {
        QVERIFY(brelvo::app::testing::clickModelCell(*window_, column, row));
    }

  private slots:
    void initTestCase() {
        // The settings the signature is kept in, apart from the user's.
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(dir_.isValid());
    }

    void aReviewerFindsEveryItemOnItsPage() {
        brelvo::common::dialogFolders().clear();
        window_ = std::make_unique<MainWindow>(dialogs_);
        window_->resize(800, 600);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        QFile asc(dir_.filePath(QStringLiteral("valley.asc")));
        QVERIFY(asc.open(QIODevice::WriteOnly));
        asc.write(valleyGrid());
        asc.close();
        QFile prj(dir_.filePath(QStringLiteral("valley.prj")));
        QVERIFY(prj.open(QIODevice::WriteOnly));
        prj.write(kUtm13);
        prj.close();
        dialogs_.queueAnswer(asc.fileName().toStdString());
        dialogs_.queueAnswer("metres");
        QVERIFY(window_->triggerMenuEntry("Map/Open Elevation Model..."));
        dialogs_.queueAnswer("110");
        QVERIFY(window_->triggerMenuEntry("Map/Stream Threshold..."));
        dialogs_.queueAnswer("45");
        QVERIFY(window_->triggerMenuEntry("Map/Outlet Search Distance..."));
        QVERIFY(window_->triggerMenuEntry("Map/Delineate Basin..."));
        clickCell(18, 12);  // snaps to the stream cell (15, 15)
        QVERIFY(window_->document().work().delineation);
        dialogs_.queueAnswer("J. Engineer");
        dialogs_.queueAnswer("Hydro & Sons");
        QVERIFY(window_->triggerMenuEntry("File/Report Signature..."));
        window_->chooseCommand("Runoff Hydrogaph");
        dialogs_.takeMessages();
        QCOMPARE(replay(runoffScript(BRELVO_SOURCE_DIR "/tests/e2e/fixtures/pfds_fort_myers.csv")), 0);
        const std::string target = dir_.filePath(QStringLiteral("report.pdf")).toStdString();
        // The valley lies in Colorado, the table's point in Florida: said once, at the import.
        const std::vector<std::string> farSite = dialogs_.takeMessages();
        QCOMPARE(farSite.size(), std::size_t(1));
        QVERIFY(farSite[0].find("for the point 26.6, -81.9, 2412 km from the basin's centroid") !=
                std::string::npos);
        QCOMPARE(replay("answer \"" + target + "\"\naction \"File/Export Calculation Report...\"\n"), 0);
        QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{});

        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"),
                        {QStringLiteral("-layout"), QString::fromStdString(target), QStringLiteral("-")});
        QVERIFY2(pdftotext.waitForFinished(60000), "pdftotext (poppler-utils) did not run");
        QCOMPARE(pdftotext.exitCode(), 0);
        const QString text = QString::fromUtf8(pdftotext.readAllStandardOutput());
        if (const QByteArray copy = qgetenv("BRELVO_REPORT_COPY"); !copy.isEmpty())
            QFile::copy(QString::fromStdString(target), QString::fromLocal8Bit(copy));
        QStringList pages = text.split(QLatin1Char('\f'));
        while (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
        const auto count = static_cast<int>(pages.size());
        QCOMPARE(count, window_->lastCalcReportPages());
        const auto has = [](const QString& page, const QString& pattern) {
            return QRegularExpression(pattern).match(page).hasMatch();
        };
        const auto pageOf = [&](const QString& pattern) {
            for (int p = 0; p < count; ++p)
                if (has(pages[p], pattern)) return p + 1;
            return 0;
        };

        // One header and the page's number on every page.
        for (int p = 0; p < count; ++p) {
            QVERIFY2(pages[p].contains(QStringLiteral("Valley creek \u2014 2- to 100-year storms")),
                     qPrintable(QString::number(p + 1)));
            QVERIFY2(pages[p].contains(QStringLiteral("Page %1 of %2").arg(p + 1).arg(count)),
                     qPrintable(pages[p]));
        }
        // The title page.
        QCOMPARE(pageOf(QStringLiteral("Calculation Report")), 1);
        const QString date = QDate::currentDate().toString(Qt::ISODate);
        QCOMPARE(pageOf(QStringLiteral("Date\\s+") + date), 1);
        QCOMPARE(pageOf(QStringLiteral("Program\\s+Brelvo ") + QStringLiteral(BRELVO_VERSION)), 1);
        QCOMPARE(pageOf(QStringLiteral("Engineer\\s+J\\. Engineer")), 1);
        QCOMPARE(pageOf(QStringLiteral("Firm\\s+Hydro & Sons")), 1);
        // The inputs page: where the basin came from, the map, the storm, the losses and the lag.
        const int inputs = pageOf(QStringLiteral("Basin figures\\s+delineated from an elevation model"));
        QCOMPARE(inputs, 2);
        for (const char* item :
             {"Stream used\\s+the longest flow path", "Elevation model\\s+valley\\.asc \\(heights in m\\)",
              "Outlet cell\\s+column 15, row 15", "Outlet map coordinates\\s+700155\\.00, 4398045\\.00",
              "Outlet search distance\\s+45 m", "Stream threshold\\s+110 cells", "Map file\\s+.*valley\\.asc",
              "Coordinate system\\s+\\S", "pfds_fort_myers\\.csv", "Series\\s+Partial duration",
              "Point \\(latitude, longitude\\)\\s+26\\.6, -81\\.9", "Return period \\(yr\\)\\s+100",
              "Arrangement\\s+Average", "SCS CN\\s+75", "Ia = 0\\.2 S, S = 1000/CN - 10",
              "S = 1000/75 - 10 = 3\\.33 in, Ia = 0\\.2 S = 0\\.667 in",
              "Lag equation\\s+Lag = C \\(L Lca / S\\^0\\.5\\)\\^0\\.33",
              "= 2\\.13 \\(0\\.0853 mi x 0\\.0326 mi / \\(1077\\.4 ft/mi\\)\\^0\\.5\\)\\^0\\.33 = 0\\.0965 h",
              "Lag used \\(h\\)\\s+0\\.1"})
            QVERIFY2(pageOf(QString::fromUtf8(item)) == inputs, item);
        QVERIFY(!has(pages[inputs - 1], QStringLiteral("not georeferenced")));
        // The map page: its legend and a scale bar in metres; north known on a georeferenced map.
        const int map = pageOf(QStringLiteral("Map of the basin"));
        QVERIFY(map > inputs);
        QVERIFY(has(pages[map - 1], QStringLiteral("Basin boundary\\s+Stream\\s+Outlet")));
        QVERIFY(has(pages[map - 1], QStringLiteral("0 - \\d+ m")));
        QVERIFY(!has(pages[map - 1], QStringLiteral("North not known")));
        // The results: a header with its units on every page a table's rows are on, the runs' table
        // spanning pages; then the appendices, the listing first.
        const QString runsHeader =
            QStringLiteral("Run\\s+Summary \\(Qmax in cfs, Vol in acre-ft, losses in in\\)");
        const QString frequencyHeader = QStringLiteral(
            "Return period \\(yr\\)\\s+Storm \\(in\\)\\s+Runoff \\(in\\)\\s+Peak \\(cfs\\)\\s+Time of peak "
            "\\(h\\)\\s+Volume \\(acre-ft\\)");
        int runPages = 0;
        for (int p = 0; p < count; ++p) {
            if (has(pages[p], QStringLiteral("(?m)^\\s+\\d+\\s+Runoff Qmax="))) {
                ++runPages;
                QVERIFY2(has(pages[p], runsHeader), qPrintable(QString::number(p + 1)));
            }
            if (has(pages[p],
                    QStringLiteral("(?m)^\\s+(2|5|10|25|50|100)\\s+\\d+\\.\\d+\\s+\\d+\\.\\d+\\s+\\d")))
                QVERIFY2(has(pages[p], frequencyHeader), qPrintable(QString::number(p + 1)));
        }
        QVERIFY(runPages >= 2);
        QVERIFY(pageOf(frequencyHeader) > map);
        const int listing = pageOf(QStringLiteral("Appendix A\\. Coordinate listing"));
        const int tables = pageOf(QStringLiteral("Appendix B\\. Report tables of the last run"));
        QVERIFY(listing > pageOf(frequencyHeader));
        QVERIFY(tables > listing);
        // The listing's vertices ("700060, 4398150") are in its appendix, none before it.
        const QString vertex = QStringLiteral("(?m)^\\s*\\d+(\\.\\d+)?, \\d+(\\.\\d+)?\\s*$");
        QCOMPARE(pageOf(vertex), listing);
    }

    void cleanupTestCase() {
        window_.reset();
        brelvo::common::dialogFolders().clear();
    }
};

QTEST_MAIN(CalcReportContentTest)
#include "calc_report_content_test.moc"

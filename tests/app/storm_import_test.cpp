// Storm -> Import Precipitation Frequency... through the real windows: from the menu and from the runoff
// window's button, the design storm's dialog answered, refusals and Cancel that change nothing, and the
// imported table kept in projects (a damaged one refused, an older project without one opened as before).
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/main_window.hpp"
#include "app/runoff_window.hpp"
#include "app/script_runner.hpp"
#include "common/program_folder.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;
using brelvo::app::ScriptRunner;

namespace {

struct Run {
    int status = -1;
    std::vector<QJsonObject> dumps;
};

Run replay(MainWindow& window, ScriptDialogs& dialogs, const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out, err;
    ScriptRunner runner(window, dialogs, out, err);
    Run run;
    run.status = runner.run(in, "storm_import_test");
    std::istringstream lines(out.str());
    for (std::string line; std::getline(lines, line);) {
        const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(line));
        if (doc.isObject()) run.dumps.push_back(doc.object());
    }
    return run;
}

std::string fixture() {
    return brelvo::common::programFolder() + "/e2e_fixtures/pfds_fort_myers.csv";
}

std::string readAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

QString row(const QJsonObject& dump, const char* column, int i) {
    return dump["Form3"]["fields"][QStringLiteral("%1(%2)").arg(QLatin1String(column)).arg(i)].toString();
}

// The eight rows as "hours=inches" and the second title.
QStringList storm(const QJsonObject& dump) {
    QStringList rows;
    for (int i = 0; i < 8; ++i) rows << row(dump, "txtDuration", i) + "=" + row(dump, "txtRain", i);
    rows << dump["Form3"]["fields"]["txtTile2"].toString();
    return rows;
}

// The source file of the dump's kept table.
QString tableSource(const QJsonObject& dump) {
    return dump["StormTable"].toObject()["fileName"].toString();
}

QStringList messages(const QJsonObject& dump) {
    QStringList out;
    for (const auto& m : dump["messages"].toArray()) out << m.toString();
    return out;
}

}  // namespace

class StormImportTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    ScriptDialogs dialogs_;

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    std::unique_ptr<MainWindow> freshWindow() {
        auto window = std::make_unique<MainWindow>(dialogs_);
        window->showMaximizedAtStart();
        dialogs_.takeMessages();
        return window;
    }

  private slots:
    void importedTableComesBackWithTheProject() {
        QVERIFY(dir_.isValid());
        auto window = freshWindow();
        QVERIFY(window->runoffWindow() == nullptr);
        const Run imported = replay(*window, dialogs_,
                                    "storm returnperiod 100\nstorm hours 24\nanswer \"" + fixture() +
                                        "\"\naction \"Storm/Import Precipitation Frequency...\"\ndump\n");
        QCOMPARE(imported.status, 0);
        const QJsonObject before = imported.dumps.at(0);
        QCOMPARE(messages(before), QStringList());
        QVERIFY(window->runoffWindow() != nullptr && window->runoffWindow()->isVisible());
        QCOMPARE(storm(before),
                 (QStringList{"0.25=2.05", "0.5=3.31", "1=4.38", "2=5.46", "3=6.11", "6=7.75", "12=10.1",
                              "24=12.1", "NOAA Atlas 14 Volume 9 Version 2, 26.6 N 81.9 W, 100-year"}));
        const QJsonObject table = before["StormTable"].toObject();
        QCOMPARE(table["returnPeriod"].toInt(), 100);
        QCOMPARE(table["hours"].toDouble(), 24.0);
        QCOMPARE(table["durations"].toArray().size(), 19);
        QCOMPARE(table["depths"][9][6].toString(), QStringLiteral("12.1"));
        QVERIFY(window->project().projectModified());

        QVERIFY(window->project().saveProjectFile(path("job.brelvo").toStdString()));
        const QJsonObject file =
            QJsonDocument::fromJson(QByteArray::fromStdString(readAll(path("job.brelvo")))).object();
        QCOMPARE(file["runoff"]["stormTable"]["depths"][9][6].toString(), QStringLiteral("12.1"));
        QCOMPARE(file["runoff"]["stormTable"]["volume"].toString(),
                 QStringLiteral("NOAA Atlas 14 Volume 9 Version 2"));

        // A fresh window opens it with the same table and rows, unmodified.
        auto reopened = freshWindow();
        QVERIFY(reopened->project().openProjectFile(path("job.brelvo").toStdString()));
        const QJsonObject after = replay(*reopened, dialogs_, "dump\n").dumps.at(0);
        QCOMPARE(messages(after), QStringList());
        QCOMPARE(after["StormTable"].toObject(), table);
        QCOMPARE(storm(after), storm(before));
        QVERIFY(!reopened->project().projectModified());

        // A damaged table is refused by name, and the open project stays as it was.
        QJsonObject damaged = file, runoff = file["runoff"].toObject(),
                    kept = runoff["stormTable"].toObject();
        QJsonArray depths = kept["depths"].toArray(), day = depths[9].toArray();
        day[6] = QStringLiteral("12,1");
        depths[9] = day;
        kept["depths"] = depths;
        runoff["stormTable"] = kept;
        damaged["runoff"] = runoff;
        std::ofstream(path("damaged.brelvo").toStdString(), std::ios::binary)
            << QJsonDocument(damaged).toJson().toStdString();
        QVERIFY(!reopened->project().openProjectFile(path("damaged.brelvo").toStdString()));
        const QJsonObject refused = replay(*reopened, dialogs_, "dump\n").dumps.at(0);
        QCOMPARE(messages(refused).size(), 1);
        QVERIFY2(messages(refused)[0].contains(QStringLiteral(
                     "the value \"runoff.stormTable.depths\" is not a table of the Storm menu's import")),
                 qPrintable(messages(refused)[0]));
        QCOMPARE(refused["StormTable"].toObject(), table);

        // A project written before tables were kept opens with none.
        runoff.remove(QStringLiteral("stormTable"));
        QJsonObject older = file;
        older["runoff"] = runoff;
        std::ofstream(path("older.brelvo").toStdString(), std::ios::binary)
            << QJsonDocument(older).toJson().toStdString();
        QVERIFY(reopened->project().openProjectFile(path("older.brelvo").toStdString()));
        const QJsonObject plain = replay(*reopened, dialogs_, "dump\n").dumps.at(0);
        QCOMPARE(messages(plain), QStringList());
        QVERIFY(plain["StormTable"].isNull());
        QCOMPARE(storm(plain), storm(before));
    }

    void tableSourceKeptRelativeToTheProjectsFolder() {
        QVERIFY(dir_.isValid());
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("tables")));
        const std::string inside = path("tables/site.csv").toStdString();
        QVERIFY(QFile::copy(QString::fromStdString(fixture()), QString::fromStdString(inside)));
        auto window = freshWindow();
        auto import = [&](const std::string& file) {
            return replay(
                       *window, dialogs_,
                       "answer \"" + file + "\"\naction \"Storm/Import Precipitation Frequency...\"\ndump\n")
                .dumps.at(0);
        };
        auto keptName = [&](const char* project) {
            const QJsonObject kept =
                QJsonDocument::fromJson(QByteArray::fromStdString(readAll(path(project)))).object();
            return kept["runoff"]["stormTable"]["fileName"].toString();
        };
        // Under the project's folder: kept relative with "/", read back as the full path.
        QCOMPARE(tableSource(import(inside)), QString::fromStdString(inside));
        QVERIFY(window->project().saveProjectFile(path("near.brelvo").toStdString()));
        QCOMPARE(keptName("near.brelvo"), QStringLiteral("tables/site.csv"));
        auto reopened = freshWindow();
        QVERIFY(reopened->project().openProjectFile(path("near.brelvo").toStdString()));
        QCOMPARE(tableSource(replay(*reopened, dialogs_, "dump\n").dumps.at(0)),
                 QString::fromStdString(inside));
        // Elsewhere: kept as the full path, and read back as written.
        QCOMPARE(tableSource(import(fixture())), QString::fromStdString(fixture()));
        QVERIFY(window->project().saveProjectFile(path("tables/far.brelvo").toStdString()));
        const QString far = keptName("tables/far.brelvo");
        QCOMPARE(far, QString::fromStdString(std::filesystem::path(fixture()).lexically_normal().string()));
        QVERIFY(reopened->project().openProjectFile(path("tables/far.brelvo").toStdString()));
        QCOMPARE(tableSource(replay(*reopened, dialogs_, "dump\n").dumps.at(0)), far);
    }

    void refusalsAndCancelChangeNothing() {
        QVERIFY(dir_.isValid());
        auto window = freshWindow();
        const std::string importFile =
            "answer \"" + fixture() + "\"\nbutton butImportPrecipFrequency\ndump\n";
        const Run first = replay(*window, dialogs_, "menu \"Runoff Hydrogaph\"\n" + importFile);
        const QJsonObject before = first.dumps.at(0);
        QCOMPARE(first.status, 0);
        QCOMPARE(messages(before), QStringList());
        // The dialog's own choice: 100 years, 24 hours.
        QCOMPARE(storm(before).last(),
                 QStringLiteral("NOAA Atlas 14 Volume 9 Version 2, 26.6 N 81.9 W, 100-year"));
        QCOMPARE(row(before, "txtDuration", 7), QStringLiteral("24"));

        auto unchanged = [&](const QJsonObject& dump) {
            QCOMPARE(dump["Form3"]["fields"].toObject(), before["Form3"]["fields"].toObject());
            QCOMPARE(dump["StormTable"].toObject(), before["StormTable"].toObject());
        };
        const QJsonObject cancelled = replay(*window, dialogs_, "storm cancel\n" + importFile).dumps.at(0);
        QCOMPARE(messages(cancelled), QStringList());
        unchanged(cancelled);

        const QJsonObject noPeriod =
            replay(*window, dialogs_, "storm returnperiod 3\n" + importFile).dumps.at(0);
        QCOMPARE(
            messages(noPeriod),
            QStringList{QStringLiteral("The precipitation frequency table has no 3-year return period.")});
        unchanged(noPeriod);

        const QJsonObject noLength = replay(*window, dialogs_, "storm hours 5\n" + importFile).dumps.at(0);
        QCOMPARE(messages(noLength),
                 QStringList{
                     QStringLiteral("The precipitation frequency table has no duration of 5 hours: choose a "
                                    "storm length among its durations.")});
        unchanged(noLength);

        std::string intensities = readAll(QString::fromStdString(fixture()));
        intensities.replace(intensities.find("(inches)"), 8, "(in/hr)");
        std::ofstream(path("intensity.csv").toStdString(), std::ios::binary) << intensities;
        const QJsonObject refused = replay(*window, dialogs_,
                                           "answer \"" + path("intensity.csv").toStdString() +
                                               "\"\nbutton butImportPrecipFrequency\ndump\n")
                                        .dumps.at(0);
        QCOMPARE(messages(refused), QStringList{QStringLiteral(
                                        "\"intensity.csv\" holds precipitation intensities (in/hr), not "
                                        "depths. Download the table of precipitation depths for the point "
                                        "and import that.")});
        unchanged(refused);

        // A table whose 24-hour depth is below its 12-hour one is refused; the storm in the boxes stays.
        std::string falling = readAll(QString::fromStdString(fixture()));
        falling.replace(falling.find("10.5,12.1,13.7"), 14, "10.5,2.1,13.7");
        std::ofstream(path("falling.csv").toStdString(), std::ios::binary) << falling;
        const QJsonObject fell = replay(*window, dialogs_,
                                        "answer \"" + path("falling.csv").toStdString() +
                                            "\"\nbutton butImportPrecipFrequency\ndump\n")
                                     .dumps.at(0);
        QCOMPARE(messages(fell), QStringList{QStringLiteral(
                                     "falling.csv, line 24: the 24-hr 100-year depth \"2.1\" is below the "
                                     "12-hr depth \"10.1\" (line 23): a depth cannot fall as the duration "
                                     "grows.")});
        unchanged(fell);

        // A 10-year 6-hour storm; the next import's dialog starts from that choice.
        const QJsonObject six =
            replay(*window, dialogs_, "storm returnperiod 10\nstorm hours 6\n" + importFile).dumps.at(0);
        QCOMPARE(storm(six), (QStringList{"0.083333336=0.822", "0.16666667=1.20", "0.25=1.47", "0.5=2.37",
                                          "1=3.13", "2=3.90", "3=4.30", "6=5.18",
                                          "NOAA Atlas 14 Volume 9 Version 2, 26.6 N 81.9 W, 10-year"}));
        const QJsonObject again = replay(*window, dialogs_, importFile).dumps.at(0);
        QCOMPARE(storm(again), storm(six));
        QCOMPARE(again["StormTable"]["returnPeriod"].toInt(), 10);
        QCOMPARE(again["StormTable"]["hours"].toDouble(), 6.0);
    }
};

QTEST_MAIN(StormImportTest)
#include "storm_import_test.moc"

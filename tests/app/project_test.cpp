// Project files through the real windows: a session saved and opened again in a fresh window comes back
// as it was; damaged, newer and foreign files are refused without a change; a save replaces the file
// whole; unsaved changes are asked about, and only then.
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
#include "app/project_file.hpp"
#include "app/runoff_window.hpp"
#include "app/script_runner.hpp"
#include "common/program_folder.hpp"
#include "support/shown_window.hpp"

using brelvo::app::MainWindow;
using brelvo::app::RunoffWindow;
using brelvo::app::ScriptDialogs;
using brelvo::app::ScriptRunner;

namespace {

// A traced basin on the example map, zoomed once, with a label, and the runoff window filled in by
// hand: a typed lag with the automatic step off, titles, a storm depth and the triangle unit graph.
const char* const kSession = R"(resize 800 600
menu "Load/Save Map"
answer "PICTURE"
picture "Load Map File"
menu "Set Scale"
click 1000 5000
click 4000 5000
choose Option1 0
type Text2 "1"
button Command1
menu "Start Area"
click 1000 1000
click 4000 1000
click 4000 4000
click 1000 4000
menu "End Area/Line"
menu "Start Stream Line"
click 1500 1500
click 2500 2500
click 3500 2500
menu "End Area/Line"
menu "Add Label"
click 5000 1200
panzoom in
menu "Runoff Hydrogaph"
type txtelv1 "2000"
leave txtelv1
type txtElv2 "1000"
leave txtElv2
check chkAutoTimeStep off
type txtLag "2"
leave txtLag
type txtTitle "Creek at the mill"
type txtDuration(1) "6"
type txtRain(1) "2.5"
check chkAreaAdj on
choose ComboDimgraph "Triangle Unit Graph"
)";

struct Run {
    int status = -1;
    std::vector<QJsonObject> dumps;
    std::string text;
};

Run replay(MainWindow& window, ScriptDialogs& dialogs, const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out, err;
    ScriptRunner runner(window, dialogs, out, err);
    Run run;
    run.status = runner.run(in, "project_test");
    run.text = out.str();
    std::istringstream lines(run.text);
    for (std::string line; std::getline(lines, line);) {
        const auto doc = QJsonDocument::fromJson(QByteArray::fromStdString(line));
        if (doc.isObject()) run.dumps.push_back(doc.object());
    }
    return run;
}

// The parts of a dump a reopened project must show exactly as they were saved.
QJsonObject kept(const QJsonObject& dump) {
    const QJsonObject form1 = dump["Form1"].toObject(), form3 = dump["Form3"].toObject();
    return QJsonObject{{"MeasureState", dump["MeasureState"]},
                       {"Text1.text", form1["Text1"].toObject()["text"]},
                       {"Line1", form1["Line1"]},
                       {"Label1", form1["Label1"]},
                       {"Image1", form1["Image1"]},
                       {"caption", form1["caption"]},
                       {"fields", form3["fields"]},
                       {"lists", form3["lists"]},
                       {"checks", form3["checks"]},
                       {"captions", form3["captions"]}};
}

std::string readAll(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeAll(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

}  // namespace

class ProjectTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    ScriptDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    std::string session() const {
        std::string s = kSession;
        s.replace(s.find("PICTURE"), 7, path("map.png").toStdString());
        return s;
    }
    std::unique_ptr<MainWindow> freshWindow() { return brelvo::testing::shownMainWindow(dialogs_); }

  private slots:
    void init() {
        QVERIFY(dir_.isValid());
        QFile::remove(path("map.png"));
        QVERIFY(QFile::copy(QString::fromStdString(brelvo::common::programFolder() + "/example_map.png"),
                            path("map.png")));
        window_ = freshWindow();
        dialogs_.takeMessages();
    }
    void cleanup() { window_.reset(); }

    void savedProjectOpensAsItWasInAFreshWindow() {
        const Run before = replay(*window_, dialogs_, session() + "dump\n");
        QCOMPARE(before.status, 0);
        QVERIFY(window_->project().projectModified());
        const Run saved = replay(
            *window_, dialogs_,
            "answer \"" + path("basin").toStdString() + "\"\naction \"File/Save Project As...\"\ndump\n");
        QCOMPARE(saved.status, 0);
        // Typed without an extension, the name gets ".brelvo".
        QVERIFY(QFile::exists(path("basin.brelvo")));
        QCOMPARE(QString::fromStdString(window_->project().projectPath()), path("basin.brelvo"));
        QVERIFY(!window_->project().projectModified());
        QCOMPARE(saved.dumps.at(0)["messages"].toArray().size(), 0);

        // The picture lies beside the project: its path is kept relative.
        const auto file = QJsonDocument::fromJson(QByteArray::fromStdString(readAll(path("basin.brelvo"))));
        QCOMPARE(file["format"].toString(), QStringLiteral("brelvo-project"));
        QCOMPARE(file["version"].toInt(), 1);
        QCOMPARE(file["picturePath"].toString(), QStringLiteral("map.png"));

        auto reopened = freshWindow();
        const Run opened = replay(
            *reopened, dialogs_,
            "answer \"" + path("basin.brelvo").toStdString() + "\"\naction \"File/Open Project...\"\ndump\n");
        QCOMPARE(opened.status, 0);
        const QJsonObject after = opened.dumps.at(0);
        QCOMPARE(after["messages"].toArray().size(), 0);
        QCOMPARE(kept(after), kept(before.dumps.at(0)));
        // The values a hydrologist reads, spelled out.
        QCOMPARE(after["Form3"]["fields"]["txtLag"].toString(), QStringLiteral("2"));
        QCOMPARE(after["Form3"]["fields"]["txtTitle"].toString(), QStringLiteral("Creek at the mill"));
        QCOMPARE(after["Form3"]["lists"]["ComboDimgraph"].toString(), QStringLiteral("Triangle Unit Graph"));
        QCOMPARE(after["Form3"]["checks"]["chkAutoTimeStep"].toBool(), false);
        QCOMPARE(after["Form3"]["checks"]["chkAreaAdj"].toBool(), true);
        QVERIFY(!reopened->project().projectModified());
        QVERIFY(reopened->windowTitle().startsWith(QStringLiteral("basin.brelvo[*] - ")));

        // A picture that has gone: the project opens without it, says so, offers to locate it (declined
        // here) and keeps the measurement.
        QVERIFY(QFile::remove(path("map.png")));
        auto third = freshWindow();
        QVERIFY(third->project().openProjectFile(path("basin.brelvo").toStdString()));
        const auto messages = dialogs_.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QCOMPARE(
            QString::fromStdString(messages[0]),
            QStringLiteral("The map picture \"%1\" was not found. The project opens without it; its "
                           "measurements are kept.\nChoose \"Locate Picture...\" to show the picture from "
                           "where it is now (or later, from the File menu); every line, label and "
                           "measurement stays.")
                .arg(path("map.png")));
        QCOMPARE(third->measureState().areaText, window_->measureState().areaText);
        QCOMPARE(third->measureState().streamLengthText, window_->measureState().streamLengthText);
    }

    void importedTemporalPatternComesBackWithTheProject() {
        const std::string file = brelvo::common::programFolder() + "/e2e_fixtures/sample_6h_temporal.csv";
        const Run ran = replay(*window_, dialogs_,
                               "menu \"Runoff Hydrogaph\"\nanswer \"" + file +
                                   "\"\nbutton Form3.butTemporal\ntemporal section \"ALL CASES\"\n"
                                   "temporal probability \"50%\"\ntemporal ok\ndump\n");
        QCOMPARE(ran.status, 0);
        const QJsonObject kept = ran.dumps.at(0)["Form3"].toObject()["temporalPattern"].toObject();
        QCOMPARE(kept["section"].toString(), QStringLiteral("ALL CASES"));
        QCOMPARE(kept["percents"].toArray(), (QJsonArray{0, 10, 28, 50, 72, 90, 100}));
        QVERIFY(window_->project().saveProjectFile(path("temporal.brelvo").toStdString()));
        auto reopened = freshWindow();
        QVERIFY(reopened->project().openProjectFile(path("temporal.brelvo").toStdString()));
        QCOMPARE(replay(*reopened, dialogs_, "dump\n")
                     .dumps.at(0)["Form3"]
                     .toObject()["temporalPattern"]
                     .toObject(),
                 kept);
        QVERIFY(!reopened->project().projectModified());

        // A pattern whose percents fall is refused by name, as an imported file's would be.
        QJsonObject saved =
            QJsonDocument::fromJson(QByteArray::fromStdString(readAll(path("temporal.brelvo")))).object();
        QJsonObject runoff = saved["runoff"].toObject();
        QJsonObject pattern = runoff["temporalPattern"].toObject();
        pattern["percents"] = QJsonArray{0, 10, 28, 20, 72, 90, 100};
        runoff["temporalPattern"] = pattern;
        saved["runoff"] = runoff;
        writeAll(path("spoiled.brelvo"), QJsonDocument(saved).toJson().toStdString());
        dialogs_.takeMessages();
        QVERIFY(!reopened->project().openProjectFile(path("spoiled.brelvo").toStdString()));
        const auto messages = dialogs_.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY2(messages[0].find("runoff.temporalPattern.percents") != std::string::npos &&
                     messages[0].find("falls below the row above") != std::string::npos,
                 messages[0].c_str());
    }

    void keptFilesComeBackWithTheProject() {
        // The storm file lies below the project's folder, the storage file beside that folder.
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("job/storms")));
        QFile::remove(path("job/storms/storm.STM"));
        QVERIFY(QFile::copy(QString::fromStdString(brelvo::common::programFolder() + "/example_storm.STM"),
                            path("job/storms/storm.STM")));
        writeAll(path("pond.RAT"), "Pond\n3\n100,0,0\n101,100,50\n102,400,250\n");
        const std::string storm = path("job/storms/storm.STM").toStdString(),
                          pond = path("pond.RAT").toStdString();
        const auto keptFiles = [](const QJsonObject& dump) {
            const QJsonObject state = dump["RunoffState"].toObject();
            return state["stormFile"].toString().toStdString() + "|" +
                   state["storageFile"].toString().toStdString();
        };
        const Run ran =
            replay(*window_, dialogs_,
                   "menu \"Runoff Hydrogaph\"\ntype txtCNloss \"0\"\nchoose ComboRain \"Storm File\"\n"
                   "choose ComboDimgraph \"Triangle Unit Graph\"\nanswer \"" +
                       storm +
                       "\"\nbutton Form3.Command1\nbutton butRoute\nchoose optRouteType 0\n"
                       "answer \"" +
                       pond + "\"\nbutton Command4\ndump\n");
        QCOMPARE(ran.status, 0);
        QCOMPARE(ran.dumps.at(0)["messages"].toArray().size(), 0);
        QCOMPARE(keptFiles(ran.dumps.at(0)), storm + "|" + pond);
        QVERIFY(window_->project().saveProjectFile(path("job/kept.brelvo").toStdString()));
        const QJsonObject file =
            QJsonDocument::fromJson(QByteArray::fromStdString(readAll(path("job/kept.brelvo")))).object();
        QJsonObject runoff = file["runoff"].toObject();
        QCOMPARE(runoff["stormFile"].toString(), QStringLiteral("storms/storm.STM"));
        QCOMPARE(runoff["storageFile"].toString(), path("pond.RAT"));

        // Opened in a fresh window: both are back.
        auto reopened = freshWindow();
        QVERIFY(reopened->project().openProjectFile(path("job/kept.brelvo").toStdString()));
        QCOMPARE(keptFiles(replay(*reopened, dialogs_, "dump\n").dumps.at(0)), storm + "|" + pond);
        QVERIFY(!reopened->project().projectModified());

        // A project written before the files were kept opens with none.
        runoff.remove(QStringLiteral("stormFile"));
        runoff.remove(QStringLiteral("storageFile"));
        QJsonObject older = file;
        older["runoff"] = runoff;
        writeAll(path("job/older.brelvo"), QJsonDocument(older).toJson().toStdString());
        QVERIFY(reopened->project().openProjectFile(path("job/older.brelvo").toStdString()));
        const QJsonObject opened = replay(*reopened, dialogs_, "dump\n").dumps.at(0);
        QCOMPARE(opened["messages"].toArray().size(), 0);
        QCOMPARE(keptFiles(opened), std::string("|"));
        QCOMPARE(opened["Form3"]["fields"]["txtCNloss"].toString(), QStringLiteral("0"));

        // New Project forgets them.
        QVERIFY(reopened->project().openProjectFile(path("job/kept.brelvo").toStdString()));
        QVERIFY(reopened->project().newProject());
        QCOMPARE(keptFiles(replay(*reopened, dialogs_, "menu \"Runoff Hydrogaph\"\ndump\n").dumps.at(0)),
                 std::string("|"));
    }

    void refusedFilesChangeNothing() {
        QCOMPARE(replay(*window_, dialogs_, session()).status, 0);
        QVERIFY(window_->project().saveProjectFile(path("good.brelvo").toStdString()));
        QCOMPARE(replay(*window_, dialogs_, "menu \"Start Area\"\nclick 2000 2000\n").status, 0);
        const std::string good = readAll(path("good.brelvo"));

        std::string newer = good;
        newer.replace(newer.find("\"version\": 1"), 12, "\"version\": 7");
        std::string wrongValue = good;
        wrongValue.replace(wrongValue.find("\"scaleX\": "), 10, "\"scaleX\": \"a\", \"x\": ");
        std::string labelless = good;
        labelless.replace(labelless.find("\"measureNumber\": 1"), 18, "\"measureNumber\": 9");
        std::string unknownField = good;
        unknownField.replace(unknownField.find("\"txtLag\""), 8, "\"txtLagg\"");
        struct Case {
            const char* name;
            std::string bytes;
            const char* problem;
        };
        const std::vector<Case> cases{
            {"cut.brelvo", good.substr(0, good.size() / 2), "the file is damaged ("},
            {"newer.brelvo", newer,
             "it was written in format version 7 by a newer program; this one reads format version 1 and "
             "older. Nothing was changed."},
            {"picture.brelvo",
             readAll(QString::fromStdString(brelvo::common::programFolder() + "/example_map.png")),
             "it is not a project file. Nothing was changed."},
            {"value.brelvo", wrongValue,
             "the value \"measureState.scaleX\" is not a number. Nothing was changed."},
            {"label.brelvo", labelless,
             "the value \"measureState.measureNumber\" names a label the file does not hold. Nothing was "
             "changed."},
            {"field.brelvo", unknownField,
             "it names a runoff window control that does not exist. Nothing was changed."},
        };
        dialogs_.takeMessages();
        const Run before = replay(*window_, dialogs_, "dump\n");
        for (const auto& c : cases) {
            writeAll(path(c.name), c.bytes);
            QVERIFY2(!window_->project().openProjectFile(path(c.name).toStdString()), c.name);
            const auto messages = dialogs_.takeMessages();
            QCOMPARE(messages.size(), std::size_t{1});
            const QString expectedStart = QStringLiteral("The project \"%1\" cannot be opened: %2")
                                              .arg(path(c.name), QString::fromLatin1(c.problem));
            QVERIFY2(QString::fromStdString(messages[0]).startsWith(expectedStart), messages[0].c_str());
            QCOMPARE(QString::fromStdString(window_->project().projectPath()), path("good.brelvo"));
            QVERIFY(window_->project().projectModified());
        }
        const Run after = replay(*window_, dialogs_, "dump\n");
        QCOMPARE(after.dumps.at(0), before.dumps.at(0));
    }

    // Files with absurd values, which opened into failures at every later action, and paths that are no
    // regular file (read without end before) are refused by name, changing nothing.
    void absurdFilesAndDevicesAreRefusedByName() {
        QCOMPARE(replay(*window_, dialogs_, session()).status, 0);
        QVERIFY(window_->project().saveProjectFile(path("good.brelvo").toStdString()));
        const std::string good = readAll(path("good.brelvo"));
        // The text of `good` with the value of `key` after `within` replaced.
        const auto with = [&](const std::string& within, const std::string& key, const std::string& value) {
            std::string bytes = good;
            const std::size_t at = bytes.find("\"" + key + "\": ", bytes.find(within));
            const std::size_t from = at + key.size() + 4;
            bytes.replace(from, bytes.find_first_of(",\n", from) - from, value);
            return bytes;
        };
        const std::vector<std::pair<std::string, std::string>> cases{
            {with("\"format\"", "version", "1e300"),
             "it was written in format version 1E+300 by a newer program; this one reads format version 1 "
             "and "
             "older. Nothing was changed."},
            {with("\"view\"", "width", "0"), "the value \"view.width\" is not above 0. Nothing was changed."},
            {with("\"view\"", "height", "3e38"),
             "the value \"view.height\" is out of range. Nothing was changed."},
            {with("\"measureState\"", "segmentIndex", "0"),
             "the value \"measureState.segmentIndex\" is below the segments the file holds. Nothing was "
             "changed."},
        };
        std::vector<std::pair<QString, std::string>> refused;
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const QString name = dir_.filePath(QStringLiteral("absurd%1.brelvo").arg(i));
            writeAll(name, cases[i].first);
            refused.emplace_back(name, cases[i].second);
        }
        const std::string notRegular =
            "it is not a regular file (a folder, a device or a pipe). Nothing was changed.";
        refused.emplace_back(QStringLiteral("/dev/zero"), notRegular);
        refused.emplace_back(dir_.path(), notRegular);
        dialogs_.takeMessages();
        for (const auto& [name, problem] : refused) {
            QVERIFY2(!window_->project().openProjectFile(name.toStdString()), qPrintable(name));
            const auto messages = dialogs_.takeMessages();
            QCOMPARE(messages.size(), std::size_t{1});
            QCOMPARE(QString::fromStdString(messages[0]),
                     QStringLiteral("The project \"%1\" cannot be opened: %2")
                         .arg(name, QString::fromStdString(problem)));
            QCOMPARE(QString::fromStdString(window_->project().projectPath()), path("good.brelvo"));
        }
    }

    void saveReplacesTheFileWhole() {
        QCOMPARE(replay(*window_, dialogs_, session()).status, 0);
        QVERIFY(window_->project().saveProjectFile(path("whole.brelvo").toStdString()));
        const std::string first = readAll(path("whole.brelvo"));
        // A second name for the old file: a save that wrote into the file in place would change it too.
        std::filesystem::remove(path("old_link").toStdString());
        std::filesystem::create_hard_link(path("whole.brelvo").toStdString(), path("old_link").toStdString());
        QCOMPARE(replay(*window_, dialogs_, "type txtTitle \"Second title\"\n").status, 0);
        QVERIFY(window_->project().projectModified());
        QVERIFY(window_->project().saveProject());
        QCOMPARE(readAll(path("old_link")), first);
        QVERIFY(readAll(path("whole.brelvo")).find("Second title") != std::string::npos);
        // Nothing is left behind beside it.
        const QStringList left =
            QDir(dir_.path()).entryList({QStringLiteral("whole*")}, QDir::Files | QDir::Hidden);
        QCOMPARE(left, QStringList{QStringLiteral("whole.brelvo")});
        dialogs_.takeMessages();
        // A save into a folder that does not exist fails with a message and keeps the project's file.
        QVERIFY(!window_->project().saveProjectFile(path("nowhere/x.brelvo").toStdString()));
        QCOMPARE(dialogs_.takeMessages().size(), std::size_t{1});
        QCOMPARE(QString::fromStdString(window_->project().projectPath()), path("whole.brelvo"));
    }

    void projectKeysWorkFromTheRunoffWindow() {
        // The program's own window, with its menu bar and the keys of its entries.
        auto shown = std::make_unique<MainWindow>(dialogs_, MainWindow::MenuBar::Shown);
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        QCOMPARE(replay(*shown, dialogs_, "menu \"Runoff Hydrogaph\"\ntype txtTitle \"Keyed\"\n").status, 0);
        RunoffWindow* runoff = shown->runoffWindow();
        runoff->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(runoff));
        dialogs_.queueAnswer(path("keyed").toStdString());
        QTest::keyClick(runoff, Qt::Key_S, Qt::ControlModifier);
        QVERIFY(QFile::exists(path("keyed.brelvo")));
        QVERIFY(readAll(path("keyed.brelvo")).find("Keyed") != std::string::npos);
        QVERIFY(!shown->project().projectModified());
    }

    void unsavedChangesAreAskedAboutOnlyWhenThereAreAny() {
        int asked = 0;
        brelvo::app::ProjectController::UnsavedAnswer answer =
            brelvo::app::ProjectController::UnsavedAnswer::Cancel;
        window_->project().askUnsaved = [&](const std::string& question) {
            ++asked;
            if (question != "Save the changes to \"Untitled\" before closing it?" &&
                question != "Save the changes to \"ask.brelvo\" before closing it?")
                qWarning("unexpected question %s", question.c_str());
            return answer;
        };
        // Nothing done yet: no question.
        QVERIFY(window_->project().newProject());
        QCOMPARE(asked, 0);
        QCOMPARE(replay(*window_, dialogs_, session()).status, 0);
        QCOMPARE(replay(*window_, dialogs_, "title\n").text,
                 "Untitled* - " + window_->document().controls().caption + "\n");

        // Cancel: the work stays.
        const std::string area = window_->measureState().areaText;
        QVERIFY(!area.empty());
        QVERIFY(!window_->project().newProject());
        QCOMPARE(asked, 1);
        QCOMPARE(window_->measureState().areaText, area);
        QVERIFY(!window_->close());
        QCOMPARE(asked, 2);
        QVERIFY(window_->isVisible());

        // Save: the untitled project asks for a name, then goes on.
        answer = brelvo::app::ProjectController::UnsavedAnswer::Save;
        dialogs_.queueAnswer(path("ask.brelvo").toStdString());
        QVERIFY(window_->project().newProject());
        QCOMPARE(asked, 3);
        QCOMPARE(replay(*window_, dialogs_, "title\n").text,
                 "Untitled - " + window_->document().controls().caption + "\n");
        QVERIFY(QFile::exists(path("ask.brelvo")));
        QVERIFY(window_->measureState().areaText.empty());
        QVERIFY(window_->runoffWindow() == nullptr);

        // Opened and left as it was: no question.
        QVERIFY(window_->project().openProjectFile(path("ask.brelvo").toStdString()));
        QCOMPARE(window_->measureState().areaText, area);
        QVERIFY(window_->project().newProject());
        QCOMPARE(asked, 3);

        // Discard: the changes are dropped, the file keeps what was saved.
        QVERIFY(window_->project().openProjectFile(path("ask.brelvo").toStdString()));
        QCOMPARE(replay(*window_, dialogs_, "type txtTitle \"Changed\"\ntitle\n").text,
                 "ask.brelvo* - " + window_->document().controls().caption + "\n");
        answer = brelvo::app::ProjectController::UnsavedAnswer::Discard;
        QVERIFY(window_->project().newProject());
        QCOMPARE(asked, 4);
        QVERIFY(readAll(path("ask.brelvo")).find("Changed") == std::string::npos);
    }
};

QTEST_MAIN(ProjectTest)
#include "project_test.moc"

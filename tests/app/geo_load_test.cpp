// Georeferenced map pictures through the real window: the program links neither GDAL nor PROJ and a
// plain picture never loads the geodata plugin; a web map capture pasted from the clipboard brings its
// georeference; a project keeps the georeference and opens without reading the world file again.
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QMimeData>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <sstream>

#include "app/geo_plugin.hpp"
#include "app/main_window.hpp"
#include "app/map_picture_georef.hpp"
#include "app/script_runner.hpp"
#include "common/program_folder.hpp"
#include "support/shown_window.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;
using brelvo::app::ScriptRunner;
namespace measure = brelvo::measure;

namespace {

int replay(MainWindow& window, ScriptDialogs& dialogs, const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out, err;
    ScriptRunner runner(window, dialogs, out, err);
    return runner.run(in, "geo_load_test");
}

std::string loadLines(const QString& picture) {
    return "menu \"Load/Save Map\"\nanswer \"" + picture.toStdString() + "\"\npicture \"Load Map File\"\n";
}

}  // namespace

class GeoLoadTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    ScriptDialogs dialogs_;

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    std::unique_ptr<MainWindow> freshWindow() { return brelvo::testing::shownMainWindow(dialogs_); }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QProcess make;
        make.start(QStringLiteral(BRELVO_CMAKE_COMMAND),
                   {QStringLiteral("-DOUT=") + dir_.path(), QStringLiteral("-P"),
                    QStringLiteral(BRELVO_GEO_FIXTURES_SCRIPT)});
        QVERIFY(make.waitForFinished(60000));
        QVERIFY2(make.exitCode() == 0, make.readAllStandardError().constData());
    }

    // Runs first: nothing before it may have loaded the plugin in this process.
    void plainPicturesNeverLoadTheGeodataSupport() {
        QProcess ldd;
        ldd.start(QStringLiteral("ldd"),
                  {QString::fromStdString(brelvo::common::programFolder() + "/brelvo")});
        QVERIFY(ldd.waitForFinished(30000));
        const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
        QVERIFY2(libraries.contains(QStringLiteral("libQt6Core")), qPrintable(libraries));
        QVERIFY2(!libraries.contains(QStringLiteral("libgdal")), qPrintable(libraries));
        QVERIFY2(!libraries.contains(QStringLiteral("libproj")), qPrintable(libraries));

        auto window = freshWindow();
        QVERIFY(!brelvo::app::geoServicesLoaded());
        const QString plain = QString::fromStdString(brelvo::common::programFolder() + "/example_map.png");
        QCOMPARE(replay(*window, dialogs_, loadLines(plain)), 0);
        QVERIFY(window->pictureHost().picturePath() == plain.toStdString());
        QVERIFY(!window->document().georeference());
        QVERIFY(!brelvo::app::geoServicesLoaded());
        // A PNG with a world file beside it does.
        QCOMPARE(replay(*window, dialogs_, loadLines(path("merc_40n.png"))), 0);
        QVERIFY(brelvo::app::geoServicesLoaded());
        QVERIFY(window->document().georeference());
    }

    void aWebMapCaptureIsPastedWithItsGeoreference() {
        auto window = freshWindow();
        QImage capture(400, 300, QImage::Format_RGB32);
        capture.fill(Qt::darkGreen);
        const std::array<double, 6> g{-11690457.459000856, 4.777314267823516, 0, 4867375.473783522, 0,
                                      -4.777314267823516};
        auto* mime = new QMimeData;
        mime->setImageData(capture);
        mime->setData(QString::fromLatin1(brelvo::app::kGeoreferenceMimeType),
                      brelvo::app::webMapGeoreferenceJson(g));
        QGuiApplication::clipboard()->setMimeData(mime);
        const std::string paste = "menu \"Load/Save Map\"\npicture \"Paste From Clipboard\"\n";
        QCOMPARE(replay(*window, dialogs_, paste), 0);
        const auto& georef = window->document().georeference();
        QVERIFY(georef);
        QCOMPARE(georef->geotransform, g);
        QCOMPARE(georef->crs, std::string("EPSG:3857"));
        QCOMPARE(georef->source, measure::GeorefSource::WebMap);
        QVERIFY(georef->systemKnown());
        QVERIFY2(georef->wkt.find("Pseudo-Mercator") != std::string::npos, georef->wkt.c_str());

        // A plain picture on the clipboard, and a georeference that is none (a flat geotransform), bring
        // none, and the previous one goes.
        QGuiApplication::clipboard()->setImage(capture);
        QCOMPARE(replay(*window, dialogs_, paste), 0);
        QVERIFY(!window->document().georeference());
        mime = new QMimeData;
        mime->setImageData(capture);
        mime->setData(QString::fromLatin1(brelvo::app::kGeoreferenceMimeType),
                      brelvo::app::webMapGeoreferenceJson({0, 1, 0, 0, 0, 0}));
        QGuiApplication::clipboard()->setMimeData(mime);
        QCOMPARE(replay(*window, dialogs_, paste), 0);
        QVERIFY(!window->document().georeference());
        QVERIFY(dialogs_.takeMessages().empty());
    }

    void aProjectKeepsTheGeoreferenceWithoutReadingTheWorldFileAgain() {
        auto window = freshWindow();
        QCOMPARE(replay(*window, dialogs_, loadLines(path("merc_40n.png"))), 0);
        const std::optional<measure::Georeference> loaded = window->document().georeference();
        QVERIFY(loaded);
        QCOMPARE(loaded->source, measure::GeorefSource::WorldFile);
        // The world file gives the upper-left pixel's centre; the georeference holds its corner.
        QCOMPARE(loaded->geotransform, (std::array<double, 6>{-11690000, 13, 0, 4867000, 0, -13}));
        QCOMPARE(loaded->crs, std::string("EPSG:3857"));
        QCOMPARE(replay(*window, dialogs_,
                        "answer \"" + path("merc.brelvo").toStdString() +
                            "\"\naction \"File/Save Project As...\"\n"),
                 0);
        // A world file that changed since (here: damaged) is not read again: the project's georeference
        // is the one the user worked on.
        QFile world(path("merc_40n.pgw"));
        QVERIFY(world.open(QIODevice::WriteOnly | QIODevice::Truncate));
        world.write("damaged\n");
        world.close();
        QCOMPARE(replay(*window, dialogs_, "action \"File/New Project\"\n"), 0);
        QVERIFY(!window->document().georeference());
        dialogs_.takeMessages();

        auto reopened = freshWindow();
        QCOMPARE(
            replay(*reopened, dialogs_,
                   "answer \"" + path("merc.brelvo").toStdString() + "\"\naction \"File/Open Project...\"\n"),
            0);
        QVERIFY(reopened->document().georeference());
        QCOMPARE(*reopened->document().georeference(), *loaded);
        QVERIFY(dialogs_.takeMessages().empty());
    }

    void aDamagedWorldFileIsRefusedByName() {
        auto window = freshWindow();
        QCOMPARE(replay(*window, dialogs_, loadLines(path("utm_quad.tif"))), 0);
        const auto before = window->document().georeference();
        QVERIFY(before);
        dialogs_.takeMessages();
        QCOMPARE(replay(*window, dialogs_, loadLines(path("bad_scan.png"))), 0);
        const std::vector<std::string> messages = dialogs_.takeMessages();
        QCOMPARE(messages.size(), std::size_t{1});
        QVERIFY2(messages[0].find("bad_scan.pgw") != std::string::npos, messages[0].c_str());
        QCOMPARE(window->pictureHost().picturePath(), path("utm_quad.tif").toStdString());
        QCOMPARE(window->document().georeference(), before);
    }
};

QTEST_MAIN(GeoLoadTest)
#include "geo_load_test.moc"

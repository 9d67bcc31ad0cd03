// Elevation models through the real window: shown as the map without a picture (what the file does not
// say asked), refused on a map without a georeference, placed through WGS 84 on a map of another system,
// kept in projects (a missing file said by name) and cleared by a new project; over a map in another
// system the relief is placed behind a progress dialog whose Cancel leaves nothing, and is kept in the
// cache folder for the next open of the same files.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <cmath>
#include <filesystem>
#include <functional>
#include <sstream>

#include "app/elevation_layer.hpp"
#include "app/elevation_overlay.hpp"
#include "app/geo_plugin.hpp"
#include "app/main_window.hpp"
#include "app/script_runner.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "support/shown_window.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;
using brelvo::app::ScriptRunner;
namespace measure = brelvo::measure;
namespace terrain = brelvo::terrain;
namespace msg = brelvo::common::msg;

namespace {

int replay(MainWindow& window, ScriptDialogs& dialogs, const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out, err;
    ScriptRunner runner(window, dialogs, out, err);
    const int result = runner.run(in, "elevation_window_test");
    if (result != 0) qWarning("%s", err.str().c_str());
    return result;
}

void writeFile(const QString& path, const std::string& text) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

// 4 x 3 cells of 30 m in UTM zone 13N from (500000, 4500090) at the upper-left corner; one NoData cell.
const std::string kGrid =
    "ncols 4\nnrows 3\nxllcorner 500000\nyllcorner 4500000\ncellsize 30\nNODATA_value -9999\n"
    "1210.5 1200 1190 1185\n"
    "1205 1195.25 -9999 1180\n"
    "1200 1190 1180 1170.75\n";

// 200 x 200 cells of 30 m in UTM zone 13N from (500000, 4500000) at the lower-left corner: a slope.
std::string ridgeGrid() {
    std::string text = "ncols 200\nnrows 200\nxllcorner 500000\nyllcorner 4500000\ncellsize 30\n";
    for (int row = 0; row < 200; ++row) {
        for (int column = 0; column < 200; ++column)
            text += std::to_string(1000 + 2 * row + column % 17) + (column < 199 ? " " : "\n");
    }
    return text;
}

// The ridge map: 600 x 600 pixels in longitude and latitude, 0.00015 degrees a pixel from (-105.01, 40.71),
// around the grid (which lies from about -105.0 to -104.93 and 40.65 to 40.70).
const std::array<double, 6> kRidgeMap{-105.01, 0.00015, 0, 40.71, 0, -0.00015};

// Watches the window's event loop for the dialog of the relief's placing; cancels it when asked to.
class PlacingWatch {
  public:
    PlacingWatch(QWidget& window, bool cancel) {
        // At every pass of the event loop, which the placing's dialog runs at least once.
        timer_.setInterval(0);
        QObject::connect(&timer_, &QTimer::timeout, [this, &window, cancel] {
            auto* dialog = window.findChild<QProgressDialog*>(QStringLiteral("placingElevation"));
            if (dialog == nullptr) return;
            seen_ = true;
            if (cancel) dialog->cancel();
        });
        timer_.start();
    }
    bool seen() const { return seen_; }

  private:
    QTimer timer_;
    bool seen_ = false;
};

// The overlays kept in the cache folder.
QStringList keptOverlays() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
                           QStringLiteral("/elevation-overlays");
    return QDir(folder).entryList({QStringLiteral("*.png")}, QDir::Files);
}

}  // namespace

class ElevationWindowTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    ScriptDialogs dialogs_;

    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    std::unique_ptr<MainWindow> freshWindow() { return brelvo::testing::shownMainWindow(dialogs_); }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        writeFile(path("valley.asc"), kGrid);
        // ESRI's WKT of UTM zone 13N (WGS 84), as GIS programs write it.
        writeFile(path("valley.prj"),
                  "PROJCS[\"WGS_1984_UTM_Zone_13N\",GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID["
                  "\"WGS_1984\",6378137.0,298.257223563]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0."
                  "0174532925199433]],PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"False_Easting\",500000."
                  "0],PARAMETER[\"False_Northing\",0.0],PARAMETER[\"Central_Meridian\",-105.0],PARAMETER["
                  "\"Scale_Factor\",0.9996],PARAMETER[\"Latitude_Of_Origin\",0.0],UNIT[\"Meter\",1.0]]");
        QVERIFY(brelvo::app::geoServices() != nullptr);
        writeFile(path("ridge.asc"), ridgeGrid());
        QVERIFY(QFile::copy(path("valley.prj"), path("ridge.prj")));
        QImage map(600, 600, QImage::Format_RGB32);
        map.fill(QColor(240, 235, 220));
        QVERIFY(map.save(path("ridge_map.png")));
        // The world file places the upper-left pixel's centre.
        writeFile(path("ridge_map.pgw"), "0.00015\n0\n0\n-0.00015\n-105.009925\n40.709925\n");
        writeFile(path("ridge_map.prj"), "EPSG:4326\n");
    }

    void withoutAMapTheModelIsTheMapAndItsUnitIsAsked() {
        auto window = freshWindow();
        const std::string grid = path("valley.asc").toStdString();
        // "yards" is no unit: asked again with the reason.
        QCOMPARE(replay(*window, dialogs_,
                        "answer \"" + grid +
                            "\"\nanswer yards\nanswer feet\naction \"Map/Open Elevation Model...\"\n"),
                 0);
        const std::vector<std::string> messages = dialogs_.takeMessages();
        QCOMPARE(messages.size(), std::size_t(2));
        QCOMPARE(messages[0], msg::elevationUnitPrompt(grid));
        QCOMPARE(messages[1], msg::notElevationUnit("yards") + "\n" + msg::elevationUnitPrompt(grid));
        const brelvo::app::ElevationLayer* layer = window->elevationLayer();
        QVERIFY(layer != nullptr);
        QVERIFY(layer->isMap());
        QCOMPARE(layer->model().unit, terrain::VerticalUnit::Foot);
        QCOMPARE(layer->model().georef.crs, std::string("EPSG:32613"));
        // The relief is the picture, one pixel a cell, georeferenced like the model: measured on the ground.
        QCOMPARE(window->renderer().size(), QSize(4, 3));
        const auto& georef = window->document().georeference();
        QVERIFY(georef);
        QCOMPARE(georef->geotransform, (std::array<double, 6>{500000, 30, 0, 4500090, 0, -30}));
        QCOMPARE(georef->crs, std::string("EPSG:32613"));
        QVERIFY(window->ground() != nullptr);
        // Heights under picture pixels; NoData and off the model give none.
        QCOMPARE(layer->elevationAtPicture(0.5, 0.5), std::optional<float>(1210.5f));
        QCOMPARE(layer->elevationAtPicture(1.9, 1.1), std::optional<float>(1195.25f));
        QCOMPARE(layer->elevationAtPicture(3.99, 2.99), std::optional<float>(1170.75f));
        QVERIFY(!layer->elevationAtPicture(2.5, 1.5));
        QVERIFY(!layer->elevationAtPicture(4.01, 0.5));
        QVERIFY(!layer->elevationAtPicture(-0.01, 0.5));
        const terrain::Cell cell{3, 1};
        QCOMPARE(layer->cellCentre(cell), (measure::MapPoint{500105, 4500045}));
        QCOMPARE(layer->cellAtPicture(3.5, 1.5), std::optional<terrain::Cell>(cell));

        // The project keeps the file and the unit given; opened again, nothing is asked.
        const std::string project = path("valley.brelvo").toStdString();
        QCOMPARE(
            replay(*window, dialogs_, "answer \"" + project + "\"\naction \"File/Save Project As...\"\n"), 0);
        QCOMPARE(replay(*window, dialogs_, "action \"File/New Project\"\n"), 0);
        QVERIFY(window->elevationLayer() == nullptr);
        QCOMPARE(replay(*window, dialogs_, "answer \"" + project + "\"\naction \"File/Open Project...\"\n"),
                 0);
        QVERIFY(dialogs_.takeMessages().empty());
        QVERIFY(window->elevationLayer() != nullptr);
        QVERIFY(window->elevationLayer()->isMap());
        QCOMPARE(window->elevationLayer()->model().unit, terrain::VerticalUnit::Foot);
        QCOMPARE(window->renderer().size(), QSize(4, 3));
        QCOMPARE(window->document().georeference()->geotransform, georef->geotransform);

        // Without its file the project opens without the model and says which file is missing.
        QVERIFY(QFile::rename(path("valley.asc"), path("valley.moved")));
        QCOMPARE(replay(*window, dialogs_,
                        "action \"File/New Project\"\nanswer \"" + project +
                            "\"\naction \"File/Open Project...\"\n"),
                 0);
        QVERIFY(QFile::rename(path("valley.moved"), path("valley.asc")));
        const auto missing = dialogs_.takeMessages();
        QCOMPARE(missing.size(), std::size_t(1));
        QCOMPARE(missing[0], msg::projectElevationMissing(grid, msg::kElevationFileMissing));
        QVERIFY(window->elevationLayer() == nullptr);

        // A folder in its place, and a link that leads to itself, are said as what they are.
        const auto openWith = [&](const std::function<void()>& put) {
            QVERIFY(QFile::rename(path("valley.asc"), path("valley.moved")));
            put();
            QCOMPARE(replay(*window, dialogs_,
                            "action \"File/New Project\"\nanswer \"" + project +
                                "\"\naction \"File/Open Project...\"\n"),
                     0);
            std::filesystem::remove(grid);
            QVERIFY(QFile::rename(path("valley.moved"), path("valley.asc")));
        };
        openWith([&] { std::filesystem::create_directory(grid); });
        QCOMPARE(dialogs_.takeMessages(),
                 std::vector<std::string>{msg::projectElevationMissing(grid, msg::kElevationFileIsFolder)});
        openWith([&] { std::filesystem::create_symlink(grid, grid); });
        QCOMPARE(dialogs_.takeMessages(),
                 std::vector<std::string>{msg::projectElevationMissing(grid, msg::kElevationFileNotPlain)});
        QVERIFY(window->elevationLayer() == nullptr);
    }

    void aMapWithoutGeoreferenceIsRefused() {
        auto window = freshWindow();
        const std::string plain = brelvo::common::programFolder() + "/example_map.png";
        QCOMPARE(replay(*window, dialogs_,
                        "menu \"Load/Save Map\"\nanswer \"" + plain + "\"\npicture \"Load Map File\"\n" +
                            "action \"Map/Open Elevation Model...\"\n"),
                 0);
        const auto messages = dialogs_.takeMessages();
        QCOMPARE(messages.size(), std::size_t(1));
        QCOMPARE(messages[0], std::string(msg::kElevationNeedsGeoreference));
        QVERIFY(window->elevationLayer() == nullptr);
    }

    void overAMapInAnotherSystemTheReliefIsPlacedBehindAProgressDialogAndKept() {
        auto window = freshWindow();
        QCOMPARE(replay(*window, dialogs_,
                        "menu \"Load/Save Map\"\nanswer \"" + path("ridge_map.png").toStdString() +
                            "\"\npicture \"Load Map File\"\n"),
                 0);
        QVERIFY(dialogs_.takeMessages().empty());
        QCOMPARE(window->document().georeference()->crs, std::string("EPSG:4326"));
        const std::string grid = path("ridge.asc").toStdString();
        const std::string open =
            "answer \"" + grid + "\"\nanswer feet\naction \"Map/Open Elevation Model...\"\n";
        QCOMPARE(keptOverlays().size(), 0);
        // Cancel: nothing opened, nothing said but the question asked before, nothing kept.
        {
            const PlacingWatch watch(*window, true);
            QCOMPARE(replay(*window, dialogs_, open), 0);
            QVERIFY(watch.seen());
        }
        QVERIFY(window->elevationLayer() == nullptr);
        QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{msg::elevationUnitPrompt(grid)});
        QCOMPARE(keptOverlays().size(), 0);
        {
            const PlacingWatch watch(*window, false);
            QCOMPARE(replay(*window, dialogs_, open), 0);
            QVERIFY(watch.seen());
        }
        QVERIFY(window->elevationLayer() != nullptr);
        QVERIFY(!window->elevationLayer()->sameSystem());
        QCOMPARE(keptOverlays().size(), 1);
        dialogs_.takeMessages();

        // The project opens with the relief kept: not placed again.
        const std::string project = path("ridge.brelvo").toStdString();
        QCOMPARE(
            replay(*window, dialogs_, "answer \"" + project + "\"\naction \"File/Save Project As...\"\n"), 0);
        auto reopened = freshWindow();
        const std::string openProject = "answer \"" + project + "\"\naction \"File/Open Project...\"\n";
        {
            const PlacingWatch watch(*reopened, false);
            QCOMPARE(replay(*reopened, dialogs_, openProject), 0);
            QVERIFY(!watch.seen());
        }
        QVERIFY(dialogs_.takeMessages().empty());
        QVERIFY(reopened->elevationLayer() != nullptr);
        QCOMPARE(reopened->elevationLayer()->model().width, 200);

        // The model's file changed since: placed again, and kept beside the first.
        QFile file(path("ridge.asc"));
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(
            file.setFileTime(QFileInfo(file).lastModified().addSecs(60), QFileDevice::FileModificationTime));
        file.close();
        // Cancelled while the project opens: it opens without the model, and says so.
        auto cancelled = freshWindow();
        {
            const PlacingWatch watch(*cancelled, true);
            QCOMPARE(replay(*cancelled, dialogs_, openProject), 0);
            QVERIFY(watch.seen());
        }
        QVERIFY(cancelled->elevationLayer() == nullptr);
        QCOMPARE(dialogs_.takeMessages(), std::vector<std::string>{msg::projectElevationMissing(
                                              grid, msg::kElevationPlacingCancelled)});
        QCOMPARE(keptOverlays().size(), 1);
        auto third = freshWindow();
        {
            const PlacingWatch watch(*third, false);
            QCOMPARE(replay(*third, dialogs_, openProject), 0);
            QVERIFY(watch.seen());
        }
        QVERIFY(third->elevationLayer() != nullptr);
        QCOMPARE(keptOverlays().size(), 2);
        dialogs_.takeMessages();
    }

    void aKeptReliefIsTheOnePlacedAndServesOnlyItsOwnKey() {
        auto services = brelvo::app::geoServices();
        std::string error;
        auto read = services->readElevationModel(path("ridge.asc").toStdString(), {}, error);
        QVERIFY2(read.has_value(), error.c_str());
        read->georef.wkt = *services->systemWkt("EPSG:32613", error);
        read->georef.crs = "EPSG:32613";
        read->unit = terrain::VerticalUnit::Foot;
        auto model = std::make_shared<const terrain::ElevationModel>(std::move(*read));
        measure::Georeference map;
        map.geotransform = kRidgeMap;
        map.wkt = *services->systemWkt("EPSG:4326", error);
        map.crs = "EPSG:4326";
        const brelvo::app::ElevationLayer layer(model, services->ground(model->georef, error), services, map);
        const terrain::ReliefParams params = terrain::reliefParams(*model, 30, 30);
        const QSize size(600, 600);
        std::string key =
            brelvo::app::overlayCacheKey(*model, path("ridge_map.png").toStdString(), map, size, params);
        QVERIFY(!key.empty());
        key += "\nunit test";  // not the window test's
        QWidget parent;
        using Outcome = brelvo::app::PlacedOverlay::Outcome;
        const auto placed = brelvo::app::placeReliefOverlay(parent, layer, params, size, key);
        QCOMPARE(placed.outcome, Outcome::placed);
        QVERIFY(!placed.fromCache);
        // The same image as placed on this thread without a dialog.
        const auto direct = brelvo::app::reliefOverlay(layer, params, size);
        QVERIFY(direct.has_value());
        QCOMPARE(placed.overlay.image, direct->image);
        QCOMPARE(placed.overlay.rect, direct->rect);
        QVERIFY(placed.overlay.rect.width() > 400 && placed.overlay.rect.height() > 300);

        // Read back from the cache, pixel for pixel and its place to the last bit.
        const auto kept = brelvo::app::placeReliefOverlay(parent, layer, params, size, key);
        QVERIFY(kept.fromCache);
        QCOMPARE(kept.overlay.image, placed.overlay.image);
        QCOMPARE(kept.overlay.rect, placed.overlay.rect);

        // What the cache holds is what is shown: a red picture kept under the key comes back red.
        const QString file = QString::fromStdString(brelvo::app::overlayCachePath(key));
        QImage red(placed.overlay.image.size(), QImage::Format_ARGB32);
        red.fill(Qt::red);
        QImage stored(file);
        red.setText(QStringLiteral("key"), stored.text(QStringLiteral("key")));
        red.setText(QStringLiteral("rect"), stored.text(QStringLiteral("rect")));
        QVERIFY(red.save(file));
        const auto marked = brelvo::app::placeReliefOverlay(parent, layer, params, size, key);
        QVERIFY(marked.fromCache);
        QCOMPARE(marked.overlay.image.pixel(5, 5), QColor(Qt::red).rgba());
        // A file whose key is another's (a hash collision, a copied file) is not taken.
        red.setText(QStringLiteral("key"), QStringLiteral("another key"));
        QVERIFY(red.save(file));
        const auto again = brelvo::app::placeReliefOverlay(parent, layer, params, size, key);
        QVERIFY(!again.fromCache);
        QCOMPARE(again.overlay.image, placed.overlay.image);
    }

    void aMapInAnotherSystemTakesTheModelThroughWgs84() {
        auto services = brelvo::app::geoServices();
        std::string error;
        auto model = std::make_shared<terrain::ElevationModel>();
        model->width = 4;
        model->height = 3;
        model->z.assign(12, 100.0f);
        model->unit = terrain::VerticalUnit::Metre;
        model->georef.geotransform = {500000, 30, 0, 4500090, 0, -30};
        model->georef.wkt = *services->systemWkt("EPSG:32613", error);
        model->georef.crs = "EPSG:32613";
        auto ground = services->ground(model->georef, error);
        QVERIFY(ground != nullptr);
        // The map in longitude and latitude, a thousandth of a degree a pixel from (-106, 41).
        measure::Georeference map;
        map.geotransform = {-106, 0.001, 0, 41, 0, -0.001};
        map.wkt = *services->systemWkt("EPSG:4326", error);
        map.crs = "EPSG:4326";
        const brelvo::app::ElevationLayer layer(model, std::move(ground), services, map);
        QVERIFY(!layer.isMap());
        QVERIFY(!layer.sameSystem());
        // Easting 500000 is the zone's central meridian, 105 degrees west: picture column 1000.
        const auto onMap = layer.pictureOfModel({500000, 4500000});
        QVERIFY(onMap);
        QVERIFY(std::abs(onMap->x - 1000) < 1e-6);
        const auto back = layer.modelOfPicture(onMap->x, onMap->y);
        QVERIFY(back);
        QVERIFY(std::abs(back->x - 500000) < 1e-4 && std::abs(back->y - 4500000) < 1e-4);
        // The cell under the picture point of cell (2, 1)'s centre is that cell.
        const auto centre = layer.pictureOfModel(layer.cellCentre({2, 1}));
        QVERIFY(centre);
        QCOMPARE(layer.cellAtPicture(centre->x, centre->y),
                 std::optional<terrain::Cell>(terrain::Cell{2, 1}));
        QVERIFY(!layer.cellAtPicture(onMap->x - 0.01, onMap->y));  // just west of the model
    }
};

QTEST_MAIN(ElevationWindowTest)
#include "elevation_window_test.moc"

// Big georeferenced rasters in the measuring window: loaded by a script, shown window by window (the
// renderer never holds the whole picture), their overviews built when the user agrees; a damaged one
// refused with nothing changed; a small one decoded as every other picture.
#include <cpl_string.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>
#include <array>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "app/geo_plugin.hpp"
#include "app/main_window.hpp"
#include "app/script_runner.hpp"
#include "common/messages.hpp"
#include "support/isolated_folders.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;
using brelvo::app::ScriptRunner;

namespace {

// The four quarters of the test rasters, clockwise from the top left.
constexpr std::array<QRgb, 4> kQuarters{0xffc83c28u, 0xff28a03cu, 0xff2850c8u, 0xffdcc850u};

QRgb quarterAt(int x, int y, int side) {
    const bool right = x >= side / 2, bottom = y >= side / 2;
    return kQuarters[bottom ? (right ? 2 : 3) : (right ? 1 : 0)];
}

std::string pathOf(const char* name) {
    return brelvo::testing_support::isolatedRoot() + "/" + name;
}

// A tiled, compressed RGB GeoTIFF (UTM metres, 10 m pixels) of `side` pixels a side without overviews,
// written 256 rows at a time.
void writeQuarters(const std::string& path, int side) {
    GDALAllRegister();
    char** options = CSLSetNameValue(nullptr, "TILED", "YES");
    options = CSLSetNameValue(options, "COMPRESS", "DEFLATE");
    GDALDatasetH ds =
        GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), side, side, 3, GDT_Byte, options);
    CSLDestroy(options);
    QVERIFY(ds != nullptr);
    std::array<double, 6> transform{500000, 10, 0, 4500000, 0, -10};
    GDALSetGeoTransform(ds, transform.data());
    // In a known system, so that loading it asks nothing but the overviews.
    OGRSpatialReferenceH utm = OSRNewSpatialReference(nullptr);
    OSRImportFromEPSG(utm, 32613);
    GDALSetSpatialRef(ds, utm);
    OSRDestroySpatialReference(utm);
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(side) * 256);
    for (int band = 0; band < 3; ++band) {
        for (int top = 0; top < side; top += 256) {
            for (int y = 0; y < 256; ++y)
                for (int x = 0; x < side; ++x)
                    rows[static_cast<std::size_t>(y) * side + x] =
                        static_cast<std::uint8_t>(quarterAt(x, top + y, side) >> (16 - 8 * band));
            QCOMPARE(GDALRasterIO(GDALGetRasterBand(ds, band + 1), GF_Write, 0, top, side, 256, rows.data(),
                                  side, 256, GDT_Byte, 0, 0),
                     CE_None);
        }
    }
    GDALClose(ds);
}

std::string replay(MainWindow& window, ScriptDialogs& dialogs, const std::string& script) {
    std::istringstream in(script);
    std::ostringstream out, err;
    ScriptRunner runner(window, dialogs, out, err);
    if (runner.run(in, "raster_view_test") != 0) qWarning("%s", err.str().c_str());
    return out.str();
}

}  // namespace

class RasterViewTest : public QObject {
    Q_OBJECT

  private:
    ScriptDialogs dialogs_;
    std::unique_ptr<MainWindow> window_;

    QWidget* view() const { return window_->control(QStringLiteral("UserControlPic1")); }

    // Paints the map view now and checks what the renderer holds: one window of the picture, no larger
    // than the view (plus a pixel each side), whose pixels are the picture's quarters.
    void expectHeldWindowOnly(int side) {
        view()->repaint();
        const auto& renderer = window_->renderer();
        QVERIFY(renderer.windowed());
        QVERIFY(renderer.image().isNull());
        const QImage& held = renderer.windowImage();
        const QRect covers = renderer.windowRect();
        QVERIFY(!held.isNull());
        QVERIFY2(held.width() <= view()->width() + 2 && held.height() <= view()->height() + 2,
                 qPrintable(QStringLiteral("held %1 x %2").arg(held.width()).arg(held.height())));
        QVERIFY(QRect(0, 0, side, side).contains(covers));
        // A corner of the held window shows the quarter of the picture point it stands for, away from the
        // seams between quarters.
        const double perPixel = double(covers.width()) / held.width();
        for (const QPoint at : {QPoint(2, 2), QPoint(held.width() - 3, held.height() - 3)}) {
            const int x = covers.x() + int(at.x() * perPixel), y = covers.y() + int(at.y() * perPixel);
            if (std::abs(x - side / 2) < 4 * perPixel || std::abs(y - side / 2) < 4 * perPixel) continue;
            QCOMPARE(held.pixel(at), quarterAt(x, y, side));
        }
    }

  private slots:
    void init() {
        window_ = std::make_unique<MainWindow>(dialogs_);
        window_->showMaximizedAtStart();
        window_->showNormal();
        window_->resize(800, 600);
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        dialogs_.takeMessages();
    }

    void cleanup() { window_.reset(); }

    void aBigRasterIsShownWindowByWindowFromTheOverviewsItOffersToBuild() {
        const int side = 4096;  // more pixels than a 4K screen's
        const std::string path = pathOf("quarters.tif");
        writeQuarters(path, side);
        QFile original(QString::fromStdString(path));
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray before = original.readAll();
        original.close();
        replay(*window_, dialogs_, R"(menu "Load/Save Map"
answer ")" + path + R"("
answer "Build Overviews"
picture "Load Map File"
)");
        const std::vector<std::string> asked = dialogs_.takeMessages();
        QCOMPARE(asked, std::vector<std::string>{brelvo::common::msg::kBuildOverviewsQuestion});
        // The picture's natural size is the raster's, as for a decoded picture.
        QCOMPARE(window_->renderer().size(), QSize(side, side));
        QVERIFY(window_->geometry().hasPicture);
        const std::string dump = replay(*window_, dialogs_, "dump\n");
        // The dump shows it as any picture: Image1 placed at the square raster's proportions.
        const QJsonObject image = QJsonDocument::fromJson(QByteArray::fromStdString(dump))
                                      .object()["Form1"]
                                      .toObject()["Image1"]
                                      .toObject();
        QVERIFY(image["width"].toDouble() > 0);
        QCOMPARE(image["width"].toDouble(), image["height"].toDouble());
        expectHeldWindowOnly(side);
        const QRect whole = window_->renderer().windowRect();

        // The overviews are beside the map, whose file is byte for byte as it was.
        QVERIFY(original.open(QIODevice::ReadOnly));
        QVERIFY(original.readAll() == before);
        original.close();
        QVERIFY(QFile::exists(QString::fromStdString(path + ".ovr")));
        // The overviews are there for the next time: no question then.
        std::string error;
        auto reopened = brelvo::app::geoServices()->openRaster(path, error);
        QVERIFY(reopened != nullptr);
        QCOMPARE(reopened->overviewCount(), 4);  // 2, 4, 8, 16: 256 pixels a side

        // Zoomed in, only the part shown is read: a window of fewer picture pixels.
        replay(*window_, dialogs_, "panzoom in\npanzoom in\n");
        expectHeldWindowOnly(side);
        const QRect zoomed = window_->renderer().windowRect();
        QVERIFY2(qint64(zoomed.width()) * zoomed.height() < qint64(whole.width()) * whole.height(),
                 qPrintable(QStringLiteral("%1 x %2 after %3 x %4")
                                .arg(zoomed.width())
                                .arg(zoomed.height())
                                .arg(whole.width())
                                .arg(whole.height())));

        // A capture copies the window as shown.
        QImage shot = view()->grab().toImage();
        QVERIFY(!shot.isNull());
    }

    void aDamagedRasterIsRefusedAndTheShownOneStays() {
        const int side = 4096;
        const std::string good = pathOf("good.tif");
        writeQuarters(good, side);
        replay(*window_, dialogs_,
               "menu \"Load/Save Map\"\nanswer \"" + good + "\"\nanswer cancel\npicture \"Load Map File\"\n");
        QCOMPARE(dialogs_.takeMessages(),
                 std::vector<std::string>{brelvo::common::msg::kBuildOverviewsQuestion});
        QVERIFY(window_->renderer().windowed());
        view()->repaint();
        const QRect shownWindow = window_->renderer().windowRect();

        // The same raster with its middle tiles overwritten: the header still opens, the pixels do not read.
        const std::string damaged = pathOf("damaged.tif");
        writeQuarters(damaged, side);
        {
            GDALDatasetH ds = GDALOpen(damaged.c_str(), GA_ReadOnly);
            QVERIFY(ds != nullptr);
            const char* offset = GDALGetMetadataItem(GDALGetRasterBand(ds, 1), "BLOCK_OFFSET_8_8", "TIFF");
            QVERIFY(offset != nullptr);
            const qint64 at = QByteArray(offset).toLongLong();
            GDALClose(ds);
            QFile file(QString::fromStdString(damaged));
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(at);
            file.write(QByteArray(64, '\xff'));
        }
        replay(*window_, dialogs_,
               "menu \"Load/Save Map\"\nanswer \"" + damaged + "\"\npicture \"Load Map File\"\n");
        QCOMPARE(dialogs_.takeMessages(),
                 std::vector<std::string>{std::string(brelvo::common::msg::kInvalidPicture) + "\n" +
                                          std::string(brelvo::common::msg::kRasterPixelsUnreadable)});
        QCOMPARE(window_->renderer().size(), QSize(side, side));
        view()->repaint();
        QCOMPARE(window_->renderer().windowRect(), shownWindow);
    }

    void anElevationModelOpenedAsAMapAndAWorldFileThatIsAFolderAreSaidByName() {
        // One band of 32-bit floats: heights, no colours.
        const std::string dem = pathOf("heights.tif");
        {
            GDALDatasetH ds =
                GDALCreate(GDALGetDriverByName("GTiff"), dem.c_str(), 64, 64, 1, GDT_Float32, nullptr);
            QVERIFY(ds != nullptr);
            std::array<double, 6> transform{500000, 30, 0, 4500000, 0, -30};
            GDALSetGeoTransform(ds, transform.data());
            std::vector<float> z(64 * 64, 1234.5f);
            QCOMPARE(GDALRasterIO(GDALGetRasterBand(ds, 1), GF_Write, 0, 0, 64, 64, z.data(), 64, 64,
                                  GDT_Float32, 0, 0),
                     CE_None);
            GDALClose(ds);
        }
        replay(*window_, dialogs_,
               "menu \"Load/Save Map\"\nanswer \"" + dem + "\"\npicture \"Load Map File\"\n");
        QCOMPARE(dialogs_.takeMessages(),
                 std::vector<std::string>{std::string(brelvo::common::msg::kInvalidPicture) + "\n" +
                                          brelvo::common::msg::pictureIsElevationModel("heights.tif")});
        QVERIFY(!window_->geometry().hasPicture);

        // A sparse GeoTIFF of a few bytes that declares 70,000 x 70,000 pixels: past the limit of a map.
        const std::string huge = pathOf("huge.tif");
        {
            char** options = CSLSetNameValue(nullptr, "TILED", "YES");
            options = CSLSetNameValue(options, "SPARSE_OK", "TRUE");
            GDALDatasetH ds =
                GDALCreate(GDALGetDriverByName("GTiff"), huge.c_str(), 70000, 70000, 1, GDT_Byte, options);
            CSLDestroy(options);
            QVERIFY(ds != nullptr);
            std::array<double, 6> transform{500000, 1, 0, 4500000, 0, -1};
            GDALSetGeoTransform(ds, transform.data());
            GDALClose(ds);
        }
        replay(*window_, dialogs_,
               "menu \"Load/Save Map\"\nanswer \"" + huge + "\"\npicture \"Load Map File\"\n");
        QCOMPARE(
            dialogs_.takeMessages(),
            std::vector<std::string>{std::string(brelvo::common::msg::kInvalidPicture) +
                                     "\nhuge.tif declares 70000 x 70000 pixels, more than the 4,294,967,296 "
                                     "pixels a map may have here."});
        QVERIFY(!window_->geometry().hasPicture);

        // A plain picture beside a folder named as its world file: loaded without a georeference, and the
        // folder named.
        const std::string plain = pathOf("plain.png");
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QVERIFY(picture.save(QString::fromStdString(plain)));
        QVERIFY(QDir().mkpath(QString::fromStdString(pathOf("plain.pgw"))));
        replay(*window_, dialogs_,
               "menu \"Load/Save Map\"\nanswer \"" + plain + "\"\npicture \"Load Map File\"\n");
        QCOMPARE(dialogs_.takeMessages(),
                 std::vector<std::string>{
                     "The world file plain.pgw beside the map was ignored: it is a folder, not a file."});
        QVERIFY(window_->geometry().hasPicture);
        QCOMPARE(window_->renderer().size(), QSize(64, 48));
        QVERIFY(!window_->document().georeference());
    }

    void aSmallGeoTiffIsDecodedAsEveryOtherPicture() {
        const std::string path = pathOf("small.tif");
        writeQuarters(path, 512);
        replay(*window_, dialogs_,
               "menu \"Load/Save Map\"\nanswer \"" + path + "\"\npicture \"Load Map File\"\n");
        QVERIFY(dialogs_.takeMessages().empty());
        QVERIFY(!window_->renderer().windowed());
        QCOMPARE(window_->renderer().image().size(), QSize(512, 512));
        QCOMPARE(window_->renderer().image().pixel(10, 500), kQuarters[3]);
    }
};

QTEST_MAIN(RasterViewTest)
#include "raster_view_test.moc"

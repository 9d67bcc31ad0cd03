// Map pictures load in the background: the loader's preview, progress and picture arrive on the
// window's thread in that order; a load cancelled in the middle puts the previous map back with its
// lines and scale exactly as they were; a second map holds of the first only what a failed load needs
// to show it again; and a second big map peaks no higher than the first (measured in a child process,
// as the program runs).
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "app/json_writer.hpp"
#include "app/main_window.hpp"
#include "app/measuring_window_dump.hpp"
#include "app/picture_loader.hpp"
#include "app/script_runner.hpp"
#include "mapview/jpeg_reader.hpp"

using brelvo::app::MainWindow;
using brelvo::app::PictureLoader;
using brelvo::app::ScriptDialogs;

namespace {

// A scanned-map-like picture (paper grain, contour rings, a river) saved as a JPEG.
bool writeMap(const QString& path, int width, int height, int seed) {
    QImage image(width, height, QImage::Format_RGB32);
    quint32 noise = static_cast<quint32>(seed);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const int grain = static_cast<int>(noise >> 29);
            const double r = std::hypot(x - width / 3.0, y - height / 2.0);
            const bool contour = std::fmod(r + seed, 90.0) < 3.0;
            const bool river = std::abs(y - height / 2 - 200 * std::sin(x / 500.0)) < 6;
            line[x] = contour ? qRgb(150, 100, 60) : river ? qRgb(40, 90, 210) : qRgb(236 - grain, 228, 200);
        }
    }
    return image.save(path, "JPG", 90);
}

std::string windowDump(const MainWindow& window) {
    brelvo::app::JsonWriter json;
    json.beginObject();
    brelvo::app::dumpMeasuringWindow(window, json);
    json.endObject();
    return json.str();
}

}  // namespace

class PictureLoadTest : public QObject {
    Q_OBJECT

  private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

  private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        QVERIFY(writeMap(path("small.jpg"), 900, 700, 7));
        QVERIFY(writeMap(path("big.jpg"), 4000, 3000, 11));
    }

    void thePreviewAndTheProgressComeBeforeThePicture() {
        QObject context;
        PictureLoader loader(context);
        std::vector<std::string> events;
        QSize previewSize, pictureSize;
        std::vector<int> percents;
        bool ended = false;
        PictureLoader::Hooks hooks;
        hooks.preview = [&](QImage preview) {
            events.push_back("preview");
            previewSize = preview.size();
        };
        hooks.progress = [&](int percent) {
            if (percents.empty()) events.push_back("progress");
            percents.push_back(percent);
        };
        hooks.done = [&](PictureLoader::Outcome outcome) {
            events.push_back("picture");
            pictureSize = outcome.picture.size();
            ended = true;
        };
        loader.load(path("big.jpg").toStdString(), hooks);
        QVERIFY(loader.busy());
        QTRY_VERIFY_WITH_TIMEOUT(ended, 20000);
        QVERIFY(!loader.busy());
        QCOMPARE(pictureSize, QSize(4000, 3000));
        QCOMPARE(previewSize, QSize(500, 375));  // an eighth a side
        QCOMPARE(events.back(), std::string("picture"));
        QVERIFY(std::find(events.begin(), events.end(), "preview") != events.end());
        QCOMPARE(percents.back(), 100);
        QVERIFY(std::is_sorted(percents.begin(), percents.end()));

        // The picture is the one the direct reader gives in one call: the bands join without a seam.
        const auto whole = brelvo::mapview::decodeJpegDirect(path("big.jpg").toStdString(), 1LL << 30);
        QVERIFY(whole.has_value());
        bool same = false;
        hooks.done = [&](PictureLoader::Outcome outcome) { same = outcome.picture == *whole; };
        loader.load(path("big.jpg").toStdString(), hooks);
        loader.finishNow();
        QVERIFY(same);

        // Cancelled, nothing more is heard of the job.
        ended = false;
        events.clear();
        hooks.done = [&](PictureLoader::Outcome) { ended = true; };
        loader.load(path("big.jpg").toStdString(), hooks);
        loader.cancel();
        QVERIFY(!loader.busy());
        QTest::qWait(50);
        QVERIFY(!ended);
        QVERIFY(events.empty());
    }

    void aCancelledLoadLeavesTheMapItsLinesAndScale() {
        ScriptDialogs dialogs;
        MainWindow window(dialogs);
        window.resize(800, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.chooseCommand("Load/Save Map");
        dialogs.queueAnswer(path("small.jpg").toStdString());
        window.choosePicture("Load Map File");
        window.waitForPictureLoad();
        QCOMPARE(window.renderer().size(), QSize(900, 700));
        const QImage before = window.renderer().image();

        // A scale of 1000 feet over 400 pixels, then a traced triangle.
        QWidget* view = window.control(QStringLiteral("UserControlPic1"));
        window.chooseCommand("Set Scale");
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(100, 200));
        QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(500, 200));
        auto* distance = qobject_cast<QLineEdit*>(window.control(QStringLiteral("Text2")));
        QVERIFY(distance);
        distance->setText(QStringLiteral("1000"));
        QTest::mouseClick(qobject_cast<QPushButton*>(window.control(QStringLiteral("Command1"))),
                          Qt::LeftButton);
        window.chooseCommand("Start Area");
        for (const QPoint p : {QPoint(100, 100), QPoint(300, 100), QPoint(300, 300)})
            QTest::mouseClick(view, Qt::LeftButton, {}, p);
        window.chooseCommand("End Area/Line");
        QCOMPARE(window.measureState().lineNumber, 1);
        const float scale = window.measureState().scaleX;
        QVERIFY(scale > 0);
        // The window as a picture command leaves it when its file dialog is cancelled.
        window.chooseCommand("Load/Save Map");
        dialogs.queueAnswer(std::nullopt);
        window.choosePicture("Load Map File");
        const std::string dumped = windowDump(window);
        dialogs.takeMessages();

        // The big map: asked first (the traced work would go), then decoding behind the panel while the
        // small map's memory is given up; cancelled in the middle.
        window.chooseCommand("Load/Save Map");
        dialogs.queueAnswer(path("big.jpg").toStdString());
        dialogs.queueAnswer(std::string("Continue"));
        window.choosePicture("Load Map File");
        const auto* panel = window.pictureHost().loadPanel();
        QVERIFY(panel != nullptr);
        QVERIFY(panel->isVisible());
        QVERIFY(panel->cancellable());
        QVERIFY(window.renderer().isNull());
        auto* cancel = panel->findChild<QPushButton*>();
        QVERIFY(cancel);
        QTest::mouseClick(cancel, Qt::LeftButton);
        window.waitForPictureLoad();

        QVERIFY(!panel->isVisible());
        QCOMPARE(window.renderer().size(), QSize(900, 700));
        QVERIFY(window.renderer().image() == before);
        QVERIFY(window.renderer().hasPyramid());
        QCOMPARE(window.measureState().scaleX, scale);
        QCOMPARE(window.measureState().lineNumber, 1);
        QCOMPARE(windowDump(window), dumped);
        const auto messages = dialogs.takeMessages();
        QCOMPARE(messages.size(), std::size_t(1));  // the question only: a cancel says nothing
        QCOMPARE(messages.front(),
                 std::string("Loading a new map picture removes the work on the map: 1 traced "
                             "line and the coordinate listing. Continue?"));

        // Let through, the big map replaces the work.
        window.chooseCommand("Load/Save Map");
        dialogs.queueAnswer(path("big.jpg").toStdString());
        dialogs.queueAnswer(std::string("Continue"));
        window.choosePicture("Load Map File");
        window.waitForPictureLoad();
        QCOMPARE(window.renderer().size(), QSize(4000, 3000));
        QVERIFY(window.renderer().hasPyramid());
        QCOMPARE(window.measureState().lineNumber, 0);
    }

    void aSecondMapHoldsOnlyWhatAFailedLoadNeeds() {
        ScriptDialogs dialogs;
        MainWindow window(dialogs);
        window.resize(800, 600);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto load = [&](const QString& file) {
            window.chooseCommand("Load/Save Map");
            dialogs.queueAnswer(file.toStdString());
            window.choosePicture("Load Map File");
        };
        QVERIFY(QFile::copy(path("small.jpg"), path("edited.jpg")));
        load(path("edited.jpg"));
        window.waitForPictureLoad();
        const auto* panel = window.pictureHost().loadPanel();
        QVERIFY(panel != nullptr);
        QVERIFY(!panel->hasPreviewBand());  // the preview went with the panel
        QImage first = window.renderer().image();
        QVERIFY(!first.isDetached());  // shared with the renderer

        // Its file changed since it was read: the picture stays through the next load in case that
        // fails, but its smaller copies go; cancelled, it is shown again with them.
        std::filesystem::last_write_time(
            path("edited.jpg").toStdString(),
            std::filesystem::last_write_time(path("edited.jpg").toStdString()) + std::chrono::minutes(1));
        load(path("big.jpg"));
        QVERIFY(window.pictureHost().loading());
        QCOMPARE(window.renderer().image().cacheKey(), first.cacheKey());
        QVERIFY(!window.renderer().hasPyramid());
        auto* cancel = panel->findChild<QPushButton*>();
        QVERIFY(cancel);
        QTest::mouseClick(cancel, Qt::LeftButton);
        window.waitForPictureLoad();
        QCOMPARE(window.renderer().image().cacheKey(), first.cacheKey());
        QVERIFY(window.renderer().hasPyramid());
        QVERIFY(!panel->isVisible());

        // Let through, the new map is the only one held, and its preview is let go.
        load(path("big.jpg"));
        window.waitForPictureLoad();
        QCOMPARE(window.renderer().size(), QSize(4000, 3000));
        QVERIFY(window.renderer().hasPyramid());
        QVERIFY(first.isDetached());
        QVERIFY(!panel->hasPreviewBand());

        // Read again from an unchanged file, it is released before the next one decodes.
        first = window.renderer().image();
        load(path("small.jpg"));
        QVERIFY(window.pictureHost().loading());
        QVERIFY(window.renderer().isNull());
        QVERIFY(first.isDetached());
        window.waitForPictureLoad();
        QCOMPARE(window.renderer().size(), QSize(900, 700));
    }

    void aSecondBigMapPeaksWithinTheFirst() {
#if defined(__SANITIZE_ADDRESS__)
        // The address sanitizer holds freed blocks in quarantine and adds its own shadow memory, so the
        // peaks of its build say nothing about the program's: the other builds measure them.
        QSKIP("peak memory is not the program's under the address sanitizer");
#endif
        // Two different maps of 6000 x 4500 (103 MiB decoded each): the child loads one, then the other,
        // as a script does, and tells its peak resident memory after each.
        QVERIFY(writeMap(path("first.jpg"), 6000, 4500, 3));
        QVERIFY(writeMap(path("second.jpg"), 6000, 4500, 5));
        QProcess child;
        child.start(QStringLiteral(BRELVO_PROBE), {path("first.jpg"), path("second.jpg")});
        QVERIFY(child.waitForFinished(120000));
        QCOMPARE(child.exitCode(), 0);
        const QStringList peaks = QString::fromLatin1(child.readAllStandardOutput()).split(QLatin1Char(' '));
        QCOMPARE(peaks.size(), 2);
        const double first = peaks[0].toDouble(), second = peaks[1].toDouble();
        qInfo("peak after the first map %.1f MiB, after the second %.1f MiB", first / 1024, second / 1024);
        QVERIFY(first > 103 * 1024);  // the picture itself was held
        QVERIFY2(second <= 1.1 * first, qPrintable(QStringLiteral("%1 > 1.1 x %2").arg(second).arg(first)));
    }
};

QTEST_MAIN(PictureLoadTest)
#include "picture_load_test.moc"

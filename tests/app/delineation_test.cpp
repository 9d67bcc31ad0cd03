// Delineating a basin in the measuring window: a cancel while the flow is prepared leaves the window as
// it was (and the window kept answering meanwhile); a delineation is traced as the user's lines, a
// second one on the same model (a large basin's way, on a worker) prepares nothing again, and one Undo
// takes a delineation back.
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <chrono>
#include <thread>

#include "app/elevation_layer.hpp"
#include "app/main_window.hpp"
#include "app/runoff_window.hpp"
#include "app/script_runner.hpp"
#include "common/control_names.hpp"
#include "common/messages.hpp"
#include "measure/ground_position.hpp"
#include "model_cell_click.hpp"
#include "terrain/flow_model.hpp"

using brelvo::app::MainWindow;
using brelvo::app::ScriptDialogs;
using brelvo::measure::MouseButton;

namespace {

// A V-shaped valley 31 x 20 cells of 10 m in UTM zone 13N draining south along column 15, between
// ridges at columns 5 and 25 and below a ridge at row 4: the catchment of cell (15, 15) is the 119
// valley cells with d = |column - 15| <= 9, 5 <= row and row + d <= 15 (each drains diagonally to the
// axis, then south). Heights in metres: 100 + a(d) + b(row).
// `faults`: two absurd heights on the west ridge's slope (cells (2, 10) and (3, 10)) and a void of 3 x 3
// cells without data on the channel, rows 9 to 11.
QByteArray valleyGrid(bool faults = false) {
    QByteArray text =
        "ncols 31\nnrows 20\nxllcorner 700000\nyllcorner 4398000\ncellsize 10\n"
        "NODATA_value -9999\n";
    for (int r = 0; r < 20; ++r) {
        for (int c = 0; c < 31; ++c) {
            const int d = std::abs(c - 15);
            const int a = d <= 10 ? 2 * d : 20 - 3 * (d - 10);
            const int b = r >= 4 ? 19 - r : 15 - 3 * (4 - r);
            QByteArray height = QByteArray::number(100 + a + b);
            if (faults && r == 10 && (c == 2 || c == 3)) height = c == 2 ? "1e38" : "-2e38";
            if (faults && r >= 9 && r <= 11 && d <= 1) height = "-9999";
            text += height + (c == 30 ? "\n" : " ");
        }
    }
    return text;
}

}  // namespace

class DelineationTest : public QObject {
    Q_OBJECT

  private:
    std::unique_ptr<ScriptDialogs> dialogs_;
    std::unique_ptr<MainWindow> window_;
    QTemporaryDir dir_;
    std::vector<std::string> openMessages_;  // what opening the model said

    // The model opened as the user opens it (its vertical unit answered: metres).
    void openValley(bool faults = false) {
        const QString asc = dir_.filePath(QStringLiteral("valley.asc"));
        QFile file(asc);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(valleyGrid(faults));
        file.close();
        // Its system beside it, as ESRI writes a .prj: WGS 84 / UTM zone 13N.
        QFile prj(dir_.filePath(QStringLiteral("valley.prj")));
        QVERIFY(prj.open(QIODevice::WriteOnly));
        prj.write(
            "PROJCS[\"WGS_1984_UTM_Zone_13N\",GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\",SPHEROID[\"WGS_"
            "1984\",6378137.0,298.257223563]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\",0.0174532925199433]],"
            "PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"False_Easting\",500000.0],PARAMETER[\"False_"
            "Northing\",0.0],PARAMETER[\"Central_Meridian\",-105.0],PARAMETER[\"Scale_Factor\",0.9996],"
            "PARAMETER[\"Latitude_Of_Origin\",0.0],UNIT[\"Meter\",1.0]]");
        prj.close();
        dialogs_->queueAnswer(asc.toStdString());
        dialogs_->queueAnswer("metres");
        QVERIFY(window_->triggerMenuEntry("Map/Open Elevation Model..."));
        QVERIFY(window_->elevationLayer());
        openMessages_ = dialogs_->takeMessages();
    }
    // A left click on the centre of a model cell, as the map view passes it on (picture-relative view
    // units).
    void clickCell(int column, int row) {
        QVERIFY(brelvo::app::testing::clickModelCell(*window_, column, row));
    }

  private slots:
    void init() {
        window_.reset();
        dialogs_ = std::make_unique<ScriptDialogs>();
        window_ = std::make_unique<MainWindow>(*dialogs_);
        window_->resize(800, 600);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        dialogs_->takeMessages();
    }
    void cleanup() { window_.reset(); }

    void cancelDuringPreparationLeavesTheWindowAsItWas() {
        // Without a model the entry says what it needs, and nothing is awaited.
        QVERIFY(window_->triggerMenuEntry("Map/Delineate Basin..."));
        QCOMPARE(dialogs_->takeMessages().size(), std::size_t{1});
        QVERIFY(!window_->awaitingOutlet());
        openValley();
        const brelvo::measure::MeasureWork before = window_->document().work();
        // A preparation that runs until it is cancelled; the window's timer cancels it through the
        // progress dialog's button, which it can only do while the window's events run.
        std::atomic<int> progressCalls{0};
        window_->flowPreparer = [&](const brelvo::terrain::ElevationModel&,
                                    const brelvo::terrain::Progress& p) {
            while (p(0.5)) {
                ++progressCalls;
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            return std::optional<brelvo::terrain::FlowModel>();
        };
        bool cancelled = false;
        QTimer::singleShot(150, [&] {
            if (auto* progress = window_->findChild<QProgressDialog*>(QStringLiteral("flowProgress"))) {
                progress->cancel();
                cancelled = true;
            }
        });
        QVERIFY(window_->triggerMenuEntry("Map/Delineate Basin..."));
        QVERIFY(cancelled);
        QVERIFY(progressCalls.load() > 0);
        QVERIFY(!window_->preparedFlow());
        QVERIFY(!window_->awaitingOutlet());
        QCOMPARE(window_->document().work(), before);
        QVERIFY(dialogs_->takeMessages().empty());
    }

    void aDelineationIsUndoneAsOneStepAndTheFlowIsKept() {
        openValley();
        const brelvo::measure::MeasureWork before = window_->document().work();
        int preparations = 0;
        window_->flowPreparer = [&](const brelvo::terrain::ElevationModel& model,
                                    const brelvo::terrain::Progress& progress) {
            ++preparations;
            return brelvo::terrain::prepareFlow(model, progress);
        };
        QVERIFY(window_->triggerMenuEntry("Map/Delineate Basin..."));
        QVERIFY(window_->awaitingOutlet());
        // Streams from 110 cells are the channel from (15, 15) down; a click three cells east and three
        // north of it, within 45 m, snaps to its nearest stream cell, (15, 15) itself, 42.4 m away.
        dialogs_->queueAnswer("110");
        QVERIFY(window_->triggerMenuEntry("Map/Stream Threshold..."));
        dialogs_->queueAnswer("45");
        QVERIFY(window_->triggerMenuEntry("Map/Outlet Search Distance..."));
        QCOMPARE(window_->document().work().delineationSettings.searchDistanceM, std::optional<double>(45));
        // Before the click, the pointer over that cell shows where the outlet would go.
        const brelvo::app::ElevationLayer& layer = *window_->elevationLayer();
        const auto pixel = layer.pictureOfModel(layer.cellCentre({18, 12}));
        const brelvo::measure::PointF view =
            brelvo::measure::viewOfPicture(*window_, window_->twipsPerPixelX(), *pixel);
        auto* mapView =
            window_->findChild<QWidget*>(QString::fromUtf8(brelvo::common::controls::form1::kMapView));
        QTest::mouseMove(mapView, QPoint(static_cast<int>(view.x / window_->twipsPerPixelX()),
                                         static_cast<int>(view.y / window_->twipsPerPixelX())));
        auto* status = window_->findChild<QLabel*>(QStringLiteral("statusLine"));
        QVERIFY(status);
        QVERIFY2(
            status->text().contains(QStringLiteral("Outlet: cell (15, 15), 119 cells upstream, on a stream")),
            qPrintable(status->text()));
        clickCell(18, 12);
        QVERIFY(!window_->awaitingOutlet());
        const auto& basin = window_->document().work().delineation;
        QVERIFY(basin);
        QCOMPARE(basin->outletColumn, 15);
        QCOMPARE(basin->outletRow, 15);
        QCOMPARE(basin->cells, std::int64_t{119});
        QVERIFY(!basin->cutOff);
        // Heights 132 m at the path's head (row 5, d = 9) and 104 m at the outlet, in feet.
        QCOMPARE(basin->headElevationFt, 132 / 0.3048);
        QCOMPARE(basin->outletElevationFt, 104 / 0.3048);
        QCOMPARE(window_->measureState().lineNumber, 2);
        window_->chooseCommand("Runoff Hydrogaph");
        namespace form3 = brelvo::common::controls::form3;
        auto& fields = window_->runoffWindow()->fields();
        const std::string firstArea = fields.text(form3::txtBasinArea),
                          firstLength = fields.text(form3::txtL);
        QCOMPARE(fields.text(form3::txtElv2), std::string("341.2"));
        // The two prompts only: the basin is not cut off, and nothing else is said.
        QCOMPARE(dialogs_->takeMessages(),
                 (std::vector<std::string>{brelvo::common::msg::kStreamThresholdPrompt,
                                           brelvo::common::msg::searchDistancePrompt("m")}));

        // Zoomed out to a few pixels a cell, a click on the outlet's marker that falls in the cell below
        // takes the same outlet again (the cell below is a stream cell and would be taken otherwise).
        window_->mapWheel(0, 0, -10, brelvo::mapview::WheelTurn::Zoom);
        const brelvo::app::ElevationLayer& shown = *window_->elevationLayer();
        const auto outletPixel = shown.pictureOfModel(shown.cellCentre({15, 15}));
        const brelvo::measure::PointF outletView =
            brelvo::measure::viewOfPicture(*window_, window_->twipsPerPixelX(), *outletPixel);
        const auto belowPixel = shown.pictureOfModel(shown.cellCentre({15, 16}));
        const float cellPixels =
            (brelvo::measure::viewOfPicture(*window_, window_->twipsPerPixelX(), *belowPixel).y -
             outletView.y) /
            window_->twipsPerPixelX();
        QVERIFY2(cellPixels > 3 && cellPixels < 6, qPrintable(QString::number(cellPixels)));
        QVERIFY(window_->triggerMenuEntry("Map/Delineate Basin..."));
        window_->mapMouseUp(MouseButton::Left, outletView.x - window_->imageLeft(),
                            outletView.y - window_->imageTop() + 3 * window_->twipsPerPixelX());
        QCOMPARE(window_->document().work().delineation->outletRow, 15);
        QCOMPARE(window_->document().work().delineation->cells, std::int64_t{119});
        QVERIFY(window_->undo());
        window_->mapWheel(0, 0, 10, brelvo::mapview::WheelTurn::Zoom);

        // A second outlet on the same model, on the channel with no search: (15, 12) drains the 64
        // cells with row + d <= 12 (15 + 13 + ... + 1), and nothing is prepared again. Taken as a large
        // basin is, on a worker behind its dialog: the same basin, undone the same way.
        window_->largeBasinCells = 10;
        QVERIFY(window_->triggerMenuEntry("Map/Delineate Basin..."));
        dialogs_->queueAnswer("0");
        QVERIFY(window_->triggerMenuEntry("Map/Outlet Search Distance..."));
        clickCell(15, 12);
        QCOMPARE(preparations, 1);
        QCOMPARE(window_->document().work().delineation->cells, std::int64_t{64});
        QCOMPARE(window_->measureState().lineNumber, 4);
        // The open runoff window took the second basin: its outlet is 107 m high.
        QVERIFY(fields.text(form3::txtBasinArea) != firstArea);
        QCOMPARE(fields.text(form3::txtElv2), std::string("351.0"));

        // Undo: the second delineation goes as one step, and the runoff window has the first basin back;
        // then the first goes, then nothing.
        QVERIFY(window_->undo());
        QCOMPARE(window_->measureState().lineNumber, 2);
        QCOMPARE(window_->document().work().delineation->cells, std::int64_t{119});
        QCOMPARE(fields.text(form3::txtBasinArea), firstArea);
        QCOMPARE(fields.text(form3::txtL), firstLength);
        QCOMPARE(fields.text(form3::txtElv2), std::string("341.2"));
        QVERIFY(window_->undo());
        QCOMPARE(window_->measureState().lineNumber, 0);
        QVERIFY(!window_->document().work().delineation);
        QCOMPARE(window_->document().controls().line1, before.controls.line1);
        QVERIFY(!window_->undo());
    }

    void absurdHeightsAndAVoidOnTheChannelAreSaid() {
        openValley(true);
        // After the unit's prompt, the two heights no ground has.
        QCOMPARE(openMessages_.size(), std::size_t{2});
        QCOMPARE(openMessages_.back(),
                 brelvo::common::msg::absurdHeightsCleared(window_->elevationLayer()->model().path, "2"));
        // The outlet (15, 15) taken as clicked, below the void on the channel: the valley above the void
        // drains into it, so the basin is a fraction of the 119 cells and says so.
        QVERIFY(window_->triggerMenuEntry("Map/Delineate Basin..."));
        window_->setShiftClick(true);
        clickCell(15, 15);
        window_->setShiftClick(false);
        const auto& basin = window_->document().work().delineation;
        QVERIFY(basin);
        QVERIFY(basin->cutOff);
        QVERIFY(basin->cells < 119);
        QCOMPARE(basin->voidCells, std::int64_t{9});
        const std::string cells = std::to_string(basin->cells);
        QCOMPARE(dialogs_->takeMessages(),
                 std::vector<std::string>{brelvo::common::msg::delineateVoids("9", cells)});
    }

    void aBasinOfAnotherModelAtTheSamePathIsNotKept() {
        openValley();
        QVERIFY(window_->triggerMenuEntry("Map/Delineate Basin..."));
        window_->setShiftClick(true);
        clickCell(15, 15);
        window_->setShiftClick(false);
        QVERIFY(window_->document().work().delineation);
        dialogs_->takeMessages();
        const std::string project = dir_.filePath(QStringLiteral("basin.brelvo")).toStdString();
        dialogs_->queueAnswer(project);
        QVERIFY(window_->triggerMenuEntry("File/Save Project As..."));
        // The same model opens with its basin.
        init();
        dialogs_->queueAnswer(project);
        QVERIFY(window_->triggerMenuEntry("File/Open Project..."));
        QVERIFY(window_->document().work().delineation);
        QVERIFY(dialogs_->takeMessages().empty());
        // Another model written at the same path (the first row one metre higher): the basin's record
        // goes, said once, and its lines stay.
        QByteArray grid = valleyGrid();
        grid.replace(" 108 ", " 109 ");
        QFile file(dir_.filePath(QStringLiteral("valley.asc")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(grid);
        file.close();
        init();
        dialogs_->queueAnswer(project);
        QVERIFY(window_->triggerMenuEntry("File/Open Project..."));
        QVERIFY(!window_->document().work().delineation);
        QCOMPARE(window_->measureState().lineNumber, 2);
        QCOMPARE(dialogs_->takeMessages(),
                 std::vector<std::string>{brelvo::common::msg::kDelineationOfAnotherModel});
    }

    void aProjectKeepsTheStreamsAndItsTitleWaitsForTheOpen() {
        openValley();
        QVERIFY(window_->triggerMenuEntry("Map/Show Streams"));
        QVERIFY(window_->streamsShown());
        const std::string project = dir_.filePath(QStringLiteral("valley.brelvo")).toStdString();
        dialogs_->queueAnswer(project);
        QVERIFY(window_->triggerMenuEntry("File/Save Project As..."));
        QVERIFY(window_->shownTitle().rfind("valley.brelvo - ", 0) == 0);
        // Turning the streams off is a change of the project.
        QVERIFY(window_->triggerMenuEntry("Map/Show Streams"));
        QVERIFY(!window_->streamsShown());
        QVERIFY(window_->shownTitle().rfind("valley.brelvo* - ", 0) == 0);

        // Opened in a fresh window: the streams come back, their flow prepared while the project is put
        // in place, and meanwhile the title names the project as opening, with no unsaved mark.
        init();
        std::string titleMeanwhile;
        window_->flowPreparer = [&](const brelvo::terrain::ElevationModel& model,
                                    const brelvo::terrain::Progress& progress) {
            titleMeanwhile = window_->shownTitle();
            return brelvo::terrain::prepareFlow(model, progress);
        };
        dialogs_->queueAnswer(project);
        QVERIFY(window_->triggerMenuEntry("File/Open Project..."));
        QVERIFY(titleMeanwhile.rfind("Opening valley.brelvo... - ", 0) == 0);
        QVERIFY(window_->streamsShown());
        QVERIFY(window_->preparedFlow());
        QVERIFY(window_->shownTitle().rfind("valley.brelvo - ", 0) == 0);
    }
};

QTEST_MAIN(DelineationTest)
#include "delineation_test.moc"

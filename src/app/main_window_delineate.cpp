// The measuring window's delineation from an elevation model: the flow prepared once per model on a
// worker, the outlet's click, the catchment's boundary and longest flow path traced as the user would
// trace them (one step for Undo), the outlet's search distance and the stream overlay.
#include <QInputDialog>
#include <QPainter>
#include <cmath>
#include <new>

#include "app/delineation_overlay.hpp"
#include "app/elevation_layer.hpp"
#include "app/main_window.hpp"
#include "app/map_view.hpp"
#include "app/runoff_window.hpp"
#include "app/work_with_progress.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "terrain/delineation.hpp"

namespace brelvo::app {

namespace {

namespace msg = common::msg;

// A whole number typed in an input box within [low, high]; nothing otherwise.
std::optional<std::int64_t> wholeAnswer(const std::string& answer, std::int64_t low, std::int64_t high) {
    const auto first = answer.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const auto last = answer.find_last_not_of(" \t");
    const std::string digits = answer.substr(first, last - first + 1);
    if (digits.empty() || digits.size() > 12 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const std::int64_t value = std::stoll(digits);
    if (value < low || value > high) return std::nullopt;
    return value;
}

}  // namespace

const terrain::FlowModel* MainWindow::preparedFlow() const {
    const ElevationLayer* layer = elevationLayer();
    if (!layer || !flow_ || flowFor_.lock() != layer->sharedModel()) return nullptr;
    return flow_.get();
}

void MainWindow::dropStaleFlow() const {
    // The flow goes with its model: once the model is closed or replaced, its memory is given back.
    if (flow_ && !preparedFlow()) {
        flow_.reset();
        flowFor_.reset();
        streams_.clear();
        streams_.shrink_to_fit();
        streamsThreshold_ = -1;
    }
}

bool MainWindow::ensureFlow() {
    dropStaleFlow();
    if (preparedFlow()) return true;
    const ElevationLayer* layer = elevationLayer();
    if (!layer) return false;
    doc_.flush();
    const FlowPreparer preparer = flowPreparer ? flowPreparer : FlowPreparer(&terrain::prepareFlow);
    PreparedFlow prepared = prepareFlowWithProgress(layer->model(), *this, preparer);
    if (prepared.outOfMemory) dialogs_.message(msg::kDelineateNoMemory);
    if (!prepared.flow) return false;
    // The model may have been replaced while the worker ran (a script, a second window's action).
    if (elevationLayer() != layer) return false;
    flow_ = std::move(prepared.flow);
    flowFor_ = layer->sharedModel();
    return true;
}

void MainWindow::delineateBasin() {
    if (!elevationLayer()) {
        dialogs_.message(msg::kDelineateNeedsModel);
        return;
    }
    if (doc_.state().mode != measure::Idle) {
        dialogs_.message(msg::kDelineateWhileTracing);
        return;
    }
    if (!ensureFlow()) return;
    awaitingOutlet_ = true;
    step([&] { doc_.setCaption(msg::kDelineateClickOutlet); });
    widgets_->setStatusNote(QString::fromUtf8(msg::kDelineateClickOutlet));
}

bool MainWindow::cancelOutlet() {
    if (!awaitingOutlet_) return false;
    awaitingOutlet_ = false;
    widgets_->setStatusNote({});
    step([&] { doc_.setCaption(msg::kCaptionMenu); });
    return true;
}

bool MainWindow::outletClick(measure::MouseButton button, float x, float y) {
    if (!awaitingOutlet_ || button != measure::MouseButton::Left) return false;
    const ElevationLayer* layer = elevationLayer();
    const terrain::FlowModel* flow = preparedFlow();
    // A line started from the command menu meanwhile takes the clicks: the outlet is no longer awaited.
    if (!layer || !flow || doc_.state().mode != measure::Idle) {
        awaitingOutlet_ = false;
        widgets_->setStatusNote({});
        return false;
    }
    const auto pixel = pixelOfView(x, y);
    const auto cell = pixel ? layer->cellAtPicture(pixel->x, pixel->y) : std::nullopt;
    const terrain::ElevationModel& model = layer->model();
    std::optional<terrain::Delineation> basin;
    if (cell) {
        const terrain::CellGeometry cells = terrain::cellGeometry(model, layer->modelGround());
        const int search = doc_.work().delineationSettings.searchCells;
        const auto outlet = terrain::snapOutlet(*flow, *cell, search);
        const std::size_t basinCells =
            outlet ? flow->accumulation[static_cast<std::size_t>(outlet->row) * flow->width + outlet->column]
                   : 0;
        if (basinCells < largeBasinCells) {
            basin = terrain::delineate(model, *flow, cells, *cell, search);
        } else {
            // Seconds of work on a basin this large: on a worker, the window repainting meanwhile and
            // taking no other input (the dialog is modal, with nothing to cancel: it ends on its own).
            awaitingOutlet_ = false;
            WorkDialog look;
            look.text = QString::fromUtf8(msg::kDelineateTracing);
            look.title = QString::fromUtf8(msg::kDelineateTitle);
            look.objectName = QStringLiteral("delineationProgress");
            look.measured = false;
            runWithProgress(*this, look, [&](const WorkProgress&) {
                try {
                    basin = terrain::delineate(model, *flow, cells, *cell, search);
                } catch (const std::bad_alloc&) {
                    basin.reset();
                }
            });
        }
    }
    if (!basin) {
        dialogs_.message(msg::kDelineateOutsideModel);
        return true;
    }
    awaitingOutlet_ = false;
    widgets_->setStatusNote({});
    traceDelineation(*layer, *basin);
    return true;
}

void MainWindow::traceDelineation(const ElevationLayer& layer, const terrain::Delineation& basin) {
    // Model coordinates to the picture's pixels to the view, as the user's clicks would be.
    const auto clicksOf = [&](const std::vector<measure::MapPoint>& points) {
        std::vector<measure::MapPoint> clicks;
        for (const measure::MapPoint& p : points) {
            const auto pixel = layer.pictureOfModel(p);
            const auto view = pixel ? viewOfPixel(pixel->x, pixel->y) : std::nullopt;
            if (!view) return std::vector<measure::MapPoint>{};
            clicks.push_back(*view);
        }
        return clicks;
    };
    const std::vector<measure::MapPoint> boundary = clicksOf(basin.boundary);
    const std::vector<measure::MapPoint> path = clicksOf(basin.longestPath);
    if (boundary.size() < 3 || path.size() < 2) {
        step([&] { doc_.setCaption(msg::kCaptionMenu); });
        dialogs_.message(msg::kDelineateOutsideMap);
        return;
    }
    const double toFeet = terrain::metresPer(layer.model().unit) / 0.3048;
    measure::DelineationRecord record;
    record.clickedColumn = basin.clicked.column;
    record.clickedRow = basin.clicked.row;
    record.outletColumn = basin.outlet.column;
    record.outletRow = basin.outlet.row;
    record.searchCells = doc_.work().delineationSettings.searchCells;
    record.cells = static_cast<std::int64_t>(basin.cells);
    record.cutOff = basin.cutOff;
    record.areaM2 = basin.areaM2;
    record.pathLengthM = basin.longestPathM;
    record.elevationsKnown = toFeet > 0;
    if (record.elevationsKnown) {
        record.outletElevationFt = basin.outletElevation * toFeet;
        record.headElevationFt = basin.headElevation * toFeet;
    }

    {
        measure::MeasureDocument::Step one(doc_);
        const measure::MeasureWork before = doc_.work();
        const auto trace = [&](measure::Command start, const std::vector<measure::MapPoint>& clicks) {
            controller_.runCommand(start);
            for (const auto& c : clicks) {
                controller_.mapMouseUp(measure::MouseButton::Left, static_cast<float>(c.x),
                                       static_cast<float>(c.y));
            }
            controller_.runCommand(measure::Command::EndLine);
        };
        // As the user traces: the divide from the outlet round, then the path from its head down.
        trace(measure::Command::StartArea, boundary);
        trace(measure::Command::StartStreamLine, path);
        measure::MeasureWork work = doc_.work();
        work.delineation = record;
        doc_.replaceWork(std::move(work));
        const auto& pic = geometry_.picture;
        doc_.delineated(before, {pic.left, pic.top, pic.width, pic.height});
    }
    if (basin.cutOff)
        dialogs_.message(msg::delineateCutOff(common::integerText(static_cast<int>(basin.cells))));
    if (!record.elevationsKnown) dialogs_.message(msg::kDelineateUnitUnknown);
    // An open runoff window takes the new basin at once; otherwise "Runoff Hydrogaph" hands it over.
    if (runoff_ && runoff_->isVisible()) openRunoffWindow();
}

void MainWindow::askOutletSearchDistance() {
    const int now = doc_.work().delineationSettings.searchCells;
    const std::string answer = dialogs_.inputBox(msg::searchDistancePrompt(measure::kMaxSearchCells),
                                                 msg::kSearchDistanceTitle, std::to_string(now));
    if (answer.empty()) return;  // cancelled
    const auto cells = wholeAnswer(answer, 0, measure::kMaxSearchCells);
    if (!cells) {
        dialogs_.message(msg::searchDistanceRefused(measure::kMaxSearchCells));
        return;
    }
    measure::MeasureWork work = doc_.work();
    work.delineationSettings.searchCells = static_cast<int>(*cells);
    step([&] { doc_.replaceWork(std::move(work)); });
    projectChanged();
}

void MainWindow::askStreamThreshold() {
    const std::int64_t now = doc_.work().delineationSettings.streamThreshold;
    const std::string answer =
        dialogs_.inputBox(msg::kStreamThresholdPrompt, msg::kStreamThresholdTitle, std::to_string(now));
    if (answer.empty()) return;
    const auto threshold = wholeAnswer(answer, 1, measure::kMaxStreamThreshold);
    if (!threshold) {
        dialogs_.message(msg::kStreamThresholdRefused);
        return;
    }
    measure::MeasureWork work = doc_.work();
    work.delineationSettings.streamThreshold = *threshold;
    step([&] { doc_.replaceWork(std::move(work)); });
    projectChanged();
    widgets_->mapView()->update();
}

void MainWindow::setStreamsShown(bool shown) {
    if (shown && !elevationLayer()) {
        dialogs_.message(msg::kDelineateNeedsModel);
        shown = false;
    }
    if (shown && !ensureFlow()) shown = false;
    showStreams_ = shown;
    menuBar_->setStreamsChecked(shown);
    widgets_->mapView()->update();
}

std::optional<QTransform> MainWindow::cellToView() const {
    const ElevationLayer* layer = elevationLayer();
    if (!layer || !geometry_.hasPicture) return std::nullopt;
    const terrain::ElevationModel& model = layer->model();
    const auto widgetOf = [&](double column, double row) -> std::optional<QPointF> {
        const auto pixel = layer->pictureOfModel(model.georef.toMap(column, row));
        const auto view = pixel ? viewOfPixel(pixel->x, pixel->y) : std::nullopt;
        if (!view) return std::nullopt;
        return QPointF((imageLeft() + view->x) / tpp_, (imageTop() + view->y) / tpp_);
    };
    const auto a = widgetOf(0, 0);
    const auto b = widgetOf(model.width, 0);
    const auto c = widgetOf(0, model.height);
    if (!a || !b || !c) return std::nullopt;
    const double w = model.width, h = model.height;
    return QTransform((b->x() - a->x()) / w, (b->y() - a->y()) / w, (c->x() - a->x()) / h,
                      (c->y() - a->y()) / h, a->x(), a->y());
}

void MainWindow::paintDelineation(QPainter& painter, const QRect& dirty) const {
    dropStaleFlow();
    const auto transform = cellToView();
    if (!transform) return;
    const terrain::FlowModel* flow = preparedFlow();
    if (showStreams_ && flow) {
        const std::int64_t threshold = doc_.work().delineationSettings.streamThreshold;
        if (threshold != streamsThreshold_ || streams_.empty()) {
            streams_ = terrain::streamCells(*flow, static_cast<std::uint32_t>(threshold));
            streamsThreshold_ = threshold;
        }
        paintStreams(painter, dirty, *transform, streams_, flow->width, flow->height);
    }
    if (const auto& basin = doc_.work().delineation) {
        paintOutletSearch(painter, *transform, basin->clickedColumn, basin->clickedRow, basin->searchCells,
                          basin->outletColumn, basin->outletRow);
    }
}

}  // namespace brelvo::app

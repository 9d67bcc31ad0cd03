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
        modelCells_.reset();
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
    outletPreview_.reset();
    widgets_->mapView()->update();
    widgets_->setStatusNote({});
    step([&] { doc_.setCaption(msg::kCaptionMenu); });
    return true;
}

void MainWindow::traceDelineation(const ElevationLayer& layer, const terrain::Delineation& basin,
                                  double searchM) {
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
    if (boundary.size() < 3 || path.empty()) {
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
    record.modelFingerprint = elevationFingerprint_;
    record.searchCells = doc_.work().delineationSettings.searchCells;
    record.searchDistanceM = searchM;
    record.cells = static_cast<std::int64_t>(basin.cells);
    record.cutOff = basin.cutOff;
    record.voidCells = static_cast<std::int64_t>(basin.voidCells);
    record.areaM2 = basin.areaM2;
    record.pathLengthM = basin.longestPathM;
    record.elevationsKnown = toFeet > 0;
    if (record.elevationsKnown) {
        record.outletElevationFt = basin.outletElevation * toFeet;
        record.headElevationFt = basin.headElevation * toFeet;
        record.outletGroundFt = basin.outletGroundElevation * toFeet;
        record.headGroundFt = basin.headGroundElevation * toFeet;
    }

    {
        measure::MeasureDocument::Step one(doc_);
        const measure::MeasureWork before = doc_.work();
        const auto trace = [&](measure::Command start, const std::vector<measure::MapPoint>& points) {
            std::vector<measure::PointF> vertices;
            vertices.reserve(points.size());
            for (const auto& p : points)
                vertices.push_back({static_cast<float>(p.x), static_cast<float>(p.y)});
            controller_.traceWhole(start, vertices);
        };
        // As the user traces: the divide from the outlet round, then the path from its head down.
        trace(measure::Command::StartArea, boundary);
        trace(measure::Command::StartStreamLine, path);
        // The listing says where the elevations handed over are not the ground's (a filled depression).
        const char* unit = terrain::verticalUnitText(layer.model().unit);
        const auto height = [](float v) { return common::formatPattern(v, "0.0"); };
        std::string notes;
        if (basin.headElevation != basin.headGroundElevation)
            notes += msg::conditionedElevationNote("Head", height(basin.headElevation),
                                                   height(basin.headGroundElevation), unit) +
                     "\r\n";
        if (basin.outletElevation != basin.outletGroundElevation)
            notes += msg::conditionedElevationNote("Outlet", height(basin.outletElevation),
                                                   height(basin.outletGroundElevation), unit) +
                     "\r\n";
        if (!notes.empty()) {
            measure::TextBox& listing = doc_.edit(measure::SurfacePart::Text1).text1;
            listing.text += notes;
            listing.caret = static_cast<int>(listing.text.size());
        }
        measure::MeasureWork work = doc_.work();
        work.delineation = record;
        doc_.replaceWork(std::move(work));
        const auto& pic = geometry_.picture;
        doc_.delineated(before, {pic.left, pic.top, pic.width, pic.height});
    }
    // One message for a basin that may be cut off: the model's edge, the voids beside it, or both.
    if (basin.cutOff) {
        const std::string cells =
            common::integerText(static_cast<int>(std::min<std::size_t>(basin.cells, 2147483647)));
        std::string text;
        if (basin.edgeCells > 0) text = msg::delineateCutOff(cells);
        if (basin.voidCells > 0) {
            const std::string voids =
                common::integerText(static_cast<int>(std::min<std::size_t>(basin.voidCells, 2147483647)));
            text += (text.empty() ? "" : "\n") + msg::delineateVoids(voids, cells);
        }
        dialogs_.message(text);
    }
    if (!record.elevationsKnown) dialogs_.message(msg::kDelineateUnitUnknown);
    // An open runoff window takes the new basin at once; otherwise "Runoff Hydrogaph" hands it over.
    if (runoff_ && runoff_->isVisible()) openRunoffWindow();
}

void MainWindow::forgetDelineation() {
    if (!doc_.work().delineation) return;
    measure::MeasureWork work = doc_.work();
    work.delineation.reset();
    step([&] { doc_.replaceWork(std::move(work)); });
    widgets_->mapView()->update();
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
    if (shown != streamsShown()) {
        // Kept in projects: a change of the project.
        measure::MeasureWork work = doc_.work();
        work.delineationSettings.showStreams = shown;
        step([&] { doc_.replaceWork(std::move(work)); });
        projectChanged();
    }
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
    if (streamsShown() && flow) {
        const std::int64_t threshold = doc_.work().delineationSettings.streamThreshold;
        if (threshold != streamsThreshold_ || streams_.empty()) {
            streams_ = terrain::streamCells(*flow, static_cast<std::uint32_t>(threshold));
            streamsThreshold_ = threshold;
        }
        paintStreams(painter, dirty, *transform, streams_, flow->width, flow->height);
    }
    // While the outlet is awaited: the streams, the reach of the search and the outlet a click would take;
    // afterwards the delineated basin's outlet.
    if (awaitingOutlet_ && outletPreview_) {
        if (!streamsShown() && flow) {
            const std::int64_t threshold = doc_.work().delineationSettings.streamThreshold;
            if (threshold != streamsThreshold_ || streams_.empty()) {
                streams_ = terrain::streamCells(*flow, static_cast<std::uint32_t>(threshold));
                streamsThreshold_ = threshold;
            }
            paintStreams(painter, dirty, *transform, streams_, flow->width, flow->height);
        }
        const OutletChoice& at = *outletPreview_;
        if (at.searchM > 0) {
            const terrain::CellGeometry& cells = modelCells();
            const auto r = static_cast<std::size_t>(at.clicked.row);
            const double dx = r < cells.dx.size() ? cells.dx[r] : 0,
                         dy = r < cells.dy.size() ? cells.dy[r] : 0;
            if (dx > 0 && dy > 0)
                paintSearchReach(painter, *transform, at.clicked.column, at.clicked.row, at.searchM / dx,
                                 at.searchM / dy);
        }
        paintOutlet(painter, *transform, at.outlet.column, at.outlet.row);
    } else if (const auto& basin = doc_.work().delineation) {
        paintOutlet(painter, *transform, basin->outletColumn, basin->outletRow);
    }
}

}  // namespace brelvo::app

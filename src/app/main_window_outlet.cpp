// The measuring window's outlet: where a click snaps on the stream network (or stays, with Shift), shown
// as the pointer moves before anything is traced; the click that delineates; and the search distance on
// the ground, typed in the map's unit.
#include <QGuiApplication>
#include <cmath>
#include <new>

#include "app/main_window.hpp"
#include "app/map_view.hpp"
#include "app/work_with_progress.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::app {

namespace {

namespace msg = common::msg;

// Metres in one unit of the map's coordinates as the status line names it; metres for a map in degrees.
struct MapLengthUnit {
    std::string name;
    double metres = 1;
};
MapLengthUnit mapLengthUnit(const measure::GroundModel* ground) {
    const std::string name = ground ? ground->unitName() : std::string("m");
    if (name == "ft") return {name, 0.3048};
    if (name == "US ft") return {name, 1200.0 / 3937.0};
    return {"m", 1};
}

// A distance as the prompt shows it: to a hundredth, without trailing zeros.
std::string distanceText(double value) {
    std::string text = common::formatPattern(value, "0.00");
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

}  // namespace

const terrain::CellGeometry& MainWindow::modelCells() const {
    if (!modelCells_) {
        const ElevationLayer* layer = elevationLayer();
        modelCells_ = terrain::cellGeometry(layer->model(), layer->modelGround());
    }
    return *modelCells_;
}

double MainWindow::searchDistanceM(const terrain::CellGeometry& cells, int row) const {
    if (const auto& typed = doc_.work().delineationSettings.searchDistanceM) return *typed;
    const auto r = static_cast<std::size_t>(std::max(row, 0));
    const double dx = r < cells.dx.size() ? cells.dx[r] : 0, dy = r < cells.dy.size() ? cells.dy[r] : 0;
    return measure::kDefaultSearchWidths * std::max(dx, dy);
}

bool MainWindow::shiftHeld() const {
    return shiftClick_ || (QGuiApplication::keyboardModifiers() & Qt::ShiftModifier);
}

std::optional<MainWindow::OutletChoice> MainWindow::outletAt(float x, float y, bool asClicked) const {
    const ElevationLayer* layer = elevationLayer();
    const terrain::FlowModel* flow = preparedFlow();
    if (!layer || !flow) return std::nullopt;
    const auto pixel = pixelOfView(x, y);
    const auto cell = pixel ? layer->cellAtPicture(pixel->x, pixel->y) : std::nullopt;
    if (!cell) return std::nullopt;
    const terrain::ElevationModel& model = layer->model();
    OutletChoice choice{*cell, *cell, 0, false};
    const auto threshold = static_cast<std::uint32_t>(
        std::min<std::int64_t>(doc_.work().delineationSettings.streamThreshold, 0xFFFFFFFF));
    const auto accumulation = [&](terrain::Cell c) {
        return flow->accumulation[static_cast<std::size_t>(c.row) * flow->width + c.column];
    };
    if (asClicked) {
        if (!model.hasData(cell->column, cell->row)) return std::nullopt;
    } else if (const auto kept = onDelineatedOutlet(x, y)) {
        // A click on the delineated basin's outlet marker takes that outlet again, wherever in the
        // marker it falls.
        choice.outlet = *kept;
    } else {
        const terrain::CellGeometry& cells = modelCells();
        choice.searchM = searchDistanceM(cells, cell->row);
        const auto snapped = terrain::snapToStream(*flow, cells, *cell, choice.searchM, threshold);
        if (!snapped) return std::nullopt;
        choice.outlet = *snapped;
    }
    const std::uint32_t a = accumulation(choice.outlet);
    choice.onStream = a > 0 && a >= threshold;
    return choice;
}

std::optional<terrain::Cell> MainWindow::onDelineatedOutlet(float x, float y) const {
    const auto& basin = doc_.work().delineation;
    const auto transform = basin ? cellToView() : std::nullopt;
    if (!transform) return std::nullopt;
    // The marker as it is drawn: the outlet's cell, at least 7 pixels across.
    const QRectF cell = transform->mapRect(QRectF(basin->outletColumn, basin->outletRow, 1, 1));
    const double halfWidth = std::max(3.5, cell.width() / 2), halfHeight = std::max(3.5, cell.height() / 2);
    const QPointF at((imageLeft() + x) / tpp_, (imageTop() + y) / tpp_);
    if (std::fabs(at.x() - cell.center().x()) > halfWidth ||
        std::fabs(at.y() - cell.center().y()) > halfHeight)
        return std::nullopt;
    return terrain::Cell{basin->outletColumn, basin->outletRow};
}

std::string MainWindow::previewOutlet(float x, float y) {
    if (!awaitingOutlet_) {
        if (outletPreview_) {
            outletPreview_.reset();
            widgets_->mapView()->update();
        }
        return {};
    }
    const bool asClicked = shiftHeld();
    // The pointer is in view units of the whole view; a click is picture-relative.
    const auto choice = outletAt(x - imageLeft(), y - imageTop(), asClicked);
    const bool moved =
        choice.has_value() != outletPreview_.has_value() ||
        (choice && (choice->outlet != outletPreview_->outlet || choice->clicked != outletPreview_->clicked));
    outletPreview_ = choice;
    if (moved) widgets_->mapView()->update();
    if (!choice) return msg::kOutletPreviewNone;
    const std::uint32_t cells =
        preparedFlow()->accumulation[static_cast<std::size_t>(choice->outlet.row) * preparedFlow()->width +
                                     choice->outlet.column];
    return msg::outletPreview(
        std::to_string(choice->outlet.column), std::to_string(choice->outlet.row),
        common::integerText(static_cast<int>(std::min<std::uint32_t>(cells, 2147483647))), asClicked,
        choice->onStream);
}

bool MainWindow::outletClick(measure::MouseButton button, float x, float y) {
    if (!awaitingOutlet_ || button != measure::MouseButton::Left) return false;
    const ElevationLayer* layer = elevationLayer();
    const terrain::FlowModel* flow = preparedFlow();
    // A line started from the command menu meanwhile takes the clicks: the outlet is no longer awaited.
    if (!layer || !flow || doc_.state().mode != measure::Idle) {
        awaitingOutlet_ = false;
        outletPreview_.reset();
        widgets_->setStatusNote({});
        return false;
    }
    const auto choice = outletAt(x, y, shiftHeld());
    if (!choice) {
        dialogs_.message(msg::kDelineateOutsideModel);
        return true;
    }
    const terrain::ElevationModel& model = layer->model();
    const terrain::CellGeometry& cells = modelCells();
    const std::size_t basinCells =
        flow->accumulation[static_cast<std::size_t>(choice->outlet.row) * flow->width +
                           choice->outlet.column];
    std::optional<terrain::Delineation> basin;
    awaitingOutlet_ = false;
    outletPreview_.reset();
    if (basinCells < largeBasinCells) {
        basin = terrain::delineateAt(model, *flow, cells, choice->clicked, choice->outlet);
    } else {
        // Seconds of work on a basin this large: on a worker, the window repainting meanwhile and
        // taking no other input (the dialog is modal, with nothing to cancel: it ends on its own).
        WorkDialog look;
        look.text = QString::fromUtf8(msg::kDelineateTracing);
        look.title = QString::fromUtf8(msg::kDelineateTitle);
        look.objectName = QStringLiteral("delineationProgress");
        look.measured = false;
        runWithProgress(*this, look, [&](const WorkProgress&) {
            try {
                basin = terrain::delineateAt(model, *flow, cells, choice->clicked, choice->outlet);
            } catch (const std::bad_alloc&) {
                basin.reset();
            }
        });
    }
    widgets_->setStatusNote({});
    widgets_->mapView()->update();
    if (!basin) {
        dialogs_.message(msg::kDelineateNoMemory);
        return true;
    }
    traceDelineation(*layer, *basin, choice->searchM);
    return true;
}

void MainWindow::askOutletSearchDistance() {
    const MapLengthUnit unit = mapLengthUnit(ground());
    const auto& typed = doc_.work().delineationSettings.searchDistanceM;
    // Shown in the map's unit; empty while the distance is three cells' width of the model.
    const std::string now = typed ? distanceText(*typed / unit.metres) : std::string();
    const std::string answer =
        dialogs_.inputBox(msg::searchDistancePrompt(unit.name), msg::kSearchDistanceTitle, now);
    std::string trimmed = answer;
    trimmed.erase(0, trimmed.find_first_not_of(" \t"));
    trimmed.erase(trimmed.find_last_not_of(" \t") + 1);
    if (answer.empty()) return;  // cancelled
    const common::BoxNumber value = common::readBoxNumber(trimmed);
    if (value.reading != common::BoxReading::number || value.value < 0 ||
        value.value * unit.metres > measure::kMaxSearchDistanceM) {
        dialogs_.message(
            msg::searchDistanceRefused(unit.name, distanceText(measure::kMaxSearchDistanceM / unit.metres)));
        return;
    }
    const double metres = static_cast<double>(value.value) * unit.metres;
    measure::MeasureWork work = doc_.work();
    work.delineationSettings.searchDistanceM = metres;
    step([&] { doc_.replaceWork(std::move(work)); });
    projectChanged();
}

}  // namespace brelvo::app

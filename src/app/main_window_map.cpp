// The measuring window's Map menu: georeferencing a plain scan by control points, the measuring units of a
// georeferenced map, and the traced basin to and from GIS files.
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "app/geo_plugin.hpp"
#include "app/georef_dialog.hpp"
#include "app/main_window.hpp"
#include "app/map_view.hpp"
#include "app/runoff_window.hpp"
#include "common/dialog_folders.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "measure/ground_measure.hpp"
#include "measure/ground_position.hpp"
#include "runoff/compute_driver.hpp"

namespace brelvo::app {

namespace {

namespace msg = common::msg;

}  // namespace

std::optional<measure::MapPoint> MainWindow::pixelOfView(float x, float y) const {
    if (!geometry_.hasPicture) return std::nullopt;
    // A click is picture-relative; the picture's pixels are counted from its corner in the view.
    return measure::pictureOfView(*this, tpp_, imageLeft() + x, imageTop() + y);
}

std::optional<measure::MapPoint> MainWindow::viewOfPixel(double column, double row) const {
    if (!geometry_.hasPicture) return std::nullopt;
    const measure::PointF view = measure::viewOfPicture(*this, tpp_, {column, row});
    return measure::MapPoint{view.x - imageLeft(), view.y - imageTop()};
}

bool MainWindow::georefClick(measure::MouseButton button, float x, float y) {
    if (button != measure::MouseButton::Left || !georefDialog_ || georefDialog_->isHidden()) return false;
    if (const auto pixel = pixelOfView(x, y)) georefDialog_->addPoint(pixel->x, pixel->y);
    return true;
}

void MainWindow::openGeorefDialog() {
    if (!geometry_.hasPicture) {
        dialogs_.message(msg::kGeorefNoPicture);
        return;
    }
    if (!georefDialog_) {
        GeorefDialog::Hooks hooks{
            [] { return geoServices(); }, [this] { return pictureHost_.picturePath(); },
            [this](const measure::Georeference& georef) {
                // As a georeference read with a picture: measured on the ground, in miles until the user
                // picks other units.
                step([&] {
                    doc_.setGeoreference(georef);
                    if (georef.systemKnown()) controller_.scale().useGroundUnits();
                });
                // A model placed by the map's former georeference no longer lies where it was drawn.
                clearElevation();
            },
            [this](double column, double row) {
                const auto view = viewOfPixel(column, row);
                if (!view) return QPoint(-100, -100);
                return QPoint(static_cast<int>(std::lround((geometry_.picture.left + view->x) / tpp_)),
                              static_cast<int>(std::lround((geometry_.picture.top + view->y) / tpp_)));
            }};
        georefDialog_ = new GeorefDialog(*this, *widgets_->mapView(), std::move(hooks));
        // Beside the map: at the window's right edge, below the menu bar.
        const QPoint corner =
            mapToGlobal(QPoint(std::max(0, width() - georefDialog_->width() - 24), menuBar_->height() + 40));
        georefDialog_->move(corner);
    }
    georefDialog_->show();
    georefDialog_->raise();
    georefDialog_->activateWindow();
}

void MainWindow::placeGeorefMarkers() {
    if (georefDialog_) georefDialog_->placeMarkers();
}

void MainWindow::showMeasuringUnits() {
    // The panel for the units alone on a georeferenced map; elsewhere the message that Set Scale is needed.
    step([&] { controller_.scale().showGroundUnits(); });
}

namespace {

std::string labelOf(const geo::Feature& f) {
    return msg::importFeatureLabel(f.name, f.number, f.part, f.parts);
}

// The features of one kind (each part of a multi-geometry its own), and the one the user picks when there
// are several (by number or name); nothing when there is none or the user gives no answer that names one.
// A polygon that cannot be traced is offered too, and refused by name when picked.
std::optional<geo::Feature> pickFeature(common::Dialogs& dialogs, const std::vector<geo::Feature>& features,
                                        geo::Feature::Kind kind, const char* kindName) {
    std::vector<const geo::Feature*> ofKind;
    for (const auto& f : features) {
        if (f.kind == kind && (!f.problem.empty() || f.points.size() >= 2)) ofKind.push_back(&f);
    }
    if (ofKind.empty()) return std::nullopt;
    if (ofKind.size() == 1) return *ofKind.front();
    std::string listing;
    for (std::size_t i = 0; i < ofKind.size(); ++i)
        listing += std::to_string(i + 1) + ": " + labelOf(*ofKind[i]) + "\n";
    const std::string answer =
        dialogs.inputBox(msg::importWhichFeature(kindName, listing), msg::kImportWhichTitle, "1");
    const auto first = answer.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const std::string trimmed = answer.substr(first, answer.find_last_not_of(" \t") - first + 1);
    for (std::size_t i = 0; i < ofKind.size(); ++i) {
        if (trimmed == std::to_string(i + 1) || trimmed == labelOf(*ofKind[i])) return *ofKind[i];
    }
    return std::nullopt;
}

}  // namespace

bool MainWindow::traceFeature(const geo::GeoServices& services, const measure::Georeference& georef,
                              const geo::Feature& feature) {
    // Every ring on the picture first: nothing is traced when a vertex cannot be placed. The
    // transformation is made once for all the vertices (one a vertex took minutes for 100,000).
    const std::unique_ptr<geo::PointTransform> transform = services.transformFromWgs84(georef.wkt);
    const auto onPicture = [&](const std::vector<measure::LonLat>& points,
                               std::vector<measure::PointF>& vertices) {
        for (const measure::LonLat& p : points) {
            const std::optional<measure::MapPoint> map =
                transform ? transform->fromWgs84(p) : services.fromWgs84(georef.wkt, p);
            const std::optional<measure::MapPoint> pixel = map ? georef.toPixel(*map) : std::nullopt;
            const std::optional<measure::MapPoint> view =
                pixel ? viewOfPixel(pixel->x, pixel->y) : std::nullopt;
            if (!view) return false;
            vertices.push_back({static_cast<float>(view->x), static_cast<float>(view->y)});
        }
        return true;
    };
    const bool polygon = feature.kind == geo::Feature::Kind::Polygon;
    std::vector<measure::PointF> vertices;
    std::vector<std::vector<measure::PointF>> holes(polygon ? feature.holes.size() : 0);
    bool placed = onPicture(feature.points, vertices);
    for (std::size_t h = 0; h < holes.size() && placed; ++h) placed = onPicture(feature.holes[h], holes[h]);
    if (!placed) {
        dialogs_.message(msg::kImportOutsideMap);
        return false;
    }
    // Traced whole, as one line of the work: the command, every vertex (the holes with the area),
    // End Area/Line.
    measure::MeasureDocument::Step one(doc_);
    const measure::MeasureWork before = doc_.work();
    controller_.traceWhole(polygon ? measure::Command::StartArea : measure::Command::StartStreamLine,
                           vertices, holes);
    // Undo takes the imported line back as one step.
    const auto& pic = geometry_.picture;
    doc_.delineated(before, {pic.left, pic.top, pic.width, pic.height});
    return true;
}

bool MainWindow::importBasin() {
    const auto& georef = doc_.georeference();
    if (!georef || !georef->systemKnown()) {
        dialogs_.message(msg::kImportNeedsGeoreference);
        return false;
    }
    geo::GeoServices* services = geoServices();
    if (!services) {
        dialogs_.message(msg::kGeoPluginMissing);
        return false;
    }
    common::FileDialogRequest request;
    request.title = msg::kImportBasinTitle;
    request.filter = msg::kBasinOpenFilter;
    request.initialDir = common::dialogFolder();
    const auto path = common::askFile(dialogs_, request, common::FileKind::gis);
    if (!path || path->empty()) return false;
    std::string error;
    const auto features = services->readFeatures(*path, error);
    if (!features) {
        dialogs_.message(msg::importNotRead(*path, error));
        return false;
    }
    const auto has = [&](geo::Feature::Kind kind) {
        return std::any_of(features->begin(), features->end(),
                           [kind](const auto& f) { return f.kind == kind; });
    };
    if (!has(geo::Feature::Kind::Polygon) && !has(geo::Feature::Kind::Line)) {
        dialogs_.message(msg::importNothingUsable(*path));
        return false;
    }
    const measure::Georeference shown = *georef;
    bool traced = false;
    const auto basin = pickFeature(dialogs_, *features, geo::Feature::Kind::Polygon, msg::kImportPolygonKind);
    // A polygon that cannot be traced is refused by name, and nothing of the file is traced.
    if (basin && !basin->problem.empty()) {
        dialogs_.message(basin->problem);
        return false;
    }
    if (basin) traced = traceFeature(*services, shown, *basin) || traced;
    if (const auto stream = pickFeature(dialogs_, *features, geo::Feature::Kind::Line, msg::kImportLineKind))
        traced = traceFeature(*services, shown, *stream) || traced;
    return traced;
}

GeorefDialog* MainWindow::georefDialog() const {
    return georefDialog_ && !georefDialog_->isHidden() ? georefDialog_.data() : nullptr;
}

bool MainWindow::exportBasin() {
    const auto& georef = doc_.georeference();
    if (!georef || !georef->systemKnown()) {
        dialogs_.message(msg::kExportNeedsGeoreference);
        return false;
    }
    geo::GeoServices* services = geoServices();
    if (!services) {
        dialogs_.message(msg::kGeoPluginMissing);
        return false;
    }
    const measure::GroundBasin ground = measure::groundBasin(doc_, *this, tpp_);
    if (ground.boundary.empty() && ground.stream.empty()) {
        dialogs_.message(msg::kExportNothingTraced);
        return false;
    }
    const std::string title = runoff_ ? runoff::typedTitle(runoff_->fields()) : std::string();
    const auto chosen = common::askSavePath(
        dialogs_, common::FileKind::gis, msg::kExportBasinTitle, common::dialogFolder(),
        common::proposedName(title, ".geojson", "Basin.geojson"), msg::kBasinFilter, ".geojson");
    if (!chosen) return false;
    geo::BasinExport basin;
    basin.name = title;
    basin.boundary = ground.boundary;
    basin.holes = ground.holes;
    basin.stream = ground.stream;
    basin.centroid = ground.centroid;
    basin.areaMi2 = ground.areaMi2;
    basin.perimeterMi = ground.perimeterMi;
    basin.streamLengthMi = ground.streamLengthMi;
    basin.lengthToCentroidMi = ground.lengthToCentroidMi;
    basin.crs = !georef->crs.empty() ? georef->crs : services->epsgOf(georef->wkt);
    std::string error;
    // The export chooses the file's kind by its extension and says, naming the file, what went wrong.
    if (!services->exportBasin(*chosen, basin, error)) {
        dialogs_.message(error);
        return false;
    }
    return true;
}

}  // namespace brelvo::app

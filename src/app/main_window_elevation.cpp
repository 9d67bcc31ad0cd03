// The measuring window's elevation model: Map -> Open Elevation Model... (read on a worker thread with a
// progress dialog), what the file does not say asked, the relief shown as the map (fitted to the view) or
// over it, the elevation under the pointer, and the model kept in projects.
#include <QCoreApplication>
#include <QPainter>
#include <cstdio>
#include <filesystem>

#include "app/elevation_overlay.hpp"
#include "app/elevation_view.hpp"
#include "app/geo_plugin.hpp"
#include "app/main_window.hpp"
#include "app/map_view.hpp"
#include "app/work_with_progress.hpp"
#include "common/dialog_folders.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "common/program_folder.hpp"
#include "measure/ground_position.hpp"

namespace brelvo::app {

namespace {

namespace msg = common::msg;

// Reads the model on a worker thread while a progress dialog over `parent` keeps the window alive; its
// Cancel stops the reading. A replayed session waits here as a user does.
std::optional<terrain::ElevationModel> readWithProgress(QWidget& parent, const geo::GeoServices& services,
                                                        const std::string& path, std::string& error) {
    WorkDialog look;
    look.text = QString::fromUtf8(msg::kReadingElevation);
    look.cancel = QString::fromUtf8(msg::kCancelButton);
    look.showAfterMs = 300;
    std::optional<terrain::ElevationModel> model;
    runWithProgress(parent, look, [&](const WorkProgress& progress) {
        model = services.readElevationModel(path, progress, error);
    });
    return model;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool MainWindow::openElevationModel() {
    geo::GeoServices* services = geoServices();
    if (services == nullptr) {
        dialogs_.message(msg::kGeoPluginMissing);
        return false;
    }
    // Without a picture the model becomes the map; a map without a known place cannot take it.
    const bool asMap = !geometry_.hasPicture;
    const std::optional<measure::Georeference>& georef = doc_.georeference();
    if (!asMap && (!georef || !georef->systemKnown())) {
        dialogs_.message(msg::kElevationNeedsGeoreference);
        return false;
    }
    common::FileDialogRequest request;
    request.title = msg::kOpenElevationTitle;
    request.filter = msg::kElevationFilter;
    request.initialDir = common::dialogFolder();
    const auto path = common::askFile(dialogs_, request, common::FileKind::elevation);
    if (!path || path->empty()) return false;
    if (!loadElevation(*path, {}, asMap, true)) return false;
    // A basin delineated on the model this one replaces is no basin of this one.
    forgetDelineation();
    return true;
}

bool MainWindow::loadElevation(const std::string& path, const project::ElevationSource& given, bool asMap,
                               bool asked) {
    geo::GeoServices* services = geoServices();
    if (services == nullptr) {
        dialogs_.message(msg::kGeoPluginMissing);
        return false;
    }
    doc_.flush();
    std::string error;
    std::optional<terrain::ElevationModel> read = readWithProgress(*this, *services, path, error);
    if (!read) {
        dialogs_.message(error);
        return false;
    }
    terrain::ElevationModel& model = *read;
    model.path = common::fullPath(path);
    project::ElevationSource source{model.path, {}, {}, asMap};
    // The coordinate system, when the file does not say it: a model cannot be placed without one.
    std::string reason;
    std::string answer = given.crs;
    while (!model.georef.systemKnown()) {
        if (answer.empty()) {
            const std::string prompt = msg::elevationSystemPrompt(model.path);
            answer = trimmed(dialogs_.inputBox(reason.empty() ? prompt : reason + "\n" + prompt,
                                               msg::kElevationSystemTitle, std::string()));
            if (answer.empty()) return false;
        }
        if (const auto wkt = services->systemWkt(answer, reason)) {
            model.georef.wkt = *wkt;
            model.georef.crs = services->epsgOf(*wkt);
            source.crs = model.georef.crs.empty() ? answer : model.georef.crs;
        }
        answer.clear();
    }
    // The heights' unit, when the file does not say it.
    reason.clear();
    answer = given.unit;
    while (model.unit == terrain::VerticalUnit::Unknown) {
        if (answer.empty()) {
            const std::string prompt = msg::elevationUnitPrompt(model.path);
            answer = trimmed(dialogs_.inputBox(reason.empty() ? prompt : reason + "\n" + prompt,
                                               msg::kElevationUnitTitle, std::string()));
            if (answer.empty()) return false;
        }
        model.unit = terrain::verticalUnitFromText(answer);
        if (model.unit == terrain::VerticalUnit::Unknown) reason = msg::notElevationUnit(answer);
        source.unit = terrain::verticalUnitText(model.unit);
        answer.clear();
    }
    // Heights no ground has (beyond 12,000 m either way, or infinite) are voids in the data, not heights.
    if (const std::size_t absurd = terrain::clearAbsurdHeights(model); absurd > 0)
        dialogs_.message(msg::absurdHeightsCleared(
            model.path, common::integerText(static_cast<int>(std::min<std::size_t>(absurd, 2147483647)))));
    std::unique_ptr<measure::GroundModel> ground = services->ground(model.georef, error);
    if (!ground) {
        dialogs_.message(msg::elevationNotRead(model.path, msg::kElevationSystemUnusable));
        return false;
    }
    const CellMetres cell = cellMetresAtCentre(model, *ground);
    auto shared = std::make_shared<const terrain::ElevationModel>(std::move(model));
    const terrain::ReliefParams params = terrain::reliefParams(*shared, cell.x, cell.y);

    std::unique_ptr<ElevationLayer> layer;
    std::optional<ReliefOverlay> overlay;
    if (asMap) {
        ReliefMap relief = reliefAsMap(*shared, params);
        pictureHost_.setDecodedImage(std::move(relief.image));
        if (asked) {
            bool shown = false;
            step([&] { shown = pictureCommands_.showMadePicture(relief.georef, msg::kLoadElevationAction); });
            if (!shown) return false;
        } else {
            // A project's model: its georeference comes with the project's work.
            pictureHost_.showDecodedPicture();
        }
        layer =
            std::make_unique<ElevationLayer>(shared, std::move(ground), services, std::nullopt, relief.scale);
    } else {
        layer = std::make_unique<ElevationLayer>(shared, std::move(ground), services, doc_.georeference());
        // On a worker behind a progress dialog, or from the cache when this model was placed on this map.
        const std::string key =
            overlayCacheKey(*shared, pictureHost_.picturePath(),
                            doc_.georeference().value_or(measure::Georeference{}), renderer_.size(), params);
        PlacedOverlay placed = placeReliefOverlay(*this, *layer, params, renderer_.size(), key);
        if (placed.outcome == PlacedOverlay::Outcome::cancelled) {
            // Cancelled from the menu, nothing changed; a project's model is said missing.
            if (!asked)
                dialogs_.message(msg::projectElevationMissing(shared->path, msg::kElevationPlacingCancelled));
            return false;
        }
        if (placed.outcome == PlacedOverlay::Outcome::offMap) {
            dialogs_.message(msg::kElevationOffMap);
            return false;
        }
        overlay = std::move(placed.overlay);
    }
    elevationFingerprint_ = terrain::modelFingerprint(*shared);
    elevationModel_ = std::move(shared);
    elevation_ = std::move(layer);
    elevationSource_ = std::move(source);
    elevationOverlay_ = overlay ? overlay->image : QImage();
    elevationOverlayRect_ = overlay ? overlay->rect : QRectF();
    elevationShown_ = true;
    menuBar_->syncElevationEntry(!elevation_->isMap(), true);
    // A model the user opens as the map shows whole, as large as the view holds it; a project's keeps
    // the view the project was saved with.
    if (asMap && asked) zoomToMap();
    widgets_->mapView()->update();
    projectChanged();
    return true;
}

void MainWindow::showElevationModel(bool shown) {
    elevationShown_ = shown;
    menuBar_->syncElevationEntry(elevation_ && !elevation_->isMap(), shown);
    widgets_->mapView()->update();
}

void MainWindow::clearElevation() {
    // The streams are the model's: they go with it.
    if (streamsShown()) setStreamsShown(false);
    if (!elevation_ && !elevationModel_) return;
    elevation_.reset();
    elevationModel_.reset();
    elevationSource_ = {};
    elevationOverlay_ = QImage();
    elevationOverlayRect_ = QRectF();
    menuBar_->syncElevationEntry(false, true);
    widgets_->mapView()->update();
}

std::string MainWindow::elevationModelName() const {
    if (!elevation_) return {};
    return std::filesystem::path(elevation_->model().path).filename().string();
}

void MainWindow::paintElevation(QPainter& painter, const QRectF& picture) const {
    if (!elevation_ || !elevationShown_ || elevationOverlay_.isNull()) return;
    const QSize natural = renderer_.size();
    if (natural.isEmpty()) return;
    const double sx = picture.width() / natural.width(), sy = picture.height() / natural.height();
    const QRectF& r = elevationOverlayRect_;
    const QRectF target(picture.x() + r.x() * sx, picture.y() + r.y() * sy, r.width() * sx, r.height() * sy);
    painter.setOpacity(0.5);
    painter.drawImage(target, elevationOverlay_);
}

std::string MainWindow::elevationPointerText(float viewX, float viewY) const {
    if (!elevation_ || !geometry_.hasPicture) return {};
    const measure::MapPoint pixel = measure::pictureOfView(*this, tpp_, viewX, viewY);
    const std::optional<float> z = elevation_->elevationAtPicture(pixel.x, pixel.y);
    if (!z) return {};
    char value[48];
    std::snprintf(value, sizeof value, "%.1f", static_cast<double>(*z));
    return msg::elevationPointerText(value, terrain::verticalUnitText(elevation_->model().unit));
}

void MainWindow::restoreElevation(const project::Project& p, bool asMap) {
    if (!p.elevation || asMap != p.elevation->isMap) return;
    // Said as it is: a model that is not there, a folder, or something that is no plain file.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(p.elevation->path, ec)) {
        std::error_code kindError;
        const auto linked = std::filesystem::symlink_status(p.elevation->path, kindError);
        const auto target = std::filesystem::status(p.elevation->path, kindError);
        std::string_view reason = msg::kElevationFileNotPlain;
        if (!std::filesystem::exists(linked))
            reason = msg::kElevationFileMissing;
        else if (std::filesystem::is_directory(target))
            reason = msg::kElevationFileIsFolder;
        dialogs_.message(msg::projectElevationMissing(p.elevation->path, reason));
        return;
    }
    loadElevation(p.elevation->path, *p.elevation, asMap, false);
}

}  // namespace brelvo::app

// Where an elevation model's cells fall on the map picture: through the two geotransforms when the map
// and the model share a coordinate system, else model -> WGS 84 -> the map's system (and back).
#include "app/elevation_layer.hpp"

#include <cmath>

namespace brelvo::app {

ElevationLayer::ElevationLayer(std::shared_ptr<const terrain::ElevationModel> model,
                               std::unique_ptr<measure::GroundModel> modelGround,
                               const geo::GeoServices* services,
                               std::optional<measure::Georeference> mapGeoref, double pictureScale)
    : model_(std::move(model)),
      modelGround_(std::move(modelGround)),
      services_(services),
      mapGeoref_(std::move(mapGeoref)),
      pictureScale_(pictureScale > 0 ? pictureScale : 1.0) {
    if (!mapGeoref_) return;
    const measure::Georeference& own = model_->georef;
    sameSystem_ = (!own.crs.empty() && own.crs == mapGeoref_->crs) || own.wkt == mapGeoref_->wkt;
    if (!sameSystem_ && services_ != nullptr) {
        std::string error;
        mapGround_ = services_->ground(*mapGeoref_, error);
        toMap_ = services_->transformFromWgs84(mapGeoref_->wkt);
        toModel_ = services_->transformFromWgs84(own.wkt);
    }
}

ElevationLayer::~ElevationLayer() = default;

std::optional<measure::MapPoint> ElevationLayer::pictureOfModel(const measure::MapPoint& point) const {
    if (!mapGeoref_) {
        const auto cell = model_->georef.toPixel(point);
        if (!cell) return std::nullopt;
        return measure::MapPoint{cell->x / pictureScale_, cell->y / pictureScale_};
    }
    if (sameSystem_) return mapGeoref_->toPixel(point);
    if (!modelGround_ || services_ == nullptr) return std::nullopt;
    const auto lonLat = modelGround_->toWgs84(point);
    if (!lonLat) return std::nullopt;
    const auto onMap = toMap_ ? toMap_->fromWgs84(*lonLat) : services_->fromWgs84(mapGeoref_->wkt, *lonLat);
    return onMap ? mapGeoref_->toPixel(*onMap) : std::nullopt;
}

std::optional<measure::MapPoint> ElevationLayer::modelOfPicture(double pictureX, double pictureY) const {
    if (!mapGeoref_) return model_->georef.toMap(pictureX * pictureScale_, pictureY * pictureScale_);
    const measure::MapPoint onMap = mapGeoref_->toMap(pictureX, pictureY);
    if (sameSystem_) return onMap;
    if (!mapGround_ || services_ == nullptr) return std::nullopt;
    const auto lonLat = mapGround_->toWgs84(onMap);
    if (!lonLat) return std::nullopt;
    return toModel_ ? toModel_->fromWgs84(*lonLat) : services_->fromWgs84(model_->georef.wkt, *lonLat);
}

std::optional<terrain::Cell> ElevationLayer::cellAtPicture(double pictureX, double pictureY) const {
    const auto point = modelOfPicture(pictureX, pictureY);
    const auto cell = point ? model_->georef.toPixel(*point) : std::nullopt;
    if (!cell || !std::isfinite(cell->x) || !std::isfinite(cell->y)) return std::nullopt;
    const double column = std::floor(cell->x), row = std::floor(cell->y);
    if (column < 0 || row < 0 || column >= model_->width || row >= model_->height) return std::nullopt;
    return terrain::Cell{static_cast<int>(column), static_cast<int>(row)};
}

measure::MapPoint ElevationLayer::cellCentre(const terrain::Cell& cell) const {
    return model_->georef.toMap(cell.column + 0.5, cell.row + 0.5);
}

std::optional<float> ElevationLayer::elevationAtPicture(double pictureX, double pictureY) const {
    const auto cell = cellAtPicture(pictureX, pictureY);
    if (!cell || !model_->hasData(cell->column, cell->row)) return std::nullopt;
    return model_->z[model_->index(cell->column, cell->row)];
}

}  // namespace brelvo::app

// The elevation model opened beside the map (Map -> Open Elevation Model...): the model's cells, the
// ground of its own coordinate system, and where its cells fall on the map picture. On a georeferenced
// map the model lies in the same place, through WGS 84 when the two systems differ; without a map the
// model is shown as the map itself (its shaded relief is the picture, georeferenced like the model).
#pragma once

#include <memory>
#include <optional>

#include "geo/geo_services.hpp"
#include "measure/georeference.hpp"
#include "terrain/delineation.hpp"
#include "terrain/elevation_model.hpp"

namespace brelvo::app {

class ElevationLayer {
  public:
    // `mapGeoref`: the map picture's georeference (nullptr when the model is shown as the map itself,
    // whose picture then is `pictureScale` model cells per picture pixel, from the model's upper-left
    // corner).
    ElevationLayer(std::shared_ptr<const terrain::ElevationModel> model,
                   std::unique_ptr<measure::GroundModel> modelGround, const geo::GeoServices* services,
                   std::optional<measure::Georeference> mapGeoref, double pictureScale = 1.0);
    ~ElevationLayer();

    const terrain::ElevationModel& model() const { return *model_; }
    std::shared_ptr<const terrain::ElevationModel> sharedModel() const { return model_; }
    // The ground of the model's own system (lengths, areas, WGS 84).
    const measure::GroundModel& modelGround() const { return *modelGround_; }
    // The model is the map itself (no map picture was loaded when it was opened).
    bool isMap() const { return !mapGeoref_; }

    // A point in the model's coordinates on the map picture (pixels), and back; nothing where the two
    // systems do not meet.
    std::optional<measure::MapPoint> pictureOfModel(const measure::MapPoint& model) const;
    std::optional<measure::MapPoint> modelOfPicture(double pictureX, double pictureY) const;
    // The model's cell under a picture pixel; nothing off the model.
    std::optional<terrain::Cell> cellAtPicture(double pictureX, double pictureY) const;
    // The centre of a cell in the model's coordinates.
    measure::MapPoint cellCentre(const terrain::Cell& cell) const;
    // The height under a picture pixel (the model's unit); nothing off the model or on NoData.
    std::optional<float> elevationAtPicture(double pictureX, double pictureY) const;
    // The map's system is the model's: positions pass through the two geotransforms alone.
    bool sameSystem() const { return sameSystem_; }

  private:
    std::shared_ptr<const terrain::ElevationModel> model_;
    std::unique_ptr<measure::GroundModel> modelGround_;
    const geo::GeoServices* services_ = nullptr;
    std::optional<measure::Georeference> mapGeoref_;
    double pictureScale_ = 1.0;
    bool sameSystem_ = true;
    // The map's ground, for positions through WGS 84 when the systems differ, and the transformations
    // from WGS 84 into the map's and the model's systems, made once.
    std::unique_ptr<measure::GroundModel> mapGround_;
    std::unique_ptr<geo::PointTransform> toMap_, toModel_;
};

}  // namespace brelvo::app

// The geodata services on GDAL and PROJ.
#pragma once

#include "geo/geo_services.hpp"

namespace brelvo::geo {

class GdalServices final : public GeoServices {
  public:
    GdalServices();
    GeorefReading readGeoreference(const std::string& picturePath) const override;
    std::optional<std::string> systemWkt(const std::string& code, std::string& error) const override;
    std::string epsgOf(const std::string& wkt) const override;
    std::unique_ptr<measure::GroundModel> ground(const measure::Georeference& georef,
                                                 std::string& error) const override;
    std::optional<measure::MapPoint> fromWgs84(const std::string& wkt,
                                               const measure::LonLat& p) const override;
    std::unique_ptr<PointTransform> transformFromWgs84(const std::string& wkt) const override;
    bool writeWorldFile(const std::string& picturePath, const measure::Georeference& georef,
                        std::string& error) const override;
    bool exportBasin(const std::string& path, const BasinExport& basin, std::string& error) const override;
    std::optional<std::vector<Feature>> readFeatures(const std::string& path,
                                                     std::string& error) const override;
    std::unique_ptr<RasterSource> openRaster(const std::string& path, std::string& error) const override;
    std::optional<terrain::ElevationModel> readElevationModel(const std::string& path,
                                                              const Progress& progress,
                                                              std::string& error) const override;
};

}  // namespace brelvo::geo

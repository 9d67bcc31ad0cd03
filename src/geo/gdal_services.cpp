// The geodata services on GDAL and PROJ: georeferences, systems, ground models, world files, GIS files.
#include "geo/gdal_services.hpp"

namespace brelvo::geo {

GdalServices::GdalServices() = default;

GeorefReading GdalServices::readGeoreference(const std::string&) const {
    return {};
}

std::optional<std::string> GdalServices::systemWkt(const std::string&, std::string& error) const {
    error = "not built yet";
    return std::nullopt;
}

std::string GdalServices::epsgOf(const std::string&) const {
    return {};
}

std::unique_ptr<measure::GroundModel> GdalServices::ground(const measure::Georeference&,
                                                           std::string& error) const {
    error = "not built yet";
    return nullptr;
}

std::optional<measure::MapPoint> GdalServices::fromWgs84(const std::string&, const measure::LonLat&) const {
    return std::nullopt;
}

bool GdalServices::writeWorldFile(const std::string&, const measure::Georeference&,
                                  std::string& error) const {
    error = "not built yet";
    return false;
}

bool GdalServices::exportBasin(const std::string&, const BasinExport&, std::string& error) const {
    error = "not built yet";
    return false;
}

std::optional<std::vector<Feature>> GdalServices::readFeatures(const std::string&, std::string& error) const {
    error = "not built yet";
    return std::nullopt;
}

}  // namespace brelvo::geo

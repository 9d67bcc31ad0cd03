// Elevation models read with GDAL.
#include "geo/gdal_services.hpp"

namespace brelvo::geo {

std::optional<terrain::ElevationModel> GdalServices::readElevationModel(const std::string& path,
                                                                        const Progress&,
                                                                        std::string& error) const {
    error = path + ": elevation models cannot be read yet.";
    return std::nullopt;
}

}  // namespace brelvo::geo

// Big rasters read window by window from their overviews, through GDAL.
#include "geo/gdal_services.hpp"

namespace brelvo::geo {

std::unique_ptr<RasterSource> GdalServices::openRaster(const std::string&, std::string& error) const {
    error = "not built yet";
    return nullptr;
}

}  // namespace brelvo::geo

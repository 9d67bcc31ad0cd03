// The geodata services on GDAL and PROJ: coordinate systems by EPSG code and WKT. Georeferences and world
// files are in georef_files.cpp, the ground model in ground_model.cpp, GIS files in gis_files.cpp.
#include "geo/gdal_services.hpp"

#include <gdal.h>

#include <cctype>
#include <charconv>

#include "common/messages.hpp"
#include "geo/gdal_support.hpp"

namespace brelvo::geo {

namespace msg = common::msg;

GdalServices::GdalServices() {
    GDALAllRegister();
}

std::optional<std::string> GdalServices::systemWkt(const std::string& code, std::string& error) const {
    // "EPSG:n", "epsg:n" or the bare number, blanks around it allowed.
    std::string_view text(code);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
    const std::string typed(text);
    if (detail::lowerCase(std::string(text.substr(0, 5))) == "epsg:") text.remove_prefix(5);
    long number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || number <= 0) {
        error = msg::notEpsgCode(typed);
        return std::nullopt;
    }
    const detail::QuietGdal quiet;
    OGRSpatialReference srs;
    if (number > 2147483647L || srs.importFromEPSG(static_cast<int>(number)) != OGRERR_NONE) {
        error = msg::unknownEpsgCode(number);
        return std::nullopt;
    }
    if (!detail::placesMap(srs)) {
        error = msg::epsgNotMapSystem(number);
        return std::nullopt;
    }
    std::string wkt = detail::wktOf(srs);
    if (wkt.empty()) {
        error = msg::unknownEpsgCode(number);
        return std::nullopt;
    }
    return wkt;
}

std::string GdalServices::epsgOf(const std::string& wkt) const {
    const detail::QuietGdal quiet;
    const auto srs = detail::parseSystem(wkt);
    return srs ? detail::epsgCode(*srs) : std::string();
}

}  // namespace brelvo::geo

// The geodata plugin's one exported function: the services, made once and kept for the run.
#include <type_traits>

#include "geo/gdal_services.hpp"
#include "geo/geo_services.hpp"

extern "C" __attribute__((visibility("default"))) brelvo::geo::GeoServices* brelvo_geo_services_v1() {
    static_assert(std::is_same_v<decltype(&brelvo_geo_services_v1), brelvo::geo::GeoPluginEntry>);
    static brelvo::geo::GdalServices services;
    return &services;
}

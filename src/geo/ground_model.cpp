// The ground of a georeferenced map on PROJ: map coordinates to longitude and latitude (on the system's
// own ellipsoid and on WGS 84), and geodesic lengths and areas on the system's ellipsoid.
#include <geodesic.h>
#include <proj.h>

#include <cmath>
#include <memory>
#include <mutex>

#include "common/messages.hpp"
#include "geo/gdal_services.hpp"
#include "geo/proj_support.hpp"
#include "measure/ground_position.hpp"

namespace brelvo::geo {

namespace {

// The unit of a map's coordinates as the status line names it.
std::string unitShortName(const std::string& code, const std::string& name) {
    if (code == "9001" || name == "metre" || name == "meter") return "m";
    if (code == "9002" || name == "foot") return "ft";
    if (code == "9003" || name == "US survey foot") return "US ft";
    if (code == "9102" || code == "9122" || measure::isDegreeUnit(name)) return "deg";
    return name;
}

// The system itself, without the datum shift a WKT1 system may carry beside it.
detail::Pj baseSystem(PJ_CONTEXT* context, PJ* system) {
    if (proj_get_type(system) == PJ_TYPE_BOUND_CRS) return detail::Pj(proj_get_source_crs(context, system));
    return detail::Pj(proj_clone(context, system));
}

class ProjGround final : public measure::GroundModel {
  public:
    // Empty (valid() false) when PROJ cannot use the system.
    explicit ProjGround(const std::string& wkt) : context_(proj_context_create()) {
        if (!context_) return;
        proj_log_level(context_.get(), PJ_LOG_NONE);
        const detail::Pj system(proj_create(context_.get(), wkt.c_str()));
        if (!system || !detail::placesMap(proj_get_type(system.get()))) return;
        const detail::Pj base = baseSystem(context_.get(), system.get());
        if (!base) return;
        const detail::Pj geodetic(proj_crs_get_geodetic_crs(context_.get(), base.get()));
        if (!geodetic) return;
        const detail::Pj ellipsoid(proj_get_ellipsoid(context_.get(), geodetic.get()));
        double semiMajor = 0, semiMinor = 0, inverseFlattening = 0;
        int minorComputed = 0;
        if (!ellipsoid || !proj_ellipsoid_get_parameters(context_.get(), ellipsoid.get(), &semiMajor,
                                                         &semiMinor, &minorComputed, &inverseFlattening)) {
            return;
        }
        if (!(semiMajor > 0) || !std::isfinite(semiMajor) || !std::isfinite(inverseFlattening)) return;
        geod_init(&geodesic_, semiMajor, inverseFlattening == 0 ? 0 : 1 / inverseFlattening);
        toOwn_ = detail::transform(context_.get(), system.get(), geodetic.get());
        const detail::Pj wgs84(proj_create(context_.get(), "EPSG:4326"));
        if (wgs84) toWgs84_ = detail::transform(context_.get(), system.get(), wgs84.get());
        unit_ = unitOf(base.get());
    }

    bool valid() const { return toOwn_ && toWgs84_; }

    std::optional<measure::LonLat> toGeographic(const measure::MapPoint& map) const override {
        return run(toOwn_.get(), map);
    }
    std::optional<measure::LonLat> toWgs84(const measure::MapPoint& map) const override {
        return run(toWgs84_.get(), map);
    }

    double geodesicLength(const measure::LonLat& a, const measure::LonLat& b) const override {
        double length = 0;
        geod_inverse(&geodesic_, a.lat, a.lon, b.lat, b.lon, &length, nullptr, nullptr);
        return std::isfinite(length) ? length : 0;
    }

    double geodesicArea(const std::vector<measure::LonLat>& ring) const override {
        if (ring.size() < 3) return 0;
        std::vector<double> lats, lons;
        lats.reserve(ring.size());
        lons.reserve(ring.size());
        for (const measure::LonLat& p : ring) {
            lats.push_back(p.lat);
            lons.push_back(p.lon);
        }
        double area = 0, perimeter = 0;
        geod_polygonarea(&geodesic_, lats.data(), lons.data(), static_cast<int>(ring.size()), &area,
                         &perimeter);
        return std::isfinite(area) ? std::fabs(area) : 0;
    }

    std::string unitName() const override { return unit_; }

  private:
    std::string unitOf(PJ* base) const {
        const detail::Pj cs(proj_crs_get_coordinate_system(context_.get(), base));
        const char* unitName = nullptr;
        const char* unitCode = nullptr;
        if (!cs || !proj_cs_get_axis_info(context_.get(), cs.get(), 0, nullptr, nullptr, nullptr, nullptr,
                                          &unitName, nullptr, &unitCode)) {
            return {};
        }
        return unitShortName(unitCode ? unitCode : "", unitName ? unitName : "");
    }

    std::optional<measure::LonLat> run(PJ* transformation, const measure::MapPoint& map) const {
        if (!transformation || !std::isfinite(map.x) || !std::isfinite(map.y)) return std::nullopt;
        // A PJ and its context answer one thread at a time.
        const std::lock_guard lock(mutex_);
        return detail::lonLat(proj_trans(transformation, PJ_FWD, proj_coord(map.x, map.y, 0, 0)));
    }

    detail::Context context_;
    detail::Pj toOwn_, toWgs84_;
    geod_geodesic geodesic_{};
    std::string unit_;
    mutable std::mutex mutex_;
};

}  // namespace

// The model may be used from any thread: its transformations take a lock, the geodesic figures are pure.
std::unique_ptr<measure::GroundModel> GdalServices::ground(const measure::Georeference& georef,
                                                           std::string& error) const {
    if (!georef.systemKnown()) {
        error = common::msg::kGroundNoSystem;
        return nullptr;
    }
    auto model = std::make_unique<ProjGround>(georef.wkt);
    if (!model->valid()) {
        error = common::msg::kGroundUnusable;
        return nullptr;
    }
    return model;
}

std::optional<measure::MapPoint> GdalServices::fromWgs84(const std::string& wkt,
                                                         const measure::LonLat& p) const {
    if (!std::isfinite(p.lon) || !std::isfinite(p.lat) || std::fabs(p.lat) > 90) return std::nullopt;
    const detail::Context context(proj_context_create());
    if (!context) return std::nullopt;
    proj_log_level(context.get(), PJ_LOG_NONE);
    const detail::Pj wgs84(proj_create(context.get(), "EPSG:4326"));
    const detail::Pj system(proj_create(context.get(), wkt.c_str()));
    if (!wgs84 || !system || !detail::placesMap(proj_get_type(system.get()))) return std::nullopt;
    const detail::Pj transformation = detail::transform(context.get(), wgs84.get(), system.get());
    if (!transformation) return std::nullopt;
    const PJ_COORD out = proj_trans(transformation.get(), PJ_FWD, proj_coord(p.lon, p.lat, 0, 0));
    if (out.xy.x == HUGE_VAL || !std::isfinite(out.xy.x) || !std::isfinite(out.xy.y)) return std::nullopt;
    return measure::MapPoint{out.xy.x, out.xy.y};
}

}  // namespace brelvo::geo

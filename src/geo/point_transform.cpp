// Points from WGS 84 into one system through a PROJ transformation made once, as fromWgs84 makes it for
// each point: the same steps, so the same coordinates.
#include <proj.h>

#include <cmath>
#include <mutex>

#include "geo/gdal_services.hpp"
#include "geo/proj_support.hpp"

namespace brelvo::geo {

namespace {

class ProjPointTransform final : public PointTransform {
  public:
    explicit ProjPointTransform(const std::string& wkt) : context_(proj_context_create()) {
        if (!context_) return;
        proj_log_level(context_.get(), PJ_LOG_NONE);
        const detail::Pj wgs84(proj_create(context_.get(), "EPSG:4326"));
        const detail::Pj system(proj_create(context_.get(), wkt.c_str()));
        if (!wgs84 || !system || !detail::placesMap(proj_get_type(system.get()))) return;
        transformation_ = detail::transform(context_.get(), wgs84.get(), system.get());
    }
    bool valid() const { return transformation_ != nullptr; }

    std::optional<measure::MapPoint> fromWgs84(const measure::LonLat& p) const override {
        if (!std::isfinite(p.lon) || !std::isfinite(p.lat) || std::fabs(p.lat) > 90) return std::nullopt;
        // A PJ and its context answer one thread at a time.
        const std::lock_guard lock(mutex_);
        const PJ_COORD out = proj_trans(transformation_.get(), PJ_FWD, proj_coord(p.lon, p.lat, 0, 0));
        if (out.xy.x == HUGE_VAL || !std::isfinite(out.xy.x) || !std::isfinite(out.xy.y)) return std::nullopt;
        return measure::MapPoint{out.xy.x, out.xy.y};
    }

  private:
    detail::Context context_;
    detail::Pj transformation_;
    mutable std::mutex mutex_;
};

}  // namespace

std::unique_ptr<PointTransform> GdalServices::transformFromWgs84(const std::string& wkt) const {
    auto transform = std::make_unique<ProjPointTransform>(wkt);
    if (!transform->valid()) return nullptr;
    return transform;
}

}  // namespace brelvo::geo

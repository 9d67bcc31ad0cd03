// PROJ's objects held so they are always given back, and the few steps the ground model and the GIS files
// share.
#pragma once

#include <proj.h>

#include <cmath>
#include <memory>
#include <optional>

#include "measure/georeference.hpp"

namespace brelvo::geo::detail {

struct PjFree {
    void operator()(PJ* pj) const { proj_destroy(pj); }
};
struct ContextFree {
    void operator()(PJ_CONTEXT* context) const { proj_context_destroy(context); }
};
using Pj = std::unique_ptr<PJ, PjFree>;
using Context = std::unique_ptr<PJ_CONTEXT, ContextFree>;

// Projected or geographic: a system that can place a map.
inline bool placesMap(PJ_TYPE type) {
    switch (type) {
        case PJ_TYPE_PROJECTED_CRS:
        case PJ_TYPE_GEOGRAPHIC_2D_CRS:
        case PJ_TYPE_GEOGRAPHIC_3D_CRS:
        case PJ_TYPE_BOUND_CRS:
            return true;
        default:
            return false;
    }
}

// The transformation between two systems, both in east-then-north order (longitude before latitude);
// empty when PROJ has none.
inline Pj transform(PJ_CONTEXT* context, PJ* from, PJ* to) {
    const Pj raw(proj_create_crs_to_crs_from_pj(context, from, to, nullptr, nullptr));
    if (!raw) return nullptr;
    return Pj(proj_normalize_for_visualization(context, raw.get()));
}

// A transformed point as longitude and latitude; nothing when PROJ could not place it.
inline std::optional<measure::LonLat> lonLat(const PJ_COORD& out) {
    const double lon = out.lp.lam, lat = out.lp.phi;
    if (lon == HUGE_VAL || !std::isfinite(lon) || !std::isfinite(lat) || std::fabs(lat) > 90)
        return std::nullopt;
    return measure::LonLat{lon, lat};
}

}  // namespace brelvo::geo::detail

#include "terrain/elevation_model.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>

namespace brelvo::terrain {

const char* verticalUnitText(VerticalUnit unit) {
    switch (unit) {
        case VerticalUnit::Metre:
            return "m";
        case VerticalUnit::Foot:
            return "ft";
        case VerticalUnit::UsFoot:
            return "US ft";
        case VerticalUnit::Unknown:
            break;
    }
    return "";
}

double metresPer(VerticalUnit unit) {
    switch (unit) {
        case VerticalUnit::Metre:
            return 1.0;
        case VerticalUnit::Foot:
            return 0.3048;
        case VerticalUnit::UsFoot:
            return 1200.0 / 3937.0;
        case VerticalUnit::Unknown:
            break;
    }
    return 0.0;
}

VerticalUnit verticalUnitFromText(std::string_view text) {
    std::string t;
    for (const char c : text) {
        // Letter case, blanks, dashes and underscores do not tell units apart.
        const auto u = static_cast<unsigned char>(c);
        if (std::isspace(u) || c == '-' || c == '_' || c == '.') continue;
        t.push_back(static_cast<char>(std::tolower(u)));
    }
    static constexpr std::array<std::string_view, 5> metres{"m", "metre", "metres", "meter", "meters"};
    static constexpr std::array<std::string_view, 7> feet{
        "ft", "foot", "feet", "internationalfoot", "internationalfeet", "intlfoot", "footintl"};
    static constexpr std::array<std::string_view, 7> usFeet{"ussurveyfoot", "ussurveyfeet", "ftus",  "usft",
                                                            "usfoot",       "usfeet",       "footus"};
    const auto in = [&t](const auto& names) {
        return std::find(names.begin(), names.end(), t) != names.end();
    };
    if (in(metres)) return VerticalUnit::Metre;
    if (in(feet)) return VerticalUnit::Foot;
    if (in(usFeet)) return VerticalUnit::UsFoot;
    return VerticalUnit::Unknown;
}

bool plausibleHeight(float z, VerticalUnit unit) {
    const double perUnit = unit == VerticalUnit::Unknown ? metresPer(VerticalUnit::Foot) : metresPer(unit);
    const double bound = kHeightBoundM / perUnit;
    return std::isfinite(z) && std::fabs(static_cast<double>(z)) <= bound;
}

std::uint64_t modelFingerprint(const ElevationModel& model) {
    std::uint64_t hash = 1469598103934665603ULL;
    const auto mix = [&hash](const void* data, std::size_t size) {
        const auto* bytes = static_cast<const unsigned char*>(data);
        for (std::size_t i = 0; i < size; ++i) {
            hash ^= bytes[i];
            hash *= 1099511628211ULL;
        }
    };
    mix(&model.width, sizeof model.width);
    mix(&model.height, sizeof model.height);
    for (const double g : model.georef.geotransform) mix(&g, sizeof g);
    const float noData = std::numeric_limits<float>::quiet_NaN();
    for (const float z : model.z) mix(std::isnan(z) ? &noData : &z, sizeof z);
    return hash;
}

std::size_t clearAbsurdHeights(ElevationModel& model) {
    std::size_t cleared = 0;
    for (float& z : model.z) {
        if (std::isnan(z) || plausibleHeight(z, model.unit)) continue;
        z = std::numeric_limits<float>::quiet_NaN();
        ++cleared;
    }
    return cleared;
}

namespace {

// Metres in one unit of a projected system's coordinates, by the ground model's unit name.
double metresPerLinearUnit(const std::string& unit) {
    if (unit == "ft") return 0.3048;
    if (unit == "US ft") return 1200.0 / 3937.0;
    return 1.0;  // metres, and any unit the ground cannot name
}

// A geographic position of the model's coordinates; the coordinates themselves (longitude, latitude)
// when the ground cannot answer, so that a row never goes without figures.
measure::LonLat geographicAt(const ElevationModel& model, const measure::GroundModel& ground, double column,
                             double row) {
    const measure::MapPoint map = model.georef.toMap(column, row);
    if (const auto p = ground.toGeographic(map)) return *p;
    return {map.x, std::clamp(map.y, -90.0, 90.0)};
}

}  // namespace

CellGeometry cellGeometry(const ElevationModel& model, const measure::GroundModel& ground) {
    CellGeometry g;
    const std::size_t rows = static_cast<std::size_t>(std::max(model.height, 0));
    g.dx.resize(rows);
    g.dy.resize(rows);
    g.diagonal.resize(rows);
    g.area.resize(rows);
    const std::string unit = ground.unitName();
    if (unit != "deg") {
        // Every cell alike: the lengths of the geotransform's column and row vectors.
        const auto& t = model.georef.geotransform;
        const double m = metresPerLinearUnit(unit);
        const double dx = std::hypot(t[1], t[4]) * m;
        const double dy = std::hypot(t[2], t[5]) * m;
        const double diagonal = std::hypot(t[1] + t[2], t[4] + t[5]) * m;
        const double area = std::fabs(t[1] * t[5] - t[2] * t[4]) * m * m;
        std::fill(g.dx.begin(), g.dx.end(), dx);
        std::fill(g.dy.begin(), g.dy.end(), dy);
        std::fill(g.diagonal.begin(), g.diagonal.end(), diagonal);
        std::fill(g.area.begin(), g.area.end(), area);
        return g;
    }
    // Geographic: one cell of each row (the middle column's) measured on the ellipsoid; the cells of a
    // row differ only by longitude, which leaves their lengths and area alike.
    const double c = static_cast<double>(model.width / 2);
    for (std::size_t r = 0; r < rows; ++r) {
        const double top = static_cast<double>(r);
        const measure::LonLat nw = geographicAt(model, ground, c, top);
        const measure::LonLat ne = geographicAt(model, ground, c + 1, top);
        const measure::LonLat se = geographicAt(model, ground, c + 1, top + 1);
        const measure::LonLat sw = geographicAt(model, ground, c, top + 1);
        g.dx[r] = ground.geodesicLength(geographicAt(model, ground, c, top + 0.5),
                                        geographicAt(model, ground, c + 1, top + 0.5));
        g.dy[r] = ground.geodesicLength(geographicAt(model, ground, c + 0.5, top),
                                        geographicAt(model, ground, c + 0.5, top + 1));
        g.diagonal[r] = ground.geodesicLength(nw, se);
        g.area[r] = ground.geodesicArea({nw, ne, se, sw});
    }
    return g;
}

}  // namespace brelvo::terrain

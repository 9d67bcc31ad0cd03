// Positions on a georeferenced map: view, picture pixel and map coordinates, in double precision.
#include "measure/ground_position.hpp"

#include <array>
#include <cctype>

#include "common/numbers.hpp"

namespace brelvo::measure {

namespace {

// View units per picture pixel as the picture is shown.
double viewUnitsPerPixel(const MapSurface& surface, float twipsPerPixel) {
    return static_cast<double>(twipsPerPixel) * static_cast<double>(surface.pictureZoom());
}

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

}  // namespace

bool isDegreeUnit(std::string_view unit) {
    static constexpr std::array<std::string_view, 5> kNames{"deg", "degree", "degrees", "decimal degree",
                                                            "decimal degrees"};
    for (const std::string_view name : kNames)
        if (sameLetters(unit, name)) return true;
    return false;
}

MapPoint pictureOfView(const MapSurface& surface, float twipsPerPixel, float vx, float vy) {
    const double perPixel = viewUnitsPerPixel(surface, twipsPerPixel);
    return {(static_cast<double>(vx) - surface.imageLeft()) / perPixel,
            (static_cast<double>(vy) - surface.imageTop()) / perPixel};
}

PointF viewOfPicture(const MapSurface& surface, float twipsPerPixel, const MapPoint& pixel) {
    const double perPixel = viewUnitsPerPixel(surface, twipsPerPixel);
    return {static_cast<float>(surface.imageLeft() + pixel.x * perPixel),
            static_cast<float>(surface.imageTop() + pixel.y * perPixel)};
}

MapPoint mapOfView(const Georeference& georef, const MapSurface& surface, float twipsPerPixel, float vx,
                   float vy) {
    const MapPoint pixel = pictureOfView(surface, twipsPerPixel, vx, vy);
    return georef.toMap(pixel.x, pixel.y);
}

bool showsMapCoordinates(const MeasureDocument& doc) {
    const std::optional<Georeference>& georef = doc.georeference();
    return georef && georef->valid() && !doc.scaleReplacesGeoreference() && !doc.state().pixelUnits;
}

bool measuresOnGround(const MeasureDocument& doc, const MapSurface& surface) {
    return showsMapCoordinates(doc) && doc.georeference()->systemKnown() && surface.ground() != nullptr;
}

std::string mapPointerText(const Georeference& georef, const GroundModel* ground, const MapSurface& surface,
                           float twipsPerPixel, float vx, float vy) {
    const MapPoint p = mapOfView(georef, surface, twipsPerPixel, vx, vy);
    const bool degrees = ground && isDegreeUnit(ground->unitName());
    const std::string unit = degrees ? std::string("deg") : ground ? ground->unitName() : std::string();
    const char* const pattern = degrees ? "0.000000" : "0.0";
    const std::string suffix = unit.empty() ? std::string() : " " + unit;
    std::string text = "X " + common::formatPattern(p.x, pattern) + suffix + ", Y " +
                       common::formatPattern(p.y, pattern) + suffix;
    if (ground) {
        if (const std::optional<LonLat> wgs = ground->toWgs84(p)) {
            text += "  Lat " + common::formatPattern(wgs->lat, "0.000000") + ", Long " +
                    common::formatPattern(wgs->lon, "0.000000");
        }
    }
    return text;
}

}  // namespace brelvo::measure

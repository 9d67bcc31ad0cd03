// The control points of a georeference being made: their texts checked as typed, the system, the fit.
#include "measure/georef_points.hpp"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::measure {

namespace {

namespace msg = common::msg;

// The name of coordinate `which` of a kind, as the table's column header says it.
std::string columnName(GeorefKind kind, int which) {
    if (kind == GeorefKind::LatLong)
        return which == 0 ? msg::kGeorefColumnLatitude : msg::kGeorefColumnLongitude;
    return which == 0 ? msg::kGeorefColumnEasting : msg::kGeorefColumnNorthing;
}

// A coordinate text read wholly as one number in double precision (map coordinates need more digits
// than a single keeps); nothing for an empty text.
std::optional<double> coordinate(const std::string& text, std::string& refused) {
    refused.clear();
    if (text.find_first_not_of(" \t") == std::string::npos) return std::nullopt;
    double value = 0;
    bool number = common::isWholeNumber(text);
    if (number) {
        try {
            value = common::leadingNumber(text);
        } catch (const std::exception&) {
            number = false;
        }
    }
    if (!number || !std::isfinite(value)) {
        refused = msg::kGeorefNotANumber;
        return std::nullopt;
    }
    return value;
}

// "32613" and "epsg:32613" as "EPSG:32613"; any other text as it is, trimmed.
std::string normalisedCode(const std::string& code) {
    const auto first = code.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    std::string c = code.substr(first, code.find_last_not_of(" \t") - first + 1);
    if (std::all_of(c.begin(), c.end(), [](unsigned char ch) { return std::isdigit(ch) != 0; }))
        return "EPSG:" + c;
    if (c.size() > 5 && (c.compare(0, 5, "epsg:") == 0 || c.compare(0, 5, "Epsg:") == 0))
        return "EPSG:" + c.substr(5);
    return c;
}

// The residuals are rounded below what the typed coordinates can mean (ten digits under the largest
// of them), so that an exact fit shows 0 and not the last bits of the arithmetic.
double roundedResidual(double residual, double largest) {
    const int digits = 9 - static_cast<int>(std::floor(std::log10(std::max(largest, 1.0))));
    const double scale = std::pow(10.0, std::clamp(digits, 0, 15));
    return std::nearbyint(residual * scale) / scale;
}

}  // namespace

int GeorefPoints::add(double column, double row) {
    GeorefPoint point;
    point.column = column;
    point.row = row;
    points_.push_back(point);
    forgetFit();
    message_.clear();
    return static_cast<int>(points_.size());
}

bool GeorefPoints::remove(int number) {
    if (number < 1 || number > static_cast<int>(points_.size())) return false;
    points_.erase(points_.begin() + (number - 1));
    forgetFit();
    return true;
}

void GeorefPoints::check(GeorefPoint& point, int number, int which) {
    const std::string& text = which == 0 ? point.first : point.second;
    std::string& refused = which == 0 ? point.firstRefused : point.secondRefused;
    const std::optional<double> value = coordinate(text, refused);
    if (value && kind_ == GeorefKind::LatLong) {
        if (which == 0 && std::fabs(*value) > 90) refused = msg::kGeorefLatitudeRange;
        if (which == 1 && (*value < -180 || *value > 360)) refused = msg::kGeorefLongitudeRange;
    }
    if (!refused.empty()) message_ = msg::georefBoxRefused(number, columnName(kind_, which), refused);
}

bool GeorefPoints::setText(int number, int which, const std::string& text) {
    if (number < 1 || number > static_cast<int>(points_.size()) || which < 0 || which > 1) return false;
    GeorefPoint& point = points_[static_cast<std::size_t>(number - 1)];
    (which == 0 ? point.first : point.second) = text;
    forgetFit();
    message_.clear();
    check(point, number, which);
    return true;
}

bool GeorefPoints::useLatLong(const SystemCheck& systemCheck) {
    std::string error;
    const std::optional<std::string> wkt = systemCheck(kLatLongCode, error);
    if (!wkt) {
        message_ = msg::georefSystemRefused(kLatLongCode, error);
        return false;
    }
    takeSystem(GeorefKind::LatLong, kLatLongCode, *wkt);
    return true;
}

bool GeorefPoints::useProjected(const std::string& code, const SystemCheck& systemCheck) {
    const std::string named = normalisedCode(code);
    std::string error;
    const std::optional<std::string> wkt = named.empty() ? std::nullopt : systemCheck(named, error);
    if (!wkt) {
        // The system check's own reason when it names the code already, else the code named here.
        message_ = !named.empty() && error.find(named) != std::string::npos
                       ? error
                       : msg::georefSystemRefused(code, error.empty() ? msg::kGeorefNotANumber : error);
        return false;
    }
    takeSystem(GeorefKind::Projected, named, *wkt);
    return true;
}

void GeorefPoints::takeSystem(GeorefKind kind, const std::string& system, const std::string& wkt) {
    kind_ = kind;
    system_ = system;
    wkt_ = wkt;
    forgetFit();
    message_.clear();
    // The typed coordinates are read again in the new system's terms.
    for (std::size_t i = 0; i < points_.size(); ++i) {
        check(points_[i], static_cast<int>(i + 1), 0);
        check(points_[i], static_cast<int>(i + 1), 1);
    }
}

std::optional<MapPoint> GeorefPoints::mapOf(const GeorefPoint& point) const {
    if (!point.firstRefused.empty() || !point.secondRefused.empty()) return std::nullopt;
    std::string refused;
    const std::optional<double> first = coordinate(point.first, refused);
    const std::optional<double> second = coordinate(point.second, refused);
    if (!first || !second) return std::nullopt;
    // Latitude is typed first; the map's X is the longitude.
    if (kind_ == GeorefKind::LatLong) return MapPoint{*second, *first};
    return MapPoint{*first, *second};
}

bool GeorefPoints::fit(const Fitter& fitter) {
    forgetFit();
    std::vector<PixelToMap> used;
    std::vector<std::size_t> usedIndex;
    double largest = 0;
    for (std::size_t i = 0; i < points_.size(); ++i) {
        const std::optional<MapPoint> map = mapOf(points_[i]);
        if (!map) continue;
        used.push_back({points_[i].column, points_[i].row, *map});
        usedIndex.push_back(i);
        largest = std::max({largest, std::fabs(map->x), std::fabs(map->y)});
    }
    if (used.size() < 2) {
        message_ = msg::kGeorefNeedTwoPoints;
        return false;
    }
    std::string error;
    const std::optional<std::array<double, 6>> g = fitter(used, error);
    if (!g) {
        message_ = error;
        return false;
    }
    geotransform_ = g;
    Georeference transform;
    transform.geotransform = *g;
    double sumSquares = 0;
    for (std::size_t k = 0; k < used.size(); ++k) {
        const MapPoint fitted = transform.toMap(used[k].column, used[k].row);
        const double r = std::hypot(fitted.x - used[k].map.x, fitted.y - used[k].map.y);
        sumSquares += r * r;
        points_[usedIndex[k]].residual = roundedResidual(r, largest);
    }
    const double rms = roundedResidual(std::sqrt(sumSquares / static_cast<double>(used.size())), largest);
    message_ =
        msg::georefFitShown(static_cast<int>(used.size()), used.size() > 2, common::messageNumber(rms, 4));
    return true;
}

std::optional<Georeference> GeorefPoints::georeference() const {
    if (!geotransform_ || wkt_.empty()) return std::nullopt;
    Georeference georef;
    georef.geotransform = *geotransform_;
    georef.wkt = wkt_;
    georef.crs = system_;
    georef.source = GeorefSource::ControlPoints;
    if (!georef.valid()) return std::nullopt;
    return georef;
}

void GeorefPoints::forgetFit() {
    geotransform_.reset();
    for (GeorefPoint& point : points_) point.residual.reset();
}

}  // namespace brelvo::measure

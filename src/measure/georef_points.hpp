// The control points of a plain scan being georeferenced: where each was clicked on the picture, the
// two coordinates the user typed for it (checked as they are typed, a refused text kept in its box with
// the reason), the coordinate system they are in, and the transform fitted through them with each
// point's residual. The fit itself is asked of the caller (two points give a similarity, three or more
// an affine transform); the residuals are measured here, on the transform that came back.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "measure/georeference.hpp"

namespace brelvo::measure {

// How the coordinates are typed: latitude then longitude in decimal degrees (WGS 84), or easting then
// northing in a system named by its EPSG code.
enum class GeorefKind { LatLong, Projected };

struct GeorefPoint {
    double column = 0;  // picture pixels from the upper-left corner of the upper-left pixel
    double row = 0;
    std::string first;         // latitude, or easting, as typed
    std::string second;        // longitude, or northing
    std::string firstRefused;  // why the text was refused (shown in its box), else empty
    std::string secondRefused;
    std::optional<double> residual;  // map units, after a fit that used the point
};

// One point as the fit takes it: its picture pixel and its map coordinates.
struct PixelToMap {
    double column = 0;
    double row = 0;
    MapPoint map;
};

class GeorefPoints {
  public:
    // The geotransform through the points (similarity for two, affine for more), or nothing with
    // `error` set.
    using Fitter = std::function<std::optional<std::array<double, 6>>(const std::vector<PixelToMap>& points,
                                                                      std::string& error)>;
    // The WKT of a system code ("EPSG:32613"), or nothing with `error` set.
    using SystemCheck =
        std::function<std::optional<std::string>(const std::string& code, std::string& error)>;

    static constexpr const char* kLatLongCode = "EPSG:4326";

    const std::vector<GeorefPoint>& points() const { return points_; }
    GeorefKind kind() const { return kind_; }
    // "EPSG:4326" for latitude/longitude, else the code as the user gave it ("EPSG:32613").
    const std::string& system() const { return system_; }
    const std::string& systemWkt() const { return wkt_; }
    // What the dialog says under its table: the fit, the last refusal, or what to do next.
    const std::string& message() const { return message_; }
    const std::optional<std::array<double, 6>>& geotransform() const { return geotransform_; }

    // A click at picture pixel (column, row): a new point, numbered from 1.
    int add(double column, double row);
    // Removes point `number` (1-based); false when there is none. The points after it move up.
    bool remove(int number);
    // Point `number`'s coordinate `which` (0: latitude or easting, 1: longitude or northing) typed as
    // `text`. A text that is not a number, or a latitude or longitude out of its range, is kept and
    // refused in its box (the reason also becomes the message). False when there is no such point.
    bool setText(int number, int which, const std::string& text);
    // The coordinates are latitude and longitude in WGS 84 (its WKT from `check`); false when the system
    // cannot be had (the message says why). Every typed text is checked again for the new kind.
    bool useLatLong(const SystemCheck& check);
    // The coordinates are easting and northing in system `code` ("EPSG:32613" or "32613"); a code the
    // system check does not know is refused by name in the message and changes nothing.
    bool useProjected(const std::string& code, const SystemCheck& check);

    // Fits the transform through every point whose two coordinates are numbers (at least two), and
    // measures each such point's residual; false (message says why) when it cannot.
    bool fit(const Fitter& fitter);
    // The georeference of the last fit in the chosen system (source: control points); nothing before a
    // fit, or when no system is set.
    std::optional<Georeference> georeference() const;
    // The map coordinates of a point whose two texts are numbers.
    std::optional<MapPoint> mapOf(const GeorefPoint& point) const;
    void setMessage(std::string text) { message_ = std::move(text); }

  private:
    // The coordinate kind and its system, taken once checked.
    void takeSystem(GeorefKind kind, const std::string& system, const std::string& wkt);
    void check(GeorefPoint& point, int number, int which);
    void forgetFit();

    std::vector<GeorefPoint> points_;
    GeorefKind kind_ = GeorefKind::LatLong;
    std::string system_ = kLatLongCode;
    std::string wkt_;
    std::string message_;
    std::optional<std::array<double, 6>> geotransform_;
};

}  // namespace brelvo::measure

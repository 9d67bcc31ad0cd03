// Test double for the measuring logic: a map surface with settable geometry. The dialogs port comes
// from support/recording_dialogs.hpp.
#pragma once

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "measure/map_surface.hpp"

namespace brelvo::measure {

// The measuring window as plain values; the window actions are only counted.
class FakeSurface : public MapSurface {
  public:
    float imageLeftValue = 0;
    float imageTopValue = 0;
    float viewHeightValue = 0;

    float pictureZoomValue = 1;
    int relayoutCalls = 0;
    int runoffWindowCalls = 0;
    int helpCalls = 0;

    float imageLeft() const override { return imageLeftValue; }
    float imageTop() const override { return imageTopValue; }
    float viewHeight() const override { return viewHeightValue; }
    // The part of the view on the screen: large enough for any test that does not narrow it.
    Box visibleAreaValue{0, 0, 1E+7f, 1E+7f, true};
    Box visibleArea() const override { return visibleAreaValue; }

    float pictureZoom() const override { return pictureZoomValue; }
    const GroundModel* groundValue = nullptr;
    const GroundModel* ground() const override { return groundValue; }
    void relayoutView() override { ++relayoutCalls; }
    void openRunoffWindow() override { ++runoffWindowCalls; }
    void openHelp() override { ++helpCalls; }
};

// Geographic positions are the map coordinates themselves; eastings beyond 600000 are off the ground.
// WGS 84: 100 km to a degree from (-105, 40) at (500000, 4400000).
class PlanarGround : public GroundModel {
  public:
    std::optional<LonLat> toGeographic(const MapPoint& p) const override {
        if (p.x > 600000) return std::nullopt;
        return LonLat{p.x, p.y};
    }
    std::optional<LonLat> toWgs84(const MapPoint& p) const override {
        return LonLat{-105 + (p.x - 500000) / 100000, 40 + (p.y - 4400000) / 100000};
    }
    double geodesicLength(const LonLat& a, const LonLat& b) const override {
        return std::hypot(b.lon - a.lon, b.lat - a.lat);
    }
    double geodesicArea(const std::vector<LonLat>& ring) const override {
        double twice = 0;
        for (std::size_t i = 0; i < ring.size(); ++i) {
            const LonLat& a = ring[i];
            const LonLat& b = ring[(i + 1) % ring.size()];
            twice += a.lon * b.lat - b.lon * a.lat;
        }
        return std::fabs(twice) / 2;
    }
    std::string unitName() const override { return "m"; }
};

}  // namespace brelvo::measure

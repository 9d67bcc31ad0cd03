// Test double for the measuring logic: a map surface with settable geometry. The dialogs port comes
// from support/recording_dialogs.hpp.
#pragma once

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

}  // namespace brelvo::measure

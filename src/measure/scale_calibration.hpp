// Scale calibration: the two scale clicks, the scale panel's distance box, spinner and unit options,
// and the map scale and unit fields that Ok computes from them.
#pragma once

#include "common/dialogs.hpp"
#include "measure/map_surface.hpp"
#include "measure/measure_document.hpp"

namespace brelvo::measure {

struct UnitOption {
    const char* caption;
    const char* lengthUnitText;
    const char* areaUnitText;
    float areaFactor;  // squared length unit to area unit
    bool pixelUnits;
    bool generalPixels;
};

class ScaleCalibration {
  public:
    static constexpr int kUnitOptions = 7;
    static const UnitOption& unitOption(int index);

    // Screen pixels per view unit are the window's; NEXRAD pixel scaling divides by it.
    ScaleCalibration(MeasureDocument& doc, MapSurface& surface, common::Dialogs& dialogs);

    void setTwipsPerPixelX(float twips) { twipsPerPixelX_ = twips; }
    float twipsPerPixelX() const { return twipsPerPixelX_; }

    // Left click in ScalePoints mode, image-relative view units.
    void RecordScalePoint(float x, float y);
    // An option of Option1 was chosen.
    void chooseOption(int index);
    // The distance box was typed into.
    void typeDistance(const std::string& text);
    // One spinner step up (+1) or down (-1); the spinner starts from the number in the distance box.
    void spin(int direction);
    // The Ok button. With the units alone (SurfaceControls::unitsOnly) it sets the chosen option's units
    // and measures the map on the ground again; "General Pixels" there is refused (its points are
    // clicked with Set Scale).
    void ApplyScale();
    // A georeference in a known system was set: the map is measured without a scale, in "Miles / Sq
    // Miles" until the user picks other units. Nothing on a map without one.
    void useGroundUnits();
    // The Map menu's "Measuring Units...": on a map with a georeference in a known system, the scale
    // panel for the units alone (no clicks, no distance); elsewhere a message that the units come with
    // Set Scale.
    void showGroundUnits();
    // "Set Scale" was chosen: on a map measured on the ground, the warning that the scale will replace
    // the georeference; an open panel for the units alone closes.
    void beginScalePoints();
    // Esc on the open panel: the panel and both scale points go, the map is idle again.
    void cancelPanel();
    // Panel drag: left press at panel-relative (x, y), then moves with the button down.
    void panelPress(float x, float y);
    void panelDrag(float x, float y);

    static constexpr int kSpinnerMin = 1;
    static constexpr int kSpinnerMax = 999999;

  private:
    void spinnerChanged();
    void hidePanelAndPoints();
    void applyGroundUnits();
    void setUnits(const UnitOption& unit);

    MeasureDocument& doc_;
    MapSurface& surface_;
    common::Dialogs& dialogs_;
    float twipsPerPixelX_ = 15.0f;
};

}  // namespace brelvo::measure

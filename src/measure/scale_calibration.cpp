// Scale calibration: scale clicks, the scale panel and the map scale and units computed by Ok.
#include "measure/scale_calibration.hpp"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "measure/ground_position.hpp"
#include "measure/measurement.hpp"

namespace brelvo::measure {

namespace {

// The two small factors are the singles of exactly these short texts, not exact reciprocals.
const UnitOption kUnits[ScaleCalibration::kUnitOptions] = {
    {"Miles / Sq Miles", " (mi)", " (mi^2)", 1.0f, false, false},
    {"Miles / Acres", " (mi)", " (acres)", 640.0f, false, false},
    {"Feet / Sq Feet", " (ft)", " (ft^2)", 1.0f, false, false},
    {"Feet / Acres", " (ft)", " (acres)", 0.000022957f, false, false},
    {"Feet / Sq Miles", " (ft)", " (mi^2)", 3.587E-8f, false, false},
    {"NEXRAD Pixels", " (pix)", " (pix^2)", 1.0f, true, false},
    {"General Pixels", " (pix)", " (pix^2)", 1.0f, true, true},
};

constexpr int kGeneralPixels = 6;
constexpr int kNexradPixels = 5;

std::vector<std::string> splitAtCommas(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    while (true) {
        const auto comma = text.find(',', from);
        parts.push_back(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos) break;
        from = comma + 1;
    }
    return parts;
}

}  // namespace

const UnitOption& ScaleCalibration::unitOption(int index) {
    if (index < 0 || index >= kUnitOptions) throw common::subscriptOutOfRange();
    return kUnits[index];
}

ScaleCalibration::ScaleCalibration(MeasureDocument& doc, MapSurface& surface, common::Dialogs& dialogs)
    : doc_(doc), surface_(surface), dialogs_(dialogs) {}

void ScaleCalibration::RecordScalePoint(float x, float y) {
    auto centre = [this](Box& marker, float px, float py) {
        marker.left = surface_.imageLeft() + px - marker.width / 2;
        marker.top = surface_.imageTop() + py - marker.height / 2;
        marker.visible = true;
    };
    if (doc_.state().lastPoint.isOrigin()) {
        doc_.state().lastPoint = {x, y};
        centre(doc_.edit(SurfacePart::Shape1).shape1, x, y);
        return;
    }
    centre(doc_.edit(SurfacePart::Shape2).shape2, x, y);
    doc_.state().scalePoint2 = {x, y};
    doc_.setPointer(Pointer::Default);
    // The panel opens where the command menu was last opened; a further click moves the second point.
    Box& panel = doc_.edit(SurfacePart::ScalePanel).frameScale;
    panel.left = doc_.menus().lstMenu1.left;
    panel.top = doc_.menus().lstMenu1.top;
    keepInside(panel, surface_.visibleArea());
    panel.visible = true;
    doc_.bringToFront(SurfacePart::ScalePanel);
}

void ScaleCalibration::chooseOption(int index) {
    if (index < 0 || index >= kUnitOptions) return;
    SurfaceControls& panel = doc_.edit(SurfacePart::ScalePanel);
    panel.option1 = index;
    if (index <= 1) {
        doc_.state().feetUnits = false;
        doc_.state().distanceStep = 1;
    } else if (index <= 4) {
        doc_.state().feetUnits = true;
        doc_.state().distanceStep = 5280;
    }
    double distance = 0;
    try {
        distance = common::leadingNumber(panel.text2);
    } catch (const common::RuntimeFailure&) {
        distance = 0;  // a number too large to read is no usable distance either
    }
    // Switching between miles and feet proposes a mile in the new unit for a distance that fits the old one.
    if (distance < 20 && doc_.state().distanceStep == 5280) {
        panel.text2 = "5280";
        panel.upDown1Value = 5280;
    }
    if (distance > 50 && doc_.state().distanceStep == 1) {
        panel.text2 = "1";
        panel.upDown1Value = 1;
    }
    panel.upDown1Step = static_cast<int>(doc_.state().distanceStep);
}

void ScaleCalibration::typeDistance(const std::string& text) {
    SurfaceControls& panel = doc_.edit(SurfacePart::ScalePanel);
    panel.text2 = text;
    panel.text2Refused.clear();
}

void ScaleCalibration::spin(int direction) {
    // The spinner steps from the whole number in its distance box, within its range.
    SurfaceControls& panel = doc_.edit(SurfacePart::ScalePanel);
    double current = panel.upDown1Value;
    try {
        if (common::isWholeNumber(panel.text2)) current = common::leadingNumber(panel.text2);
    } catch (const common::RuntimeFailure&) {
        current = panel.upDown1Value;
    }
    double next = std::nearbyint(current) + static_cast<double>(direction) * panel.upDown1Step;
    if (next < kSpinnerMin) next = kSpinnerMin;
    if (next > kSpinnerMax) next = kSpinnerMax;
    panel.upDown1Value = static_cast<int>(next);
    spinnerChanged();
}

void ScaleCalibration::spinnerChanged() {
    // In feet, a step of a mile from 1 would skip every useful distance: continue in thousands from 5000.
    SurfaceControls& panel = doc_.edit(SurfacePart::ScalePanel);
    if (doc_.state().feetUnits && panel.upDown1Value == 1 && panel.upDown1Step == 5280) {
        panel.upDown1Value = 5000;
        panel.upDown1Step = 1000;
    }
    panel.text2 = common::integerText(panel.upDown1Value);
}

void ScaleCalibration::ApplyScale() {
    // A refused Ok keeps the unit mode with the scale it belongs to.
    const bool pixelUnitsBefore = doc_.state().pixelUnits, generalPixelsBefore = doc_.state().generalPixels;
    auto refuse = [&](const std::string& message) {
        dialogs_.message(message);
        doc_.state().pixelUnits = pixelUnitsBefore;
        doc_.state().generalPixels = generalPixelsBefore;
        doc_.state().lastPoint = {};
    };
    if (doc_.controls().unitsOnly) {
        applyGroundUnits();
        return;
    }
    const int option = doc_.controls().option1;
    // The distance is read strictly: "1,5", "1/2", "1 1/2", "1.5.5" or "2 miles" is no distance.
    const std::string typed = doc_.controls().text2;
    const common::BoxNumber reading = common::readBoxNumber(typed);
    const double distance = reading.reading == common::BoxReading::number ? reading.value : 0.0;
    const bool pixels = option == kGeneralPixels || option == kNexradPixels;
    if (!pixels && reading.reading != common::BoxReading::number &&
        reading.reading != common::BoxReading::empty &&
        std::fabs(doc_.state().scalePoint2.x - doc_.state().lastPoint.x) >= 100) {
        // The text stays, framed, for the user to correct.
        const std::string why = reading.reading == common::BoxReading::tooLarge
                                    ? std::string(common::msg::kTooLargeANumber)
                                    : common::msg::boxNotANumber(typed);
        std::string& refused = doc_.edit(SurfacePart::ScalePanel).text2Refused;
        refused = common::msg::boxRefused(common::msg::kScaleDistanceLabel, typed, why);
        dialogs_.message(common::msg::withCause(common::msg::kScaleDistanceNotPositive, refused));
        return;
    }
    const bool distanceUsable = pixels || (distance > 0 && distance < 1E+38);
    if (!distanceUsable && std::fabs(doc_.state().scalePoint2.x - doc_.state().lastPoint.x) >= 100) {
        // A scale of zero would turn every later measurement into 0.00 without a word. The two scale
        // points and the open panel stay; the distance box is emptied for the user to type it again.
        dialogs_.message(common::msg::kScaleDistanceNotPositive);
        doc_.edit(SurfacePart::ScalePanel).text2.clear();
        return;
    }
    const float separation = std::fabs(doc_.state().scalePoint2.x - doc_.state().lastPoint.x);
    if (option != kGeneralPixels && option != kNexradPixels && separation >= 100 &&
        !(static_cast<float>(distance) / separation > 0)) {
        // A distance so small that the scale rounds to 0 is refused the same way.
        dialogs_.message(common::msg::kScaleDistanceTooSmall);
        doc_.edit(SurfacePart::ScalePanel).text2.clear();
        return;
    }

    hidePanelAndPoints();
    doc_.state().mode = Idle;
    doc_.state().pixelUnits = doc_.state().generalPixels = false;
    doc_.setCaption(common::msg::kCaptionAfterScale);

    // Only the horizontal separation counts: the points are clicked along a horizontal scale bar.
    const float w = std::fabs(doc_.state().scalePoint2.x - doc_.state().lastPoint.x);
    if (w < 100) {
        refuse(common::msg::kBadScalePoints);
        return;
    }

    const UnitOption& unit = unitOption(option);

    // General pixels: the user names the map coordinates of the two scale points. Everything is checked
    // before anything is stored, so a refused answer keeps the current scale.
    std::int16_t refX = doc_.state().refCoord[0], refY = doc_.state().refCoord[1];
    float generalScaleX = 0, generalScaleY = 0;
    if (option == kGeneralPixels) {
        const float h = std::fabs(doc_.state().scalePoint2.y - doc_.state().lastPoint.y);
        if (h < 1) {
            refuse(common::msg::kGeneralPixelPointsInLine);
            return;
        }
        const std::string answer = dialogs_.inputBox(common::msg::kGeneralPixelPairsPrompt,
                                                     common::msg::kGeneralPixelPairsTitle, "");
        const std::vector<std::string> parts = splitAtCommas(answer);
        if (parts.size() < 4) {
            refuse(common::msg::kGeneralPixelPairsBad);
            return;
        }
        // Each coordinate is read strictly and must fit 16 bits; the first refused one is named.
        static const char* const kNames[] = {"X1", "Y1", "X2", "Y2"};
        std::int16_t v[4] = {};
        for (std::size_t i = 0; i < 4; ++i) {
            const common::BoxNumber n = common::readBoxNumber(parts[i]);
            std::string why;
            if (n.reading == common::BoxReading::tooLarge) {
                why = common::msg::kTooLargeANumber;
            } else if (n.reading != common::BoxReading::number) {
                why = common::msg::kNotANumber;
            } else if (!(n.value > -32768.5f && n.value < 32767.5f)) {
                why = common::msg::kPixelCoordinateRange;
            }
            if (!why.empty()) {
                refuse(common::msg::withCause(common::msg::kGeneralPixelPairsBad,
                                              common::msg::boxRefused(kNames[i], parts[i], why)));
                return;
            }
            v[i] = common::toInt16(n.value);
        }
        refX = v[0];
        refY = v[1];
        // The differences are 16-bit values before the division.
        const int dx = v[2] - refX, dy = v[3] - refY;
        if (dx < -32768 || dx > 32767 || dy < -32768 || dy > 32767) {
            refuse(common::msg::withCause(common::msg::kOverflow, common::msg::kPixelCoordinatesTooFarApart));
            return;
        }
        // Equal X or equal Y coordinates would give a scale of 0 across or down.
        if (dx == 0 || dy == 0) {
            refuse(common::msg::kGeneralPixelCoordsInLine);
            return;
        }
        generalScaleX = static_cast<float>(std::abs(dx)) / w;
        generalScaleY = static_cast<float>(std::abs(dy)) / h;
    }

    setUnits(unit);
    doc_.state().scaleDistance = static_cast<float>(distance);

    if (option == kGeneralPixels) {
        doc_.state().refCoord = {refX, refY};
        doc_.state().refPixel = doc_.state().lastPoint;
        doc_.state().scaleX = generalScaleX;
        doc_.state().scaleY = generalScaleY;
    } else if (option == kNexradPixels) {
        // Pixels of the picture: screen pixels at its natural size, whatever scale was set before.
        doc_.state().scaleX = static_cast<float>(1.0 / surface_.pictureZoom()) / twipsPerPixelX_;
    } else {
        doc_.state().scaleX = doc_.state().scaleDistance / w;
        pinMapOrigin(doc_.state(), surface_);
    }
    doc_.state().lastPoint = {};
    // The scale takes the place of the map's georeference for this session.
    if (doc_.georeference()) doc_.setScaleReplacesGeoreference(true);
}

void ScaleCalibration::setUnits(const UnitOption& unit) {
    doc_.state().areaFactor = unit.areaFactor;
    doc_.state().lengthUnitText = unit.lengthUnitText;
    doc_.state().areaUnitText = unit.areaUnitText;
    doc_.state().pixelUnits = unit.pixelUnits;
    doc_.state().generalPixels = unit.generalPixels;
}

void ScaleCalibration::useGroundUnits() {
    const std::optional<Georeference>& georef = doc_.georeference();
    if (!georef || !georef->systemKnown()) return;
    setUnits(kUnits[0]);
    doc_.state().feetUnits = false;
    doc_.edit(SurfacePart::ScalePanel).option1 = 0;
}

void ScaleCalibration::showGroundUnits() {
    const std::optional<Georeference>& georef = doc_.georeference();
    if (!georef || !georef->systemKnown() || !georef->valid() || !surface_.ground()) {
        dialogs_.message(common::msg::kUnitsNeedSetScale);
        return;
    }
    // No scale points: the panel opens where the command menu was last opened.
    SurfaceControls& panel = doc_.edit(SurfacePart::ScalePanel);
    panel.unitsOnly = true;
    panel.frameScale.left = doc_.menus().lstMenu1.left;
    panel.frameScale.top = doc_.menus().lstMenu1.top;
    keepInside(panel.frameScale, surface_.visibleArea());
    panel.frameScale.visible = true;
    doc_.bringToFront(SurfacePart::ScalePanel);
}

void ScaleCalibration::applyGroundUnits() {
    const int option = doc_.controls().option1;
    if (option == kGeneralPixels) {
        dialogs_.message(common::msg::kGeneralPixelsNeedSetScale);
        return;
    }
    SurfaceControls& panel = doc_.edit(SurfacePart::ScalePanel);
    panel.unitsOnly = false;
    panel.frameScale.visible = false;
    setUnits(unitOption(option));
    // Picture pixels need no clicks: at the picture's natural size a pixel is twipsPerPixel view units.
    if (option == kNexradPixels) {
        doc_.state().scaleX = static_cast<float>(1.0 / surface_.pictureZoom()) / twipsPerPixelX_;
    }
    doc_.setScaleReplacesGeoreference(false);
}

void ScaleCalibration::beginScalePoints() {
    if (doc_.controls().unitsOnly) {
        SurfaceControls& panel = doc_.edit(SurfacePart::ScalePanel);
        panel.unitsOnly = false;
        panel.frameScale.visible = false;
    }
    if (measuresOnGround(doc_, surface_)) dialogs_.message(common::msg::kSetScaleReplacesGeoreference);
}

void ScaleCalibration::hidePanelAndPoints() {
    doc_.edit(SurfacePart::ScalePanel).frameScale.visible = false;
    doc_.edit(SurfacePart::Shape1).shape1.visible = false;
    doc_.edit(SurfacePart::Shape2).shape2.visible = false;
}

void ScaleCalibration::cancelPanel() {
    if (doc_.controls().unitsOnly) {
        // The units alone: only the panel closes; a line being traced goes on.
        SurfaceControls& panel = doc_.edit(SurfacePart::ScalePanel);
        panel.unitsOnly = false;
        panel.frameScale.visible = false;
        return;
    }
    hidePanelAndPoints();
    doc_.state().mode = Idle;
    doc_.state().lastPoint = {};
    doc_.setPointer(Pointer::Default);
}

void ScaleCalibration::panelPress(float x, float y) {
    doc_.state().grabPoint = {x, y};
}

void ScaleCalibration::panelDrag(float x, float y) {
    Box& panel = doc_.edit(SurfacePart::ScalePanel).frameScale;
    panel.left = panel.left + x - doc_.state().grabPoint.x;
    panel.top = panel.top + y - doc_.state().grabPoint.y;
}

}  // namespace brelvo::measure

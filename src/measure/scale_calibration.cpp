// Scale calibration: scale clicks, the scale panel and the map scale and units computed by Ok.
#include "measure/scale_calibration.hpp"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
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

ScaleCalibration::ScaleCalibration(MeasureState& state, MapSurface& surface, common::Dialogs& dialogs)
    : state_(state), surface_(surface), dialogs_(dialogs) {}

void ScaleCalibration::RecordScalePoint(float x, float y) {
    auto centre = [this](Box& marker, float px, float py) {
        marker.left = surface_.imageLeft() + px - marker.width / 2;
        marker.top = surface_.imageTop() + py - marker.height / 2;
        marker.visible = true;
    };
    if (state_.lastPoint.isOrigin()) {
        state_.lastPoint = {x, y};
        centre(surface_.shape1, x, y);
        surface_.changed(SurfacePart::Shape1);
        return;
    }
    centre(surface_.shape2, x, y);
    surface_.changed(SurfacePart::Shape2);
    state_.scalePoint2 = {x, y};
    surface_.pointer = Pointer::Default;
    surface_.changed(SurfacePart::Pointer);
    // The panel opens where the command menu was last opened; a further click moves the second point.
    surface_.frameScale.left = surface_.lstMenu1.left;
    surface_.frameScale.top = surface_.lstMenu1.top;
    keepInside(surface_.frameScale, surface_.visibleArea());
    surface_.frameScale.visible = true;
    surface_.changed(SurfacePart::ScalePanel);
    surface_.broughtToFront(SurfacePart::ScalePanel);
}

void ScaleCalibration::chooseOption(int index) {
    if (index < 0 || index >= kUnitOptions) return;
    surface_.option1 = index;
    if (index <= 1) {
        state_.feetUnits = false;
        state_.distanceStep = 1;
    } else if (index <= 4) {
        state_.feetUnits = true;
        state_.distanceStep = 5280;
    }
    double distance = 0;
    try {
        distance = common::leadingNumber(surface_.text2);
    } catch (const common::RuntimeFailure&) {
        distance = 0;  // a number too large to read is no usable distance either
    }
    // Switching between miles and feet proposes a mile in the new unit for a distance that fits the old one.
    if (distance < 20 && state_.distanceStep == 5280) {
        surface_.text2 = "5280";
        surface_.upDown1Value = 5280;
    }
    if (distance > 50 && state_.distanceStep == 1) {
        surface_.text2 = "1";
        surface_.upDown1Value = 1;
    }
    surface_.upDown1Step = static_cast<int>(state_.distanceStep);
    surface_.changed(SurfacePart::ScalePanel);
}

void ScaleCalibration::typeDistance(const std::string& text) {
    surface_.text2 = text;
    surface_.text2Refused.clear();
    surface_.changed(SurfacePart::ScalePanel);
}

void ScaleCalibration::spin(int direction) {
    // The spinner steps from the whole number in its distance box, within its range.
    double current = surface_.upDown1Value;
    try {
        if (common::isWholeNumber(surface_.text2)) current = common::leadingNumber(surface_.text2);
    } catch (const common::RuntimeFailure&) {
        current = surface_.upDown1Value;
    }
    double next = std::nearbyint(current) + static_cast<double>(direction) * surface_.upDown1Step;
    if (next < kSpinnerMin) next = kSpinnerMin;
    if (next > kSpinnerMax) next = kSpinnerMax;
    surface_.upDown1Value = static_cast<int>(next);
    spinnerChanged();
}

void ScaleCalibration::spinnerChanged() {
    // In feet, a step of a mile from 1 would skip every useful distance: continue in thousands from 5000.
    if (state_.feetUnits && surface_.upDown1Value == 1 && surface_.upDown1Step == 5280) {
        surface_.upDown1Value = 5000;
        surface_.upDown1Step = 1000;
    }
    surface_.text2 = common::integerText(surface_.upDown1Value);
    surface_.changed(SurfacePart::ScalePanel);
}

void ScaleCalibration::ApplyScale() {
    // A refused Ok keeps the unit mode with the scale it belongs to.
    const bool pixelUnitsBefore = state_.pixelUnits, generalPixelsBefore = state_.generalPixels;
    auto refuse = [&](const std::string& message) {
        dialogs_.message(message);
        state_.pixelUnits = pixelUnitsBefore;
        state_.generalPixels = generalPixelsBefore;
        state_.lastPoint = {};
    };
    const int option = surface_.option1;
    // The distance is read strictly: "1,5", "1/2", "1 1/2", "1.5.5" or "2 miles" is no distance.
    const std::string typed = surface_.text2;
    const common::BoxNumber reading = common::readBoxNumber(typed);
    const double distance = reading.reading == common::BoxReading::number ? reading.value : 0.0;
    const bool pixels = option == kGeneralPixels || option == kNexradPixels;
    if (!pixels && reading.reading != common::BoxReading::number &&
        reading.reading != common::BoxReading::empty &&
        std::fabs(state_.scalePoint2.x - state_.lastPoint.x) >= 100) {
        // The text stays, framed, for the user to correct.
        const std::string why = reading.reading == common::BoxReading::tooLarge
                                    ? std::string(common::msg::kTooLargeANumber)
                                    : common::msg::boxNotANumber(typed);
        surface_.text2Refused = common::msg::boxRefused(common::msg::kScaleDistanceLabel, typed, why);
        surface_.changed(SurfacePart::ScalePanel);
        dialogs_.message(
            common::msg::withCause(common::msg::kScaleDistanceNotPositive, surface_.text2Refused));
        return;
    }
    const bool distanceUsable = pixels || (distance > 0 && distance < 1E+38);
    if (!distanceUsable && std::fabs(state_.scalePoint2.x - state_.lastPoint.x) >= 100) {
        // A scale of zero would turn every later measurement into 0.00 without a word. The two scale
        // points and the open panel stay; the distance box is emptied for the user to type it again.
        dialogs_.message(common::msg::kScaleDistanceNotPositive);
        surface_.text2.clear();
        surface_.changed(SurfacePart::ScalePanel);
        return;
    }
    const float separation = std::fabs(state_.scalePoint2.x - state_.lastPoint.x);
    if (option != kGeneralPixels && option != kNexradPixels && separation >= 100 &&
        !(static_cast<float>(distance) / separation > 0)) {
        // A distance so small that the scale rounds to 0 is refused the same way.
        dialogs_.message(common::msg::kScaleDistanceTooSmall);
        surface_.text2.clear();
        surface_.changed(SurfacePart::ScalePanel);
        return;
    }

    surface_.frameScale.visible = false;
    surface_.shape2.visible = false;
    surface_.shape1.visible = false;
    surface_.changed(SurfacePart::ScalePanel);
    surface_.changed(SurfacePart::Shape1);
    surface_.changed(SurfacePart::Shape2);
    state_.mode = Idle;
    state_.pixelUnits = state_.generalPixels = false;
    surface_.caption = common::msg::kCaptionAfterScale;
    surface_.changed(SurfacePart::Caption);

    // Only the horizontal separation counts: the points are clicked along a horizontal scale bar.
    const float w = std::fabs(state_.scalePoint2.x - state_.lastPoint.x);
    if (w < 100) {
        refuse(common::msg::kBadScalePoints);
        return;
    }

    const UnitOption& unit = unitOption(option);

    // General pixels: the user names the map coordinates of the two scale points. Everything is checked
    // before anything is stored, so a refused answer keeps the current scale.
    std::int16_t refX = state_.refCoord[0], refY = state_.refCoord[1];
    float generalScaleX = 0, generalScaleY = 0;
    if (option == kGeneralPixels) {
        const float h = std::fabs(state_.scalePoint2.y - state_.lastPoint.y);
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

    state_.areaFactor = unit.areaFactor;
    state_.lengthUnitText = unit.lengthUnitText;
    state_.areaUnitText = unit.areaUnitText;
    state_.pixelUnits = unit.pixelUnits;
    state_.generalPixels = unit.generalPixels;
    state_.scaleDistance = static_cast<float>(distance);

    if (option == kGeneralPixels) {
        state_.refCoord = {refX, refY};
        state_.refPixel = state_.lastPoint;
        state_.scaleX = generalScaleX;
        state_.scaleY = generalScaleY;
    } else if (option == kNexradPixels) {
        // Pixels of the picture: screen pixels at its natural size, whatever scale was set before.
        state_.scaleX = static_cast<float>(1.0 / surface_.pictureZoom()) / twipsPerPixelX_;
    } else {
        state_.scaleX = state_.scaleDistance / w;
        pinMapOrigin(state_, surface_);
    }
    state_.lastPoint = {};
}

void ScaleCalibration::cancelPanel() {
    surface_.frameScale.visible = false;
    surface_.shape1.visible = false;
    surface_.shape2.visible = false;
    surface_.changed(SurfacePart::ScalePanel);
    surface_.changed(SurfacePart::Shape1);
    surface_.changed(SurfacePart::Shape2);
    state_.mode = Idle;
    state_.lastPoint = {};
    surface_.pointer = Pointer::Default;
    surface_.changed(SurfacePart::Pointer);
}

void ScaleCalibration::panelPress(float x, float y) {
    state_.grabPoint = {x, y};
}

void ScaleCalibration::panelDrag(float x, float y) {
    surface_.frameScale.left = surface_.frameScale.left + x - state_.grabPoint.x;
    surface_.frameScale.top = surface_.frameScale.top + y - state_.grabPoint.y;
    surface_.changed(SurfacePart::ScalePanel);
}

}  // namespace brelvo::measure

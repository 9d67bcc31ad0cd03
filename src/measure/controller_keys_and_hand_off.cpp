// The measuring window's controller, its keys and menu-bar entries (undo, escape, the coordinate listing,
// the pointer's map coordinates) and the hand-off of the results to the runoff window.
#include <string>

#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "measure/command_controller.hpp"
#include "measure/ground_position.hpp"
#include "measure/measurement.hpp"

namespace brelvo::measure {

// ---- keys and the menu bar ----

bool MeasureController::tracing() const {
    return doc_.state().mode == AreaBoundary || doc_.state().mode == StreamLine;
}

bool MeasureController::undoLastPoint() {
    if (!tracing()) return false;
    runCommand(Command::UndoCurrentLine);
    return true;
}

bool MeasureController::escape() {
    // The scale clicks end with the panel, also before the panel has opened.
    if (doc_.menus().lstMenu1.visible || doc_.menus().lstMenu2.visible) {
        hide(SurfacePart::Menu1);
        hide(SurfacePart::Menu2);
        return true;
    }
    if (doc_.controls().frameScale.visible || doc_.state().mode == ScalePoints) {
        // The units alone leave the line being traced as it is.
        const bool unitsOnly = doc_.controls().unitsOnly;
        scale_.cancelPanel();
        if (!unitsOnly) setCaption(common::msg::kCaptionMenu);
        return true;
    }
    return false;
}

void MeasureController::showCoordinateListing() {
    TextBox& listing = doc_.edit(SurfacePart::Text1).text1;
    keepInside(listing, surface_.visibleArea());
    listing.visible = true;
    doc_.bringToFront(SurfacePart::Text1);
}

std::string MeasureController::pointerCoordinates(float vx, float vy) const {
    // A georeferenced map shows its own coordinates, with or without a scale.
    if (showsMapCoordinates(doc_)) {
        return mapPointerText(*doc_.georeference(), surface_.ground(), surface_, scale_.twipsPerPixelX(), vx,
                              vy);
    }
    if (doc_.state().lengthUnitText.empty()) return {};
    const PointF p = ToMapCoords(doc_.state(), surface_, vx, vy);
    // To six digits: a single's last digit ("0.7500001") means nothing under a pointer.
    return common::messageNumber(p.x, 6) + ", " + common::messageNumber(p.y, 6) + doc_.state().lengthUnitText;
}

// ---- hand-off ----

std::string MeasureController::cutResultValue(const std::string& s) {
    const auto eq = s.find('=');
    if (eq == std::string::npos) throw common::invalidProcedureCall();
    const std::size_t start = eq + 2;
    const auto blank = start <= s.size() ? s.find(' ', start) : std::string::npos;
    if (blank == std::string::npos) throw common::invalidProcedureCall();
    return s.substr(start, blank - start);
}

HandOff MeasureController::handOff() const {
    HandOff h;
    // A value is cut from its result text up to the blank before its unit; before a scale there is none.
    auto cut = [&h](const std::string& text, std::optional<std::string>& value, std::string_view what) {
        if (text.empty()) return;
        try {
            value = cutResultValue(text);
        } catch (const common::RuntimeFailure& f) {
            h.failures.push_back(
                common::msg::withCause(f.description(), common::msg::handOffWithoutUnit(what)));
        }
    };
    h.frameCaption = "HydrographArea" + common::integerText(doc_.state().measureNumber);
    cut(doc_.state().streamLengthText, h.streamLength, "stream length");
    h.streamLengthLabel = "Stream Length" + doc_.state().lengthUnitText;
    cut(doc_.state().belowCentroidText, h.belowCentroid, "length below the centroid");
    h.belowCentroidLabel = "Below Centroid" + doc_.state().lengthUnitText;
    if (!doc_.state().areaText.empty()) {
        cut(doc_.state().areaText, h.basinArea, "basin area");
        h.basinAreaLabel = "Basin Area" + doc_.state().areaUnitText;
    }
    if (const auto& basin = doc_.work().delineation; basin && basin->elevationsKnown) {
        h.upperElevation = elevationText(basin->headElevationFt);
        h.lowerElevation = elevationText(basin->outletElevationFt);
    }
    return h;
}

}  // namespace brelvo::measure

// The measuring window's controller: commands of the command list and clicks in each digitizing mode.
#include "measure/command_controller.hpp"

#include <cmath>

#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "measure/measurement.hpp"

namespace brelvo::measure {

namespace {

const std::string kCrLf = "\r\n";
constexpr std::uint32_t kBoundaryColor = 0x000000;
constexpr std::uint32_t kStreamColor = 0x0000FF;

common::RuntimeFailure missingSegment(int index) {
    return common::controlArrayElementMissing(index);
}

}  // namespace

MeasureController::MeasureController(MeasureState& state, MapSurface& surface, common::Dialogs& dialogs)
    : state_(state), surface_(surface), dialogs_(dialogs), scale_(state, surface, dialogs) {}

const std::vector<std::string>& MeasureController::commandItems() {
    static const std::vector<std::string> items = {"Load/Save Map",
                                                   "Set Scale",
                                                   "Start Area",
                                                   "Start Stream Line",
                                                   "End Area/Line",
                                                   "Undo Current Line",
                                                   "Clear Area/Line",
                                                   "Add Label",
                                                   "Runoff Hydrogaph",
                                                   "Help",
                                                   "Cancel"};
    return items;
}

const std::vector<std::string>& MeasureController::pictureItems() {
    static const std::vector<std::string> items = {"Load Map File",
                                                   "Save Map Image",
                                                   "Clear Map Image",
                                                   "Big Google Maps",
                                                   "Paste From Clipboard",
                                                   "Copy to Clipboard",
                                                   "Scroll/Zoom Speed",
                                                   "Print",
                                                   "Cancel"};
    return items;
}

void MeasureController::start() {
    // The text box and the command menu sit at the map view's top-left; the menu is open at start.
    surface_.text1.left = 0;
    surface_.text1.top = 0;
    surface_.changed(SurfacePart::Text1);
    surface_.lstMenu1.left = 0;
    surface_.lstMenu1.top = 0;
    surface_.lstMenu1.visible = true;
    surface_.changed(SurfacePart::Menu1);
    surface_.broughtToFront(SurfacePart::Menu1);
    setCaption(common::msg::kCaptionMenuAtStart);
    state_.mode = Idle;
}

void MeasureController::setCaption(const std::string& text) {
    surface_.caption = text;
    surface_.changed(SurfacePart::Caption);
}

void MeasureController::setPointer(Pointer pointer) {
    surface_.pointer = pointer;
    surface_.changed(SurfacePart::Pointer);
}

void MeasureController::hide(Box& box, SurfacePart part) {
    box.visible = false;
    surface_.changed(part);
}

void MeasureController::placeMarker(Box& marker, SurfacePart part, float imageX, float imageY) {
    marker.left = surface_.imageLeft() + imageX - marker.width / 2;
    marker.top = surface_.imageTop() + imageY - marker.height / 2;
    marker.visible = true;
    surface_.changed(part);
}

void MeasureController::showTextBox() {
    surface_.text1.visible = true;
    surface_.changed(SurfacePart::Text1);
}

void MeasureController::mapMouseUp(MouseButton button, float x, float y) {
    try {
        if (button == MouseButton::Left) {
            hide(surface_.lstMenu1, SurfacePart::Menu1);
            hide(surface_.lstMenu2, SurfacePart::Menu2);
            if (state_.mode == AreaBoundary || state_.mode == StreamLine) {
                RecordPoint(x, y);
            } else if (state_.mode == ScalePoints) {
                scale_.RecordScalePoint(x, y);
                setCaption(common::msg::kCaptionScalePoint2);
            }
        } else if (button == MouseButton::Right) {
            openCommandMenu(x, y);
        }
    } catch (const common::RuntimeFailure& f) {
        dialogs_.message(common::failureText(f));
    }
}

void MeasureController::openCommandMenu(float x, float y) {
    float top = std::nearbyint(surface_.imageTop() + y);
    const float bottomRoom = surface_.viewHeight() - surface_.lstMenu1.height;
    if (bottomRoom < top) top = std::nearbyint(bottomRoom);
    hide(surface_.lstMenu2, SurfacePart::Menu2);
    surface_.lstMenu1.left = surface_.imageLeft() + x;
    surface_.lstMenu1.top = top;
    keepInside(surface_.lstMenu1, surface_.visibleArea());
    surface_.lstMenu1.visible = true;
    surface_.changed(SurfacePart::Menu1);
    surface_.broughtToFront(SurfacePart::Menu1);
    state_.grabPoint = {x, y};
}

void MeasureController::commandMenuPress(float x, float y) {
    state_.grabPoint = {x, y};
}

// ---- segments ----

int MeasureController::highestSegmentIndex() const {
    return surface_.line1.rbegin()->first;
}

Segment& MeasureController::segmentAt(int index) {
    const auto it = surface_.line1.find(index);
    if (it == surface_.line1.end()) throw missingSegment(index);
    return it->second;
}

void MeasureController::createSegment(int index) {
    if (index < 0) throw common::subscriptOutOfRange();
    if (surface_.line1.count(index) != 0) throw common::controlArrayElementExists();
    // A new element starts as a hidden copy of element 0, style included.
    Segment copy = surface_.line1.at(0);
    copy.visible = false;
    surface_.line1[index] = copy;
}

void MeasureController::removeSegment(int index) {
    if (index == 0) {
        surface_.line1.at(0).visible = false;
    } else {
        surface_.line1.erase(index);
    }
    surface_.changed(SurfacePart::Lines);
}

void MeasureController::appendCoordinateLine(float imageX, float imageY) {
    const PointF p =
        ToMapCoords(state_, surface_, surface_.imageLeft() + imageX, surface_.imageTop() + imageY);
    surface_.text1.text += common::generalText(p.x) + ", " + common::generalText(p.y) + kCrLf;
    surface_.text1.caret = static_cast<int>(surface_.text1.text.size());
    surface_.changed(SurfacePart::Text1);
}

void MeasureController::RecordPoint(float x, float y) {
    if (!state_.lastPoint.isOrigin()) {
        const int index = state_.segmentIndex;
        if (index != 0) createSegment(index);  // element 0 is reused for the first segment ever
        Segment& seg = segmentAt(index);
        seg.width = state_.mode == AreaBoundary ? 3 : 2;
        seg.color = state_.mode == AreaBoundary ? kBoundaryColor : kStreamColor;
        seg.x1 = surface_.imageLeft() + state_.lastPoint.x;
        seg.y1 = surface_.imageTop() + state_.lastPoint.y;
        seg.x2 = surface_.imageLeft() + x;
        seg.y2 = surface_.imageTop() + y;
        state_.lastPoint = {x, y};
        seg.visible = true;
        surface_.changed(SurfacePart::Lines);
        appendCoordinateLine(x, y);
        state_.segmentIndex = common::checkedAdd(state_.segmentIndex, 1);
    } else {
        if (state_.mode == AreaBoundary) {
            surface_.text1.text = "Area" + common::integerText(state_.measureNumber) + " X,Y Coordinates  " +
                                  state_.lengthUnitText + kCrLf;
        } else {
            surface_.text1.text += "Stream X,Y Coordinates" + state_.lengthUnitText + kCrLf;
        }
        state_.lastPoint = {x, y};
        placeMarker(surface_.shape1, SurfacePart::Shape1, x, y);
        appendCoordinateLine(x, y);
    }
    showTextBox();
}

// ---- commands ----

void MeasureController::runCommand(const std::string& item) {
    hide(surface_.lstMenu1, SurfacePart::Menu1);
    hide(surface_.text1, SurfacePart::Text1);
    try {
        if (item == "Load/Save Map") {
            openPictureMenu();
        } else if (item == "Set Scale") {
            setScale();
        } else if (item == "Start Area") {
            startArea();
        } else if (item == "Start Stream Line") {
            startStreamLine();
        } else if (item == "End Area/Line") {
            endLine();
        } else if (item == "Undo Current Line") {
            undoCurrentLine();
        } else if (item == "Clear Area/Line") {
            clearLine();
        } else if (item == "Add Label") {
            addLabel();
        } else if (item == "Runoff Hydrogaph") {
            surface_.openRunoffWindow();
        } else if (item == "Help") {
            surface_.openHelp();
        }
    } catch (const common::RuntimeFailure& f) {
        dialogs_.message(common::failureText(f));
    }
}

void MeasureController::openPictureMenu() {
    surface_.lstMenu2.left = surface_.lstMenu1.left;
    surface_.lstMenu2.top = surface_.lstMenu1.top;
    keepInside(surface_.lstMenu2, surface_.visibleArea());
    surface_.lstMenu2.visible = true;
    surface_.changed(SurfacePart::Menu2);
    surface_.broughtToFront(SurfacePart::Menu2);
    state_.lastPoint = {};
    state_.mode = Idle;
    state_.pixelUnits = state_.generalPixels = false;
    state_.viewUnlocked = true;
}

void MeasureController::setScale() {
    // The scale in force stays until Ok applies a new one: the view is never locked, so nothing has to
    // be reset before the two scale points are clicked.
    state_.lastPoint = {};
    setCaption(common::msg::kCaptionScalePoint1);
    state_.mode = ScalePoints;
    setPointer(Pointer::Cross);
}

void MeasureController::startArea() {
    if (state_.mode != Idle) return;
    setCaption(common::msg::kCaptionAreaBoundary);
    if (!state_.mapOriginPinned) pinMapOrigin(state_, surface_);
    state_.mode = AreaBoundary;
    state_.measureNumber = common::checkedAdd(state_.measureNumber, 1);
    state_.lineNumber = common::checkedAdd(state_.lineNumber, 1);
    if (state_.segmentIndex != 0) state_.segmentIndex = common::checkedAdd(state_.segmentIndex, 1);
    state_.lineStartAt(state_.lineNumber) = state_.segmentIndex;
    if (static_cast<int>(surface_.label1.size()) < state_.measureNumber) {
        surface_.label1.resize(static_cast<std::size_t>(state_.measureNumber));
        surface_.label1.back() = surface_.label1.front();
        surface_.label1.back().visible = false;
        surface_.changed(SurfacePart::Labels);
    }
    state_.areaCentroidText.clear();
    state_.lastPoint = {};
    setPointer(Pointer::Cross);
}

void MeasureController::startStreamLine() {
    if (state_.mode != Idle) return;
    setCaption(common::msg::kCaptionLongestStream);
    if (!state_.mapOriginPinned) pinMapOrigin(state_, surface_);
    state_.mode = StreamLine;
    state_.lineNumber = common::checkedAdd(state_.lineNumber, 1);
    if (state_.segmentIndex != 0) state_.segmentIndex = common::checkedAdd(state_.segmentIndex, 1);
    state_.lineStartAt(state_.lineNumber) = state_.segmentIndex;
    state_.lastPoint = {};
    state_.streamLengthText.clear();
    setPointer(Pointer::Cross);
}

void MeasureController::endLine() {
    setCaption(common::msg::kCaptionLineEnded);
    if (state_.mode == Idle) return;
    hide(surface_.shape1, SurfacePart::Shape1);

    if (state_.mode == AreaBoundary && state_.segmentIndex >= 1) {
        // Close the polygon back to the line's first point; the closing segment keeps element 0's style.
        const int index = state_.segmentIndex;
        createSegment(index);
        Segment& closing = segmentAt(index);
        closing.x1 = surface_.imageLeft() + state_.lastPoint.x;
        closing.y1 = surface_.imageTop() + state_.lastPoint.y;
        const Segment& first = segmentAt(state_.lineStartAt(state_.lineNumber));
        closing.x2 = first.x1;
        closing.y2 = first.y1;
        closing.visible = true;
        surface_.changed(SurfacePart::Lines);
        appendCoordinateLine(closing.x2 - surface_.imageLeft(), closing.y2 - surface_.imageTop());
    } else if (state_.mode == StreamLine) {
        state_.segmentIndex = common::checkedAdd(state_.segmentIndex, -1);
    }

    ComputeMeasurement(state_, surface_, dialogs_);

    if (state_.measureNumber == 0) state_.measureNumber = 1;
    Label& label = surface_.label1.at(static_cast<std::size_t>(state_.measureNumber - 1));
    if (state_.mode == AreaBoundary) {
        label.caption = state_.areaText;
    } else {
        label.caption = state_.areaText + kCrLf + state_.streamLengthText + kCrLf + state_.belowCentroidText;
    }
    surface_.changed(SurfacePart::Labels);
    state_.lastFinishedMode = state_.mode;
    state_.mode = Idle;
    setPointer(Pointer::Default);
}

void MeasureController::undoCurrentLine() {
    if (state_.mode == AreaBoundary || state_.mode == StreamLine) {
        if (state_.lineStartAt(state_.lineNumber) >= state_.segmentIndex) {
            // No segment in this line yet: forget the first point; its listing lines stay.
            hide(surface_.shape1, SurfacePart::Shape1);
            state_.lastPoint = {};
            return;
        }
        state_.segmentIndex = static_cast<std::int16_t>(highestSegmentIndex());
        const Segment& last = segmentAt(state_.segmentIndex);
        state_.lastPoint = {last.x1 - surface_.imageLeft(), last.y1 - surface_.imageTop()};
        removeSegment(state_.segmentIndex);

        // Cut the last coordinate line: the nearest line feed among the 21 characters before the last two.
        std::string& text = surface_.text1.text;
        const int len = static_cast<int>(text.size());
        int keep = -1;
        for (int pos = len - 3; pos >= len - 23 && pos >= 1; --pos) {
            if (text[static_cast<std::size_t>(pos - 1)] == '\n') {
                keep = pos;
                break;
            }
        }
        if (keep < 0) keep = std::max(0, len - 24);
        text.resize(static_cast<std::size_t>(keep));
        surface_.text1.caret = keep;
        surface_.text1.visible = true;
        surface_.changed(SurfacePart::Text1);
        surface_.broughtToFront(SurfacePart::Text1);
    } else if (state_.mode == ScalePoints) {
        if (surface_.shape2.visible) hide(surface_.shape2, SurfacePart::Shape2);
        if (surface_.shape1.visible) {
            hide(surface_.shape1, SurfacePart::Shape1);
            state_.lastPoint = {};
        }
    }
}

void MeasureController::clearLine() {
    setCaption(common::msg::kCaptionMenu);
    if (state_.lineNumber == 0) return;  // no line to clear: nothing changes
    const int numberBefore = state_.measureNumber;
    RemoveCurrentLine();
    // Lines alternate area, stream, area ...: clearing a stream keeps its area's number, clearing an
    // area drops it.
    if (state_.lastFinishedMode == 1) {
        state_.measureNumber = common::checkedAdd(state_.measureNumber, -1);
        state_.lastFinishedMode = 2;
    } else {
        state_.lastFinishedMode = 1;
    }
    if (state_.measureNumber < 0) {
        state_.measureNumber = 0;
        state_.lastFinishedMode = 0;
    }
    // The label hidden is the one of the number the cleared line belonged to, so that a cleared area's
    // results leave the map and the remaining area keeps its label.
    const int labelIndex = std::max(0, std::max(numberBefore, static_cast<int>(state_.measureNumber)) - 1);
    if (labelIndex >= static_cast<int>(surface_.label1.size())) throw common::subscriptOutOfRange();
    surface_.label1[static_cast<std::size_t>(labelIndex)].visible = false;
    surface_.changed(SurfacePart::Labels);
}

void MeasureController::addLabel() {
    setCaption(common::msg::kCaptionPlaceLabel);
    if (state_.measureNumber == 0) return;
    Label& label = surface_.label1.at(static_cast<std::size_t>(state_.measureNumber - 1));
    label.left = surface_.lstMenu1.left;
    label.top = surface_.lstMenu1.top;
    label.visible = true;
    surface_.changed(SurfacePart::Labels);
    surface_.broughtToFront(SurfacePart::Labels);
}

void MeasureController::RemoveCurrentLine() {
    state_.lastPoint = {};
    if (state_.lastFinishedMode == 2) state_.centroid = state_.areaCentroid;
    const int first = state_.removeAll ? 0 : state_.lineStartAt(state_.lineNumber);
    state_.segmentIndex = static_cast<std::int16_t>(highestSegmentIndex());
    for (int d = state_.segmentIndex; d >= first; --d) {
        if (d == 0) break;
        removeSegment(d);
    }
    state_.segmentIndex = static_cast<std::int16_t>(std::max(0, state_.lineStartAt(state_.lineNumber) - 1));
    state_.lineNumber = static_cast<std::int16_t>(std::max(0, state_.lineNumber - 1));
    if (state_.mode == AreaBoundary) {
        state_.measureNumber = static_cast<std::int16_t>(std::max(0, state_.measureNumber - 1));
    }
    if (state_.removeAll) state_.segmentIndex = state_.lineNumber = state_.measureNumber = 0;
    if (state_.segmentIndex == 0) removeSegment(0);
    hide(surface_.shape1, SurfacePart::Shape1);
    hide(surface_.shape2, SurfacePart::Shape2);
}

void MeasureController::RemoveAllMeasurements() {
    state_.removeAll = true;
    try {
        RemoveCurrentLine();
    } catch (...) {
        state_.removeAll = false;
        throw;
    }
    surface_.relayoutView();
    state_.segmentIndex = state_.lineNumber = state_.measureNumber = 0;
    state_.removeAll = false;
    // The next line or scale pins the origin afresh, on the view as it is then.
    state_.mapOriginPinned = false;
    state_.mapOrigin = {};
}

}  // namespace brelvo::measure

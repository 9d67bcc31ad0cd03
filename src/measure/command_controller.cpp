// The measuring window's controller: commands of the command list and clicks in each digitizing mode.
#include "measure/command_controller.hpp"

#include <cmath>

#include "common/failure.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"
#include "measure/coordinate_listing.hpp"
#include "measure/ground_measure.hpp"
#include "measure/ground_position.hpp"
#include "measure/measurement.hpp"

namespace brelvo::measure {

namespace {

const std::string kCrLf = "\r\n";

common::RuntimeFailure missingSegment(int index) {
    return common::controlArrayElementMissing(index);
}

}  // namespace

MeasureController::MeasureController(MeasureDocument& doc, MapSurface& surface, common::Dialogs& dialogs)
    : doc_(doc), surface_(surface), dialogs_(dialogs), scale_(doc, surface, dialogs) {}

namespace {

// The one table of the command list: each command with its text, in the list's order.
const std::pair<Command, std::string> kCommands[] = {
    {Command::LoadSaveMap, "Load/Save Map"},
    {Command::SetScale, "Set Scale"},
    {Command::StartArea, "Start Area"},
    {Command::StartStreamLine, "Start Stream Line"},
    {Command::EndLine, "End Area/Line"},
    {Command::UndoCurrentLine, "Undo Current Line"},
    {Command::ClearLine, "Clear Area/Line"},
    {Command::AddLabel, "Add Label"},
    {Command::RunoffHydrograph, "Runoff Hydrogaph"},
    {Command::Help, "Help"},
    {Command::Cancel, "Cancel"},
};

}  // namespace

std::optional<Command> commandOf(std::string_view text) {
    for (const auto& [command, caption] : kCommands) {
        if (caption == text) return command;
    }
    return std::nullopt;
}

const std::string& commandText(Command command) {
    for (const auto& [c, caption] : kCommands) {
        if (c == command) return caption;
    }
    throw common::invalidProcedureCall();
}

const std::vector<std::string>& MeasureController::commandItems() {
    static const std::vector<std::string> items = [] {
        std::vector<std::string> texts;
        for (const auto& [command, caption] : kCommands) texts.push_back(caption);
        return texts;
    }();
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
    TextBox& listing = doc_.edit(SurfacePart::Text1).text1;
    listing.left = 0;
    listing.top = 0;
    Box& menu = doc_.menu(SurfacePart::Menu1);
    menu.left = 0;
    menu.top = 0;
    menu.visible = true;
    doc_.bringToFront(SurfacePart::Menu1);
    setCaption(common::msg::kCaptionMenuAtStart);
    doc_.state().mode = Idle;
}

void MeasureController::setCaption(const std::string& text) {
    doc_.setCaption(text);
}

void MeasureController::setPointer(Pointer pointer) {
    doc_.setPointer(pointer);
}

Box& MeasureController::box(SurfacePart part) {
    switch (part) {
        case SurfacePart::Menu1:
        case SurfacePart::Menu2:
            return doc_.menu(part);
        case SurfacePart::Shape1:
            return doc_.edit(part).shape1;
        case SurfacePart::Shape2:
            return doc_.edit(part).shape2;
        default:
            return doc_.edit(SurfacePart::Text1).text1;
    }
}

void MeasureController::hide(SurfacePart part) {
    box(part).visible = false;
}

void MeasureController::placeMarker(SurfacePart part, float imageX, float imageY) {
    Box& marker = box(part);
    marker.left = surface_.imageLeft() + imageX - marker.width / 2;
    marker.top = surface_.imageTop() + imageY - marker.height / 2;
    marker.visible = true;
}

void MeasureController::showTextBox() {
    box(SurfacePart::Text1).visible = true;
}

void MeasureController::mapMouseUp(MouseButton button, float x, float y) {
    try {
        if (button == MouseButton::Left) {
            hide(SurfacePart::Menu1);
            hide(SurfacePart::Menu2);
            if (doc_.state().mode == AreaBoundary || doc_.state().mode == StreamLine) {
                RecordPoint(x, y);
            } else if (doc_.state().mode == ScalePoints) {
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
    const float bottomRoom = surface_.viewHeight() - doc_.menus().lstMenu1.height;
    if (bottomRoom < top) top = std::nearbyint(bottomRoom);
    hide(SurfacePart::Menu2);
    Box& menu = doc_.menu(SurfacePart::Menu1);
    menu.left = surface_.imageLeft() + x;
    menu.top = top;
    keepInside(menu, surface_.visibleArea());
    menu.visible = true;
    doc_.bringToFront(SurfacePart::Menu1);
    doc_.state().grabPoint = {x, y};
}

void MeasureController::commandMenuPress(float x, float y) {
    doc_.state().grabPoint = {x, y};
}

// ---- segments ----

int MeasureController::highestSegmentIndex() const {
    return doc_.controls().line1.rbegin()->first;
}

Segment& MeasureController::segmentAt(int index) {
    auto& lines = doc_.edit(SurfacePart::Lines).line1;
    const auto it = lines.find(index);
    if (it == lines.end()) throw missingSegment(index);
    return it->second;
}

void MeasureController::createSegment(int index) {
    if (index < 0) throw common::subscriptOutOfRange();
    if (doc_.controls().line1.count(index) != 0) throw common::controlArrayElementExists();
    // A new element starts as a hidden copy of element 0, style included.
    auto& lines = doc_.edit(SurfacePart::Lines).line1;
    Segment copy = lines.at(0);
    copy.visible = false;
    copy.path.clear();  // the style only: a line traced whole keeps its vertices to itself
    copy.holes.clear();
    lines[index] = copy;
}

void MeasureController::removeSegment(int index) {
    auto& lines = doc_.edit(SurfacePart::Lines).line1;
    if (index == 0) {
        lines.at(0).visible = false;
    } else {
        lines.erase(index);
    }
}

void MeasureController::appendCoordinateLine(float imageX, float imageY) {
    const PointF p = listingPoint(doc_, surface_, scale_.twipsPerPixelX(), surface_.imageLeft() + imageX,
                                  surface_.imageTop() + imageY);
    TextBox& listing = doc_.edit(SurfacePart::Text1).text1;
    listing.text += common::generalText(p.x) + ", " + common::generalText(p.y) + kCrLf;
    listing.caret = static_cast<int>(listing.text.size());
}

void MeasureController::RecordPoint(float x, float y) {
    if (!doc_.state().lastPoint.isOrigin()) {
        const int index = doc_.state().segmentIndex;
        if (index != 0) createSegment(index);  // element 0 is reused for the first segment ever
        Segment& seg = segmentAt(index);
        seg.width = doc_.state().mode == AreaBoundary ? 3 : 2;
        seg.color = doc_.state().mode == AreaBoundary ? kBoundaryColor : kStreamColor;
        seg.x1 = surface_.imageLeft() + doc_.state().lastPoint.x;
        seg.y1 = surface_.imageTop() + doc_.state().lastPoint.y;
        seg.x2 = surface_.imageLeft() + x;
        seg.y2 = surface_.imageTop() + y;
        doc_.state().lastPoint = {x, y};
        seg.visible = true;
        appendCoordinateLine(x, y);
        doc_.state().segmentIndex = common::checkedAdd(doc_.state().segmentIndex, 1);
    } else {
        beginLine(x, y);
    }
    showTextBox();
}

// ---- commands ----

void MeasureController::runCommand(const std::string& item) {
    runCommand(commandOf(item));
}

void MeasureController::runCommand(std::optional<Command> command) {
    hide(SurfacePart::Menu1);
    hide(SurfacePart::Text1);
    if (!command) return;
    try {
        switch (*command) {
            case Command::LoadSaveMap:
                openPictureMenu();
                break;
            case Command::SetScale:
                setScale();
                break;
            case Command::StartArea:
                startArea();
                break;
            case Command::StartStreamLine:
                startStreamLine();
                break;
            case Command::EndLine:
                endLine();
                break;
            case Command::UndoCurrentLine:
                undoCurrentLine();
                break;
            case Command::ClearLine:
                clearLine();
                break;
            case Command::AddLabel:
                addLabel();
                break;
            case Command::RunoffHydrograph:
                surface_.openRunoffWindow();
                break;
            case Command::Help:
                surface_.openHelp();
                break;
            case Command::Cancel:
                break;
        }
    } catch (const common::RuntimeFailure& f) {
        dialogs_.message(common::failureText(f));
    }
}

void MeasureController::openPictureMenu() {
    Box& list = doc_.menu(SurfacePart::Menu2);
    list.left = doc_.menus().lstMenu1.left;
    list.top = doc_.menus().lstMenu1.top;
    keepInside(list, surface_.visibleArea());
    list.visible = true;
    doc_.bringToFront(SurfacePart::Menu2);
    doc_.state().lastPoint = {};
    doc_.state().mode = Idle;
    doc_.state().pixelUnits = doc_.state().generalPixels = false;
    doc_.state().viewUnlocked = true;
}

void MeasureController::setScale() {
    // The scale in force stays until Ok applies a new one: the view is never locked, so nothing has to
    // be reset before the two scale points are clicked.
    scale_.beginScalePoints();
    doc_.state().lastPoint = {};
    setCaption(common::msg::kCaptionScalePoint1);
    doc_.state().mode = ScalePoints;
    setPointer(Pointer::Cross);
}

void MeasureController::startArea() {
    if (doc_.state().mode != Idle) return;
    setCaption(common::msg::kCaptionAreaBoundary);
    if (!doc_.state().mapOriginPinned) pinMapOrigin(doc_.state(), surface_);
    doc_.state().mode = AreaBoundary;
    doc_.state().measureNumber = common::checkedAdd(doc_.state().measureNumber, 1);
    doc_.state().lineNumber = common::checkedAdd(doc_.state().lineNumber, 1);
    if (doc_.state().segmentIndex != 0)
        doc_.state().segmentIndex = common::checkedAdd(doc_.state().segmentIndex, 1);
    doc_.state().lineStartAt(doc_.state().lineNumber) = doc_.state().segmentIndex;
    if (static_cast<int>(doc_.controls().label1.size()) < doc_.state().measureNumber) {
        auto& labels = doc_.edit(SurfacePart::Labels).label1;
        labels.resize(static_cast<std::size_t>(doc_.state().measureNumber));
        labels.back() = labels.front();
        labels.back().visible = false;
    }
    doc_.state().areaCentroidText.clear();
    doc_.state().lastPoint = {};
    setPointer(Pointer::Cross);
}

void MeasureController::startStreamLine() {
    if (doc_.state().mode != Idle) return;
    setCaption(common::msg::kCaptionLongestStream);
    if (!doc_.state().mapOriginPinned) pinMapOrigin(doc_.state(), surface_);
    doc_.state().mode = StreamLine;
    doc_.state().lineNumber = common::checkedAdd(doc_.state().lineNumber, 1);
    if (doc_.state().segmentIndex != 0)
        doc_.state().segmentIndex = common::checkedAdd(doc_.state().segmentIndex, 1);
    doc_.state().lineStartAt(doc_.state().lineNumber) = doc_.state().segmentIndex;
    doc_.state().lastPoint = {};
    doc_.state().streamLengthText.clear();
    setPointer(Pointer::Cross);
}

void MeasureController::endLine() {
    setCaption(common::msg::kCaptionLineEnded);
    if (doc_.state().mode == Idle) return;
    hide(SurfacePart::Shape1);

    if (doc_.state().mode == AreaBoundary && doc_.state().segmentIndex >= 1) {
        // Close the polygon back to the line's first point; the closing segment keeps element 0's style.
        const int index = doc_.state().segmentIndex;
        createSegment(index);
        Segment& closing = segmentAt(index);
        closing.x1 = surface_.imageLeft() + doc_.state().lastPoint.x;
        closing.y1 = surface_.imageTop() + doc_.state().lastPoint.y;
        const Segment& first = segmentAt(doc_.state().lineStartAt(doc_.state().lineNumber));
        closing.x2 = first.x1;
        closing.y2 = first.y1;
        closing.visible = true;
        appendCoordinateLine(closing.x2 - surface_.imageLeft(), closing.y2 - surface_.imageTop());
        listHoles();
    } else if (doc_.state().mode == StreamLine) {
        doc_.state().segmentIndex = common::checkedAdd(doc_.state().segmentIndex, -1);
    }

    ComputeMeasurement(doc_, surface_, dialogs_, scale_.twipsPerPixelX());

    if (doc_.state().measureNumber == 0) doc_.state().measureNumber = 1;
    Label& label =
        doc_.edit(SurfacePart::Labels).label1.at(static_cast<std::size_t>(doc_.state().measureNumber - 1));
    if (doc_.state().mode == AreaBoundary) {
        label.caption = doc_.state().areaText;
    } else {
        label.caption = doc_.state().areaText + kCrLf + doc_.state().streamLengthText + kCrLf +
                        doc_.state().belowCentroidText;
    }
    doc_.state().lastFinishedMode = doc_.state().mode;
    doc_.state().mode = Idle;
    setPointer(Pointer::Default);
}

void MeasureController::undoCurrentLine() {
    if (doc_.state().mode == AreaBoundary || doc_.state().mode == StreamLine) {
        if (doc_.state().lineStartAt(doc_.state().lineNumber) >= doc_.state().segmentIndex) {
            // No segment in this line yet: forget the first point; its listing lines stay.
            hide(SurfacePart::Shape1);
            doc_.state().lastPoint = {};
            return;
        }
        doc_.state().segmentIndex = static_cast<std::int16_t>(highestSegmentIndex());
        const Segment& last = segmentAt(doc_.state().segmentIndex);
        doc_.state().lastPoint = {last.x1 - surface_.imageLeft(), last.y1 - surface_.imageTop()};
        removeSegment(doc_.state().segmentIndex);

        TextBox& listing = doc_.edit(SurfacePart::Text1).text1;
        const int keep = cutLastCoordinateLine(listing.text, measuresOnGround(doc_, surface_));
        listing.caret = keep;
        listing.visible = true;
        doc_.bringToFront(SurfacePart::Text1);
    } else if (doc_.state().mode == ScalePoints) {
        if (doc_.controls().shape2.visible) hide(SurfacePart::Shape2);
        if (doc_.controls().shape1.visible) {
            hide(SurfacePart::Shape1);
            doc_.state().lastPoint = {};
        }
    }
}

void MeasureController::clearLine() {
    setCaption(common::msg::kCaptionMenu);
    if (doc_.state().lineNumber == 0) return;  // no line to clear: nothing changes
    const int numberBefore = doc_.state().measureNumber;
    RemoveCurrentLine();
    // Lines alternate area, stream, area ...: clearing a stream keeps its area's number, clearing an
    // area drops it.
    if (doc_.state().lastFinishedMode == 1) {
        doc_.state().measureNumber = common::checkedAdd(doc_.state().measureNumber, -1);
        doc_.state().lastFinishedMode = 2;
    } else {
        doc_.state().lastFinishedMode = 1;
    }
    if (doc_.state().measureNumber < 0) {
        doc_.state().measureNumber = 0;
        doc_.state().lastFinishedMode = 0;
    }
    // The label hidden is the one of the number the cleared line belonged to, so that a cleared area's
    // results leave the map and the remaining area keeps its label.
    const int labelIndex =
        std::max(0, std::max(numberBefore, static_cast<int>(doc_.state().measureNumber)) - 1);
    if (labelIndex >= static_cast<int>(doc_.controls().label1.size())) throw common::subscriptOutOfRange();
    doc_.edit(SurfacePart::Labels).label1[static_cast<std::size_t>(labelIndex)].visible = false;
}

void MeasureController::addLabel() {
    setCaption(common::msg::kCaptionPlaceLabel);
    if (doc_.state().measureNumber == 0) return;
    Label& label =
        doc_.edit(SurfacePart::Labels).label1.at(static_cast<std::size_t>(doc_.state().measureNumber - 1));
    label.left = doc_.menus().lstMenu1.left;
    label.top = doc_.menus().lstMenu1.top;
    label.visible = true;
    doc_.bringToFront(SurfacePart::Labels);
}

void MeasureController::RemoveCurrentLine() {
    doc_.state().lastPoint = {};
    if (doc_.state().lastFinishedMode == 2) doc_.state().centroid = doc_.state().areaCentroid;
    const int first = doc_.state().removeAll ? 0 : doc_.state().lineStartAt(doc_.state().lineNumber);
    doc_.state().segmentIndex = static_cast<std::int16_t>(highestSegmentIndex());
    for (int d = doc_.state().segmentIndex; d >= first; --d) {
        if (d == 0) break;
        removeSegment(d);
    }
    doc_.state().segmentIndex =
        static_cast<std::int16_t>(std::max(0, doc_.state().lineStartAt(doc_.state().lineNumber) - 1));
    doc_.state().lineNumber = static_cast<std::int16_t>(std::max(0, doc_.state().lineNumber - 1));
    if (doc_.state().mode == AreaBoundary) {
        doc_.state().measureNumber = static_cast<std::int16_t>(std::max(0, doc_.state().measureNumber - 1));
    }
    if (doc_.state().removeAll)
        doc_.state().segmentIndex = doc_.state().lineNumber = doc_.state().measureNumber = 0;
    if (doc_.state().segmentIndex == 0) removeSegment(0);
    hide(SurfacePart::Shape1);
    hide(SurfacePart::Shape2);
}

void MeasureController::RemoveAllMeasurements() {
    doc_.state().removeAll = true;
    try {
        RemoveCurrentLine();
    } catch (...) {
        doc_.state().removeAll = false;
        throw;
    }
    surface_.relayoutView();
    doc_.state().segmentIndex = doc_.state().lineNumber = doc_.state().measureNumber = 0;
    doc_.state().removeAll = false;
    // The next line or scale pins the origin afresh, on the view as it is then.
    doc_.state().mapOriginPinned = false;
    doc_.state().mapOrigin = {};
}

}  // namespace brelvo::measure

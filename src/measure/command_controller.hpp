// The measuring window's controller: the command list, left clicks in each digitizing mode, ending,
// undoing and clearing lines, and the hand-off of the results to the runoff window.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/dialogs.hpp"
#include "common/hand_off.hpp"
#include "measure/map_surface.hpp"
#include "measure/measure_document.hpp"
#include "measure/scale_calibration.hpp"

namespace brelvo::measure {

enum class MouseButton { Left, Right, Middle };

// The command list's commands (lstMenu1), in the list's order.
enum class Command {
    LoadSaveMap,
    SetScale,
    StartArea,
    StartStreamLine,
    EndLine,
    UndoCurrentLine,
    ClearLine,
    AddLabel,
    RunoffHydrograph,
    Help,
    Cancel
};
// The command a text of the list names; nothing for a text that is none.
std::optional<Command> commandOf(std::string_view text);
// The list's text of a command ("Undo Current Line").
const std::string& commandText(Command command);

// The result values handed to the runoff window.
using HandOff = common::HandOff;

class MeasureController {
  public:
    MeasureController(MeasureDocument& doc, MapSurface& surface, common::Dialogs& dialogs);

    static const std::vector<std::string>& commandItems();  // lstMenu1
    static const std::vector<std::string>& pictureItems();  // lstMenu2

    // Window load: command menu open at the map view's top-left, the start prompt.
    void start();

    // Mouse released on the map picture at image-relative view units.
    void mapMouseUp(MouseButton button, float x, float y);
    // Left press on the command list, list-relative.
    void commandMenuPress(float x, float y);
    // An item of the command list was clicked: a text that names no command only closes the list.
    void runCommand(const std::string& item);
    void runCommand(std::optional<Command> command);

    void RecordPoint(float x, float y);
    // A line traced whole (a delineated or imported basin's boundary, or its flow path): `start` (Start
    // Area or Start Stream Line), every vertex (image-relative view units) in one element of the segment
    // list, End Area/Line. Listed, measured and cleared as a line the user traced; the vertices need no
    // counter of their own, and a vertex at the picture's corner is a vertex like any other.
    void traceWhole(Command start, const std::vector<PointF>& points);
    // An area traced whole with its holes (image-relative view units, each without its repeated first
    // vertex), listed after the area's vertices and taken out of its measurement.
    void traceWhole(Command start, const std::vector<PointF>& points,
                    const std::vector<std::vector<PointF>>& holes);
    void RemoveCurrentLine();
    void RemoveAllMeasurements();
    void openCommandMenu(float x, float y);

    // The number text between "= " and the unit text of a result text; a failure when no blank follows.
    static std::string cutResultValue(const std::string& resultText);
    // The values for the runoff window; a value that cannot be cut is reported and left out.
    HandOff handOff() const;

    ScaleCalibration& scale() { return scale_; }

    // A line (area or stream) is being traced.
    bool tracing() const;
    // Backspace or Ctrl+Z: "Undo Current Line" while a line is being traced; false otherwise.
    bool undoLastPoint();
    // Esc: closes an open command list, or else cancels the scale clicks and panel; false when there is
    // none of these.
    bool escape();
    // Brings the coordinate listing back, wholly inside the visible part of the view.
    void showCoordinateListing();
    // The map coordinates at a view position in the current units, as a listing line shows them with the
    // unit text after them; empty while no scale is set. A map that shows its georeference's coordinates
    // shows them with their unit, and latitude and longitude where its system is known (mapPointerText).
    std::string pointerCoordinates(float vx, float vy) const;

  private:
    void startArea();
    void startStreamLine();
    void endLine();
    void undoCurrentLine();
    void clearLine();
    void addLabel();
    void setScale();
    void openPictureMenu();

    void setCaption(const std::string& text);
    void createSegment(int index);
    void removeSegment(int index);
    int highestSegmentIndex() const;
    Segment& segmentAt(int index);
    void appendCoordinateLine(float imageX, float imageY);
    // The listing's heading of a new line and its first point, with the marker.
    void beginLine(float imageX, float imageY);
    // The holes of the current area's first segment, each under its own heading and closed.
    void listHoles();
    void showTextBox();
    // The box of a command list, a marker or the listing, for a change of it.
    Box& box(SurfacePart part);
    void placeMarker(SurfacePart part, float imageX, float imageY);
    void hide(SurfacePart part);
    void setPointer(Pointer pointer);

    MeasureDocument& doc_;
    MapSurface& surface_;
    common::Dialogs& dialogs_;
    ScaleCalibration scale_;
};

}  // namespace brelvo::measure

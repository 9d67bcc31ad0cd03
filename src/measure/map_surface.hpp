// The measuring window's controls as plain values in view units (caption, the coordinate text box,
// markers, segments by index, labels, the scale panel and the pointer), which the measuring document
// holds, and the window itself as the measuring logic sees it: the picture's geometry and the windows
// it opens.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "measure/georeference.hpp"
#include "measure/measure_state.hpp"

namespace brelvo::measure {

struct Box {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    bool visible = false;
    friend bool operator==(const Box&, const Box&) = default;
};

struct TextBox : Box {
    std::string text;
    int caret = 0;  // characters before the caret
    friend bool operator==(const TextBox&, const TextBox&) = default;
};

struct Label : Box {
    std::string caption;
    friend bool operator==(const Label&, const Label&) = default;
};

// A boundary is drawn black, a stream blue.
inline constexpr std::uint32_t kBoundaryColor = 0x000000;
inline constexpr std::uint32_t kStreamColor = 0x0000FF;

struct Segment {
    float x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // view units
    int width = 1;                         // pixels
    std::uint32_t color = 0x000000;        // 0xRRGGBB
    bool visible = false;
    // A line traced whole (a delineated or imported basin's boundary or flow path) is one element: its
    // vertices in view units, from (x1, y1) to (x2, y2) inclusive. Empty for a segment between two clicks.
    std::vector<PointF> path;
    // An area traced whole with holes (an imported polygon's inner rings): each hole's vertices in view
    // units, without the repeated first. The measurement takes their area out and adds their length.
    std::vector<std::vector<PointF>> holes;
    friend bool operator==(const Segment&, const Segment&) = default;
};

// Calls piece(x1, y1, x2, y2) for each straight piece of a segment, in order: the segment itself, or each
// step of its path.
template <class Piece>
void forEachPiece(const Segment& seg, Piece&& piece) {
    if (seg.path.size() < 2) {
        piece(seg.x1, seg.y1, seg.x2, seg.y2);
        return;
    }
    for (std::size_t i = 1; i < seg.path.size(); ++i)
        piece(seg.path[i - 1].x, seg.path[i - 1].y, seg.path[i].x, seg.path[i].y);
}

// The picture's rectangle in the view, view units.
struct PictureFrame {
    float left = 0;
    float top = 0;
    float width = 0;
    float height = 0;
    friend bool operator==(const PictureFrame&, const PictureFrame&) = default;
};

enum class Pointer { Default, Cross };

// What changed, so that a window redraws only that.
enum class SurfacePart {
    Caption,
    Menu1,
    Menu2,
    Text1,
    Shape1,
    Shape2,
    Lines,
    Labels,
    Pointer,
    ScalePanel,
    Picture,
    State  // the measuring state alone (counters, scale, result texts): the title follows it
};

// The window's controls as the measuring logic holds them, all but the two command lists (which only
// show while the user chooses): what a project keeps of the window.
struct SurfaceControls {
    std::string caption;
    TextBox text1;
    Box shape1;
    Box shape2;
    std::map<int, Segment> line1{{0, Segment{}}};  // element 0 always exists
    std::vector<Label> label1{Label{}};            // label 0 always exists
    Pointer pointer = Pointer::Default;
    // Scale panel: frameScale with the distance box Text2, the spinner UpDown1 and the option group Option1.
    Box frameScale;
    std::string text2 = "1";
    std::string text2Refused;  // why the distance box's text was refused (the box is framed), else empty
    int upDown1Value = 1;
    int upDown1Step = 1;
    int option1 = 0;
    // The panel offers the units alone (a georeferenced map is measured without a scale): the distance
    // box and its spinner are not shown, and Ok sets the units only. Not kept in projects.
    bool unitsOnly = false;
    // The shared file dialog's cancel-raises-error setting: off at start, turned on for good by the saves.
    bool dialogCancelRaisesError = false;
    friend bool operator==(const SurfaceControls&, const SurfaceControls&) = default;
};

// The window as the measuring logic sees it. What it shows lives in the measuring document.
class MapSurface {
  public:
    virtual ~MapSurface() = default;

    // Picture geometry the measuring logic reads, view units.
    virtual float imageLeft() const = 0;
    virtual float imageTop() const = 0;
    virtual float viewHeight() const = 0;
    // The part of the map view that the user can see on the screen, view units (view-relative).
    virtual Box visibleArea() const = 0;

    // The picture's shown width over its natural width (1 without a picture).
    virtual float pictureZoom() const = 0;
    // Re-lay the view as after a window resize.
    virtual void relayoutView() = 0;
    // The ground of the measuring document's georeference (made by the geodata plugin); nullptr for a
    // plain picture, a georeference without a known system, or without the plugin.
    virtual const GroundModel* ground() const { return nullptr; }
    // Start the measurement hand-off to the runoff window.
    virtual void openRunoffWindow() = 0;
    // Open the help text.
    virtual void openHelp() = 0;
};

// Moves a box so that it lies wholly inside `area` (its top-left corner wins when it is larger).
inline void keepInside(Box& box, const Box& area) {
    if (box.left + box.width > area.left + area.width) box.left = area.left + area.width - box.width;
    if (box.top + box.height > area.top + area.height) box.top = area.top + area.height - box.height;
    if (box.left < area.left) box.left = area.left;
    if (box.top < area.top) box.top = area.top;
}

}  // namespace brelvo::measure

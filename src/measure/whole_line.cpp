// Lines traced whole: a delineated or imported basin's boundary or flow path, all its vertices in one
// element of the segment list, listed and measured as a line the user traced.
#include <string>

#include "common/failure.hpp"
#include "common/numbers.hpp"
#include "measure/command_controller.hpp"
#include "measure/ground_position.hpp"

namespace brelvo::measure {

namespace {
const std::string kCrLf = "\r\n";
}  // namespace

void MeasureController::beginLine(float x, float y) {
    std::string& listing = doc_.edit(SurfacePart::Text1).text1.text;
    // On the ground the points are the map's own coordinates: the heading names the map's unit.
    const std::string unit = measuresOnGround(doc_, surface_) ? " (" + surface_.ground()->unitName() + ")"
                                                              : doc_.state().lengthUnitText;
    if (doc_.state().mode == AreaBoundary) {
        listing =
            "Area" + common::integerText(doc_.state().measureNumber) + " X,Y Coordinates  " + unit + kCrLf;
    } else {
        listing += "Stream X,Y Coordinates" + unit + kCrLf;
    }
    doc_.state().lastPoint = {x, y};
    placeMarker(SurfacePart::Shape1, x, y);
    appendCoordinateLine(x, y);
}

void MeasureController::listHoles() {
    MeasureState& s = doc_.state();
    const auto it = doc_.controls().line1.find(s.lineStartAt(s.lineNumber));
    if (it == doc_.controls().line1.end()) return;
    const std::vector<std::vector<PointF>> holes = it->second.holes;
    for (std::size_t h = 0; h < holes.size(); ++h) {
        TextBox& listing = doc_.edit(SurfacePart::Text1).text1;
        listing.text += "Hole " + std::to_string(h + 1) + " X,Y Coordinates" + kCrLf;
        for (std::size_t i = 0; i <= holes[h].size(); ++i) {
            const PointF& p = holes[h][i % holes[h].size()];
            appendCoordinateLine(p.x - surface_.imageLeft(), p.y - surface_.imageTop());
        }
    }
}

void MeasureController::traceWhole(Command start, const std::vector<PointF>& points) {
    traceWhole(start, points, {});
}

void MeasureController::traceWhole(Command start, const std::vector<PointF>& points,
                                   const std::vector<std::vector<PointF>>& holes) {
    // A flow path of one cell (a basin of one cell) is its centre: a line of no length.
    if (points.size() == 1) {
        traceWhole(start, std::vector<PointF>{points.front(), points.front()}, holes);
        return;
    }
    const Mode kind = start == Command::StartArea ? AreaBoundary : StreamLine;
    runCommand(start);
    if (doc_.state().mode != kind || points.size() < 2) return;
    try {
        beginLine(points.front().x, points.front().y);
        const int index = doc_.state().segmentIndex;
        if (index != 0) createSegment(index);  // element 0 is reused for the first segment ever
        Segment& seg = segmentAt(index);
        seg.width = kind == AreaBoundary ? 3 : 2;
        seg.color = kind == AreaBoundary ? kBoundaryColor : kStreamColor;
        seg.path.clear();
        seg.path.reserve(points.size());
        for (const PointF& p : points)
            seg.path.push_back({surface_.imageLeft() + p.x, surface_.imageTop() + p.y});
        seg.holes.clear();
        if (kind == AreaBoundary) {
            for (const auto& hole : holes) {
                if (hole.size() < 3) continue;
                auto& ring = seg.holes.emplace_back();
                for (const PointF& p : hole)
                    ring.push_back({surface_.imageLeft() + p.x, surface_.imageTop() + p.y});
            }
        }
        seg.x1 = seg.path.front().x;
        seg.y1 = seg.path.front().y;
        seg.x2 = seg.path.back().x;
        seg.y2 = seg.path.back().y;
        seg.visible = true;
        for (std::size_t i = 1; i < points.size(); ++i) appendCoordinateLine(points[i].x, points[i].y);
        doc_.state().lastPoint = points.back();
        doc_.state().segmentIndex = common::checkedAdd(doc_.state().segmentIndex, 1);
        showTextBox();
    } catch (const common::RuntimeFailure& f) {
        dialogs_.message(common::failureText(f));
    }
    runCommand(Command::EndLine);
}

}  // namespace brelvo::measure

// The script lines of the map view's navigation: the pan/zoom control's regions and the mouse wheel,
// with the key held, as the user turns it over the map.
#include <charconv>

#include "app/main_window.hpp"
#include "app/measuring_keys.hpp"
#include "app/script_line.hpp"
#include "app/script_runner.hpp"

namespace brelvo::app {

namespace {

std::optional<mapview::PanZoomRegion> parseRegion(const std::string& name) {
    using R = mapview::PanZoomRegion;
    if (name == "up") return R::Up;
    if (name == "down") return R::Down;
    if (name == "left") return R::Left;
    if (name == "right") return R::Right;
    if (name == "centre" || name == "center") return R::Centre;
    if (name == "in") return R::ZoomIn;
    if (name == "out") return R::ZoomOut;
    return std::nullopt;
}

}  // namespace

std::optional<std::string> ScriptRunner::panzoomLine(const std::vector<std::string>& w) {
    const auto region = parseRegion(w[1]);
    if (!region) return "the region is one of up, down, left, right, centre, in, out";
    window_.panZoomRegionClick(*region);
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::wheelLine(const std::vector<std::string>& w) {
    // wheel X Y STEPS, then ctrl or shift when the key is held.
    if (w.size() != 4 && w.size() != 5) return "cannot execute this line";
    const auto x = parseNumber(w[1]), y = parseNumber(w[2]);
    const auto steps = parseInt(w[3]);
    if (!x || !y || !steps) return "X and Y must be numbers and STEPS a whole number";
    Qt::KeyboardModifiers held = Qt::NoModifier;
    if (w.size() == 5) {
        if (w[4] == "ctrl") {
            held = Qt::ControlModifier;
        } else if (w[4] == "shift") {
            held = Qt::ShiftModifier;
        } else {
            return "the key held is ctrl or shift";
        }
    }
    // Picture-relative, as a click: the wheel turns over the view position of that picture point.
    window_.mapWheel(window_.imageLeft() + *x, window_.imageTop() + *y, *steps, wheelTurnOf(held));
    return std::nullopt;
}

}  // namespace brelvo::app

// The script lines of the georeference window: a control point clicked and typed, the system, removing
// a point, the fit, Save and Close, as the user does them in the window.
#include <charconv>

#include "app/georef_dialog.hpp"
#include "app/script_runner.hpp"

namespace brelvo::app {

namespace {

std::optional<float> number(const std::string& text) {
    float v = 0;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), v);
    if (res.ec != std::errc() || res.ptr != text.data() + text.size()) return std::nullopt;
    return v;
}

}  // namespace

std::optional<std::string> ScriptRunner::georefLine(const std::vector<std::string>& w) {
    const std::string verb = w.size() > 1 ? w[1] : std::string();
    const std::size_t count = w.size() - 2;  // the words after the verb
    const bool known = (verb == "point" && count == 4) ||
                       ((verb == "system" || verb == "remove") && count == 1) ||
                       ((verb == "fit" || verb == "save" || verb == "close") && count == 0);
    if (!known) return "cannot execute this line";
    GeorefDialog* dialog = window_.georefDialog();
    if (!dialog) return "the georeference window is not open";
    if (verb == "point") {
        // A left click on the map at X Y (picture-relative view units, as `click`), then the point's two
        // coordinates typed into its boxes.
        const auto x = number(w[2]), y = number(w[3]);
        if (!x || !y) return "X and Y must be numbers";
        const std::size_t before = dialog->points().points().size();
        window_.mapMouseUp(measure::MouseButton::Left, *x, *y);
        if (dialog->points().points().size() != before + 1) return "the click added no point";
        dialog->typeCoordinates(static_cast<int>(before + 1), w[4], w[5]);
    } else if (verb == "system") {
        if (w[2] == "latlong") {
            dialog->chooseLatLong();
        } else {
            dialog->chooseSystem(w[2]);
        }
    } else if (verb == "remove") {
        const auto n = number(w[2]);
        if (!n || !dialog->removePoint(static_cast<int>(*n))) return "no point of that number";
    } else if (verb == "fit") {
        dialog->fit();
    } else if (verb == "save") {
        dialog->save();
    } else {
        dialog->close();
    }
    return std::nullopt;
}

}  // namespace brelvo::app

// The measuring window's dump: what a user sees of it (the Form1 object, keyed by control name, read from
// the widgets by their names) and the measuring document's state, for the script runner's JSON Lines.
#include "app/measuring_window_dump.hpp"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <string_view>

#include "app/georef_dialog.hpp"
#include "app/json_writer.hpp"
#include "app/line_ends.hpp"
#include "app/main_window.hpp"
#include "common/control_names.hpp"
#include "measure/measure_document.hpp"
#include "measure/scale_calibration.hpp"

namespace brelvo::app {

namespace names = common::controls::form1;

void dumpMeasuringWindow(const MainWindow& window, JsonWriter& j) {
    const measure::MeasureDocument& doc = window.document();
    const mapview::ViewGeometry& geometry = window.geometry();
    auto widget = [&window](std::string_view name) { return &window.requiredControl(name); };
    const auto* listing = static_cast<const QPlainTextEdit*>(widget(names::kText1));
    const auto* distanceBox = static_cast<const QLineEdit*>(widget(names::kText2));
    const QWidget* panZoom = widget(names::kImg4Way);
    const MainWindow* top = &window;
    auto box = [&](std::string_view name, const QWidget* shown, const measure::Box& b) {
        j.key(name).beginObject();
        j.key("visible").value(shown ? shown->isVisibleTo(top) : b.visible);
        j.key("left").value(b.left).key("top").value(b.top);
        j.endObject();
    };
    j.key(names::kForm1).beginObject();
    // The measuring logic's caption; the window's title adds the project's name to it.
    const measure::SurfaceControls& c = doc.controls();
    j.key("caption").value(c.caption);
    // The title as the window shows it: the project's name, "*" with unsaved changes, the caption.
    j.key("windowTitle").value(window.shownTitle());
    j.key("pointer").value(c.pointer == measure::Pointer::Cross ? "cross" : "default");
    j.key(names::kText1).beginObject();
    j.key("text").value(withCrLf(listing->toPlainText()));
    j.key("visible").value(listing->isVisibleTo(top));
    j.key("left").value(c.text1.left).key("top").value(c.text1.top);
    j.endObject();
    box(names::kLstMenu1, widget(names::kLstMenu1), doc.menus().lstMenu1);
    box(names::kLstMenu2, widget(names::kLstMenu2), doc.menus().lstMenu2);
    box(names::kFrameScale, widget(names::kFrameScale), c.frameScale);
    box(names::kShape1, nullptr, c.shape1);
    box(names::kShape2, nullptr, c.shape2);
    j.key(names::kText2).value(distanceBox->text().toStdString());
    // The reason the distance was refused, only while the box is framed.
    if (!c.text2Refused.empty()) j.key("Text2Refused").value(c.text2Refused);
    // The unit option checked, as its index; -1 when none is.
    int checked = -1;
    for (int i = 0; i < measure::ScaleCalibration::kUnitOptions; ++i) {
        const auto* option = static_cast<const QRadioButton*>(widget(names::indexed(names::kOption1, i)));
        if (option->isChecked()) checked = i;
    }
    j.key(names::kOption1).value(checked);
    j.key(names::kUpDown1)
        .beginObject()
        .key("value")
        .value(c.upDown1Value)
        .key("step")
        .value(c.upDown1Step)
        .endObject();
    j.key(names::kLabel1).beginArray();
    for (std::size_t i = 0; i < c.label1.size(); ++i) {
        j.beginObject();
        const auto* label =
            static_cast<const QLabel*>(widget(names::indexed(names::kLabel1, static_cast<int>(i))));
        j.key("caption").value(withCrLf(label->text()));
        j.key("visible").value(label->isVisibleTo(top));
        j.key("left").value(c.label1[i].left).key("top").value(c.label1[i].top);
        j.endObject();
    }
    j.endArray();
    j.key(names::kLine1).beginArray();
    for (const auto& [index, s] : c.line1) {
        char color[8];
        static const char* hex = "0123456789ABCDEF";
        color[0] = '#';
        for (int k = 0; k < 6; ++k) color[1 + k] = hex[(s.color >> (20 - 4 * k)) & 0xF];
        color[7] = '\0';
        j.beginObject();
        j.key("index").value(index);
        j.key("x1").value(s.x1).key("y1").value(s.y1).key("x2").value(s.x2).key("y2").value(s.y2);
        j.key("width").value(s.width).key("color").value(color).key("visible").value(s.visible);
        // A line traced whole is one element: its vertex count.
        if (!s.path.empty()) j.key("points").value(static_cast<int>(s.path.size()));
        // An area's holes: how many.
        if (!s.holes.empty()) j.key("holes").value(static_cast<int>(s.holes.size()));
        j.endObject();
    }
    j.endArray();
    const auto& pic = geometry.picture;
    j.key(names::kPicture).beginObject();
    j.key("left").value(pic.left).key("top").value(pic.top).key("width").value(pic.width);
    j.key("height").value(pic.height).key("stretch").value(geometry.stretch);
    j.endObject();
    const auto& v = geometry.view;
    j.key(names::kMapView).beginObject();
    j.key("left").value(v.left).key("top").value(v.top).key("width").value(v.width).key("height").value(
        v.height);
    j.key("scaleWidth").value(v.width).key("scaleHeight").value(v.height);
    j.endObject();
    const auto& pz = geometry.panZoom;
    j.key(names::kImg4Way).beginObject();
    j.key("left").value(pz.left).key("top").value(pz.top).key("width").value(pz.width);
    j.key("height").value(pz.height).key("visible").value(panZoom->isVisibleTo(top));
    j.endObject();
    j.key("twipsPerPixelX").value(window.twipsPerPixelX());
    j.key("scrollZoomFactor").value(geometry.scrollZoomFactor);
    j.endObject();

    j.key("MeasureState").tree(measure::MeasureDocument::writeState(doc.state(), measure::TreePurpose::Dump));

    // The picture's georeference: null for a plain picture; "crs" and "wkt" null when not known.
    const std::optional<measure::Georeference>& georef = doc.georeference();
    j.key("Georeference");
    if (!georef) {
        j.null();
    } else {
        j.beginObject();
        j.key("crs");
        georef->crs.empty() ? j.null() : j.value(georef->crs);
        j.key("wkt");
        georef->wkt.empty() ? j.null() : j.value(georef->wkt);
        j.key("geotransform").beginArray();
        for (const double v : georef->geotransform) j.value(v);
        j.endArray();
        j.key("source").value(measure::georefSourceText(georef->source));
        j.endObject();
    }

    // The elevation model open beside the map, or null: its file, cells, heights' unit ("" when not known),
    // system ("EPSG:n", else null), whether it is the map itself and whether its relief shows.
    j.key("ElevationModel");
    if (const ElevationLayer* layer = window.elevationLayer()) {
        const terrain::ElevationModel& model = layer->model();
        j.beginObject();
        j.key("path").value(model.path);
        j.key("width").value(model.width).key("height").value(model.height);
        j.key("unit").value(terrain::verticalUnitText(model.unit));
        j.key("crs");
        model.georef.crs.empty() ? j.null() : j.value(model.georef.crs);
        j.key("isMap").value(layer->isMap());
        j.key("shown").value(window.elevationShown());
        j.endObject();
    } else {
        j.null();
    }

    // The basin delineated last from the elevation model: the cell clicked, the outlet it snapped to,
    // the catchment's cells and whether it is cut off; null when there is none.
    j.key("Delineation");
    if (const auto& basin = doc.work().delineation) {
        j.beginObject();
        j.key("clickedCell").beginArray().value(basin->clickedColumn).value(basin->clickedRow).endArray();
        j.key("outletCell").beginArray().value(basin->outletColumn).value(basin->outletRow).endArray();
        j.key("searchCells").value(basin->searchCells);
        j.key("cells").value(static_cast<double>(basin->cells));
        j.key("cutOff").value(basin->cutOff);
        j.key("areaM2").value(basin->areaM2);
        j.key("pathLengthM").value(basin->pathLengthM);
        j.key("outletElevationFt").value(basin->outletElevationFt);
        j.key("headElevationFt").value(basin->headElevationFt);
        j.key("searchDistanceM").value(basin->searchDistanceM);
        j.key("voidCells").value(static_cast<double>(basin->voidCells));
        j.key("outletGroundFt").value(basin->outletGroundFt);
        j.key("headGroundFt").value(basin->headGroundFt);
        j.endObject();
    } else {
        j.null();
    }
    const measure::DelineationSettings& settings = doc.work().delineationSettings;
    j.key("DelineationSettings").beginObject();
    j.key("searchCells").value(settings.searchCells);
    j.key("searchDistanceM");
    settings.searchDistanceM ? j.value(*settings.searchDistanceM) : j.null();
    j.key("streamThreshold").value(static_cast<double>(settings.streamThreshold));
    j.key("streamsShown").value(window.streamsShown());
    j.key("flowPrepared").value(window.preparedFlow() != nullptr);
    j.key("awaitingOutlet").value(window.awaitingOutlet());
    j.endObject();

    // The georeference window's points, system and message while it is open.
    j.key("GeoreferenceDialog");
    if (const GeorefDialog* dialog = window.georefDialog()) {
        dialog->dump(j);
    } else {
        j.null();
    }
}

}  // namespace brelvo::app

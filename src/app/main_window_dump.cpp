// The measuring window's dump: what a user sees of it (the Form1 object, keyed by control name) and
// the measuring logic's state (MeasureState), for the script runner's JSON Lines.
#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <string_view>

#include "app/json_writer.hpp"
#include "app/line_ends.hpp"
#include "app/main_window.hpp"
#include "app/pan_zoom_control.hpp"
#include "common/control_names.hpp"
#include "measure/measure_document.hpp"

namespace brelvo::app {

namespace names = common::controls::form1;

void MainWindow::dump(JsonWriter& j) const {
    auto box = [&](std::string_view name, const QWidget* widget, const measure::Box& b) {
        j.key(name).beginObject();
        j.key("visible").value(widget ? widget->isVisibleTo(this) : b.visible);
        j.key("left").value(b.left).key("top").value(b.top);
        j.endObject();
    };
    j.key(names::kForm1).beginObject();
    // The measuring logic's caption; the window's title adds the project's name to it.
    const measure::SurfaceControls& c = doc_.controls();
    j.key("caption").value(c.caption);
    // The title as the window shows it: the project's name, "*" with unsaved changes, the caption.
    j.key("windowTitle").value(shownTitle());
    j.key("pointer").value(c.pointer == measure::Pointer::Cross ? "cross" : "default");
    j.key(names::kText1).beginObject();
    j.key("text").value(withCrLf(coordinateBox_->toPlainText()));
    j.key("visible").value(coordinateBox_->isVisibleTo(this));
    j.key("left").value(c.text1.left).key("top").value(c.text1.top);
    j.endObject();
    box(names::kLstMenu1, commandList_, doc_.menus().lstMenu1);
    box(names::kLstMenu2, pictureList_, doc_.menus().lstMenu2);
    box(names::kFrameScale, scalePanel_, c.frameScale);
    box(names::kShape1, nullptr, c.shape1);
    box(names::kShape2, nullptr, c.shape2);
    j.key(names::kText2).value(scaleDistanceBox_->text().toStdString());
    // The reason the distance was refused, only while the box is framed.
    if (!c.text2Refused.empty()) j.key("Text2Refused").value(c.text2Refused);
    j.key(names::kOption1).value(unitOptions_->checkedId());
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
        j.key("caption").value(withCrLf(labels_[i]->text()));
        j.key("visible").value(labels_[i]->isVisibleTo(this));
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
        j.endObject();
    }
    j.endArray();
    const auto& pic = geometry_.picture;
    j.key(names::kPicture).beginObject();
    j.key("left").value(pic.left).key("top").value(pic.top).key("width").value(pic.width);
    j.key("height").value(pic.height).key("stretch").value(geometry_.stretch);
    j.endObject();
    const auto& v = geometry_.view;
    j.key(names::kMapView).beginObject();
    j.key("left").value(v.left).key("top").value(v.top).key("width").value(v.width).key("height").value(
        v.height);
    j.key("scaleWidth").value(v.width).key("scaleHeight").value(v.height);
    j.endObject();
    const auto& pz = geometry_.panZoom;
    j.key(names::kImg4Way).beginObject();
    j.key("left").value(pz.left).key("top").value(pz.top).key("width").value(pz.width);
    j.key("height").value(pz.height).key("visible").value(panZoomControl_->isVisibleTo(this));
    j.endObject();
    j.key("twipsPerPixelX").value(tpp_);
    j.key("scrollZoomFactor").value(geometry_.scrollZoomFactor);
    j.endObject();

    j.key("MeasureState")
        .tree(measure::MeasureDocument::writeState(doc_.state(), measure::TreePurpose::Dump));
}

}  // namespace brelvo::app

// The measuring document: its value tree read back to the same document, passing fields left out of
// projects, damaged trees refused by name; and the changes of a step sent once.
#include "measure/measure_document.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "measure/command_controller.hpp"
#include "measure/fakes.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::measure {
namespace {

using common::TreeError;
using common::ValueTree;

// A document with lines, labels, a scale in general pixels, a listing and singles that a text form
// could round: the smallest subnormal, the largest single, -0, 0.1.
MeasureWork richWork() {
    MeasureWork w;
    MeasureState& s = w.state;
    s.mode = StreamLine;
    s.lastPoint = {std::numeric_limits<float>::denorm_min(), 0.1f};
    s.lineStart[1] = 1;
    s.lineStart[2] = 4;
    s.segmentIndex = 6;
    s.lineNumber = 2;
    s.scaleDistance = 5280;
    s.scaleX = 0.333333343f;
    s.scaleY = -0.0f;
    s.measureNumber = 2;
    s.areaText = "Area2 = 12.5 (acres)";
    s.streamLengthText = "Stream Length = 1,234.5 (ft)";
    s.lastFinishedMode = 1;
    s.distanceStep = 5280;
    s.pixelUnits = s.generalPixels = true;
    s.refPixel = {12.5f, std::numeric_limits<float>::max()};
    s.refCoord = {-32768, 32767};
    s.centroid = {1e-30f, -1e30f};
    s.areaFactor = 0.000022957f;
    s.lengthUnitText = " (ft)";
    s.mapOrigin = {3, 4};
    s.mapOriginPinned = true;
    SurfaceControls& c = w.controls;
    c.caption = "Click the stream's head";
    c.text1 = {{1, 2, 300, 400, true}, "Area1 X,Y Coordinates   (ft)\r\n1, 2\r\n", 7};
    c.shape1 = {5, 6, 135, 135, true};
    c.line1[0] = {1, 2, 3, 4, 3, 0x000000, true, {}, {}};
    c.line1[3] = {10.25f, 20, 30, 40, 2, 0x0000FF, true, {}, {}};
    c.line1[6] = {0, 0, 0, 0, 2, 0xFF00FF, false, {}, {}};
    c.label1 = {Label{{10, 20, 0, 0, true}, "Area1 = 3 (acres)"}, Label{{0, 0, 0, 0, false}, ""}};
    c.pointer = Pointer::Cross;
    c.frameScale = {7, 8, 9, 10, true};
    c.text2 = "2.5";
    c.upDown1Value = 3;
    c.upDown1Step = 5280;
    c.option1 = 6;
    c.dialogCancelRaisesError = true;
    return w;
}

TEST(MeasureDocumentTree, ReadsBackWhatItWroteAndKeepsNoPassingField) {
    MeasureWork w = richWork();
    const ValueTree tree = MeasureDocument::write(w, TreePurpose::Project);
    EXPECT_EQ(MeasureDocument::read(tree), w);
    // -0 and the subnormal come back bit for bit, not just equal.
    const MeasureWork back = MeasureDocument::read(tree);
    EXPECT_TRUE(std::signbit(back.state.scaleY));
    EXPECT_EQ(back.state.lastPoint.x, std::numeric_limits<float>::denorm_min());

    // Where the menu was opened and the clear-all flag are the window's passing state: a project does
    // not keep them, a dump shows them, and reading gives their defaults.
    w.state.grabPoint = {77, 88};
    w.state.removeAll = true;
    const ValueTree project = MeasureDocument::write(w, TreePurpose::Project);
    EXPECT_EQ(project.find("measureState")->find("grabPoint"), nullptr);
    EXPECT_EQ(project.find("measureState")->find("removeAll"), nullptr);
    const MeasureState read = MeasureDocument::read(project).state;
    EXPECT_EQ(read.grabPoint, PointF{});
    EXPECT_FALSE(read.removeAll);
    const ValueTree dump = MeasureDocument::writeState(w.state, TreePurpose::Dump);
    ASSERT_NE(dump.find("grabPoint"), nullptr);
    EXPECT_EQ(dump.find("grabPoint")->asList().at(1).asNumber(), 88.0);
    // The dump's keys in their published order.
    std::string keys;
    for (const auto& [key, value] : dump.asMap()) keys += key + " ";
    EXPECT_EQ(keys,
              "mode lastPoint lineStart segmentIndex lineNumber scaleDistance scaleX scaleY grabPoint "
              "measureNumber areaText areaCentroidText streamLengthText belowCentroidText lastFinishedMode "
              "distanceStep feetUnits pixelUnits generalPixels refPixel refCoord viewUnlocked centroid "
              "areaCentroid scalePoint2 areaFactor lengthUnitText areaUnitText removeAll mapOrigin "
              "mapOriginPinned ");
}

// The tree with one value of the measuring state replaced (or removed, for a null).
ValueTree withState(const char* key, const ValueTree& value) {
    ValueTree tree = MeasureDocument::write(richWork(), TreePurpose::Project);
    ValueTree state = *tree.find("measureState");
    ValueTree rebuilt = ValueTree::map();
    for (const auto& [k, v] : state.asMap()) {
        if (k != key)
            rebuilt.set(k, v);
        else if (value.kind() != ValueTree::Kind::Null)
            rebuilt.set(k, value);
    }
    tree.set("measureState", rebuilt);
    return tree;
}

std::string refusal(const ValueTree& tree) {
    try {
        MeasureDocument::read(tree);
    } catch (const TreeError& error) {
        return error.what();
    }
    return "read";
}

TEST(MeasureDocumentTree, RefusesAMissingOrWrongValueByName) {
    EXPECT_EQ(refusal(withState("scaleX", ValueTree())), "the value \"measureState.scaleX\" is missing");
    EXPECT_EQ(refusal(withState("scaleX", ValueTree::text("1"))),
              "the value \"measureState.scaleX\" is not a number");
    EXPECT_EQ(refusal(withState("scaleX", ValueTree::number(1e39))),
              "the value \"measureState.scaleX\" is out of range");
    EXPECT_EQ(refusal(withState("mode", ValueTree::number(4))),
              "the value \"measureState.mode\" is out of range");
    EXPECT_EQ(refusal(withState("segmentIndex", ValueTree::number(2.5))),
              "the value \"measureState.segmentIndex\" is not a whole number");
    EXPECT_EQ(refusal(withState("feetUnits", ValueTree::number(1))),
              "the value \"measureState.feetUnits\" is not true or false");
    EXPECT_EQ(refusal(withState("lineStart", ValueTree::list({ValueTree::number(0)}))),
              "the value \"measureState.lineStart\" does not have 21 entries");
    EXPECT_EQ(refusal(withState("refCoord", ValueTree::list({ValueTree::number(0), ValueTree::text("1")}))),
              "the value \"measureState.refCoord\" is not two whole numbers");
    EXPECT_EQ(refusal(withState("refPixel", ValueTree::list({ValueTree::number(0)}))),
              "the value \"measureState.refPixel\" is not a point");
    // Counters that run past the segments and labels the tree holds.
    EXPECT_EQ(refusal(withState("segmentIndex", ValueTree::number(5))),
              "the value \"measureState.segmentIndex\" is below the segments the file holds");
    EXPECT_EQ(refusal(withState("measureNumber", ValueTree::number(3))),
              "the value \"measureState.measureNumber\" names a label the file does not hold");
    // A field of the window, inside a list.
    ValueTree tree = MeasureDocument::write(richWork(), TreePurpose::Project);
    ValueTree window = *tree.find("window");
    ValueTree segments = *window.find("segments");
    ValueTree list = ValueTree::list(segments.asList());
    ValueTree second = ValueTree::map();
    for (const auto& [k, v] : list.asList()[1].asMap())
        second.set(k, k == "x2" ? ValueTree::boolean(true) : v);
    ValueTree::List items = list.asList();
    items[1] = second;
    window.set("segments", ValueTree::list(items));
    tree.set("window", window);
    EXPECT_EQ(refusal(tree), "the value \"window.segments[1].x2\" is not a number");
    // Files written before the map origin was kept lack it: it keeps its default.
    const MeasureState old = MeasureDocument::read(withState("mapOriginPinned", ValueTree())).state;
    EXPECT_FALSE(old.mapOriginPinned);
    EXPECT_EQ(old.mapOrigin, PointF{});
}

TEST(MeasureDocumentTree, KeepsThePicturesGeoreferenceExactlyAndRefusesAWrongOne) {
    MeasureWork w = richWork();
    // Doubles that a single or a short text would change.
    w.georef = Georeference{{512345.678901234, 0.1, 1e-17, 4423456.7, 1.0 / 3, -0.30000000000000004},
                            "PROJCS[\"WGS 84 / UTM zone 13N\",\n UNIT[\"metre\",1]]",
                            "EPSG:32613",
                            GeorefSource::ControlPoints};
    const ValueTree tree = MeasureDocument::write(w, TreePurpose::Project);
    const ValueTree& g = *tree.find("georeference");
    EXPECT_EQ(g.find("source")->asText(), "control points");
    EXPECT_EQ(g.find("geotransform")->asList().at(4).kind(), ValueTree::Kind::Double);
    EXPECT_EQ(MeasureDocument::read(tree), w);

    // None is written as null; a tree of an earlier version has no key: both read as none.
    w.georef.reset();
    ValueTree plain = MeasureDocument::write(w, TreePurpose::Project);
    EXPECT_EQ(plain.find("georeference")->kind(), ValueTree::Kind::Null);
    EXPECT_EQ(MeasureDocument::read(plain).georef, std::nullopt);
    ValueTree older = ValueTree::map();
    older.set("measureState", *plain.find("measureState"));
    older.set("window", *plain.find("window"));
    EXPECT_EQ(MeasureDocument::read(older), w);

    auto withGeoref = [&tree](const char* key, const ValueTree& value) {
        ValueTree changed = tree;
        ValueTree georef = *tree.find("georeference");
        georef.set(key, value);
        changed.set("georeference", georef);
        return changed;
    };
    auto numbers = [](std::initializer_list<double> values) {
        ValueTree list = ValueTree::list();
        for (const double v : values) list.append(ValueTree::number(v));
        return list;
    };
    EXPECT_EQ(refusal(withGeoref("geotransform", numbers({0, 1, 0, 0, 0}))),
              "the value \"georeference.geotransform\" is not a list of six numbers");
    EXPECT_EQ(refusal(withGeoref("geotransform", numbers({0, 1, 0, 0, 2, 0}))),
              "the value \"georeference.geotransform\" does not place the picture on the map (it cannot be "
              "inverted)");
    EXPECT_EQ(refusal(withGeoref("source", ValueTree::text("scan"))),
              "the value \"georeference.source\" is not \"file\", \"world file\", \"control points\" or "
              "\"web map\"");
    EXPECT_EQ(refusal(withGeoref("crs", ValueTree::text("32613"))),
              "the value \"georeference.crs\" is not \"EPSG:\" with a number, nor empty");
    EXPECT_EQ(refusal(withGeoref("wkt", ValueTree::number(1))),
              "the value \"georeference.wkt\" is not a text");
}

TEST(MeasureDocumentSteps, SendsTheChangesOfAStepOnceAndAStrayChangeWhenFlushed) {
    MeasureDocument doc;
    std::vector<SurfaceChanges> sent;
    int pendingCalls = 0;
    doc.setListener([&](const SurfaceChanges& c) { sent.push_back(c); }, [&] { ++pendingCalls; });
    {
        MeasureDocument::Step step(doc);
        doc.setCaption("one");
        {
            MeasureDocument::Step inner(doc);
            doc.edit(SurfacePart::Lines).line1[0].visible = true;
            doc.bringToFront(SurfacePart::Text1);
        }
        EXPECT_TRUE(sent.empty());  // the inner step is part of the outer one
        doc.setCaption("two");
        doc.bringToFront(SurfacePart::Menu1);
    }
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].parts, (std::vector<SurfacePart>{SurfacePart::Caption, SurfacePart::Lines,
                                                       SurfacePart::Text1, SurfacePart::Menu1}));
    EXPECT_EQ(sent[0].raised, (std::vector<SurfacePart>{SurfacePart::Text1, SurfacePart::Menu1}));
    EXPECT_EQ(doc.controls().caption, "two");
    EXPECT_EQ(pendingCalls, 0);
    // Outside a step the window is asked to flush later, once for any number of changes.
    doc.setPointer(Pointer::Cross);
    doc.menu(SurfacePart::Menu2).visible = true;
    EXPECT_EQ(pendingCalls, 1);
    EXPECT_EQ(sent.size(), 1u);
    doc.flush();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].parts, (std::vector<SurfacePart>{SurfacePart::Pointer, SurfacePart::Menu2}));
    EXPECT_TRUE(doc.menus().lstMenu2.visible);
}

// Undo of Clear Area/Line: the cleared area comes back with its lines, label, listing and counters,
// carried from where the picture was; the caption and the zoomed scale of now stay; a clear followed by
// other work is not undone.
TEST(MeasureDocumentClears, UndoBringsBackAClearedLineOnlyWhileTheWorkIsAsTheClearLeftIt) {
    MeasureDocument doc;
    FakeSurface surface;
    surface.viewHeightValue = 1000;
    testing_support::RecordingDialogs dialogs;
    MeasureController controller(doc, surface, dialogs);
    auto traceArea = [&] {
        controller.runCommand("Start Area");
        for (const PointF p : {PointF{100, 100}, PointF{300, 100}, PointF{300, 300}}) {
            controller.mapMouseUp(MouseButton::Left, p.x, p.y);
        }
        controller.runCommand("End Area/Line");
    };
    const PictureFrame frame{0, 0, 1200, 900};
    traceArea();
    const MeasureWork traced = doc.work();
    auto clear = [&] {
        const MeasureWork before = doc.work();
        controller.runCommand("Clear Area/Line");
        doc.clearedLine(before, frame);
    };
    clear();
    EXPECT_EQ(doc.state().lineNumber, 0);
    // A zoom of 2 since the clear: the picture is twice as large, the scale halved, the map origin
    // carried with the picture.
    doc.state().scaleX = doc.state().scaleY = 0.5f;
    doc.state().mapOrigin = {doc.state().mapOrigin.x * 2, doc.state().mapOrigin.y * 2};
    const auto placedIn = doc.undoClear({0, 0, 2400, 1800});
    ASSERT_TRUE(placedIn.has_value());
    EXPECT_EQ(*placedIn, frame);
    EXPECT_EQ(doc.controls().line1, traced.controls.line1);
    EXPECT_EQ(doc.controls().label1, traced.controls.label1);
    EXPECT_EQ(doc.controls().text1.text, traced.controls.text1.text);
    EXPECT_EQ(doc.state().lineNumber, 1);
    EXPECT_EQ(doc.state().areaText, traced.state.areaText);
    EXPECT_EQ(doc.state().scaleX, 0.5f);
    EXPECT_EQ(doc.controls().caption, "Mouse Right Click for menu...");
    // Nothing more to undo.
    EXPECT_FALSE(doc.undoClear(frame).has_value());
    // A clear, then a new area: the clear stays.
    clear();
    traceArea();
    EXPECT_FALSE(doc.undoClear(frame).has_value());
    EXPECT_EQ(doc.state().lineNumber, 1);
    // A clear with nothing to clear is no step to undo.
    doc.forgetClears();
    clear();
    clear();
    const MeasureWork empty = doc.work();
    ASSERT_TRUE(doc.undoClear(frame).has_value());
    EXPECT_FALSE(doc.undoClear(frame).has_value());
    EXPECT_NE(doc.work(), empty);
}

}  // namespace
}  // namespace brelvo::measure

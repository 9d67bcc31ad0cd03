// A delineated basin in the measuring work: its record and the settings kept in the tree (and refused by
// name when wrong), the two elevations in the hand-off, and Undo taking the whole delineation back.
#include "measure/delineation_record.hpp"

#include <gtest/gtest.h>

#include "measure/command_controller.hpp"
#include "measure/fakes.hpp"
#include "measure/measure_document.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::measure {
namespace {

using common::TreeError;
using common::ValueTree;

DelineationRecord sampleRecord() {
    DelineationRecord r;
    r.clickedColumn = 17;
    r.clickedRow = 3;
    r.outletColumn = 20;
    r.outletRow = 2;
    r.searchCells = 3;
    r.cells = 4321;
    r.cutOff = true;
    r.areaM2 = 388890.00000000006;
    r.pathLengthM = 1234.5678;
    r.outletElevationFt = 1000.04;
    r.headElevationFt = 1234.56;
    r.searchDistanceM = 90.5;
    r.voidCells = 9;
    r.outletGroundFt = 980.12;
    r.headGroundFt = 1234.5;
    r.modelFingerprint = 0xF00DCAFE12345678ULL;  // past a double's 53 bits
    return r;
}

std::string refusal(const ValueTree& tree) {
    try {
        MeasureDocument::read(tree);
    } catch (const TreeError& error) {
        return error.what();
    }
    return "read";
}

TEST(DelineationTree, KeepsTheRecordAndSettingsExactlyAndRefusesAWrongValueByName) {
    MeasureWork w;
    w.delineation = sampleRecord();
    w.delineationSettings.searchCells = 8;
    w.delineationSettings.searchDistanceM = 45.25;
    w.delineationSettings.streamThreshold = 250;
    w.delineationSettings.showStreams = true;
    const ValueTree tree = MeasureDocument::write(w, TreePurpose::Project);
    EXPECT_EQ(MeasureDocument::read(tree), w);
    // A distance of three cells' width (none kept) reads back as none.
    MeasureWork byWidth = w;
    byWidth.delineationSettings.searchDistanceM.reset();
    EXPECT_EQ(MeasureDocument::read(MeasureDocument::write(byWidth, TreePurpose::Project)), byWidth);
    const ValueTree& d = *tree.find("delineation");
    EXPECT_EQ(d.find("record")->find("clickedCell")->asList().at(0).asNumber(), 17.0);
    EXPECT_EQ(d.find("record")->find("outletCell")->asList().at(1).asNumber(), 2.0);
    EXPECT_EQ(d.find("streamThreshold")->asNumber(), 250.0);

    // No record: null; files written before delineation: no record, the default settings.
    w.delineation.reset();
    EXPECT_EQ(MeasureDocument::read(MeasureDocument::write(w, TreePurpose::Project)), w);
    ValueTree old = ValueTree::map();
    for (const auto& [key, value] : tree.asMap()) {
        if (key != "delineation") old.set(key, value);
    }
    const MeasureWork fromOld = MeasureDocument::read(old);
    EXPECT_FALSE(fromOld.delineation.has_value());
    EXPECT_EQ(fromOld.delineationSettings.searchCells, 5);
    EXPECT_EQ(fromOld.delineationSettings.streamThreshold, 1000);

    auto withValue = [&](const char* key, const ValueTree& value, bool inRecord) {
        ValueTree t = tree;
        ValueTree del = *t.find("delineation");
        if (inRecord) {
            ValueTree rec = *del.find("record");
            rec.set(key, value);
            del.set("record", rec);
        } else {
            del.set(key, value);
        }
        t.set("delineation", del);
        return t;
    };
    EXPECT_EQ(refusal(withValue("searchCells", ValueTree::integer(101), false)),
              "the value \"delineation.searchCells\" is out of range");
    EXPECT_EQ(refusal(withValue("streamThreshold", ValueTree::integer(0), false)),
              "the value \"delineation.streamThreshold\" is out of range");
    EXPECT_EQ(refusal(withValue("outletCell",
                                ValueTree::list({ValueTree::integer(-1), ValueTree::integer(2)}), true)),
              "the value \"delineation.record.outletCell\" is not a cell (a column and a row)");
    EXPECT_EQ(refusal(withValue("clickedCell",
                                ValueTree::list({ValueTree::number(1.5), ValueTree::integer(2)}), true)),
              "the value \"delineation.record.clickedCell\" is not a cell (a column and a row)");
    EXPECT_EQ(refusal(withValue("cells", ValueTree::integer(0), true)),
              "the value \"delineation.record.cells\" is out of range");
    EXPECT_EQ(refusal(withValue("cutOff", ValueTree::text("yes"), true)),
              "the value \"delineation.record.cutOff\" is not true or false");
    EXPECT_EQ(refusal(withValue("searchDistanceM", ValueTree::number(-1), false)),
              "the value \"delineation.searchDistanceM\" is out of range");
    EXPECT_EQ(refusal(withValue("modelFingerprint", ValueTree::text("f00dcafe1234567g"), true)),
              "the value \"delineation.record.modelFingerprint\" is out of range");
    EXPECT_EQ(refusal(withValue("voidCells", ValueTree::number(2.5), true)),
              "the value \"delineation.record.voidCells\" is out of range");

    // A record and settings written before the distance on the ground: those keys read as nothing.
    ValueTree before = tree;
    ValueTree del = *before.find("delineation");
    ValueTree rec = *del.find("record");
    ValueTree::Map kept;
    for (const auto& [key, value] : rec.asMap()) {
        if (key != "searchDistanceM" && key != "voidCells" && key != "outletGroundFt" &&
            key != "headGroundFt" && key != "modelFingerprint")
            kept.emplace_back(key, value);
    }
    ValueTree plain = ValueTree::map();
    for (const auto& [key, value] : kept) plain.set(key, value);
    ValueTree settingsOnly = ValueTree::map();
    for (const auto& [key, value] : del.asMap()) {
        if (key == "record")
            settingsOnly.set(key, plain);
        else if (key != "searchDistanceM" && key != "showStreams")
            settingsOnly.set(key, value);
    }
    before.set("delineation", settingsOnly);
    const MeasureWork older = MeasureDocument::read(before);
    EXPECT_EQ(older.delineation->voidCells, 0);
    EXPECT_EQ(older.delineation->modelFingerprint, 0u);
    EXPECT_EQ(older.delineation->searchDistanceM, 0);
    EXPECT_EQ(older.delineation->outletElevationFt, 1000.04);
    EXPECT_FALSE(older.delineationSettings.searchDistanceM.has_value());
    EXPECT_FALSE(older.delineationSettings.showStreams);
}

// The delineation as the window makes it: the boundary and the flow path traced as lines, the record
// set; the hand-off then carries the path head's and the outlet's elevations to a tenth of a foot, and
// one Undo takes the lines, the listing, the counters and the record back, also after the settings
// were changed.
TEST(DelineationWork, HandsOverTheElevationsAndIsUndoneAsOneStep) {
    MeasureDocument doc;
    FakeSurface surface;
    surface.viewHeightValue = 1000;
    testing_support::RecordingDialogs dialogs;
    MeasureController controller(doc, surface, dialogs);
    doc.state().lengthUnitText = " (ft)";
    doc.state().areaUnitText = " (acres)";
    doc.state().areaFactor = 0.000022957f;

    EXPECT_FALSE(controller.handOff().upperElevation.has_value());
    const MeasureWork before = doc.work();
    const PictureFrame frame{0, 0, 1200, 900};
    controller.runCommand("Start Area");
    for (const PointF p : {PointF{100, 100}, PointF{300, 100}, PointF{300, 300}, PointF{100, 300}})
        controller.mapMouseUp(MouseButton::Left, p.x, p.y);
    controller.runCommand("End Area/Line");
    controller.runCommand("Start Stream Line");
    for (const PointF p : {PointF{150, 150}, PointF{250, 250}})
        controller.mapMouseUp(MouseButton::Left, p.x, p.y);
    controller.runCommand("End Area/Line");
    MeasureWork withRecord = doc.work();
    withRecord.delineation = sampleRecord();
    doc.replaceWork(withRecord);
    doc.delineated(before, frame);

    const HandOff h = controller.handOff();
    EXPECT_EQ(h.upperElevation, "1234.6");
    EXPECT_EQ(h.lowerElevation, "1000.0");
    EXPECT_EQ(h.basinArea, "0.918");

    MeasureWork settingsChanged = doc.work();
    settingsChanged.delineationSettings = {3, 50};
    doc.replaceWork(settingsChanged);
    ASSERT_TRUE(doc.undoClear(frame).has_value());
    EXPECT_EQ(doc.controls().line1, before.controls.line1);
    EXPECT_EQ(doc.controls().text1.text, before.controls.text1.text);
    EXPECT_EQ(doc.state().lineNumber, 0);
    EXPECT_EQ(doc.state().areaText, "");
    EXPECT_FALSE(doc.work().delineation.has_value());
    EXPECT_FALSE(controller.handOff().upperElevation.has_value());
    EXPECT_FALSE(doc.undoClear(frame).has_value());
}

TEST(DelineationWork, ElevationTextIsToATenthOfAFoot) {
    EXPECT_EQ(elevationText(412.749), "412.7");
    EXPECT_EQ(elevationText(412.75), "412.8");
    EXPECT_EQ(elevationText(-3.04), "-3.0");
    EXPECT_EQ(elevationText(0.04), "0.0");
}

}  // namespace
}  // namespace brelvo::measure

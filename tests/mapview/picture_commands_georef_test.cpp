// Loading a georeferenced picture: a refused world file changes nothing, a georeference without a
// coordinate system asks for one until it is known or declined, a plain picture (loaded, pasted or
// cleared) leaves no georeference behind, and a web map capture brings its own.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "mapview/picture_commands.hpp"
#include "measure/fakes.hpp"
#include "support/recording_dialogs.hpp"

namespace brelvo::mapview {
namespace {

// The picture side with what each picture file says of its georeference.
class GeorefHost : public PictureHost {
  public:
    std::vector<std::string> calls;
    GeorefLookup lookup;
    std::optional<measure::Georeference> clipboard;
    std::vector<std::string> systemsAsked;

    std::optional<std::string> decodePicture(const std::string& path) override {
        calls.push_back("decode " + path);
        return std::nullopt;
    }
    std::optional<std::string> decodeClipboardPicture() override { return std::nullopt; }
    void showDecodedPicture() override { calls.push_back("show"); }
    GeorefLookup readGeoreference(const std::string& path) override {
        calls.push_back("georef " + path);
        return lookup;
    }
    std::optional<CoordinateSystem> coordinateSystem(const std::string& code, std::string& reason) override {
        systemsAsked.push_back(code);
        if (code == "EPSG:32613" || code == "32613")
            return CoordinateSystem{"PROJCRS[\"UTM 13N\"]", "EPSG:32613"};
        reason = code == "4326x" ? "" : "\"" + code + "\" is not a projected system here.";
        return std::nullopt;
    }
    std::optional<measure::Georeference> clipboardGeoreference() override { return clipboard; }
    void clearPicture() override { calls.push_back("clear picture"); }
    void scrollPicture(int) override {}
    std::string programFolder() const override { return "/prog"; }
    void setPanZoomVisible(bool) override {}
    void captureClientArea() override {}
    void saveCaptureAsJpeg(const std::string&, int) override {}
    void saveCaptureAsBitmap(const std::string&) override {}
    void copyCaptureToClipboard() override {}
    bool printClientArea(common::Dialogs&) override { return true; }
    bool openWebMap() override { return false; }
    float scrollZoomFactor() const override { return 0.05f; }
    void setScrollZoomFactor(float) override {}
};

measure::Georeference utm(std::string wkt = "PROJCRS[\"UTM 13N\"]", std::string crs = "EPSG:32613") {
    measure::Georeference g;
    g.geotransform = {500000, 10, 0, 4400000, 0, -10};
    g.wkt = std::move(wkt);
    g.crs = std::move(crs);
    g.source = measure::GeorefSource::WorldFile;
    return g;
}

struct Window {
    measure::FakeSurface surface;
    measure::MeasureDocument doc;
    testing_support::RecordingDialogs dialogs;
    measure::MeasureController controller{doc, surface, dialogs};
    GeorefHost host;
    PictureCommands commands{doc, controller, dialogs, host};

    void load(const std::string& path) {
        dialogs.answers.push_back(path);
        commands.run("Load Map File");
    }
    void traceArea() {
        surface.viewHeightValue = 9000;
        controller.runCommand("Start Area");
        controller.mapMouseUp(measure::MouseButton::Left, 1000, 1000);
        controller.mapMouseUp(measure::MouseButton::Left, 4000, 1000);
        controller.mapMouseUp(measure::MouseButton::Left, 4000, 4000);
        controller.runCommand("End Area/Line");
    }
};

TEST(PictureCommandsGeoreference, ARefusedGeoreferenceChangesNothing) {
    Window w;
    w.host.lookup.georef = utm();
    w.load("/maps/quad.tif");
    ASSERT_EQ(w.doc.georeference(), utm());
    w.traceArea();

    w.host.calls.clear();
    w.host.lookup = {};
    w.host.lookup.refusal = "The map file \"/maps/scan.png\" was not loaded: scan.pgw is damaged";
    w.load("/maps/scan.png");
    EXPECT_EQ(w.host.calls, (std::vector<std::string>{"decode /maps/scan.png", "georef /maps/scan.png"}));
    EXPECT_EQ(w.dialogs.messages, (std::vector<std::string>{w.host.lookup.refusal}));
    EXPECT_TRUE(w.dialogs.questions.empty());  // refused before the question about the traced work
    EXPECT_EQ(w.doc.georeference(), utm());
    EXPECT_EQ(w.doc.state().measureNumber, 1);
    EXPECT_EQ(w.doc.controls().line1.size(), 3u);
}

TEST(PictureCommandsGeoreference, AMissingSystemIsAskedForUntilKnownOrDeclined) {
    Window w;
    w.host.lookup.georef = utm("", "");
    w.host.lookup.systemMissing = true;
    // An unknown code asks again with the reason; a code the support names without a reason gets ours.
    w.dialogs.answers = {std::string("/maps/scan.png"), std::string(" 9999 "), std::string("4326x"),
                         std::string("EPSG:32613")};
    w.commands.run("Load Map File");
    EXPECT_EQ(w.host.systemsAsked, (std::vector<std::string>{"9999", "4326x", "EPSG:32613"}));
    ASSERT_EQ(w.dialogs.inputRequests.size(), 3u);
    const std::string prompt =
        "The map file \"/maps/scan.png\" gives its position but not its coordinate system. Type the "
        "coordinate system as an EPSG code or none:";
    EXPECT_EQ(w.dialogs.inputRequests[0].prompt, prompt);
    EXPECT_EQ(w.dialogs.inputRequests[0].title, "Coordinate System");
    EXPECT_EQ(w.dialogs.inputRequests[1].prompt, "\"9999\" is not a projected system here.\n" + prompt);
    EXPECT_EQ(w.dialogs.inputRequests[2].prompt, "\"4326x\" is no known EPSG code.\n" + prompt);
    EXPECT_EQ(w.doc.georeference(), utm());
    EXPECT_TRUE(w.dialogs.messages.empty());

    // "none" (any case) and a cancelled box keep the geotransform without a system, asking once.
    for (const char* decline : {"None", ""}) {
        Window d;
        d.host.lookup.georef = utm("", "");
        d.host.lookup.systemMissing = true;
        d.dialogs.answers = {std::string("/maps/scan.png"), std::string(decline)};
        d.commands.run("Load Map File");
        EXPECT_EQ(d.dialogs.inputRequests.size(), 1u) << decline;
        EXPECT_TRUE(d.host.systemsAsked.empty()) << decline;
        ASSERT_TRUE(d.doc.georeference()) << decline;
        EXPECT_FALSE(d.doc.georeference()->systemKnown()) << decline;
        EXPECT_EQ(d.doc.georeference()->geotransform, utm().geotransform) << decline;
    }

    // Cancelling the question about the traced work asks nothing more and changes nothing.
    Window c;
    c.traceArea();
    c.host.lookup.georef = utm("", "");
    c.host.lookup.systemMissing = true;
    c.dialogs.answers = {std::string("/maps/scan.png"), std::string("Cancel")};
    c.commands.run("Load Map File");
    EXPECT_EQ(c.dialogs.questions.size(), 1u);
    EXPECT_TRUE(c.dialogs.inputRequests.empty());
    EXPECT_FALSE(c.doc.georeference());
}

TEST(PictureCommandsGeoreference, APlainPictureLeavesNoGeoreferenceBehind) {
    Window w;
    w.host.lookup.georef = utm();
    w.load("/maps/quad.tif");
    ASSERT_TRUE(w.doc.georeference());
    w.host.lookup = {};
    w.load("/maps/plain.png");
    EXPECT_FALSE(w.doc.georeference());

    // A notice (the geodata support missing, a turned picture) is said after the picture shows, which
    // then has none.
    w.host.calls.clear();
    w.host.lookup.notice = "no geodata support";
    w.load("/maps/quad.tif");
    EXPECT_EQ(w.host.calls,
              (std::vector<std::string>{"decode /maps/quad.tif", "georef /maps/quad.tif", "show"}));
    EXPECT_EQ(w.dialogs.messages, (std::vector<std::string>{"no geodata support"}));
    EXPECT_FALSE(w.doc.georeference());

    w.host.lookup = {};
    w.host.lookup.georef = utm();
    w.load("/maps/quad.tif");
    w.commands.run("Clear Map Image");
    EXPECT_FALSE(w.doc.georeference());

    // A web map capture brings its georeference; any other clipboard picture has none.
    measure::Georeference web = utm("PROJCRS[\"WGS 84 / Pseudo-Mercator\"]", "EPSG:3857");
    web.source = measure::GeorefSource::WebMap;
    w.host.clipboard = web;
    w.commands.run("Paste From Clipboard");
    EXPECT_EQ(w.doc.georeference(), web);
    w.host.clipboard.reset();
    w.commands.run("Paste From Clipboard");
    EXPECT_FALSE(w.doc.georeference());
}

}  // namespace
}  // namespace brelvo::mapview

// A delineated basin as the measuring window lists it: the boundary and the flow path traced whole onto
// a map that is the model's own picture, measured on a planar ground, so that the listing's area must be
// the cells' area to the listing's last digit. Generated terrains and outlets of every kind: basins on the
// model's edge, at its corner (the picture's top-left pixel), of one cell, along a row.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "measure/command_controller.hpp"
#include "measure/fakes.hpp"
#include "support/recording_dialogs.hpp"
#include "terrain/delineation.hpp"
#include "terrain/terrain_grids.hpp"

namespace brelvo::terrain {
namespace {

using measure::Command;
using measure::PointF;

constexpr double kSquareFeetPerSquareMetre = 1 / 0.09290304;
constexpr float kViewUnitsPerPixel = 15;  // a picture pixel on the screen, at a zoom of 1

// The measuring window with the model as its map picture: pixel (column, row) is cell (column, row).
struct ListedBasin {
    explicit ListedBasin(const ElevationModel& model) {
        surface.imageLeftValue = 30;
        surface.imageTopValue = 45;
        surface.viewHeightValue = 1E+6f;
        surface.groundValue = &ground;
        doc.setGeoreference(
            measure::Georeference{model.georef.geotransform, "PROJCS[\"UTM 13N\"]", "EPSG:32613"});
        controller.scale().useGroundUnits();
        // Feet / Sq Feet: the area is listed to the square foot.
        controller.scale().showGroundUnits();
        controller.scale().chooseOption(2);
        controller.scale().ApplyScale();
    }

    // Image-relative view positions of model coordinates, as the window hands a delineation over.
    std::vector<PointF> onPicture(const ElevationModel& model, const std::vector<measure::MapPoint>& points) {
        std::vector<PointF> view;
        for (const measure::MapPoint& p : points) {
            const auto pixel = model.georef.toPixel(p);
            view.push_back({static_cast<float>(pixel->x * kViewUnitsPerPixel),
                            static_cast<float>(pixel->y * kViewUnitsPerPixel)});
        }
        return view;
    }

    void trace(const ElevationModel& model, const Delineation& d) {
        controller.traceWhole(Command::StartArea, onPicture(model, d.boundary));
        controller.traceWhole(Command::StartStreamLine, onPicture(model, d.longestPath));
    }

    // The number between "= " and the blank before the unit.
    static double value(const std::string& text) {
        return std::stod(measure::MeasureController::cutResultValue(text));
    }

    measure::PlanarGround ground;
    measure::MeasureDocument doc;
    measure::FakeSurface surface;
    testing_support::RecordingDialogs dialogs;
    measure::MeasureController controller{doc, surface, dialogs};
};

using testing::prepare;
using testing::Prepared;

// The listing's area and perimeter against the cells': the area in whole square feet (the single the
// listing rounds holds 24 bits), the path's length to the foot.
void expectListedAsCells(const Prepared& p, Cell clicked, const std::string& what) {
    const auto d = delineate(p.model, p.flow, p.geometry, clicked, 0);
    ASSERT_TRUE(d) << what;
    ListedBasin listed(p.model);
    listed.trace(p.model, *d);
    const measure::MeasureState& s = listed.doc.state();
    const double cellsFt2 = d->areaM2 * kSquareFeetPerSquareMetre;
    EXPECT_NEAR(ListedBasin::value(s.areaText), cellsFt2, 0.5 + cellsFt2 * 1.2e-7)
        << what << ": " << s.areaText;
    EXPECT_NEAR(ListedBasin::value(s.streamLengthText), d->longestPathM / 0.3048,
                0.5 + d->longestPathM * 1e-6)
        << what << ": " << s.streamLengthText;
    EXPECT_TRUE(listed.dialogs.messages.empty()) << what << ": " << listed.dialogs.messages.front();
    // Two elements: the boundary's vertices and the closing step back to its first.
    const auto& lines = listed.doc.controls().line1;
    ASSERT_EQ(lines.size(), 3u) << what;
    EXPECT_EQ(lines.at(0).path.size(), d->boundary.size()) << what;
    EXPECT_EQ(lines.at(1).x2, lines.at(0).x1) << what;
    EXPECT_EQ(lines.at(1).y2, lines.at(0).y1) << what;
}

TEST(DelineatedListing, AreaIsTheCellsAreaOnEveryGeneratedTerrain) {
    int basins = 0;
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const int width = 3 + static_cast<int>(seed * 7 % 38), height = 3 + static_cast<int>(seed * 11 % 31);
        const Prepared p = prepare(testing::roughTerrain(width, height, seed));
        // The corner cells, the middle of each edge, and cells inside.
        const Cell cells[] = {{0, 0},
                              {width - 1, 0},
                              {0, height - 1},
                              {width - 1, height - 1},
                              {width / 2, 0},
                              {0, height / 2},
                              {width / 2, height - 1},
                              {width / 3, height / 3},
                              {width / 2, height / 2}};
        for (const Cell c : cells) {
            expectListedAsCells(p, c,
                                "seed " + std::to_string(seed) + " cell (" + std::to_string(c.column) + ", " +
                                    std::to_string(c.row) + ")");
            ++basins;
        }
    }
    EXPECT_EQ(basins, 360);
}

TEST(DelineatedListing, BasinAtThePicturesCornerKeepsItsCorner) {
    // Everything drains to the top-left cell: the ring starts at the picture's own corner, (0, 0), which a
    // click there could not give (a click at the corner reads as "no point yet").
    const Prepared p = prepare(testing::makeModel(
        12, 9, [](int c, int r) { return static_cast<float>(c + r); }, 30));
    const auto d = delineate(p.model, p.flow, p.geometry, {0, 0}, 0);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->cells, 108u);
    ListedBasin listed(p.model);
    listed.trace(p.model, *d);
    // 108 cells of 900 m²: 97,200 m² = 1,046,252.1 ft²; perimeter 2 x (360 + 270) m = 4133.9 ft.
    EXPECT_EQ(listed.doc.state().areaText, "Area1= 1046252 (ft^2), Perimeter= 4134 (ft)");
    const std::string& text = listed.doc.controls().text1.text;
    EXPECT_EQ(text.substr(0, text.find("Xmin")),
              "Area1 X,Y Coordinates   (m)\r\n500000, 4000000\r\n500360, 4000000\r\n500360, 3999730\r\n"
              "500000, 3999730\r\n500000, 4000000\r\n");
}

TEST(DelineatedListing, LargeBasinIsOneLineWithoutACounterPerVertex) {
    // A ring of 40,000 vertices (a staircase) and a path of 40,000: the segment counter takes two steps,
    // not one per vertex, and nothing overflows.
    const ElevationModel model = testing::makeModel(
        1, 1, [](int, int) { return 1.0f; }, 1);
    ListedBasin listed(model);
    std::vector<PointF> ring{{0, 0}};
    for (int i = 0; i < 19999; ++i) {
        const float x = static_cast<float>(i + 1) * kViewUnitsPerPixel,
                    y = static_cast<float>(i) * kViewUnitsPerPixel;
        ring.push_back({x, y});
        ring.push_back({x, y + kViewUnitsPerPixel});
    }
    ring.push_back({0, 19999 * kViewUnitsPerPixel});
    std::vector<PointF> path;
    for (int i = 0; i < 40000; ++i) path.push_back({static_cast<float>(i) * kViewUnitsPerPixel, 7.5f});
    listed.controller.traceWhole(Command::StartArea, ring);
    listed.controller.traceWhole(Command::StartStreamLine, path);
    EXPECT_TRUE(listed.dialogs.messages.empty()) << listed.dialogs.messages.front();
    const measure::MeasureState& s = listed.doc.state();
    EXPECT_EQ(s.segmentIndex, 2);
    EXPECT_EQ(s.lineNumber, 2);
    // The staircase: row band r (0 to 19,998) reaches r + 1 m from the left edge, 1 + 2 + ... + 19,999 =
    // 199,990,000 m² in all, 2,152,674,395 ft² to the single's precision (256 at that size).
    EXPECT_NEAR(ListedBasin::value(s.areaText), 19999.0 * 20000 / 2 * kSquareFeetPerSquareMetre, 256);
    // The path straight along a row: 39,999 m, and no message that it encloses no area.
    EXPECT_EQ(s.streamLengthText, "Longest Stream Lenth= 131230 (ft)");
    // The work round trips through the project's tree with every vertex.
    const measure::MeasureWork back = measure::MeasureDocument::read(listed.doc.write());
    EXPECT_EQ(back.controls.line1, listed.doc.controls().line1);
}

}  // namespace
}  // namespace brelvo::terrain

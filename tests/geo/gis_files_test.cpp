// Basins to GIS files, read back by GDAL's ogrinfo and by the import; refusals that keep the user's files.
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <regex>

#include "common/messages.hpp"
#include "geo/geo_fixture.hpp"

namespace brelvo::geo::testing {
namespace {

using measure::LonLat;

BasinExport basin() {
    BasinExport b;
    b.name = "Dry Creek";
    // Counter-clockwise, as seen on a north-up map.
    b.boundary = {{-102.51234567, 40.01234567},
                  {-102.48765432, 40.01111111},
                  {-102.48, 40.03},
                  {-102.49876543, 40.04567891},
                  {-102.52, 40.03}};
    b.stream = {{-102.50123456, 40.04012345}, {-102.50234567, 40.03}, {-102.495, 40.02}, {-102.49, 40.0135}};
    b.centroid = LonLat{-102.50011111, 40.02777777};
    b.areaMi2 = 0.75;
    b.perimeterMi = 3.5;
    b.streamLengthMi = 1.25;
    b.crs = "EPSG:32613";
    return b;
}

// The coordinates of the first geometry of a kind ("POLYGON", "LINESTRING", "POINT") in ogrinfo's text.
std::vector<LonLat> geometryOf(const std::string& text, const std::string& kind) {
    std::vector<LonLat> points;
    const std::size_t at = text.find("\n  " + kind + " (");
    if (at == std::string::npos) return points;
    const std::string line = text.substr(at, text.find('\n', at + 1) - at);
    const std::regex pair(R"((-?[0-9.]+) (-?[0-9.]+))");
    for (auto it = std::sregex_iterator(line.begin(), line.end(), pair); it != std::sregex_iterator(); ++it) {
        points.push_back({std::stod((*it)[1]), std::stod((*it)[2])});
    }
    if (kind == "POLYGON" && points.size() > 1) points.pop_back();  // the closing point
    return points;
}

// The same points, for a ring also from another start or the other way round (a shapefile keeps outer
// rings clockwise), within 1e-7 degrees.
bool samePoints(std::vector<LonLat> got, const std::vector<LonLat>& want, bool ring) {
    if (got.size() != want.size() || want.empty()) return false;
    const auto equal = [&](const std::vector<LonLat>& a) {
        for (std::size_t shift = 0; shift < (ring ? a.size() : 1); ++shift) {
            bool all = true;
            for (std::size_t i = 0; i < a.size() && all; ++i) {
                const LonLat& p = a[(i + shift) % a.size()];
                all = std::fabs(p.lon - want[i].lon) <= 1e-7 && std::fabs(p.lat - want[i].lat) <= 1e-7;
            }
            if (all) return true;
        }
        return false;
    };
    if (equal(got)) return true;
    std::reverse(got.begin(), got.end());
    return ring && equal(got);
}

class GisFiles : public GeoTest {
  protected:
    // ogrinfo's features of the file, and the import's.
    void expectBasin(const std::string& file, bool polygon, bool line, bool point) {
        const BasinExport b = basin();
        const std::string info = run("ogrinfo -al -q '" + path(file) + "'");
        if (polygon) {
            EXPECT_TRUE(samePoints(geometryOf(info, "POLYGON"), b.boundary, true)) << info;
        }
        if (line) {
            EXPECT_TRUE(samePoints(geometryOf(info, "LINESTRING"), b.stream, false)) << info;
        }
        if (point) {
            EXPECT_TRUE(samePoints(geometryOf(info, "POINT"), {*b.centroid}, false)) << info;
        }
        for (const char* attribute : {"(String) = Dry Creek", "(Real) = 0.75", "(Real) = 3.5",
                                      "(Real) = 1.25", "(String) = EPSG:32613"}) {
            EXPECT_NE(info.find(attribute), std::string::npos) << attribute << "\n" << info;
        }
        std::string error;
        const auto features = services_.readFeatures(path(file), error);
        ASSERT_TRUE(features) << error;
        ASSERT_EQ(features->size(), std::size_t{polygon} + line + point);
        for (const Feature& f : *features) {
            EXPECT_EQ(f.name, "Dry Creek");
            if (f.kind == Feature::Kind::Polygon) {
                EXPECT_TRUE(samePoints(f.points, b.boundary, true));
            }
            if (f.kind == Feature::Kind::Line) {
                EXPECT_TRUE(samePoints(f.points, b.stream, false));
            }
            if (f.kind == Feature::Kind::Point) {
                EXPECT_TRUE(samePoints(f.points, {*b.centroid}, false));
            }
        }
    }
};

TEST_F(GisFiles, ExportsReadBackByOgrinfoAndByTheImport) {
    std::string error;
    for (const char* file : {"basin.geojson", "basin.GPKG", "basin.kml", "basin.shp"}) {
        ASSERT_TRUE(services_.exportBasin(path(file), basin(), error)) << file << ": " << error;
    }
    expectBasin("basin.geojson", true, true, true);
    const std::string json = read(path("basin.geojson"));
    EXPECT_NE(json.find("\"length_to_centroid_mi\": null"), std::string::npos) << json;
    EXPECT_EQ(json.find("\"crs\": {"), std::string::npos);  // RFC 7946: longitude/latitude, no crs member
    expectBasin("basin.GPKG", true, true, true);
    expectBasin("basin.kml", true, true, true);
    // One kind of geometry a shapefile; field names cut to ten letters by the format.
    expectBasin("basin.shp", true, false, false);
    expectBasin("basin_stream.shp", false, true, false);
    expectBasin("basin_centroid.shp", false, false, true);
    const std::string dbf = run("ogrinfo -al -q '" + path("basin_stream.shp") + "'");
    EXPECT_NE(dbf.find("stream_len (Real) = 1.25"), std::string::npos) << dbf;
    EXPECT_NE(dbf.find("length_to_ (Real) = (null)"), std::string::npos) << dbf;

    // Without a name and a stream, neither is written.
    BasinExport area = basin();
    area.name.clear();
    area.stream.clear();
    ASSERT_TRUE(services_.exportBasin(path("area.json"), area, error)) << error;
    const auto features = services_.readFeatures(path("area.json"), error);
    ASSERT_TRUE(features) << error;
    ASSERT_EQ(features->size(), 2u);
    EXPECT_EQ((*features)[0].name, "");
    EXPECT_EQ(read(path("area.json")).find("\"name\"", read(path("area.json")).find("\"features\"")),
              std::string::npos);
}

TEST_F(GisFiles, FailedExportsLeaveTheFilesThatWereThere) {
    std::string error;
    EXPECT_FALSE(services_.exportBasin(path("basin.dxf"), basin(), error));
    EXPECT_EQ(error, common::msg::exportUnknownKind("basin.dxf"));
    EXPECT_FALSE(services_.exportBasin(path("empty.geojson"), BasinExport{}, error));
    EXPECT_EQ(error, common::msg::kExportNothing);
    BasinExport far = basin();
    far.stream[1].lat = 91;
    EXPECT_FALSE(services_.exportBasin(path("far.geojson"), far, error));
    EXPECT_FALSE(std::filesystem::exists(path("far.geojson")));

    // A member of the shapefile cannot be saved: none is.
    write(path("kept.shp"), "the user's file");
    std::filesystem::create_directory(path("kept_stream.shp"));
    EXPECT_FALSE(services_.exportBasin(path("kept.shp"), basin(), error));
    EXPECT_NE(error.find("kept_stream.shp"), std::string::npos) << error;
    EXPECT_EQ(read(path("kept.shp")), "the user's file");
    EXPECT_FALSE(std::filesystem::exists(path("kept.dbf")));
}

// Every part of a multi-geometry, each numbered; a polygon with its holes, each ring without its closing
// point; a feature without geometry is passed over; the name comes from a field "NAME" too.
TEST_F(GisFiles, ImportTakesEveryPartWithItsHoles) {
    write(path("parts.geojson"),
          R"({"type": "FeatureCollection", "features": [
{"type": "Feature", "properties": {"NAME": "upper"}, "geometry": {"type": "GeometryCollection", "geometries": [
  {"type": "GeometryCollection", "geometries": []},
  {"type": "MultiPolygon", "coordinates": [[[[1, 2], [3, 2], [3, 4], [1, 2]], [[2, 2.5], [2.5, 2.5], [2.5, 3], [2, 2.5]]],
                                           [[[7, 8], [9, 8], [9, 9], [7, 8]]]]}]}},
{"type": "Feature", "properties": {}, "geometry": null},
{"type": "Feature", "properties": {}, "geometry": {"type": "MultiLineString", "coordinates": [[[5, 6], [5.5, 6.5]], [[0, 0], [1, 1]]]}},
{"type": "Feature", "properties": {}, "geometry": {"type": "Point", "coordinates": [1e308, 1e308]}}]})");
    std::string error;
    EXPECT_FALSE(services_.readFeatures(path("parts.geojson"), error));
    EXPECT_EQ(error, "parts.geojson: feature 4 cannot be placed in longitude and latitude.");

    std::string text = read(path("parts.geojson"));
    text.replace(text.find("1e308, 1e308"), 12, "-3.5, 4.25");
    write(path("parts.geojson"), text);
    const auto features = services_.readFeatures(path("parts.geojson"), error);
    ASSERT_TRUE(features) << error;
    ASSERT_EQ(features->size(), 5u);
    const auto expect = [&](std::size_t i, Feature::Kind kind, const std::string& label,
                            const std::vector<LonLat>& points) {
        const Feature& f = (*features)[i];
        EXPECT_EQ(f.kind, kind) << i;
        EXPECT_EQ(common::msg::importFeatureLabel(f.name, f.number, f.part, f.parts), label);
        EXPECT_EQ(f.points, points) << label;
        EXPECT_EQ(f.problem, "") << label;
    };
    expect(0, Feature::Kind::Polygon, "upper (part 1 of 2)", {{1, 2}, {3, 2}, {3, 4}});
    EXPECT_EQ((*features)[0].holes, (std::vector<std::vector<LonLat>>{{{2, 2.5}, {2.5, 2.5}, {2.5, 3}}}));
    expect(1, Feature::Kind::Polygon, "upper (part 2 of 2)", {{7, 8}, {9, 8}, {9, 9}});
    EXPECT_TRUE((*features)[1].holes.empty());
    expect(2, Feature::Kind::Line, "feature 3 (part 1 of 2)", {{5, 6}, {5.5, 6.5}});
    expect(3, Feature::Kind::Line, "feature 3 (part 2 of 2)", {{0, 0}, {1, 1}});
    expect(4, Feature::Kind::Point, "feature 4", {{-3.5, 4.25}});
}

// Polygons that cannot be traced are read with the reason, naming the polygon, its part and the ring,
// and the place of a crossing in the file's own coordinates (here a UTM system).
TEST_F(GisFiles, ImportNamesPolygonsThatCannotBeTraced) {
    write(path("bad.geojson"),
          R"({"type": "FeatureCollection",
"crs": {"type": "name", "properties": {"name": "urn:ogc:def:crs:EPSG::32613"}}, "features": [
{"type": "Feature", "properties": {"name": "Bowtie"}, "geometry": {"type": "Polygon", "coordinates":
  [[[700000, 4400000], [700400, 4400200], [700400, 4400000], [700000, 4400200], [700000, 4400000]]]}},
{"type": "Feature", "properties": {"name": "Sliver"}, "geometry": {"type": "Polygon", "coordinates":
  [[[700000, 4400000], [700100, 4400100], [700100, 4400100], [700000, 4400000]]]}},
{"type": "Feature", "properties": {"name": "Dot"}, "geometry": {"type": "Polygon", "coordinates":
  [[[700000, 4400000], [700000, 4400000], [700000, 4400000], [700000, 4400000]]]}},
{"type": "Feature", "properties": {"name": "Ridge"}, "geometry": {"type": "Polygon", "coordinates":
  [[[700000, 4400000], [700100, 4400100], [700300, 4400300], [700000, 4400000]]]}},
{"type": "Feature", "properties": {"name": "Eight"}, "geometry": {"type": "Polygon", "coordinates":
  [[[700000, 4400000], [700200, 4400000], [700100, 4400100], [700200, 4400200], [700000, 4400200],
    [700100, 4400100], [700000, 4400000]]]}},
{"type": "Feature", "properties": {"name": "Islands"}, "geometry": {"type": "MultiPolygon", "coordinates": [
  [[[700000, 4400000], [700100, 4400000], [700100, 4400100], [700000, 4400000]]],
  [[[701000, 4400000], [701100, 4400000], [701100, 4400100], [701000, 4400000]]],
  [[[702000, 4400000], [702900, 4400000], [702900, 4400900], [702000, 4400900], [702000, 4400000]],
   [[702100, 4400100], [702200, 4400100], [702200, 4400200], [702100, 4400200], [702100, 4400100]],
   [[702500, 4400500], [702700, 4400700], [702700, 4400500], [702500, 4400700], [702500, 4400500]]]]}},
{"type": "Feature", "properties": {"name": "Stray hole"}, "geometry": {"type": "Polygon", "coordinates":
  [[[703000, 4400000], [703100, 4400000], [703100, 4400100], [703000, 4400000]],
   [[703200, 4400000], [703300, 4400000], [703300, 4400100], [703200, 4400000]]]}}]})");
    std::string error;
    const auto features = services_.readFeatures(path("bad.geojson"), error);
    ASSERT_TRUE(features) << error;
    ASSERT_EQ(features->size(), 9u);
    const std::string fix =
        " Correct the polygon in the GIS program (its geometry check or repair tool finds and mends such "
        "rings) and import it again, or choose another feature.";
    const std::string crossing =
        " (the file's coordinates): a ring must go round once without touching or "
        "crossing itself, or its area is not the land it encloses.";
    EXPECT_EQ((*features)[0].problem,
              "The polygon \"Bowtie\" crosses itself near 700200, 4400100" + crossing + fix);
    EXPECT_EQ(
        (*features)[1].problem,
        "The polygon \"Sliver\" has 2 distinct points: a ring needs at least three corners that enclose "
        "an area." +
            fix);
    EXPECT_EQ((*features)[2].problem,
              "The polygon \"Dot\" has 1 distinct point: a ring needs at least three corners that enclose an "
              "area." +
                  fix);
    EXPECT_EQ((*features)[3].problem,
              "The polygon \"Ridge\" encloses no area: its corners lie on one line." + fix);
    EXPECT_EQ((*features)[4].problem,
              "The polygon \"Eight\" crosses itself near 700100, 4400100" + crossing + fix);
    EXPECT_EQ((*features)[5].problem, "");
    EXPECT_EQ((*features)[6].problem, "");
    EXPECT_EQ((*features)[7].problem,
              "Hole 2 of the polygon \"Islands (part 3 of 3)\" crosses itself near 702600, 4400600" +
                  crossing + fix);
    EXPECT_EQ((*features)[7].holes.size(), 2u);
    EXPECT_EQ(
        (*features)[8].problem,
        "A hole of the polygon \"Stray hole\" lies outside it, crosses its boundary or another hole, or "
        "shares more than a point with one: each hole must lie inside the boundary, apart from the others." +
            fix);
    EXPECT_EQ(common::msg::importFeatureLabel((*features)[6].name, (*features)[6].number, (*features)[6].part,
                                              (*features)[6].parts),
              "Islands (part 2 of 3)");
}

// A basin with holes leaves with them, and comes back with them.
TEST_F(GisFiles, HolesAreExportedAndImported) {
    BasinExport b = basin();
    b.holes = {{{-102.505, 40.02}, {-102.50, 40.02}, {-102.50, 40.025}},
               {{-102.495, 40.03}, {-102.49, 40.03}, {-102.49, 40.035}, {-102.495, 40.035}}};
    std::string error;
    ASSERT_TRUE(services_.exportBasin(path("holed.geojson"), b, error)) << error;
    const auto features = services_.readFeatures(path("holed.geojson"), error);
    ASSERT_TRUE(features) << error;
    ASSERT_EQ((*features)[0].kind, Feature::Kind::Polygon);
    EXPECT_EQ((*features)[0].problem, "");
    ASSERT_EQ((*features)[0].holes.size(), 2u);
    for (std::size_t h = 0; h < 2; ++h)
        EXPECT_TRUE(samePoints((*features)[0].holes[h], b.holes[h], true)) << h;
}

TEST_F(GisFiles, ImportRefusals) {
    std::string error;
    write(path("notes.geojson"), "not GeoJSON at all");
    EXPECT_FALSE(services_.readFeatures(path("notes.geojson"), error));
    EXPECT_EQ(error, "notes.geojson cannot be read as a GeoJSON, GeoPackage, KML or shapefile file.");
    EXPECT_FALSE(services_.readFeatures(path("missing.kml"), error));

    // A shapefile without its .prj: longitude and latitude are taken as WGS 84, other figures refused.
    ASSERT_TRUE(services_.exportBasin(path("lonlat.shp"), basin(), error)) << error;
    std::filesystem::remove(path("lonlat.prj"));
    const auto assumed = services_.readFeatures(path("lonlat.shp"), error);
    ASSERT_TRUE(assumed) << error;
    EXPECT_TRUE(samePoints((*assumed)[0].points, basin().boundary, true));
    {
        GDALDriver* driver = GetGDALDriverManager()->GetDriverByName("ESRI Shapefile");
        GDALDataset* dataset = driver->Create(path("utm.shp").c_str(), 0, 0, 0, GDT_Unknown, nullptr);
        OGRLayer* layer = dataset->CreateLayer("utm", nullptr, wkbPoint, nullptr);
        OGRFeature feature(layer->GetLayerDefn());
        OGRPoint point(712000, 4430000);
        feature.SetGeometry(&point);
        ASSERT_EQ(layer->CreateFeature(&feature), OGRERR_NONE);
        GDALClose(dataset);
    }
    EXPECT_FALSE(services_.readFeatures(path("utm.shp"), error));
    EXPECT_EQ(error, common::msg::importNoSystem("utm.shp"));

    std::string many = "{\"type\": \"FeatureCollection\", \"features\": [";
    for (int i = 0; i < 10001; ++i) {
        many += std::string(i ? "," : "") +
                "{\"type\": \"Feature\", \"properties\": {}, \"geometry\": {\"type\": \"Point\", "
                "\"coordinates\": [1, 2]}}";
    }
    write(path("many.geojson"), many + "]}");
    EXPECT_FALSE(services_.readFeatures(path("many.geojson"), error));
    EXPECT_EQ(error, common::msg::importTooManyFeatures("many.geojson"));
}

}  // namespace
}  // namespace brelvo::geo::testing

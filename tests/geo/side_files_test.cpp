// The files beside a map picture that are passed over, each named with the reason (world files, .prj
// files and .aux.xml files that are folders, pipes, links in a circle or unreadable XML), and GeoTIFFs
// placed only by ground control points: georeferenced when the points fit one, else told why not.
#include <gdal_priv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "common/messages.hpp"
#include "geo/geo_fixture.hpp"

namespace brelvo::geo::testing {
namespace {

namespace fs = std::filesystem;
namespace msg = common::msg;

class SideFiles : public GeoTest {
  protected:
    // A 200 x 200 GeoTIFF placed only by control points in UTM zone 13N: pixel (column, row) of each
    // point and its map position.
    struct Point {
        double column, row, x, y;
    };
    void makeControlPointTiff(const std::string& file, const std::vector<Point>& points) {
        GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
        GDALDataset* picture = memory->Create("", 200, 200, 1, GDT_Byte, nullptr);
        ASSERT_NE(picture, nullptr);
        std::vector<GDAL_GCP> gcps(points.size());
        GDALInitGCPs(static_cast<int>(gcps.size()), gcps.data());
        for (std::size_t i = 0; i < points.size(); ++i) {
            gcps[i].dfGCPPixel = points[i].column;
            gcps[i].dfGCPLine = points[i].row;
            gcps[i].dfGCPX = points[i].x;
            gcps[i].dfGCPY = points[i].y;
        }
        OGRSpatialReference utm;
        ASSERT_EQ(utm.importFromEPSG(32613), OGRERR_NONE);
        ASSERT_EQ(picture->SetGCPs(static_cast<int>(gcps.size()), gcps.data(), &utm), CE_None);
        GDALDeinitGCPs(static_cast<int>(gcps.size()), gcps.data());
        GDALDataset* copy = GetGDALDriverManager()->GetDriverByName("GTiff")->CreateCopy(
            file.c_str(), picture, FALSE, nullptr, nullptr, nullptr);
        ASSERT_NE(copy, nullptr);
        GDALClose(copy);
        GDALClose(picture);
    }
};

TEST_F(SideFiles, ControlPointsPlaceAGeoTiffOnlyWhenTheyFitOneGeoreference) {
    // 10 m pixels from (500000, 4500000): the four corners.
    const std::vector<Point> corners{{0, 0, 500000, 4500000},
                                     {200, 0, 502000, 4500000},
                                     {0, 200, 500000, 4498000},
                                     {200, 200, 502000, 4498000}};
    makeControlPointTiff(path("points.tif"), corners);
    const GeorefReading fitted = services_.readGeoreference(path("points.tif"));
    ASSERT_TRUE(fitted.georef) << fitted.error;
    const std::array<double, 6> expected{500000, 10, 0, 4500000, 0, -10};
    for (std::size_t k = 0; k < 6; ++k) EXPECT_NEAR(fitted.georef->geotransform[k], expected[k], 1e-6) << k;
    EXPECT_EQ(fitted.georef->crs, "EPSG:32613");
    EXPECT_FALSE(fitted.systemMissing);
    EXPECT_TRUE(fitted.ignored.empty());

    // One corner 40 m (4 pixels) east of where the others put it: the least-squares fit misses each of
    // the four by a quarter of that, one pixel.
    std::vector<Point> bent = corners;
    bent[3].x += 40;
    makeControlPointTiff(path("bent.tif"), bent);
    const GeorefReading off = services_.readGeoreference(path("bent.tif"));
    EXPECT_FALSE(off.georef);
    EXPECT_TRUE(off.error.empty());
    EXPECT_EQ(off.ignored, std::vector<std::string>{msg::controlPointsNoFit("bent.tif", 4, "1.0")});

    makeControlPointTiff(path("one.tif"), {corners[0]});
    EXPECT_EQ(services_.readGeoreference(path("one.tif")).ignored,
              std::vector<std::string>{msg::controlPointsTooFew("one.tif", 1)});

    // A world file beside it places it, and the control points are not mentioned.
    write(path("bent.tfw"), "10\n0\n0\n-10\n500005\n4499995\n");
    const GeorefReading world = services_.readGeoreference(path("bent.tif"));
    ASSERT_TRUE(world.georef);
    EXPECT_EQ(world.georef->source, measure::GeorefSource::WorldFile);
    EXPECT_TRUE(world.ignored.empty());
}

TEST_F(SideFiles, WorldAndSystemFilesThatAreNoFilesAreNamedAndPassedOver) {
    makeRaster(path("scan.png"), "PNG");
    fs::create_directory(path("scan.pgw"));
    ASSERT_EQ(::mkfifo(path("scan.pngw").c_str(), 0600), 0);
    GeorefReading reading = services_.readGeoreference(path("scan.png"));
    EXPECT_FALSE(reading.georef);
    EXPECT_EQ(reading.ignored,
              (std::vector<std::string>{
                  msg::sideFileIgnored(msg::kWorldFileKind, "scan.pgw", msg::kSideFileFolder),
                  msg::sideFileIgnored(msg::kWorldFileKind, "scan.pngw", msg::kSideFilePipe)}));
    EXPECT_EQ(reading.ignored[1],
              "The world file scan.pngw beside the map was ignored: it is a pipe, not a file.");

    // The next world file that is a file places the picture; a .prj that is a folder leaves the system
    // to be asked for.
    write(path("scan.wld"), "2\n0\n0\n-2\n1001\n4999\n");
    fs::create_directory(path("scan.prj"));
    reading = services_.readGeoreference(path("scan.png"));
    ASSERT_TRUE(reading.georef) << reading.error;
    EXPECT_EQ(reading.georef->geotransform, (std::array<double, 6>{1000, 2, 0, 5000, 0, -2}));
    EXPECT_TRUE(reading.systemMissing);
    EXPECT_EQ(reading.ignored,
              (std::vector<std::string>{
                  msg::sideFileIgnored(msg::kWorldFileKind, "scan.pgw", msg::kSideFileFolder),
                  msg::sideFileIgnored(msg::kWorldFileKind, "scan.pngw", msg::kSideFilePipe),
                  msg::sideFileIgnored(msg::kSystemFileKind, "scan.prj", msg::kSideFileFolder)}));

    // Symbolic links that lead in a circle or nowhere.
    makeRaster(path("loop.png"), "PNG");
    ASSERT_EQ(::symlink("loop.pgw", path("loop.pgw").c_str()), 0);
    ASSERT_EQ(::symlink("gone.txt", path("loop.wld").c_str()), 0);
    EXPECT_EQ(services_.readGeoreference(path("loop.png")).ignored,
              (std::vector<std::string>{
                  msg::sideFileIgnored(msg::kWorldFileKind, "loop.pgw", msg::kSideFileLinkLoop),
                  msg::sideFileIgnored(msg::kWorldFileKind, "loop.wld", msg::kSideFileDanglingLink)}));
}

TEST_F(SideFiles, AnAuxXmlGdalCannotUseIsNamedAndOneWithoutAGeoreferenceSaysNothing) {
    makeRaster(path("aux.png"), "PNG");
    const std::string aux = path("aux.png.aux.xml");
    write(aux, "<PAMDataset><GeoTransform>");
    EXPECT_EQ(services_.readGeoreference(path("aux.png")).ignored,
              std::vector<std::string>{
                  msg::sideFileIgnored(msg::kAuxFileKind, "aux.png.aux.xml", msg::kAuxFileNotXml)});
    write(aux, "<PAMDataset><GeoTransform>1, 2, three</GeoTransform></PAMDataset>");
    EXPECT_EQ(services_.readGeoreference(path("aux.png")).ignored,
              std::vector<std::string>{
                  msg::sideFileIgnored(msg::kAuxFileKind, "aux.png.aux.xml", msg::kAuxFileBadGeoTransform)});
    write(aux, "<PAMDataset><Metadata><MDI key=\"k\">v</MDI></Metadata></PAMDataset>");
    GeorefReading reading = services_.readGeoreference(path("aux.png"));
    EXPECT_FALSE(reading.georef);
    EXPECT_TRUE(reading.ignored.empty());
    write(aux, "<PAMDataset><GeoTransform>1000, 2, 0, 5000, 0, -2</GeoTransform></PAMDataset>");
    reading = services_.readGeoreference(path("aux.png"));
    ASSERT_TRUE(reading.georef);
    EXPECT_EQ(reading.georef->geotransform, (std::array<double, 6>{1000, 2, 0, 5000, 0, -2}));
    EXPECT_TRUE(reading.ignored.empty());
    fs::remove(aux);
    fs::create_directory(aux);
    EXPECT_EQ(services_.readGeoreference(path("aux.png")).ignored,
              std::vector<std::string>{
                  msg::sideFileIgnored(msg::kAuxFileKind, "aux.png.aux.xml", msg::kSideFileFolder)});
}

}  // namespace
}  // namespace brelvo::geo::testing

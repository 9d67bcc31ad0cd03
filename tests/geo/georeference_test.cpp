// Georeferences read from pictures (the file's own, world files with and without a .prj, damaged ones),
// world files written beside a picture, and coordinate systems by EPSG code.
#include <gdal_priv.h>

#include "common/messages.hpp"
#include "geo/geo_fixture.hpp"

namespace brelvo::geo::testing {
namespace {

using measure::GeorefSource;

class Georeferences : public GeoTest {
  protected:
    std::string utm13() {
        std::string error;
        const auto wkt = services_.systemWkt("EPSG:32613", error);
        EXPECT_TRUE(wkt) << error;
        return wkt.value_or("");
    }
};

// A GeoTIFF's corner and a world file's pixel centre give the same geotransform for the same raster,
// rotation and skew terms included, and GDAL's own world file reader agrees.
TEST_F(Georeferences, GeoTiffCornerAndWorldFileCentreAgree) {
    const std::array<double, 6> g{440720, 60, 5, 3751320, -3, -60};
    makeRaster(path("inside.tif"), "GTiff", &g, utm13());
    const GeorefReading inside = services_.readGeoreference(path("inside.tif"));
    ASSERT_TRUE(inside.georef) << inside.error;
    EXPECT_EQ(inside.georef->geotransform, g);
    EXPECT_EQ(inside.georef->source, GeorefSource::File);
    EXPECT_EQ(inside.georef->crs, "EPSG:32613");
    EXPECT_FALSE(inside.systemMissing);

    makeRaster(path("plain.tif"), "GTiff");
    // A D B E, then the upper-left pixel's centre: 440720 + 60/2 + 5/2, 3751320 - 3/2 - 60/2.
    write(path("plain.TFW"), "60\r\n-3\r\n5\r\n-60\r\n440752.5\r\n3751288.5\r\n");
    write(path("plain.prj"), "EPSG:32613\n");
    const GeorefReading beside = services_.readGeoreference(path("plain.tif"));
    ASSERT_TRUE(beside.georef) << beside.error;
    EXPECT_EQ(beside.georef->geotransform, g);
    EXPECT_EQ(beside.georef->source, GeorefSource::WorldFile);
    EXPECT_EQ(beside.georef->crs, "EPSG:32613");
    std::array<double, 6> gdal{};
    ASSERT_TRUE(GDALReadWorldFile(path("plain.tif").c_str(), "TFW", gdal.data()));
    EXPECT_EQ(gdal, g);
}

TEST_F(Georeferences, WorldFilesOfEveryKindAndTheirSystems) {
    makeRaster(path("scan.png"), "PNG");
    EXPECT_FALSE(services_.readGeoreference(path("scan.png")).georef);
    EXPECT_TRUE(services_.readGeoreference(path("scan.png")).error.empty());
    // A world file for another kind of picture is not this picture's.
    write(path("scan.jgw"), "1\n0\n0\n-1\n0.5\n9.5\n");
    EXPECT_FALSE(services_.readGeoreference(path("scan.png")).georef);

    // Blank lines, blanks and a sign are passed over; without a .prj the system is missing.
    write(path("scan.pngw"), "\n 2 \n0\n\t0\n-2\r\n\r\n+1001\n4999\n\n");
    GeorefReading reading = services_.readGeoreference(path("scan.png"));
    ASSERT_TRUE(reading.georef) << reading.error;
    EXPECT_TRUE(reading.systemMissing);
    EXPECT_FALSE(reading.georef->systemKnown());
    EXPECT_EQ(reading.georef->crs, "");
    EXPECT_EQ(reading.georef->source, GeorefSource::WorldFile);
    EXPECT_EQ(reading.georef->geotransform, (std::array<double, 6>{1000, 2, 0, 5000, 0, -2}));

    // An ESRI .prj is read and known by its EPSG code.
    write(path("scan.prj"),
          "PROJCS[\"WGS_1984_Web_Mercator_Auxiliary_Sphere\",GEOGCS[\"GCS_WGS_1984\",DATUM[\"D_WGS_1984\","
          "SPHEROID[\"WGS_1984\",6378137.0,298.257223563]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\","
          "0.0174532925199433]],PROJECTION[\"Mercator_Auxiliary_Sphere\"],PARAMETER[\"False_Easting\",0.0],"
          "PARAMETER[\"False_Northing\",0.0],PARAMETER[\"Central_Meridian\",0.0],PARAMETER["
          "\"Standard_Parallel_1\",0.0],PARAMETER[\"Auxiliary_Sphere_Type\",0.0],UNIT[\"Meter\",1.0]]");
    reading = services_.readGeoreference(path("scan.png"));
    ASSERT_TRUE(reading.georef) << reading.error;
    EXPECT_FALSE(reading.systemMissing);
    EXPECT_EQ(reading.georef->crs, "EPSG:3857");
    EXPECT_EQ(services_.epsgOf(reading.georef->wkt), "EPSG:3857");
}

// GDAL's .aux.xml beside a picture is read when there is no world file; a world file comes first.
TEST_F(Georeferences, AuxXmlBesideAPicture) {
    const std::array<double, 6> g{712000, 10, 0, 4430000, 0, -10};
    makeRaster(path("aux.png"), "PNG", &g, utm13());
    ASSERT_TRUE(std::filesystem::exists(path("aux.png.aux.xml")));
    GeorefReading reading = services_.readGeoreference(path("aux.png"));
    ASSERT_TRUE(reading.georef) << reading.error;
    EXPECT_EQ(reading.georef->geotransform, g);
    EXPECT_EQ(reading.georef->source, GeorefSource::File);
    EXPECT_EQ(reading.georef->crs, "EPSG:32613");
    write(path("aux.pgw"), "2\n0\n0\n-2\n1001\n4999\n");
    reading = services_.readGeoreference(path("aux.png"));
    ASSERT_TRUE(reading.georef) << reading.error;
    EXPECT_EQ(reading.georef->source, GeorefSource::WorldFile);
    EXPECT_TRUE(reading.systemMissing);
}

TEST_F(Georeferences, DamagedWorldFilesAndSystemFilesAreRefusedByName) {
    makeRaster(path("map.png"), "PNG");
    const auto refusal = [&](const std::string& world, const std::string& prj) {
        write(path("map.pgw"), world);
        std::error_code ec;
        std::filesystem::remove(path("map.prj"), ec);
        if (!prj.empty()) write(path("map.prj"), prj);
        const GeorefReading reading = services_.readGeoreference(path("map.png"));
        EXPECT_FALSE(reading.georef);
        EXPECT_FALSE(reading.systemMissing);
        return reading.error;
    };
    EXPECT_EQ(refusal("2\n0\nO\n-2\n1001\n4999\n", ""),
              "The world file map.pgw is damaged: line 3 is not a number.");
    EXPECT_EQ(refusal("2\n0\n0\n-2\n1001\n", ""),
              "The world file map.pgw is damaged: it holds 5 numbers where a world file holds six, one per "
              "line.");
    EXPECT_EQ(refusal("2\n0\n0\n-2\n1001\n4999\n7\n", ""),
              common::msg::worldFileDamaged("map.pgw", common::msg::worldFileCount(7)));
    EXPECT_EQ(refusal("2\n0\n0\ninf\n1001\n4999\n", ""),
              common::msg::worldFileDamaged("map.pgw", common::msg::worldFileLineNotFinite(4)));
    EXPECT_EQ(refusal("2\n1\n4\n2\n1001\n4999\n", ""),
              common::msg::worldFileDamaged("map.pgw", common::msg::kWorldFileFlat));
    EXPECT_EQ(refusal(" \r\n\r\n", ""),
              common::msg::worldFileDamaged("map.pgw", common::msg::kWorldFileEmpty));
    EXPECT_EQ(refusal(std::string(4097, '1'), ""),
              common::msg::worldFileDamaged("map.pgw", common::msg::kWorldFileTooLarge));
    const std::string good = "2\n0\n0\n-2\n1001\n4999\n";
    EXPECT_EQ(refusal(good, "PROJCS[\"broken\",GEOGCS["),
              common::msg::systemFileDamaged("map.prj", common::msg::kSystemFileUnknown));
    EXPECT_EQ(refusal(good, "EPSG:5703"),
              common::msg::systemFileDamaged("map.prj", common::msg::kSystemFileNotMap));
    EXPECT_EQ(refusal(good, "\n  \n"),
              common::msg::systemFileDamaged("map.prj", common::msg::kSystemFileEmpty));
    EXPECT_EQ(refusal(good, std::string(64 * 1024 + 1, ' ')),
              common::msg::systemFileDamaged("map.prj", common::msg::kSystemFileTooLarge));
}

TEST_F(Georeferences, WorldFileWrittenBesideThePictureReadsBack) {
    measure::Georeference georef;
    georef.geotransform = {1000.25, 2, 0.5, 5000.75, 0.25, -2};
    georef.wkt = utm13();
    georef.crs = "EPSG:32613";
    std::string error;
    ASSERT_TRUE(services_.writeWorldFile(path("map.png"), georef, error)) << error;
    EXPECT_EQ(read(path("map.pgw")), "2\r\n0.25\r\n0.5\r\n-2\r\n1001.5\r\n4999.875\r\n");
    EXPECT_NE(read(path("map.prj")).find("PROJCS[\"WGS_1984_UTM_Zone_13N\""), std::string::npos);
    GeorefReading reading = services_.readGeoreference(path("map.png"));
    ASSERT_TRUE(reading.georef) << reading.error;
    EXPECT_EQ(reading.georef->geotransform, georef.geotransform);
    EXPECT_EQ(reading.georef->crs, "EPSG:32613");
    EXPECT_EQ(reading.georef->source, GeorefSource::WorldFile);

    // Figures with no short binary form come back to the last bit or so (the centre's halves are
    // added and taken away again); the world file's kind follows the picture's.
    georef.geotransform = {712345.1, 0.1, -0.03, 4430123.7, 0.07, -0.3};
    georef.wkt.clear();
    ASSERT_TRUE(services_.writeWorldFile(path("scan.JPEG"), georef, error)) << error;
    ASSERT_TRUE(services_.writeWorldFile(path("scan.xcf"), georef, error)) << error;
    EXPECT_TRUE(std::filesystem::exists(path("scan.jgw")));
    EXPECT_TRUE(std::filesystem::exists(path("scan.wld")));
    EXPECT_FALSE(std::filesystem::exists(path("scan.prj")));
    reading = services_.readGeoreference(path("scan.JPEG"));
    ASSERT_TRUE(reading.georef) << reading.error;
    EXPECT_TRUE(reading.systemMissing);
    for (int i = 0; i < 6; ++i) {
        EXPECT_NEAR(reading.georef->geotransform[i], georef.geotransform[i],
                    1e-15 * std::fabs(georef.geotransform[i]))
            << i;
    }

    georef.geotransform = {0, 1, 2, 0, 2, 4};
    EXPECT_FALSE(services_.writeWorldFile(path("flat.png"), georef, error));
    EXPECT_EQ(error, common::msg::kGeorefNotInvertible);
    EXPECT_FALSE(std::filesystem::exists(path("flat.pgw")));
}

TEST_F(Georeferences, SystemsByEpsgCode) {
    std::string error;
    const auto typed = services_.systemWkt(" epsg:4326 ", error);
    ASSERT_TRUE(typed) << error;
    EXPECT_EQ(services_.epsgOf(*typed), "EPSG:4326");
    const auto bare = services_.systemWkt("32613", error);
    ASSERT_TRUE(bare) << error;
    EXPECT_EQ(services_.epsgOf(*bare), "EPSG:32613");
    EXPECT_EQ(services_.epsgOf("not a system"), "");

    EXPECT_FALSE(services_.systemWkt("UTM 13", error));
    EXPECT_EQ(error, "\"UTM 13\" is not an EPSG code: type a number such as 32613, or EPSG:32613.");
    EXPECT_FALSE(services_.systemWkt("EPSG:999999", error));
    EXPECT_EQ(error, "EPSG:999999 is no coordinate system known to this program.");
    EXPECT_FALSE(services_.systemWkt("EPSG:5703", error));
    EXPECT_EQ(error, common::msg::epsgNotMapSystem(5703));
    EXPECT_FALSE(services_.systemWkt("99999999999999999999", error));
    EXPECT_FALSE(services_.systemWkt("", error));
}

}  // namespace
}  // namespace brelvo::geo::testing

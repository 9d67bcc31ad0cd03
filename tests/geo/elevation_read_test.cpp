// Elevation models read through GDAL: GeoTIFFs written here with GDAL's API and ASCII grids written as
// text, their heights, NoData, georeference and vertical unit, and the files that are refused by name.
#include <cpl_string.h>
#include <gdal_priv.h>
#include <gtest/gtest.h>
#include <ogr_spatialref.h>
#include <sys/resource.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <vector>

#include "common/messages.hpp"
#include "geo/geo_fixture.hpp"

namespace brelvo::geo::testing {
namespace {

namespace msg = common::msg;
using terrain::VerticalUnit;

struct TiffContent {
    int width = 3;
    int height = 2;
    int bands = 1;
    std::vector<float> z;
    std::optional<double> noData;
    std::string unitType;
    std::string srs;  // "EPSG:..." or a compound "EPSG:h+v"; empty: none
    bool geotransform = true;
};

// UTM zone 13N, 30 m cells from (500000, 4500000).
constexpr std::array<double, 6> kUtm{500000, 30, 0, 4500000, 0, -30};

void makeTiff(const std::string& file, const TiffContent& content) {
    GDALAllRegister();
    GDALDataset* ds = GetGDALDriverManager()->GetDriverByName("GTiff")->Create(
        file.c_str(), content.width, content.height, content.bands, GDT_Float32, nullptr);
    ASSERT_NE(ds, nullptr);
    if (content.geotransform) {
        std::array<double, 6> g = kUtm;
        ds->SetGeoTransform(g.data());
    }
    if (!content.srs.empty()) {
        OGRSpatialReference srs;
        ASSERT_EQ(srs.SetFromUserInput(content.srs.c_str()), OGRERR_NONE);
        ds->SetSpatialRef(&srs);
    }
    for (int b = 1; b <= content.bands; ++b) {
        GDALRasterBand* band = ds->GetRasterBand(b);
        if (content.noData) band->SetNoDataValue(*content.noData);
        if (!content.unitType.empty()) band->SetUnitType(content.unitType.c_str());
        std::vector<float> z = content.z;
        if (z.empty()) z.assign(static_cast<std::size_t>(content.width) * content.height, 100.0f);
        ASSERT_EQ(band->RasterIO(GF_Write, 0, 0, content.width, content.height, z.data(), content.width,
                                 content.height, GDT_Float32, 0, 0, nullptr),
                  CE_None);
    }
    GDALClose(ds);
}

class ElevationReadTest : public GeoTest {
  protected:
    std::optional<terrain::ElevationModel> read(const std::string& file, std::string& error,
                                                const Progress& progress = {}) {
        return services_.readElevationModel(file, progress, error);
    }
};

TEST_F(ElevationReadTest, GeoTiffHeightsNoDataSystemAndUnit) {
    const std::string file = path("dem.tif");
    const float inf = std::numeric_limits<float>::infinity();
    makeTiff(
        file,
        {3, 2, 1, {1510.25f, -9999.0f, 1498.5f, inf, 1502.0f, std::nanf("")}, -9999.0, "ft", "EPSG:32613"});
    std::string error;
    std::vector<double> fractions;
    const auto model = read(file, error, [&](double f) {
        fractions.push_back(f);
        return true;
    });
    ASSERT_TRUE(model) << error;
    EXPECT_EQ(model->path, file);
    EXPECT_EQ(model->width, 3);
    EXPECT_EQ(model->height, 2);
    ASSERT_EQ(model->z.size(), 6u);
    EXPECT_EQ(model->z[0], 1510.25f);
    EXPECT_TRUE(std::isnan(model->z[1]));  // NoData
    EXPECT_EQ(model->z[2], 1498.5f);
    EXPECT_TRUE(std::isnan(model->z[3]));  // infinite
    EXPECT_EQ(model->z[4], 1502.0f);
    EXPECT_TRUE(std::isnan(model->z[5]));  // NaN stored
    EXPECT_EQ(model->georef.geotransform, kUtm);
    EXPECT_EQ(model->georef.crs, "EPSG:32613");
    EXPECT_NE(model->georef.wkt.find("UTM zone 13N"), std::string::npos);
    EXPECT_EQ(model->unit, VerticalUnit::Foot);
    ASSERT_FALSE(fractions.empty());
    EXPECT_EQ(fractions.back(), 1.0);
}

TEST_F(ElevationReadTest, AsciiGridWithoutSystemOrUnit) {
    const std::string file = path("valley.asc");
    write(file,
          "ncols 4\nnrows 3\nxllcorner 440000\nyllcorner 3750000\ncellsize 10\nNODATA_value -32768\n"
          "12 11 10 11\n"
          "11 10 -32768 10\n"
          "10.5 9 8 9.25\n");
    std::string error;
    const auto model = read(file, error);
    ASSERT_TRUE(model) << error;
    EXPECT_EQ(model->width, 4);
    EXPECT_EQ(model->height, 3);
    // The grid's lower-left corner and its rows from the top: the upper-left corner is 30 m above it.
    const std::array<double, 6> g{440000, 10, 0, 3750030, 0, -10};
    EXPECT_EQ(model->georef.geotransform, g);
    EXPECT_TRUE(model->georef.wkt.empty());
    EXPECT_TRUE(model->georef.crs.empty());
    EXPECT_EQ(model->unit, VerticalUnit::Unknown);
    EXPECT_EQ(model->z[model->index(0, 0)], 12.0f);
    EXPECT_EQ(model->z[model->index(3, 0)], 11.0f);
    EXPECT_TRUE(std::isnan(model->z[model->index(2, 1)]));
    EXPECT_EQ(model->z[model->index(0, 2)], 10.5f);
    EXPECT_EQ(model->z[model->index(3, 2)], 9.25f);

    // A .prj beside the grid (ESRI's WKT, as GIS programs write it) gives its system.
    write(path("valley.prj"),
          "PROJCS[\"NAD_1983_UTM_Zone_13N\",GEOGCS[\"GCS_North_American_1983\",DATUM[\"D_North_American_"
          "1983\",SPHEROID[\"GRS_1980\",6378137.0,298.257222101]],PRIMEM[\"Greenwich\",0.0],UNIT[\"Degree\","
          "0.0174532925199433]],PROJECTION[\"Transverse_Mercator\"],PARAMETER[\"False_Easting\",500000.0],"
          "PARAMETER[\"False_Northing\",0.0],PARAMETER[\"Central_Meridian\",-105.0],PARAMETER[\"Scale_"
          "Factor\",0.9996],PARAMETER[\"Latitude_Of_Origin\",0.0],UNIT[\"Meter\",1.0]]");
    const auto placed = read(file, error);
    ASSERT_TRUE(placed) << error;
    EXPECT_EQ(placed->georef.crs, "EPSG:26913");
}

TEST_F(ElevationReadTest, VerticalUnitFromBandOrCompoundSystem) {
    struct Case {
        std::string unitType, srs;
        VerticalUnit unit;
        std::string crs;
    };
    const std::vector<Case> cases{
        {"metre", "EPSG:32613", VerticalUnit::Metre, "EPSG:32613"},
        {"m", "", VerticalUnit::Metre, ""},
        {"US survey foot", "EPSG:32613", VerticalUnit::UsFoot, "EPSG:32613"},
        {"ftUS", "EPSG:32613", VerticalUnit::UsFoot, "EPSG:32613"},
        {"feet", "EPSG:32613", VerticalUnit::Foot, "EPSG:32613"},
        {"furlong", "EPSG:32613", VerticalUnit::Unknown, "EPSG:32613"},
        // NAVD88 heights in metres and in US survey feet: the unit from the vertical system, the
        // horizontal system alone as the model's.
        {"", "EPSG:26913+5703", VerticalUnit::Metre, "EPSG:26913"},
        {"", "EPSG:26913+6360", VerticalUnit::UsFoot, "EPSG:26913"},
    };
    int n = 0;
    for (const Case& c : cases) {
        const std::string file = path("unit" + std::to_string(n++) + ".tif");
        TiffContent content;
        content.unitType = c.unitType;
        content.srs = c.srs;
        makeTiff(file, content);
        std::string error;
        const auto model = read(file, error);
        ASSERT_TRUE(model) << c.unitType << c.srs << ": " << error;
        EXPECT_EQ(model->unit, c.unit) << c.unitType << c.srs;
        EXPECT_EQ(model->georef.crs, c.crs) << c.unitType << c.srs;
    }
}

TEST_F(ElevationReadTest, RefusedByName) {
    std::string error;
    // Three bands: a colour picture, no model.
    const std::string colour = path("colour.tif");
    TiffContent three;
    three.bands = 3;
    makeTiff(colour, three);
    EXPECT_FALSE(read(colour, error));
    EXPECT_EQ(error, msg::elevationNotRead(colour, msg::elevationBands(3)));

    const std::string text = path("notes.asc");
    write(text, "these are no heights\n");
    EXPECT_FALSE(read(text, error));
    EXPECT_EQ(error, msg::elevationNotRead(text, msg::kElevationUnopened));

    const std::string missing = path("missing.tif");
    EXPECT_FALSE(read(missing, error));
    EXPECT_EQ(error, msg::elevationNotRead(missing, msg::kElevationUnopened));

    // A file of a few bytes that claims 300,000 x 300,000 cells: refused before anything is allocated.
    const std::string huge = path("huge.vrt");
    write(huge,
          "<VRTDataset rasterXSize=\"300000\" rasterYSize=\"300000\">"
          "<GeoTransform>0, 1, 0, 0, 0, -1</GeoTransform>"
          "<VRTRasterBand dataType=\"Float32\" band=\"1\"/></VRTDataset>");
    EXPECT_FALSE(read(huge, error));
    EXPECT_EQ(error, msg::elevationNotRead(huge, msg::elevationTooBig(300000, 300000, kMaxElevationCells)));

    const std::string empty = path("empty.asc");
    write(empty,
          "ncols 2\nnrows 2\nxllcorner 0\nyllcorner 0\ncellsize 5\nNODATA_value -9999\n"
          "-9999 -9999\n-9999 -9999\n");
    EXPECT_FALSE(read(empty, error));
    EXPECT_EQ(error, msg::elevationNotRead(empty, msg::kElevationNoData));

    const std::string unplaced = path("unplaced.tif");
    TiffContent noTransform;
    noTransform.geotransform = false;
    makeTiff(unplaced, noTransform);
    EXPECT_FALSE(read(unplaced, error));
    EXPECT_EQ(error, msg::elevationNotRead(unplaced, msg::kElevationNoGeoreference));

    const std::string virt = "/vsizip/" + path("dem.zip") + "/dem.tif";
    EXPECT_FALSE(read(virt, error));
    EXPECT_EQ(error, msg::elevationNotRead(virt, msg::kElevationVirtual));
}

// The peak memory of this process so far, KiB.
long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

TEST_F(ElevationReadTest, DeclaredSizesAreRefusedBeforeAnythingIsAllocated) {
    const long peakBefore = peakKiB();
    std::string error;
    // 96 bytes that declare 30,000 x 30,000 cells: past the fixed limit.
    const std::string header = "ncols 30000\nnrows 30000\nxllcorner 0\nyllcorner 0\ncellsize 1\n";
    const std::string claim = path("claim.asc");
    write(claim, header + std::string(96 - header.size() - 1, '7') + "\n");
    ASSERT_EQ(std::filesystem::file_size(claim), 96u);
    EXPECT_FALSE(read(claim, error));
    EXPECT_EQ(error, msg::elevationNotRead(claim, msg::elevationTooBig(30000, 30000, kMaxElevationCells)));
    EXPECT_EQ(error,
              "The elevation model \"" + claim +
                  "\" was not read: it declares 30000 x 30000 cells (900,000,000), more than the 134,217,728 "
                  "cells an elevation model may have here.");

    // 10,000 x 10,000 cells are within the limit, but not in 96 bytes of text.
    const std::string text = path("short.asc");
    const std::string shortHeader = "ncols 10000\nnrows 10000\nxllcorner 0\nyllcorner 0\ncellsize 1\n";
    write(text, shortHeader + std::string(96 - shortHeader.size() - 1, '7') + "\n");
    EXPECT_FALSE(read(text, error));
    EXPECT_EQ(error, msg::elevationNotRead(text, msg::elevationLargerThanFile(10000, 10000, 96)));

    // Nothing of the refused sizes was allocated: the 10,000 x 10,000 model alone would take 381 MiB.
    EXPECT_LT(peakKiB() - peakBefore, 64 * 1024);
}

TEST_F(ElevationReadTest, CancelStopsTheReading) {
    const std::string file = path("big.tif");
    TiffContent content;
    content.width = 1500;
    content.height = 1500;  // three strips of about a million cells
    makeTiff(file, content);
    std::string error;
    int calls = 0;
    const auto model = read(file, error, [&](double) { return ++calls < 2; });
    EXPECT_FALSE(model);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(error, msg::elevationNotRead(file, msg::kElevationCancelled));
}

}  // namespace
}  // namespace brelvo::geo::testing

// What the geodata tests share: a fresh folder for each test, small files, pictures made with GDAL, and
// the command-line tools of GDAL, PROJ and GeographicLib run as independent checks.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "geo/gdal_services.hpp"

namespace brelvo::geo::testing {

class GeoTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

  public:
    std::string path(const std::string& name) const { return (folder_ / name).string(); }
    static void write(const std::string& file, const std::string& bytes);
    static std::string read(const std::string& file);
    // A 200 x 200 one-band raster by GDAL's driver `driver` ("GTiff", "PNG"); with `wkt` and a
    // geotransform it is georeferenced inside (a GeoTIFF) or in a .aux.xml beside it (a PNG), without
    // them it is a plain picture.
    static void makeRaster(const std::string& file, const std::string& driver,
                           const std::array<double, 6>* geotransform = nullptr, const std::string& wkt = {});
    // Runs a command line with `input` on its standard input; its standard output.
    static std::string run(const std::string& command, const std::string& input = {});

  protected:
    std::filesystem::path folder_;
    GdalServices services_;
};

// GeographicLib's Planimeter on the WGS 84 ellipsoid: perimeter (m) and area (m², positive either way).
std::array<double, 2> planimeter(const std::vector<measure::LonLat>& ring);
// PROJ's cs2cs from `crs` to WGS 84 longitude/latitude.
measure::LonLat cs2csToWgs84(const std::string& crs, const measure::MapPoint& map);

}  // namespace brelvo::geo::testing

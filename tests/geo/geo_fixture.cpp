// The geodata tests' shared folder, files, pictures and tool runs.
#include "geo/geo_fixture.hpp"

#include <gdal_priv.h>
#include <ogr_spatialref.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace brelvo::geo::testing {

namespace fs = std::filesystem;

void GeoTest::SetUp() {
    std::string pattern = (fs::temp_directory_path() / "geo_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
}

void GeoTest::TearDown() {
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

void GeoTest::write(const std::string& file, const std::string& bytes) {
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

std::string GeoTest::read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void GeoTest::makeRaster(const std::string& file, const std::string& driver,
                         const std::array<double, 6>* geotransform, const std::string& wkt) {
    GDALDriver* memory = GetGDALDriverManager()->GetDriverByName("MEM");
    GDALDriver* target = GetGDALDriverManager()->GetDriverByName(driver.c_str());
    ASSERT_TRUE(memory && target);
    GDALDataset* picture = memory->Create("", 200, 200, 1, GDT_Byte, nullptr);
    ASSERT_NE(picture, nullptr);
    if (geotransform) {
        picture->SetGeoTransform(const_cast<double*>(geotransform->data()));
        OGRSpatialReference srs;
        ASSERT_EQ(srs.importFromWkt(wkt.c_str()), OGRERR_NONE);
        picture->SetSpatialRef(&srs);
    }
    GDALDataset* copy = target->CreateCopy(file.c_str(), picture, FALSE, nullptr, nullptr, nullptr);
    ASSERT_NE(copy, nullptr);
    GDALClose(copy);
    GDALClose(picture);
    // A PNG keeps its georeference in a .aux.xml beside it; a plain picture has none.
    if (!geotransform) {
        std::error_code ec;
        fs::remove(file + ".aux.xml", ec);
    }
}

std::string GeoTest::run(const std::string& command, const std::string& input) {
    const fs::path inputFile = fs::temp_directory_path() / ("geo_tool_input_" + std::to_string(::getpid()));
    write(inputFile.string(), input);
    FILE* pipe = ::popen((command + " < " + inputFile.string() + " 2>/dev/null").c_str(), "r");
    std::string output;
    if (pipe) {
        std::array<char, 4096> buffer{};
        std::size_t n = 0;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) output.append(buffer.data(), n);
        ::pclose(pipe);
    }
    fs::remove(inputFile);
    return output;
}

std::array<double, 2> planimeter(const std::vector<measure::LonLat>& ring) {
    std::string input;
    char line[96];
    for (const measure::LonLat& p : ring) {
        std::snprintf(line, sizeof line, "%.17g %.17g\n", p.lat, p.lon);
        input += line;
    }
    std::istringstream out(GeoTest::run("Planimeter -p 12", input));
    int count = 0;
    double perimeter = NAN, area = NAN;
    out >> count >> perimeter >> area;
    EXPECT_EQ(count, static_cast<int>(ring.size())) << "Planimeter (geographiclib-tools) did not run";
    return {perimeter, std::fabs(area)};
}

measure::LonLat cs2csToWgs84(const std::string& crs, const measure::MapPoint& map) {
    char line[96];
    std::snprintf(line, sizeof line, "%.17g %.17g\n", map.x, map.y);
    std::istringstream out(GeoTest::run("cs2cs -f %.12f " + crs + " EPSG:4326", line));
    double lat = NAN, lon = NAN;
    out >> lat >> lon;
    EXPECT_TRUE(std::isfinite(lat) && std::isfinite(lon)) << "cs2cs (proj-bin) did not run";
    return {lon, lat};
}

}  // namespace brelvo::geo::testing

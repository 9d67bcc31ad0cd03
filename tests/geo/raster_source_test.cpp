// Windowed reads of tiled GeoTIFFs: the pixels at full resolution and from the overviews, the colour
// layouts, and the files and windows that are refused.
#include <cpl_string.h>
#include <gdal.h>
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <array>
#include <csignal>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "common/messages.hpp"
#include "geo/gdal_services.hpp"
#include "support/isolated_folders.hpp"

namespace brelvo::geo {
namespace {

constexpr int kSide = 512;

std::string pathOf(const std::string& name) {
    return testing_support::isolatedRoot() + "/" + name;
}

// Red steps with the column, green with the row, in pairs whose means are whole numbers; blue is a
// checkerboard of 2 x 2 blocks. So every 2 x 2 and 4 x 4 block has an exact mean (see expected()).
std::array<std::uint8_t, 3> sample(int x, int y) {
    return {static_cast<std::uint8_t>(8 * ((x / 2) % 32) + 4 * (x % 2)),
            static_cast<std::uint8_t>(8 * ((y / 2) % 32) + 4 * (y % 2)),
            static_cast<std::uint8_t>((x / 2 + y / 2) % 2 != 0 ? 200 : 40)};
}

// The mean of the factor x factor block (factor 1, 2 or 4) at block column bx, block row by.
std::uint32_t expected(int bx, int by, int factor) {
    if (factor == 1) {
        const auto s = sample(bx, by);
        return 0xff000000u | (std::uint32_t(s[0]) << 16) | (std::uint32_t(s[1]) << 8) | s[2];
    }
    if (factor == 2) {
        const std::uint32_t r = 8 * (bx % 32) + 2, g = 8 * (by % 32) + 2, b = (bx + by) % 2 != 0 ? 200 : 40;
        return 0xff000000u | (r << 16) | (g << 8) | b;
    }
    const std::uint32_t r = 16 * (bx % 16) + 6, g = 16 * (by % 16) + 6;
    return 0xff000000u | (r << 16) | (g << 8) | 120u;
}

GDALDatasetH createTiff(const std::string& path, int bands, int side) {
    GDALAllRegister();
    char** options = nullptr;
    options = CSLSetNameValue(options, "TILED", "YES");
    options = CSLSetNameValue(options, "BLOCKXSIZE", "128");
    options = CSLSetNameValue(options, "BLOCKYSIZE", "128");
    options = CSLSetNameValue(options, "COMPRESS", "DEFLATE");
    GDALDatasetH ds =
        GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), side, side, bands, GDT_Byte, options);
    CSLDestroy(options);
    // UTM metres, 10 m pixels.
    std::array<double, 6> transform{500000, 10, 0, 4500000, 0, -10};
    GDALSetGeoTransform(ds, transform.data());
    return ds;
}

void writeBand(GDALDatasetH ds, int band, const std::vector<std::uint8_t>& values, int side) {
    ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(ds, band), GF_Write, 0, 0, side, side,
                           const_cast<std::uint8_t*>(values.data()), side, side, GDT_Byte, 0, 0),
              CE_None);
}

// The test pattern as a tiled, compressed, georeferenced RGB GeoTIFF without overviews.
void writePatternTiff(const std::string& path) {
    GDALDatasetH ds = createTiff(path, 3, kSide);
    ASSERT_NE(ds, nullptr);
    for (int band = 0; band < 3; ++band) {
        std::vector<std::uint8_t> values(kSide * kSide);
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < kSide; ++x) values[y * kSide + x] = sample(x, y)[band];
        writeBand(ds, band + 1, values, kSide);
    }
    GDALClose(ds);
}

std::unique_ptr<RasterSource> open(const std::string& path) {
    static GdalServices services;
    std::string error;
    auto source = services.openRaster(path, error);
    EXPECT_NE(source, nullptr) << error;
    return source;
}

// Whether `pixels` (outW x outH) show the blocks of `factor` starting at block (bx0, by0).
void expectBlocks(const std::vector<std::uint32_t>& pixels, int outW, int outH, int bx0, int by0,
                  int factor) {
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(outW * outH));
    int wrong = 0;
    for (int y = 0; y < outH; ++y)
        for (int x = 0; x < outW; ++x) {
            if (pixels[y * outW + x] != expected(bx0 + x, by0 + y, factor) && ++wrong <= 3) {
                ADD_FAILURE() << "factor " << factor << " at " << x << "," << y << ": " << std::hex
                              << pixels[y * outW + x] << " instead of " << expected(bx0 + x, by0 + y, factor);
            }
        }
    EXPECT_EQ(wrong, 0);
}

TEST(RasterSource, readsTheWindowAtFullResolutionAndFromTheOverviewsItBuilds) {
    const std::string path = pathOf("pattern.tif");
    writePatternTiff(path);
    auto source = open(path);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->width(), kSide);
    EXPECT_EQ(source->height(), kSide);
    EXPECT_TRUE(source->georeferenced());
    EXPECT_EQ(source->overviewCount(), 0);

    // Factor 2 brings 512 pixels down to 256, which fits; progress runs up to the end.
    double last = 0;
    std::string error;
    ASSERT_TRUE(source->buildOverviews(
        [&](double f) {
            last = f;
            return true;
        },
        error))
        << error;
    EXPECT_EQ(source->overviewCount(), 1);
    EXPECT_DOUBLE_EQ(last, 1.0);

    // The window at column 64, row 32, 128 x 96 pixels: itself, halved, and a quarter of its size.
    expectBlocks(source->readWindow(64, 32, 128, 96, 128, 96), 128, 96, 64, 32, 1);
    expectBlocks(source->readWindow(64, 32, 128, 96, 64, 48), 64, 48, 32, 16, 2);
    expectBlocks(source->readWindow(64, 32, 128, 96, 32, 24), 32, 24, 16, 8, 4);

    // Zoomed out the pixels come from the overviews, never from the full picture: with the full
    // picture blanked behind the overviews' back, the small reads still show the pattern.
    source.reset();
    GDALDatasetH ds = GDALOpen(path.c_str(), GA_Update);
    ASSERT_NE(ds, nullptr);
    const std::vector<std::uint8_t> zeros(kSide * kSide, 0);
    for (int band = 1; band <= 3; ++band) writeBand(ds, band, zeros, kSide);
    GDALClose(ds);
    source = open(path);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->readWindow(64, 32, 128, 96, 128, 96).front(), 0xff000000u);
    expectBlocks(source->readWindow(64, 32, 128, 96, 64, 48), 64, 48, 32, 16, 2);
    expectBlocks(source->readWindow(0, 0, kSide, kSide, 128, 128), 128, 128, 0, 0, 4);
}

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names in a fresh folder of the test's own.
std::string freshFolder(const std::string& name) {
    const std::string folder = pathOf(name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}
std::set<std::string> namesIn(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(RasterSource, overviewsGoBesideTheFileWhichStaysByteForByteAsItWas) {
    const std::string folder = freshFolder("beside");
    const std::string path = folder + "/pattern.tif";
    writePatternTiff(path);
    const std::string before = bytesOf(path);
    auto source = open(path);
    ASSERT_NE(source, nullptr);
    std::string error;
    ASSERT_TRUE(source->buildOverviews({}, error)) << error;
    EXPECT_EQ(source->overviewCount(), 1);
    EXPECT_TRUE(bytesOf(path) == before);
    // The .ovr and nothing else: no temporary name and no .aux.xml is left.
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"pattern.tif", "pattern.tif.ovr"}));
    // The next open reads the overviews from the .ovr: without it the file has none.
    source.reset();
    source = open(path);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->overviewCount(), 1);
    expectBlocks(source->readWindow(64, 32, 128, 96, 64, 48), 64, 48, 32, 16, 2);
    source.reset();
    std::filesystem::remove(path + ".ovr");
    source = open(path);
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->overviewCount(), 0);
}

TEST(RasterSource, overviewsThatDoNotFitOnTheDiskLeaveNothingAndSaySo) {
    const std::string folder = freshFolder("full");
    const std::string path = folder + "/noise.tif";
    // Pixels that do not compress: the overviews take about 1 MiB.
    {
        GDALDatasetH ds = createTiff(path, 3, 1024);
        ASSERT_NE(ds, nullptr);
        std::uint32_t state = 12345;
        std::vector<std::uint8_t> values(1024 * 1024);
        for (int band = 1; band <= 3; ++band) {
            for (auto& v : values) {
                state = state * 1664525u + 1013904223u;
                v = static_cast<std::uint8_t>(state >> 24);
            }
            writeBand(ds, band, values, 1024);
        }
        GDALClose(ds);
    }
    const std::string before = bytesOf(path);
    auto source = open(path);
    ASSERT_NE(source, nullptr);
    // Files of this process may grow to 64 KiB only, as on a disk that fills up during the build.
    std::string error;
    bool built = true;
    {
        const auto previousSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit previous{};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
        rlimit small = previous;
        small.rlim_cur = 64 * 1024;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        built = source->buildOverviews({}, error);
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousSignal);
    }
    EXPECT_FALSE(built);
    EXPECT_EQ(error, common::msg::overviewFileNotWritten("noise.tif.ovr", common::msg::kSaveTooLarge));
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"noise.tif"});
    EXPECT_TRUE(bytesOf(path) == before);
    EXPECT_EQ(source->overviewCount(), 0);
    EXPECT_EQ(source->readWindow(0, 0, 4, 4, 4, 4).size(), 16u);

    // A folder where the .ovr would go stops the build before it starts.
    std::filesystem::create_directory(path + ".ovr");
    EXPECT_FALSE(source->buildOverviews({}, error));
    EXPECT_EQ(error, common::msg::overviewFileNotWritten("noise.tif.ovr", common::msg::kSaveIsFolder));
    EXPECT_EQ(namesIn(folder), (std::set<std::string>{"noise.tif", "noise.tif.ovr"}));
}

TEST(RasterSource, cancelledOverviewsSayWhyAndTheRasterStillReads) {
    const std::string path = pathOf("cancelled.tif");
    writePatternTiff(path);
    auto source = open(path);
    ASSERT_NE(source, nullptr);
    std::string error;
    // Cancelled half-way: no half-built overviews are left behind.
    int calls = 0;
    EXPECT_FALSE(source->buildOverviews([&](double) { return ++calls < 2; }, error));
    EXPECT_EQ(error, "cancelled");
    EXPECT_EQ(source->overviewCount(), 0);
    EXPECT_FALSE(std::filesystem::exists(path + ".ovr"));
    expectBlocks(source->readWindow(8, 8, 16, 16, 16, 16), 16, 16, 8, 8, 1);
}

TEST(RasterSource, greyPalettedAndTransparentBandsComeOutAsTheirColours) {
    {
        const std::string path = pathOf("paletted.tif");
        GDALDatasetH ds = createTiff(path, 1, 8);
        GDALColorTableH table = GDALCreateColorTable(GPI_RGB);
        const GDALColorEntry water{30, 90, 210, 255}, forest{20, 140, 40, 255};
        GDALSetColorEntry(table, 0, &water);
        GDALSetColorEntry(table, 1, &forest);
        GDALSetRasterColorTable(GDALGetRasterBand(ds, 1), table);
        GDALDestroyColorTable(table);
        std::vector<std::uint8_t> values(64, 0);
        values[9] = 1;   // column 1, row 1
        values[10] = 7;  // past the table's end: black
        writeBand(ds, 1, values, 8);
        GDALClose(ds);
        auto source = open(path);
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(source->readWindow(0, 1, 3, 1, 3, 1),
                  (std::vector<std::uint32_t>{0xff1e5ad2u, 0xff148c28u, 0xff000000u}));
    }
    {
        const std::string path = pathOf("grey.tif");
        GDALDatasetH ds = createTiff(path, 1, 8);
        std::vector<std::uint8_t> values(64, 0);
        values[0] = 17;
        values[1] = 250;
        writeBand(ds, 1, values, 8);
        GDALClose(ds);
        auto source = open(path);
        ASSERT_NE(source, nullptr);
        EXPECT_EQ(source->readWindow(0, 0, 2, 1, 2, 1),
                  (std::vector<std::uint32_t>{0xff111111u, 0xfffafafau}));
    }
    {
        const std::string path = pathOf("transparent.tif");
        char** options = CSLSetNameValue(nullptr, "ALPHA", "YES");
        GDALDatasetH ds = GDALCreate(GDALGetDriverByName("GTiff"), path.c_str(), 3, 1, 4, GDT_Byte, options);
        CSLDestroy(options);
        ASSERT_NE(ds, nullptr);
        const std::array<std::uint8_t, 3> red{0, 0, 0}, green{0, 0, 0}, blue{0, 0, 0}, alpha{0, 255, 128};
        for (int band = 1; band <= 4; ++band) {
            const auto& v = band == 1 ? red : band == 2 ? green : band == 3 ? blue : alpha;
            ASSERT_EQ(GDALRasterIO(GDALGetRasterBand(ds, band), GF_Write, 0, 0, 3, 1,
                                   const_cast<std::uint8_t*>(v.data()), 3, 1, GDT_Byte, 0, 0),
                      CE_None);
        }
        GDALClose(ds);
        auto source = open(path);
        ASSERT_NE(source, nullptr);
        EXPECT_FALSE(source->georeferenced());
        // No paint: white; full: black; half: the blend, 255 * 127 / 255 rounded.
        EXPECT_EQ(source->readWindow(0, 0, 3, 1, 3, 1),
                  (std::vector<std::uint32_t>{0xffffffffu, 0xff000000u, 0xff7f7f7fu}));
    }
}

TEST(RasterSource, refusesFilesThatAreNoRastersAndWindowsItCannotGive) {
    GdalServices services;
    std::string error;
    std::ofstream(pathOf("notes.tif")) << "field notes, no picture\n";
    EXPECT_EQ(services.openRaster(pathOf("notes.tif"), error), nullptr);
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_EQ(services.openRaster(pathOf("missing.tif"), error), nullptr);
    EXPECT_FALSE(error.empty());

    // A GeoTIFF cut short: either refused at once or every read of the lost part fails, never a crash.
    const std::string whole = pathOf("whole.tif");
    writePatternTiff(whole);
    std::ifstream in(whole, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(pathOf("cut.tif"), std::ios::binary) << bytes.substr(0, bytes.size() / 3);
    error.clear();
    if (auto cut = services.openRaster(pathOf("cut.tif"), error)) {
        EXPECT_TRUE(cut->readWindow(0, 0, kSide, kSide, 64, 64).empty());
    } else {
        EXPECT_FALSE(error.empty());
    }

    auto source = open(whole);
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(source->readWindow(-1, 0, 16, 16, 16, 16).empty());
    EXPECT_TRUE(source->readWindow(500, 0, 16, 16, 16, 16).empty());
    EXPECT_TRUE(source->readWindow(0, 0, 0, 16, 16, 16).empty());
    EXPECT_TRUE(source->readWindow(0, 0, 16, 16, 0, 16).empty());
    // An output beyond a few screens is refused however small the window.
    EXPECT_TRUE(source->readWindow(0, 0, 16, 16, 8192, 4096).empty());
    EXPECT_EQ(source->readWindow(496, 496, 16, 16, 16, 16).size(), 256u);
}

}  // namespace
}  // namespace brelvo::geo

// Which files may hold a picture's georeference (so that a plain picture never loads the geodata
// support), and the web map capture's Web Mercator geotransform against a hand check.
#include "mapview/map_georeference.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace brelvo::mapview {
namespace {

namespace fs = std::filesystem;

struct Folder {
    fs::path path;
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "georef_files_XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) path = pattern;
    }
    ~Folder() {
        std::error_code e;
        fs::remove_all(path, e);
    }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path / name, std::ios::binary) << bytes;
        return (path / name).string();
    }
};

TEST(MapGeoreferenceFiles, SidecarsAreFoundInAnyCaseAndOnlyForTheirOwnPicture) {
    Folder f;
    ASSERT_FALSE(f.path.empty());
    const std::string png = f.write("quad.png", "png");
    const std::string jpg = f.write("Scan.JPG", "jpg");
    const std::string gif = f.write("plain.gif", "gif");
    f.write("other.pgw", "1\n0\n0\n-1\n0\n0\n");  // another picture's world file
    f.write("plain.gif.bak", "x");
    EXPECT_FALSE(georeferenceSidecar(png));
    EXPECT_FALSE(mayBeGeoreferenced(png));
    f.write("QUAD.PGW", "1\n0\n0\n-1\n0\n0\n");
    EXPECT_EQ(georeferenceSidecar(png), (f.path / "QUAD.PGW").string());
    // A world file of a kind other than the picture's own still counts (".wld" is anyone's).
    f.write("scan.wld", "w");
    EXPECT_EQ(georeferenceSidecar(jpg), (f.path / "scan.wld").string());
    // The .aux.xml carries the picture's whole name.
    f.write("plain.aux.xml", "<PAMDataset/>");
    EXPECT_FALSE(georeferenceSidecar(gif));
    f.write("Plain.GIF.aux.xml", "<PAMDataset/>");
    EXPECT_EQ(georeferenceSidecar(gif), (f.path / "Plain.GIF.aux.xml").string());
    // A folder named like a world file is looked at too: the geodata support names it as passed over.
    const std::string bmp = f.write("map.bmp", "BM");
    EXPECT_FALSE(mayBeGeoreferenced(bmp));
    fs::create_directory(f.path / "map.bpw");
    EXPECT_TRUE(mayBeGeoreferenced(bmp));
    EXPECT_EQ(georeferenceSidecar(bmp), (f.path / "map.bpw").string());
    EXPECT_FALSE(georeferenceSidecar((f.path / "missing" / "x.png").string()));
}

TEST(MapGeoreferenceFiles, TiffsAreKnownByTheirFirstBytes) {
    Folder f;
    ASSERT_FALSE(f.path.empty());
    EXPECT_TRUE(isTiffFile(f.write("little.dat", std::string("II*\0rest", 8))));
    EXPECT_TRUE(isTiffFile(f.write("big.tif", std::string("MM\0*", 4))));
    EXPECT_TRUE(mayBeGeoreferenced(f.write("named.png", std::string("II*\0", 4))));
    EXPECT_FALSE(isTiffFile(f.write("short.tif", "II*")));
    EXPECT_FALSE(isTiffFile(f.write("wrong.tif", std::string("II\0*", 4))));
    EXPECT_FALSE(isTiffFile((f.path / "none.tif").string()));
}

// Hand check (Web Mercator on the sphere of radius 6378137 m): at zoom 15 one CSS pixel is
// 2 pi 6378137 / (256 * 2^15) = 4.777314267823516 m; 105 deg W is x = -11688546.533293726 m and 40 deg N
// is y = 6378137 atanh(sin 40 deg) = 4865942.279503175 m. With the centre at CSS pixel (400, 300) the
// corner lies 400 and 300 pixels away: x0 = -11690457.459000856, y0 = 4867375.473783522.
TEST(WebMapGeotransform, CentreAndZoomGiveTheCaptureCorner) {
    const WebMapView view{-105, 40, 15, 400, 300};
    const auto g = webMapGeotransform(view, 1);
    ASSERT_TRUE(g);
    EXPECT_NEAR((*g)[0], -11690457.459000856, 1e-6);
    EXPECT_NEAR((*g)[1], 4.777314267823516, 1e-12);
    EXPECT_EQ((*g)[2], 0);
    EXPECT_NEAR((*g)[3], 4867375.473783522, 1e-6);
    EXPECT_EQ((*g)[4], 0);
    EXPECT_NEAR((*g)[5], -4.777314267823516, 1e-12);

    // Two capture pixels per CSS pixel: the same corner, pixels half as large.
    const auto hiDpi = webMapGeotransform(view, 2);
    ASSERT_TRUE(hiDpi);
    EXPECT_NEAR((*hiDpi)[0], (*g)[0], 1e-6);
    EXPECT_NEAR((*hiDpi)[3], (*g)[3], 1e-6);
    EXPECT_NEAR((*hiDpi)[1], 4.777314267823516 / 2, 1e-12);

    // Zoom 0 at the origin, centre at CSS pixel (128, 128): the whole world on one 256-pixel tile.
    const auto world = webMapGeotransform({0, 0, 0, 128, 128}, 1);
    ASSERT_TRUE(world);
    EXPECT_NEAR((*world)[0], -20037508.342789244, 1e-6);
    EXPECT_NEAR((*world)[3], 20037508.342789244, 1e-6);
    EXPECT_NEAR((*world)[1], 156543.03392804097, 1e-8);
}

TEST(WebMapGeotransform, AViewOffTheMapGivesNone) {
    EXPECT_FALSE(webMapGeotransform({0, 86, 10, 0, 0}, 1));
    EXPECT_FALSE(webMapGeotransform({181, 0, 10, 0, 0}, 1));
    EXPECT_FALSE(webMapGeotransform({0, 0, -1, 0, 0}, 1));
    EXPECT_FALSE(webMapGeotransform({0, 0, 31, 0, 0}, 1));
    EXPECT_FALSE(webMapGeotransform({0, 0, 10, 0, 0}, 0));
    EXPECT_FALSE(webMapGeotransform({0, 0, 10, std::nan(""), 0}, 1));
}

}  // namespace
}  // namespace brelvo::mapview

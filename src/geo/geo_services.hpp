// What the geodata plugin (GDAL and PROJ, loaded on first use) offers the program: georeferences of
// picture files, coordinate systems, the ground model of a georeferenced map, world files, basins to
// and from GIS files, and big rasters read window by window. This header includes neither library, so
// the program that loads the plugin builds without them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "measure/georeference.hpp"
#include "terrain/elevation_model.hpp"

namespace brelvo::geo {

// What Load Map File finds beside or inside a picture.
struct GeorefReading {
    // The georeference found (the file's own, or a world file with or without a .prj); nothing when
    // the picture has none, or when it was refused (then `error` says why, naming the file).
    std::optional<measure::Georeference> georef;
    // A world file without a .prj (or a GeoTIFF without a system): the georeference is there but its
    // system is not; the program asks once for an EPSG code or "none".
    bool systemMissing = false;
    std::string error;
    // Files beside the picture that were passed over (a world file that is a folder, a pipe or a link
    // that leads in a circle, an .aux.xml GDAL cannot use, ground control points that fit no
    // georeference), each a whole sentence naming the file and why.
    std::vector<std::string> ignored;
};

// One feature of a GIS file, or one part of a multi-geometry, in WGS 84 longitude/latitude (degrees).
struct Feature {
    enum class Kind { Polygon, Line, Point };
    Kind kind = Kind::Polygon;
    std::string name;                     // its name attribute, else empty
    std::vector<measure::LonLat> points;  // a polygon's outer ring without the repeated first point
    // A polygon's holes (inner rings), each without its repeated first point.
    std::vector<std::vector<measure::LonLat>> holes;
    std::size_t number = 0;   // the feature's place in the file, from 1
    int part = 1, parts = 1;  // of a multi-geometry: this part (from 1) of how many
    // Why a polygon cannot be traced (a ring that crosses itself or encloses nothing), a whole message
    // naming it; empty when it can.
    std::string problem;
};

// The traced basin as it is exported: geometry in WGS 84 and the listing's figures.
struct BasinExport {
    std::string name;                                 // the runoff title when set, else empty (no attribute)
    std::vector<measure::LonLat> boundary;            // without the repeated first point; empty: none traced
    std::vector<std::vector<measure::LonLat>> holes;  // the boundary's holes, the same way
    std::vector<measure::LonLat> stream;              // from the head to the outlet; empty: none traced
    std::optional<measure::LonLat> centroid;
    std::optional<double> areaMi2, perimeterMi, streamLengthMi, lengthToCentroidMi;
    std::string crs;  // the map's system, "EPSG:n" or its name
};

// Progress of long work: called with 0..1; returns false to cancel.
using Progress = std::function<bool(double fraction)>;

// The most pixels one windowed read returns: a few screens' worth, never a whole big raster.
inline constexpr long long kMaxWindowPixels = 16LL * 1024 * 1024;

// The most cells an elevation model may have: 2^27 (134,217,728; 11,585 cells a side, a 1 m lidar model of
// 11 km square or a 10 m model of 115 km square). Its heights take 4 bytes a cell, 512 MiB; the flow
// preparation then holds the filled copy of the heights (4 bytes a cell), its codes (1), the directions
// (1), the accumulation (4) and its queues (up to 4): about 18 bytes a cell at its peak, 2.25 GiB in all,
// which an ordinary desktop computer has. A fixed figure, not a share of this computer's memory: a model
// that opens here opens on the user's other computers too, and a header's claim is refused at once.
inline constexpr long long kMaxElevationCells = 1LL << 27;

// The most pixels of a map read window by window: 2^32 (65,536 a side). Reads never hold more than
// kMaxWindowPixels, but the overviews take a third of the map's pixels again beside it and their
// building reads every pixel once: beyond this, tens of gigabytes and hours of work.
inline constexpr long long kMaxRasterPixels = 1LL << 32;

// A raster opened for windowed reads (a big GeoTIFF): pixels are read from the overview that fits the
// request, never the whole picture.
class RasterSource {
  public:
    virtual ~RasterSource() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual int overviewCount() const = 0;
    // Whether the file places the raster on the ground (a geotransform, its own or a world file's, or
    // control points).
    virtual bool georeferenced() const = 0;
    // One band of heights rather than a picture's colours: signed integers or floating-point numbers
    // without a colour table (an elevation model opened as a map).
    virtual bool holdsHeights() const = 0;
    // Builds the missing overviews beside the file as FILE.ovr (the file itself is never written);
    // false with `error` on failure or cancel, and then no .ovr is left.
    virtual bool buildOverviews(const Progress& progress, std::string& error) = 0;
    // Reads the picture's window (column, row, width, height in full-resolution pixels) resampled to
    // outWidth x outHeight, as 32-bit 0xffRRGGBB pixels, row by row; empty on failure, for a window
    // outside the raster, or for more than kMaxWindowPixels pixels. Grey and paletted bands come out as
    // their colours, an alpha band blended onto white.
    virtual std::vector<std::uint32_t> readWindow(int column, int row, int width, int height, int outWidth,
                                                  int outHeight) = 0;
};

// Points from WGS 84 longitude/latitude into one coordinate system, the transformation made once:
// GeoServices::fromWgs84 makes one a call, and the thousands of points of a relief over a map took
// seconds that way. Usable from any thread: a call takes a lock.
class PointTransform {
  public:
    virtual ~PointTransform() = default;
    // The point in the system; nothing outside its domain.
    virtual std::optional<measure::MapPoint> fromWgs84(const measure::LonLat& p) const = 0;
};

class GeoServices {
  public:
    virtual ~GeoServices() = default;

    // The georeference of a picture file: the file's own (GeoTIFF), else a world file beside it
    // (.jgw/.jpgw, .pgw/.pngw, .tfw/.tifw, .bpw, .gfw, .wld) with a .prj, else a .aux.xml.
    virtual GeorefReading readGeoreference(const std::string& picturePath) const = 0;
    // The WKT of "EPSG:n" or "n"; nothing with `error` set when it is no known system.
    virtual std::optional<std::string> systemWkt(const std::string& code, std::string& error) const = 0;
    // "EPSG:n" of a WKT when it has one, else empty.
    virtual std::string epsgOf(const std::string& wkt) const = 0;
    // The ground of a georeference in a known system; nullptr (with `error`) when PROJ cannot use it.
    virtual std::unique_ptr<measure::GroundModel> ground(const measure::Georeference& georef,
                                                         std::string& error) const = 0;
    // Transforms WGS 84 longitude/latitude into the system of `wkt` (to place control points typed in
    // degrees, or imported features); nothing outside its domain.
    virtual std::optional<measure::MapPoint> fromWgs84(const std::string& wkt,
                                                       const measure::LonLat& p) const = 0;
    // The same as fromWgs84 for many points into the system of `wkt`; nullptr when PROJ cannot use it.
    virtual std::unique_ptr<PointTransform> transformFromWgs84(const std::string& wkt) const = 0;
    // Writes the world file (the picture's own extension's kind) and the .prj beside the picture,
    // each through a temporary file and rename.
    virtual bool writeWorldFile(const std::string& picturePath, const measure::Georeference& georef,
                                std::string& error) const = 0;
    // Writes the basin as GeoJSON, GeoPackage, KML or shapefile, chosen by the name's extension.
    virtual bool exportBasin(const std::string& path, const BasinExport& basin, std::string& error) const = 0;
    // The features of a GeoJSON, GeoPackage, KML or shapefile in WGS 84; nothing with `error` set
    // when the file cannot be read.
    virtual std::optional<std::vector<Feature>> readFeatures(const std::string& path,
                                                             std::string& error) const = 0;
    // Opens a raster for windowed reads; nullptr (with `error`) when GDAL cannot.
    virtual std::unique_ptr<RasterSource> openRaster(const std::string& path, std::string& error) const = 0;
    // Reads an elevation model (GeoTIFF, ASCII grid or any single-band raster GDAL reads) whole: its
    // heights as floats with NoData as NaN, its georeference (the system's WKT and "EPSG:n" when known;
    // an unknown system leaves the WKT empty) and its vertical unit when the file names one. Nothing
    // with `error` (naming the file) when it cannot be read, is not single-band, declares more than
    // kMaxElevationCells cells or more than an ASCII grid's file can hold (both
    // told before anything is allocated), or `progress` cancels.
    virtual std::optional<terrain::ElevationModel> readElevationModel(const std::string& path,
                                                                      const Progress& progress,
                                                                      std::string& error) const = 0;
};

// The plugin's file name and its one exported function, which returns the services (owned by the
// plugin, alive for the rest of the run).
inline constexpr const char* kGeoPluginFile = "libbrelvo_geo.so";
inline constexpr const char* kGeoPluginEntry = "brelvo_geo_services_v1";
using GeoPluginEntry = GeoServices* (*)();

}  // namespace brelvo::geo

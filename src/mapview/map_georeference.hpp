// Where a map picture's georeference may be found without opening the picture's geodata (the files
// beside it, a TIFF's own tags), and the georeference of a web map capture from the map's centre and
// zoom. No coordinate system library is needed for either.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace brelvo::mapview {

// The world file or .aux.xml beside a picture (same base name, any case): "map.pgw", "MAP.WLD",
// "map.png.aux.xml"; nothing when there is none.
std::optional<std::string> georeferenceSidecar(const std::string& picturePath);
// The file is a TIFF, by its first four bytes ("II*\0" or "MM\0*"); false when it cannot be read.
bool isTiffFile(const std::string& path);
// The picture may carry a georeference: it is a TIFF or has a world file or .aux.xml beside it. Only
// then is the geodata support asked.
bool mayBeGeoreferenced(const std::string& picturePath);

// The web map's view as the page tells it: the map's centre (WGS 84 degrees), its zoom level (tiles of
// 256 CSS pixels, zoom 0 showing the whole world on one tile; fractional levels allowed), and where that
// centre lies in the capture, in CSS pixels from the captured area's upper-left corner.
struct WebMapView {
    double lon = 0;
    double lat = 0;
    double zoom = 0;
    double centreX = 0;
    double centreY = 0;
};
// The Web Mercator (EPSG:3857) geotransform of a capture with `pixelRatio` image pixels per CSS pixel
// (corner convention: X = g0 + column g1 + row g2; Y = g3 + column g4 + row g5). Nothing when the view
// is not on the map (a latitude beyond the projection's limit, a zoom out of 0..30, a ratio <= 0).
std::optional<std::array<double, 6>> webMapGeotransform(const WebMapView& view, double pixelRatio);

}  // namespace brelvo::mapview

// What the geodata services share inside the plugin: GDAL kept quiet, small files read with a bound, file
// names, and coordinate systems read, identified and written as WKT.
#pragma once

#include <cpl_error.h>
#include <ogr_spatialref.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace brelvo::geo::detail {

// While alive, GDAL's errors are kept from the console (the caller turns them into the program's
// messages); the error state starts clean.
class QuietGdal {
  public:
    QuietGdal() {
        CPLPushErrorHandler(CPLQuietErrorHandler);
        CPLErrorReset();
    }
    ~QuietGdal() { CPLPopErrorHandler(); }
    QuietGdal(const QuietGdal&) = delete;
    QuietGdal& operator=(const QuietGdal&) = delete;
};

std::string lowerCase(std::string text);
// The file part of a path ("map.pgw" of "/maps/map.pgw").
std::string fileName(const std::string& path);
// A path GDAL must not be handed: its virtual file systems (/vsicurl/ and the like) reach the network
// or open archives the user never named.
bool virtualPath(const std::string& path);

// A small file read whole, refused when larger than `limit` bytes.
struct SmallFile {
    enum class Status { ok, missing, tooLarge, unreadable };
    Status status = Status::missing;
    std::string bytes;
};
SmallFile readSmallFile(const std::string& path, std::size_t limit);

// Every entry beside `picturePath` with the same base name and one of the extensions (lower case, without
// the dot; the extension in any letter case), whatever it is: a file, a folder, a pipe or a symbolic link,
// even one that leads nowhere. In the order of the extensions.
std::vector<std::string> siblingEntries(const std::string& picturePath,
                                        const std::vector<std::string>& extensions);

// Why the entry at `path` cannot be read as a side file (it is a folder, a pipe, a symbolic link that
// leads in a circle or nowhere, or cannot be read); empty for a regular file that can be read.
std::string sideFileProblem(const std::string& path);

// A coordinate system read from text: "EPSG:n", "n", WKT (OGC or ESRI), PROJ strings or an old-style ESRI
// .prj, never from a file or the network the text names. Nothing when the text holds none.
std::optional<OGRSpatialReference> parseSystem(const std::string& text);
// Projected or geographic: a system that can place a map.
bool placesMap(const OGRSpatialReference& srs);
// "EPSG:n" when the system is an EPSG system or is found equal to one, else empty.
std::string epsgCode(const OGRSpatialReference& srs);
// The system as WKT2 (2019), or WKT1 when it cannot be written as WKT2; empty when neither.
std::string wktOf(const OGRSpatialReference& srs);
// WGS 84 longitude/latitude, longitude first.
OGRSpatialReference wgs84();

}  // namespace brelvo::geo::detail

// The georeference of a picture file (its own, a world file with a .prj beside it, or GDAL's .aux.xml),
// and the world file and .prj written beside a picture.
#include <cpl_conv.h>
#include <cpl_minixml.h>
#include <cpl_string.h>
#include <gdal_alg.h>
#include <gdal_priv.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <sstream>
#include <system_error>

#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "geo/gdal_services.hpp"
#include "geo/gdal_support.hpp"

namespace brelvo::geo {

namespace msg = common::msg;
using detail::SmallFile;

namespace {

constexpr std::size_t kWorldFileLimit = 4 * 1024;
constexpr std::size_t kSystemFileLimit = 64 * 1024;
constexpr std::size_t kAuxFileLimit = 16 * 1024 * 1024;

struct GdalClose {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<GDALDataset, GdalClose>;

// Opens the picture for its metadata (no pixel is decoded), letting GDAL see beside it only the files
// named in `siblings`: so the picture's own georeference is told apart from a world file or .aux.xml.
Dataset openPicture(const std::string& path, const std::vector<std::string>& siblings) {
    CPLStringList names;
    for (const std::string& name : siblings) names.AddString(name.c_str());
    return Dataset(
        GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, names.List()));
}

// The affine georeference of a picture placed only by ground control points, when they fit one: every
// point within a quarter pixel of it (GDAL's own bound for an exact fit). Else nothing, and `note` says
// why the picture is loaded without a georeference.
std::optional<std::array<double, 6>> controlPointFit(GDALDataset& dataset, const std::string& picture,
                                                     std::string& note) {
    const int count = dataset.GetGCPCount();
    const GDAL_GCP* points = dataset.GetGCPs();
    const std::string file = detail::fileName(picture);
    std::array<double, 6> g{};
    if (count < 2 || points == nullptr) {
        note = msg::controlPointsTooFew(file, count);
        return std::nullopt;
    }
    std::array<double, 6> inverse{};
    if (!GDALGCPsToGeoTransform(count, points, g.data(), TRUE) ||
        !GDALInvGeoTransform(g.data(), inverse.data())) {
        note = msg::controlPointsInLine(file, count);
        return std::nullopt;
    }
    double worst = 0;
    for (int i = 0; i < count; ++i) {
        const GDAL_GCP& p = points[i];
        const double column = inverse[0] + inverse[1] * p.dfGCPX + inverse[2] * p.dfGCPY;
        const double row = inverse[3] + inverse[4] * p.dfGCPX + inverse[5] * p.dfGCPY;
        const double off = std::hypot(column - p.dfGCPPixel, row - p.dfGCPLine);
        worst = std::isfinite(off) ? std::max(worst, off) : INFINITY;
    }
    if (!(worst <= 0.25)) {
        char pixels[32];
        std::snprintf(pixels, sizeof pixels, "%.1f", worst);
        note = msg::controlPointsNoFit(file, count, pixels);
        return std::nullopt;
    }
    return g;
}

// The georeference GDAL reads from an opened picture; nothing when it has none. With `controlPoints`, a
// picture without a geotransform is placed by its ground control points when they fit one (else the
// note says why not).
std::optional<GeorefReading> datasetGeoref(GDALDataset& dataset, const std::string& picture,
                                           std::string* controlPoints = nullptr) {
    std::array<double, 6> g{};
    const OGRSpatialReference* srs = dataset.GetSpatialRef();
    // GDAL's answer for a picture without one is the identity.
    if (dataset.GetGeoTransform(g.data()) != CE_None || g == std::array<double, 6>{0, 1, 0, 0, 0, 1}) {
        if (controlPoints == nullptr || dataset.GetGCPCount() == 0) return std::nullopt;
        const auto fitted = controlPointFit(dataset, picture, *controlPoints);
        if (!fitted) return std::nullopt;
        g = *fitted;
        srs = dataset.GetGCPSpatialRef();
    }
    GeorefReading reading;
    measure::Georeference georef;
    georef.geotransform = g;
    georef.source = measure::GeorefSource::File;
    if (!georef.valid()) {
        reading.error = msg::pictureGeorefFlat(detail::fileName(picture));
        return reading;
    }
    if (srs && !srs->IsEmpty() && detail::placesMap(*srs)) {
        OGRSpatialReference system(*srs);
        system.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
        georef.wkt = detail::wktOf(system);
        georef.crs = detail::epsgCode(system);
    }
    reading.systemMissing = georef.wkt.empty();
    reading.georef = georef;
    return reading;
}

// Reads one number of a world file line: blanks around it, an optional sign, a decimal or exponent form.
std::optional<double> worldFileNumber(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// A world file's six numbers (A D B E C F: pixel width, rotations, pixel height, the upper-left pixel's
// centre), one a line; blank lines are passed over. The error says what is wrong, in the user's words.
std::optional<measure::Georeference> parseWorldFile(const std::string& text, std::string& error) {
    std::vector<double> numbers;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        if (line.find_first_not_of(" \t\r\v\f") == std::string::npos) continue;
        const auto number = worldFileNumber(line);
        if (!number) {
            error = msg::worldFileLineNotNumber(lineNumber);
            return std::nullopt;
        }
        if (!std::isfinite(*number)) {
            error = msg::worldFileLineNotFinite(lineNumber);
            return std::nullopt;
        }
        numbers.push_back(*number);
    }
    if (numbers.empty()) {
        error = msg::kWorldFileEmpty;
        return std::nullopt;
    }
    if (numbers.size() != 6) {
        error = msg::worldFileCount(numbers.size());
        return std::nullopt;
    }
    const double a = numbers[0], d = numbers[1], b = numbers[2], e = numbers[3], c = numbers[4],
                 f = numbers[5];
    measure::Georeference georef;
    // The world file places the centre of the upper-left pixel; the geotransform its outer corner.
    georef.geotransform = {c - a / 2 - b / 2, a, b, f - d / 2 - e / 2, d, e};
    georef.source = measure::GeorefSource::WorldFile;
    if (!georef.valid()) {
        error = msg::kWorldFileFlat;
        return std::nullopt;
    }
    return georef;
}

std::string smallFileProblem(SmallFile::Status status, bool worldFile) {
    if (status == SmallFile::Status::tooLarge) {
        return std::string(worldFile ? msg::kWorldFileTooLarge : msg::kSystemFileTooLarge);
    }
    return std::string(worldFile ? msg::kWorldFileUnreadable : msg::kSystemFileUnreadable);
}

// The georeference of a world file, with the system of the .prj beside the picture when there is one.
GeorefReading worldFileGeoref(const std::string& picturePath, const std::string& worldPath,
                              std::vector<std::string>& ignored) {
    GeorefReading reading;
    const std::string worldName = detail::fileName(worldPath);
    const SmallFile world = detail::readSmallFile(worldPath, kWorldFileLimit);
    if (world.status != SmallFile::Status::ok) {
        reading.error = msg::worldFileDamaged(worldName, smallFileProblem(world.status, true));
        return reading;
    }
    std::string problem;
    auto georef = parseWorldFile(world.bytes, problem);
    if (!georef) {
        reading.error = msg::worldFileDamaged(worldName, problem);
        return reading;
    }
    std::string prjPath;
    for (const std::string& entry : detail::siblingEntries(picturePath, {"prj"})) {
        if (const std::string problem = detail::sideFileProblem(entry); !problem.empty()) {
            ignored.push_back(msg::sideFileIgnored(msg::kSystemFileKind, detail::fileName(entry), problem));
        } else if (prjPath.empty()) {
            prjPath = entry;
        }
    }
    if (prjPath.empty()) {
        reading.systemMissing = true;
        reading.georef = georef;
        return reading;
    }
    const std::string prjName = detail::fileName(prjPath);
    const SmallFile prj = detail::readSmallFile(prjPath, kSystemFileLimit);
    if (prj.status != SmallFile::Status::ok) {
        reading.error = msg::systemFileDamaged(prjName, smallFileProblem(prj.status, false));
        return reading;
    }
    if (prj.bytes.find_first_not_of(" \t\r\n") == std::string::npos) {
        reading.error = msg::systemFileDamaged(prjName, msg::kSystemFileEmpty);
        return reading;
    }
    const auto srs = detail::parseSystem(prj.bytes);
    if (!srs) {
        reading.error = msg::systemFileDamaged(prjName, msg::kSystemFileUnknown);
        return reading;
    }
    if (!detail::placesMap(*srs)) {
        reading.error = msg::systemFileDamaged(prjName, msg::kSystemFileNotMap);
        return reading;
    }
    georef->wkt = detail::wktOf(*srs);
    georef->crs = detail::epsgCode(*srs);
    if (georef->wkt.empty()) {
        reading.error = msg::systemFileDamaged(prjName, msg::kSystemFileUnknown);
        return reading;
    }
    reading.georef = georef;
    return reading;
}

// The world file's extension for a picture's: the first and last letters and "w" (.pgw for .png, .jgw
// for .jpg and .jpeg, .tfw for .tif and .tiff), and .wld for pictures of other kinds.
std::string worldExtension(const std::string& picturePath) {
    const std::string ext = detail::lowerCase(std::filesystem::path(picturePath).extension().string());
    if (ext == ".png") return ".pgw";
    if (ext == ".jpg" || ext == ".jpeg") return ".jgw";
    if (ext == ".tif" || ext == ".tiff") return ".tfw";
    if (ext == ".bmp") return ".bpw";
    if (ext == ".gif") return ".gfw";
    return ".wld";
}

// The world files that may belong to a picture, in the order they are looked for: the picture's
// extension's first and last letters and "w" (.pgw for .png, .jgw for .jpg and .jpeg), its whole
// extension and "w" (.pngw, .jpgw), and .wld for a picture of any kind. A map.tfw is no georeference of
// map.png.
std::vector<std::string> worldExtensions(const std::string& picturePath) {
    const std::string ext = detail::lowerCase(std::filesystem::path(picturePath).extension().string());
    std::vector<std::string> extensions;
    if (ext.size() >= 3) {
        extensions.push_back(std::string{ext[1], ext.back(), 'w'});
        extensions.push_back(ext.substr(1) + "w");
    }
    extensions.emplace_back("wld");
    return extensions;
}

// The shortest text that reads back as the same double.
std::string exactText(double value) {
    std::array<char, 64> buffer{};
    const auto [end, ec] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return ec == std::errc() ? std::string(buffer.data(), end) : std::string("0");
}

bool replaceable(const std::string& path, std::string& error) {
    try {
        common::checkReplaceable(path);
        return true;
    } catch (const common::RuntimeFailure& failure) {
        error = msg::georefFileNotSaved(detail::fileName(path), common::failureReason(failure));
        return false;
    }
}

bool saveBeside(const std::string& path, const std::string& bytes, std::string& error) {
    try {
        common::replaceFile(path, bytes);
        return true;
    } catch (const common::RuntimeFailure& failure) {
        error = msg::georefFileNotSaved(detail::fileName(path), common::failureReason(failure));
        return false;
    }
}

// The georeference of GDAL's .aux.xml beside the picture. One that cannot be used is named in `ignored`:
// no file, XML that does not parse, a GeoTransform GDAL cannot read. One without a GeoTransform (only
// statistics, say) is no georeference and says nothing.
std::optional<GeorefReading> auxGeoref(const std::string& picturePath, std::vector<std::string>& ignored) {
    const std::string auxPath = picturePath + ".aux.xml";
    const std::string auxName = detail::fileName(auxPath);
    std::error_code ec;
    if (!std::filesystem::exists(std::filesystem::symlink_status(auxPath, ec))) return std::nullopt;
    const auto ignore = [&](std::string_view reason) {
        ignored.push_back(msg::sideFileIgnored(msg::kAuxFileKind, auxName, reason));
        return std::nullopt;
    };
    if (const std::string problem = detail::sideFileProblem(auxPath); !problem.empty())
        return ignore(problem);
    const SmallFile aux = detail::readSmallFile(auxPath, kAuxFileLimit);
    if (aux.status == SmallFile::Status::tooLarge) return ignore(msg::kAuxFileTooLarge);
    if (aux.status != SmallFile::Status::ok) return ignore(msg::kSideFileUnreadable);
    CPLXMLNode* root = CPLParseXMLString(aux.bytes.c_str());
    const bool hasGeoTransform =
        root != nullptr && CPLGetXMLNode(root, "=PAMDataset.GeoTransform") != nullptr;
    if (root != nullptr) CPLDestroyXMLNode(root);
    if (root == nullptr) return ignore(msg::kAuxFileNotXml);
    const std::string name = detail::fileName(picturePath);
    if (const Dataset pam = openPicture(picturePath, {name, auxName})) {
        if (auto reading = datasetGeoref(*pam, picturePath)) return reading;
    }
    if (hasGeoTransform) return ignore(msg::kAuxFileBadGeoTransform);
    return std::nullopt;
}

}  // namespace

GeorefReading GdalServices::readGeoreference(const std::string& picturePath) const {
    const detail::QuietGdal quiet;
    const std::string name = detail::fileName(picturePath);
    const bool gdalMayOpen = !detail::virtualPath(picturePath) && !name.empty();
    std::vector<std::string> ignored;
    const auto withIgnored = [&](GeorefReading reading) {
        reading.ignored.insert(reading.ignored.begin(), ignored.begin(), ignored.end());
        return reading;
    };
    // Said only when nothing else places the picture.
    std::string controlPoints;
    if (gdalMayOpen) {
        if (const Dataset own = openPicture(picturePath, {name})) {
            if (auto reading = datasetGeoref(*own, picturePath, &controlPoints)) return *reading;
        }
    }
    // The first world file that is a file; those that are not are named.
    for (const std::string& worldPath : detail::siblingEntries(picturePath, worldExtensions(picturePath))) {
        if (const std::string problem = detail::sideFileProblem(worldPath); !problem.empty()) {
            ignored.push_back(
                msg::sideFileIgnored(msg::kWorldFileKind, detail::fileName(worldPath), problem));
            continue;
        }
        return withIgnored(worldFileGeoref(picturePath, worldPath, ignored));
    }
    if (gdalMayOpen) {
        if (auto reading = auxGeoref(picturePath, ignored)) return withIgnored(std::move(*reading));
    }
    if (!controlPoints.empty()) ignored.push_back(controlPoints);
    return withIgnored({});
}

bool GdalServices::writeWorldFile(const std::string& picturePath, const measure::Georeference& georef,
                                  std::string& error) const {
    if (!georef.valid()) {
        error = msg::kGeorefNotInvertible;
        return false;
    }
    const auto& g = georef.geotransform;
    const std::array<double, 6> numbers{
        g[1], g[4], g[2], g[5], g[0] + g[1] / 2 + g[2] / 2, g[3] + g[4] / 2 + g[5] / 2};
    std::string text;
    for (const double number : numbers) text += exactText(number) + "\r\n";
    std::filesystem::path worldPath(picturePath);
    worldPath.replace_extension(worldExtension(picturePath));

    std::string prjText;
    std::filesystem::path prjPath(picturePath);
    prjPath.replace_extension(".prj");
    if (georef.systemKnown()) {
        const detail::QuietGdal quiet;
        const auto srs = detail::parseSystem(georef.wkt);
        char* esri = nullptr;
        const char* const options[] = {"FORMAT=WKT1_ESRI", nullptr};
        if (srs && srs->exportToWkt(&esri, options) == OGRERR_NONE && esri) prjText = esri;
        CPLFree(esri);
        if (prjText.empty()) {
            error = msg::georefFileNotSaved(detail::fileName(prjPath.string()), msg::kSystemFileUnknown);
            return false;
        }
    }
    // A map without a known system keeps any .prj that is there: it is the user's, not this save's.
    // Both files are asked for before either is written.
    if (!replaceable(worldPath.string(), error)) return false;
    if (!prjText.empty() && !replaceable(prjPath.string(), error)) return false;
    if (!saveBeside(worldPath.string(), text, error)) return false;
    return prjText.empty() || saveBeside(prjPath.string(), prjText, error);
}

}  // namespace brelvo::geo

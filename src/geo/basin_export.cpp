// The traced basin written as a GIS file (GeoJSON, GeoPackage, KML or shapefile). GDAL writes the file in
// memory; only when the whole write succeeded are the files saved beside each other, each through a
// temporary file and rename, so a failed export leaves the files that were there as they were.
#include <gdal_priv.h>
#include <ogrsf_frmts.h>

#include <atomic>
#include <cmath>
#include <filesystem>
#include <memory>

#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "geo/gdal_services.hpp"
#include "geo/gdal_support.hpp"

namespace brelvo::geo {

namespace msg = common::msg;
namespace fs = std::filesystem;

namespace {

enum class FileKind { geoJson, geoPackage, kml, shapefile };

std::optional<FileKind> kindOf(const std::string& path) {
    const std::string ext = detail::lowerCase(fs::path(path).extension().string());
    if (ext == ".geojson" || ext == ".json") return FileKind::geoJson;
    if (ext == ".gpkg") return FileKind::geoPackage;
    if (ext == ".kml") return FileKind::kml;
    if (ext == ".shp") return FileKind::shapefile;
    return std::nullopt;
}

const char* driverName(FileKind kind) {
    switch (kind) {
        case FileKind::geoJson:
            return "GeoJSON";
        case FileKind::geoPackage:
            return "GPKG";
        case FileKind::kml:
            return "KML";
        case FileKind::shapefile:
            return "ESRI Shapefile";
    }
    return "GeoJSON";
}

struct GdalClose {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

// A folder in GDAL's memory file system, removed with all it holds when the export ends.
class MemoryFolder {
  public:
    MemoryFolder() {
        static std::atomic<unsigned> counter{0};
        path_ = "/vsimem/brelvo_export_" + std::to_string(counter++);
        VSIMkdir(path_.c_str(), 0755);
    }
    ~MemoryFolder() { VSIRmdirRecursive(path_.c_str()); }
    MemoryFolder(const MemoryFolder&) = delete;
    MemoryFolder& operator=(const MemoryFolder&) = delete;
    const std::string& path() const { return path_; }

  private:
    std::string path_;
};

bool onEarth(const measure::LonLat& p) {
    return std::isfinite(p.lon) && std::isfinite(p.lat) && std::fabs(p.lon) <= 180 && std::fabs(p.lat) <= 90;
}

// One layer's features: the parts of the basin it takes.
struct LayerPlan {
    std::string name;
    OGRwkbGeometryType type;
    bool polygon, line, point;
};

// The layers of the file: GeoJSON holds one layer of mixed geometries; GeoPackage and KML a layer (a
// folder in KML) for each part; a shapefile holds one kind of geometry only, so the basin's polygon goes
// in NAME.shp, the stream in NAME_stream.shp and the centroid in NAME_centroid.shp.
std::vector<LayerPlan> layersOf(FileKind kind, const std::string& stem, const BasinExport& basin) {
    if (kind == FileKind::geoJson) return {{stem, wkbUnknown, true, true, true}};
    const bool shapefile = kind == FileKind::shapefile;
    std::vector<LayerPlan> layers;
    if (!basin.boundary.empty())
        layers.push_back({shapefile ? stem : "basin", wkbPolygon, true, false, false});
    if (!basin.stream.empty()) {
        layers.push_back({shapefile ? stem + "_stream" : "stream", wkbLineString, false, true, false});
    }
    if (basin.centroid) {
        layers.push_back({shapefile ? stem + "_centroid" : "centroid", wkbPoint, false, false, true});
    }
    return layers;
}

// The attributes of every feature. A shapefile keeps ten letters of a field's name: perimeter_, stream_len
// and length_to there.
bool addFields(OGRLayer& layer, const BasinExport& basin) {
    std::vector<std::pair<const char*, OGRFieldType>> fields;
    if (!basin.name.empty()) fields.emplace_back("name", OFTString);
    for (const char* real : {"area_mi2", "perimeter_mi", "stream_length_mi", "length_to_centroid_mi"}) {
        fields.emplace_back(real, OFTReal);
    }
    fields.emplace_back("crs", OFTString);
    for (const auto& [name, type] : fields) {
        OGRFieldDefn field(name, type);
        if (layer.CreateField(&field) != OGRERR_NONE) return false;
    }
    return true;
}

// By name: a KML layer starts with fields of its own (Name, Description).
void setFields(OGRFeature& feature, const BasinExport& basin) {
    const auto index = [&feature](const char* name) { return feature.GetFieldIndex(name); };
    if (!basin.name.empty() && index("name") >= 0) feature.SetField(index("name"), basin.name.c_str());
    const std::pair<const char*, std::optional<double>> reals[] = {
        {"area_mi2", basin.areaMi2},
        {"perimeter_mi", basin.perimeterMi},
        {"stream_length_mi", basin.streamLengthMi},
        {"length_to_centroid_mi", basin.lengthToCentroidMi}};
    for (const auto& [name, value] : reals) {
        // A shapefile keeps the first ten letters of a name.
        int i = index(name);
        if (i < 0) i = index(std::string(name).substr(0, 10).c_str());
        if (i < 0) continue;
        if (value && std::isfinite(*value)) {
            feature.SetField(i, *value);
        } else {
            feature.SetFieldNull(i);
        }
    }
    if (index("crs") >= 0) feature.SetField(index("crs"), basin.crs.c_str());
}

bool addFeature(OGRLayer& layer, const BasinExport& basin, const OGRGeometry& geometry) {
    OGRFeature feature(layer.GetLayerDefn());
    setFields(feature, basin);
    feature.SetGeometry(&geometry);
    return layer.CreateFeature(&feature) == OGRERR_NONE;
}

bool writeLayer(GDALDataset& dataset, const LayerPlan& plan, const BasinExport& basin, bool geoJson) {
    OGRSpatialReference wgs84 = detail::wgs84();
    CPLStringList options;
    if (geoJson) options.AddString("RFC7946=YES");
    OGRLayer* layer = dataset.CreateLayer(plan.name.c_str(), &wgs84, plan.type, options.List());
    if (!layer || !addFields(*layer, basin)) return false;
    if (plan.polygon && !basin.boundary.empty()) {
        OGRLinearRing ring;
        for (const measure::LonLat& p : basin.boundary) ring.addPoint(p.lon, p.lat);
        ring.closeRings();
        OGRPolygon polygon;
        polygon.addRing(&ring);
        for (const auto& points : basin.holes) {
            OGRLinearRing hole;
            for (const measure::LonLat& p : points) hole.addPoint(p.lon, p.lat);
            hole.closeRings();
            polygon.addRing(&hole);
        }
        if (!addFeature(*layer, basin, polygon)) return false;
    }
    if (plan.line && !basin.stream.empty()) {
        OGRLineString line;
        for (const measure::LonLat& p : basin.stream) line.addPoint(p.lon, p.lat);
        if (!addFeature(*layer, basin, line)) return false;
    }
    if (plan.point && basin.centroid) {
        const OGRPoint point(basin.centroid->lon, basin.centroid->lat);
        if (!addFeature(*layer, basin, point)) return false;
    }
    return true;
}

// The files GDAL wrote in memory, by name.
std::vector<std::pair<std::string, std::string>> writtenFiles(const std::string& folder) {
    std::vector<std::pair<std::string, std::string>> files;
    CPLStringList names(VSIReadDir(folder.c_str()));
    for (int i = 0; i < names.size(); ++i) {
        const std::string name = names[i];
        if (name == "." || name == "..") continue;
        vsi_l_offset length = 0;
        const GByte* data = VSIGetMemFileBuffer((folder + "/" + name).c_str(), &length, FALSE);
        if (!data) continue;
        files.emplace_back(
            name, std::string(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length)));
    }
    return files;
}

}  // namespace

bool GdalServices::exportBasin(const std::string& path, const BasinExport& basin, std::string& error) const {
    const std::string name = detail::fileName(path);
    const auto kind = kindOf(path);
    if (!kind || fs::path(path).stem().empty()) {
        error = msg::exportUnknownKind(name);
        return false;
    }
    if (basin.boundary.empty() && basin.stream.empty() && !basin.centroid) {
        error = msg::kExportNothing;
        return false;
    }
    bool placed = !basin.centroid || onEarth(*basin.centroid);
    for (const auto* points : {&basin.boundary, &basin.stream}) {
        for (const measure::LonLat& p : *points) placed = placed && onEarth(p);
    }
    for (const auto& points : basin.holes) {
        for (const measure::LonLat& p : points) placed = placed && onEarth(p);
    }
    if (!placed) {
        error = msg::exportFailed(name, msg::kExportOutsideWorld);
        return false;
    }

    const detail::QuietGdal quiet;
    GDALDriver* driver = GetGDALDriverManager()->GetDriverByName(driverName(*kind));
    const MemoryFolder memory;
    const std::string stem = fs::path(path).stem().string();
    // A shapefile's writer makes its member files in a folder; the others make the one file named.
    const std::string target = *kind == FileKind::shapefile ? memory.path() : memory.path() + "/" + name;
    bool written = false;
    if (driver) {
        std::unique_ptr<GDALDataset, GdalClose> dataset(
            driver->Create(target.c_str(), 0, 0, 0, GDT_Unknown, nullptr));
        written = dataset != nullptr;
        for (const LayerPlan& plan : layersOf(*kind, stem, basin)) {
            written = written && writeLayer(*dataset, plan, basin, *kind == FileKind::geoJson);
        }
        CPLErrorReset();
        dataset.reset();
        written = written && CPLGetLastErrorType() != CE_Failure && CPLGetLastErrorType() != CE_Fatal;
    }
    const auto files = writtenFiles(memory.path());
    if (!written || files.empty()) {
        error = msg::exportFailed(name, msg::kExportGdalFailed);
        return false;
    }
    const fs::path folder = fs::path(path).parent_path();
    std::string current = name;
    try {
        // Every file is asked for before the first is saved.
        for (const auto& file : files) {
            current = file.first;
            common::checkReplaceable((folder / file.first).string());
        }
        for (const auto& file : files) {
            current = file.first;
            common::replaceFile((folder / file.first).string(), file.second);
        }
    } catch (const common::RuntimeFailure& failure) {
        error = msg::exportFailed(current, common::failureReason(failure));
        return false;
    }
    return true;
}

}  // namespace brelvo::geo

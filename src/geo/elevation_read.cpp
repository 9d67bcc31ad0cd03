// Elevation models read with GDAL: one band of heights as floats, read in strips with progress, NoData
// and non-finite heights as NaN, the georeference as the map pictures' is read, and the heights' unit
// from the band or from a compound system's vertical part.
#include <cpl_conv.h>
#include <cpl_string.h>
#include <gdal_priv.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>

#include "common/messages.hpp"
#include "geo/gdal_services.hpp"
#include "geo/gdal_support.hpp"

namespace brelvo::geo {

namespace msg = common::msg;

namespace {

struct GdalClose {
    void operator()(GDALDataset* dataset) const { GDALClose(dataset); }
};

// About a million cells a strip: progress often enough, few calls into GDAL.
constexpr long long kStripCells = 1 << 20;

// The fewest bytes the file must hold for its declared cells where the format neither compresses nor
// leaves cells out: an ASCII grid writes at least a digit and a blank a cell. Zero for every other format
// (a GeoTIFF may be compressed or sparse; GDAL itself refuses raw grids shorter than their header says).
long long leastFileBytes(GDALDataset& dataset, long long cells) {
    const GDALDriver* driver = dataset.GetDriver();
    const std::string kind = driver != nullptr ? driver->GetDescription() : "";
    return kind == "AAIGrid" || kind == "GRASSASCIIGrid" ? 2 * cells - 1 : 0;
}

// The size of the file that holds the cells (GDAL lists it first); -1 when it cannot be told.
long long dataFileBytes(GDALDataset& dataset) {
    char** files = dataset.GetFileList();
    long long bytes = -1;
    std::error_code ec;
    if (files != nullptr && files[0] != nullptr) {
        const auto size = std::filesystem::file_size(files[0], ec);
        if (!ec) bytes = static_cast<long long>(size);
    }
    CSLDestroy(files);
    return bytes;
}

// The unit of a vertical system's axis by its factor to metres, when its name says nothing known.
terrain::VerticalUnit unitOfFactor(double metres) {
    if (std::abs(metres - 1.0) < 1e-9) return terrain::VerticalUnit::Metre;
    if (std::abs(metres - 0.3048) < 1e-9) return terrain::VerticalUnit::Foot;
    if (std::abs(metres - 1200.0 / 3937.0) < 1e-9) return terrain::VerticalUnit::UsFoot;
    return terrain::VerticalUnit::Unknown;
}

// The horizontal system (WKT and "EPSG:n"; empty when unknown or no map system) and the vertical unit of
// a compound system.
void readSystem(GDALDataset& dataset, terrain::ElevationModel& model, terrain::VerticalUnit& vertical) {
    const OGRSpatialReference* own = dataset.GetSpatialRef();
    if (own == nullptr || own->IsEmpty()) return;
    OGRSpatialReference srs(*own);
    srs.SetAxisMappingStrategy(OAMS_TRADITIONAL_GIS_ORDER);
    if (srs.IsCompound()) {
        const char* name = nullptr;
        const double factor = srs.GetTargetLinearUnits("VERT_CS", &name);
        vertical = name != nullptr ? terrain::verticalUnitFromText(name) : terrain::VerticalUnit::Unknown;
        if (vertical == terrain::VerticalUnit::Unknown && factor > 0) vertical = unitOfFactor(factor);
        if (srs.StripVertical() != OGRERR_NONE) return;
    }
    if (!detail::placesMap(srs)) return;
    model.georef.wkt = detail::wktOf(srs);
    model.georef.crs = model.georef.wkt.empty() ? std::string() : detail::epsgCode(srs);
}

}  // namespace

std::optional<terrain::ElevationModel> GdalServices::readElevationModel(const std::string& path,
                                                                        const Progress& progress,
                                                                        std::string& error) const {
    const detail::QuietGdal quiet;
    const auto refuse = [&](std::string_view reason) {
        error = msg::elevationNotRead(path, reason);
        return std::nullopt;
    };
    if (detail::virtualPath(path)) return refuse(msg::kElevationVirtual);
    // A GeoTIFF's vertical system is reported only when asked for: it may name the heights' unit.
    const std::string compound = CPLGetThreadLocalConfigOption("GTIFF_REPORT_COMPD_CS", "");
    CPLSetThreadLocalConfigOption("GTIFF_REPORT_COMPD_CS", "YES");
    const std::unique_ptr<GDALDataset, GdalClose> dataset(
        GDALDataset::Open(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY));
    CPLSetThreadLocalConfigOption("GTIFF_REPORT_COMPD_CS", compound.empty() ? nullptr : compound.c_str());
    if (!dataset || dataset->GetRasterXSize() < 1 || dataset->GetRasterYSize() < 1)
        return refuse(msg::kElevationUnopened);
    if (dataset->GetRasterCount() != 1) return refuse(msg::elevationBands(dataset->GetRasterCount()));

    terrain::ElevationModel model;
    model.path = path;
    model.width = dataset->GetRasterXSize();
    model.height = dataset->GetRasterYSize();
    std::array<double, 6> g{};
    if (dataset->GetGeoTransform(g.data()) != CE_None || g == std::array<double, 6>{0, 1, 0, 0, 0, 1})
        return refuse(msg::kElevationNoGeoreference);
    model.georef.geotransform = g;
    model.georef.source = measure::GeorefSource::File;
    if (!model.georef.valid()) return refuse(msg::kElevationGeorefFlat);
    terrain::VerticalUnit vertical = terrain::VerticalUnit::Unknown;
    readSystem(*dataset, model, vertical);

    GDALRasterBand* band = dataset->GetRasterBand(1);
    model.unit = terrain::verticalUnitFromText(band->GetUnitType());
    if (model.unit == terrain::VerticalUnit::Unknown) model.unit = vertical;

    // The size is checked before anything is allocated: a file of a few bytes may claim any size.
    const long long cells = static_cast<long long>(model.width) * model.height;
    if (cells > kMaxElevationCells)
        return refuse(msg::elevationTooBig(model.width, model.height, kMaxElevationCells));
    if (const long long least = leastFileBytes(*dataset, cells); least > 0) {
        const long long bytes = dataFileBytes(*dataset);
        if (bytes >= 0 && bytes < least)
            return refuse(msg::elevationLargerThanFile(model.width, model.height, bytes));
    }
    try {
        model.z.resize(static_cast<std::size_t>(cells));
    } catch (const std::bad_alloc&) {
        return refuse(msg::elevationNoMemory(model.width, model.height));
    }

    int hasNoData = 0;
    const double noData = band->GetNoDataValue(&hasNoData);
    const float noDataValue = static_cast<float>(noData);
    const bool noDataUsable = hasNoData != 0 && !std::isnan(noData);
    const int stripRows = static_cast<int>(std::max(1LL, kStripCells / model.width));
    bool anyData = false;
    for (int row = 0; row < model.height; row += stripRows) {
        const int rows = std::min(stripRows, model.height - row);
        float* strip = model.z.data() + model.index(0, row);
        if (band->RasterIO(GF_Read, 0, row, model.width, rows, strip, model.width, rows, GDT_Float32, 0, 0,
                           nullptr) != CE_None)
            return refuse(msg::elevationPixelsUnreadable(row));
        const std::size_t count = static_cast<std::size_t>(rows) * static_cast<std::size_t>(model.width);
        for (std::size_t i = 0; i < count; ++i) {
            float& z = strip[i];
            if (!std::isfinite(z) || (noDataUsable && z == noDataValue)) {
                z = std::numeric_limits<float>::quiet_NaN();
            } else {
                anyData = true;
            }
        }
        const double done = static_cast<double>(row + rows) / model.height;
        if (progress && !progress(done)) return refuse(msg::kElevationCancelled);
    }
    if (!anyData) return refuse(msg::kElevationNoData);
    return model;
}

}  // namespace brelvo::geo

// Big rasters read window by window from their overviews, through GDAL.
#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "common/messages.hpp"
#include "geo/gdal_services.hpp"
#include "geo/overview_file.hpp"

namespace brelvo::geo {

namespace {

// GDAL's messages go nowhere while one of these lives: every failure is reported through `error`.
class QuietErrors {
  public:
    QuietErrors() { CPLPushErrorHandler(CPLQuietErrorHandler); }
    ~QuietErrors() { CPLPopErrorHandler(); }
    QuietErrors(const QuietErrors&) = delete;
    QuietErrors& operator=(const QuietErrors&) = delete;
};

// GDAL's block cache would otherwise grow to a share of the machine's memory while overviews are
// built or the map is read (gigabytes on a big machine); unless the user sets GDAL_CACHEMAX, 64 MiB.
constexpr long long kBlockCacheBytes = 64LL * 1024 * 1024;

void registerDrivers() {
    static std::once_flag once;
    std::call_once(once, [] {
        GDALAllRegister();
        if (CPLGetConfigOption("GDAL_CACHEMAX", nullptr) == nullptr) GDALSetCacheMax64(kBlockCacheBytes);
    });
}

// GDAL's own reason when it gave one, else ours.
std::string lastError(std::string_view fallback) {
    const char* text = CPLGetLastErrorMsg();
    return text != nullptr && *text != '\0' ? std::string(text) : std::string(fallback);
}

// How the bands of a raster become 0xffRRGGBB.
enum class Layout { Grey, Palette, Rgb, Rgba };

class GdalRaster final : public RasterSource {
  public:
    GdalRaster(GDALDatasetH dataset, std::string path) : dataset_(dataset), path_(std::move(path)) {
        inspect();
    }
    ~GdalRaster() override { close(); }
    GdalRaster(const GdalRaster&) = delete;
    GdalRaster& operator=(const GdalRaster&) = delete;

    int width() const override { return GDALGetRasterXSize(dataset_); }
    int height() const override { return GDALGetRasterYSize(dataset_); }
    int overviewCount() const override { return GDALGetOverviewCount(GDALGetRasterBand(dataset_, 1)); }
    bool georeferenced() const override {
        std::array<double, 6> transform{};
        return GDALGetGeoTransform(dataset_, transform.data()) == CE_None || GDALGetGCPCount(dataset_) > 0;
    }

    bool holdsHeights() const override {
        if (GDALGetRasterCount(dataset_) != 1) return false;
        GDALRasterBandH band = GDALGetRasterBand(dataset_, 1);
        const GDALDataType type = GDALGetRasterDataType(band);
        const bool numbers =
            type == GDT_Int16 || type == GDT_Int32 || type == GDT_Float32 || type == GDT_Float64;
        return numbers && GDALGetRasterColorTable(band) == nullptr;
    }

    bool buildOverviews(const Progress& progress, std::string& error) override {
        // Beside the file as FILE.ovr, never into it: the user's map stays byte for byte as it was.
        if (!detail::buildOverviewFile(path_, detail::overviewFactors(width(), height()), progress, error))
            return false;
        // Opened again, GDAL finds the new .ovr beside the file.
        const QuietErrors quiet;
        GDALDatasetH reopened =
            GDALOpenEx(path_.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
        if (reopened == nullptr) {
            error = lastError(common::msg::kRasterReopenFailed);
            return false;  // the file as it was opened still serves the reads
        }
        close();
        dataset_ = reopened;
        inspect();
        return true;
    }

    std::vector<std::uint32_t> readWindow(int column, int row, int w, int h, int outWidth,
                                          int outHeight) override {
        if (dataset_ == nullptr || w <= 0 || h <= 0 || outWidth <= 0 || outHeight <= 0) return {};
        if (column < 0 || row < 0 || column > width() - w || row > height() - h) return {};
        if (static_cast<long long>(outWidth) * outHeight > kMaxWindowPixels) return {};
        const QuietErrors quiet;
        const std::size_t count = static_cast<std::size_t>(outWidth) * static_cast<std::size_t>(outHeight);
        const int bands = layout_ == Layout::Rgba ? 4 : layout_ == Layout::Rgb ? 3 : 1;
        std::vector<std::uint8_t> samples(count * static_cast<std::size_t>(bands));
        // A smaller buffer than the window makes GDAL read from the overview that fits, averaged; an
        // enlargement reads the pixels themselves.
        GDALRasterIOExtraArg extra;
        INIT_RASTERIO_EXTRA_ARG(extra);
        extra.eResampleAlg = (outWidth < w || outHeight < h) ? GRIORA_Average : GRIORA_NearestNeighbour;
        std::array<int, 4> bandList{1, 2, 3, 4};
        if (GDALDatasetRasterIOEx(dataset_, GF_Read, column, row, w, h, samples.data(), outWidth, outHeight,
                                  GDT_Byte, bands, bandList.data(), 0, 0, 0, &extra) != CE_None) {
            return {};
        }
        std::vector<std::uint32_t> pixels(count);
        const std::uint8_t* r = samples.data();
        const std::uint8_t* g = r + (bands > 1 ? count : 0);
        const std::uint8_t* b = r + (bands > 1 ? 2 * count : 0);
        for (std::size_t i = 0; i < count; ++i) {
            std::uint32_t red = r[i], green = g[i], blue = b[i];
            if (layout_ == Layout::Palette) {
                const std::uint32_t colour = palette_[r[i]];
                red = (colour >> 16) & 0xffu;
                green = (colour >> 8) & 0xffu;
                blue = colour & 0xffu;
            } else if (layout_ == Layout::Rgba) {
                // Transparent parts show the paper: blended onto white.
                const std::uint32_t alpha = samples[3 * count + i];
                red = (red * alpha + 255 * (255 - alpha) + 127) / 255;
                green = (green * alpha + 255 * (255 - alpha) + 127) / 255;
                blue = (blue * alpha + 255 * (255 - alpha) + 127) / 255;
            }
            pixels[i] = 0xff000000u | (red << 16) | (green << 8) | blue;
        }
        return pixels;
    }

  private:
    void close() {
        if (dataset_ != nullptr) GDALClose(dataset_);
        dataset_ = nullptr;
    }

    // The bands' layout and, for a paletted band, its colours (entries it lacks read as black).
    void inspect() {
        const int bands = GDALGetRasterCount(dataset_);
        GDALRasterBandH first = GDALGetRasterBand(dataset_, 1);
        layout_ = bands >= 4 ? Layout::Rgba : bands >= 3 ? Layout::Rgb : Layout::Grey;
        if (bands == 4 && GDALGetRasterColorInterpretation(GDALGetRasterBand(dataset_, 4)) != GCI_AlphaBand)
            layout_ = Layout::Rgb;
        palette_.fill(0xff000000u);
        GDALColorTableH table = layout_ == Layout::Grey ? GDALGetRasterColorTable(first) : nullptr;
        if (table != nullptr) {
            layout_ = Layout::Palette;
            const int entries = std::min(256, GDALGetColorEntryCount(table));
            for (int i = 0; i < entries; ++i) {
                GDALColorEntry entry{};
                GDALGetColorEntryAsRGB(table, i, &entry);
                palette_[static_cast<std::size_t>(i)] = 0xff000000u | (std::uint32_t(entry.c1 & 0xff) << 16) |
                                                        (std::uint32_t(entry.c2 & 0xff) << 8) |
                                                        std::uint32_t(entry.c3 & 0xff);
            }
        }
    }

    GDALDatasetH dataset_;
    std::string path_;
    Layout layout_ = Layout::Grey;
    std::array<std::uint32_t, 256> palette_{};
};

}  // namespace

std::unique_ptr<RasterSource> GdalServices::openRaster(const std::string& path, std::string& error) const {
    registerDrivers();
    const QuietErrors quiet;
    CPLErrorReset();
    GDALDatasetH dataset =
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr);
    if (dataset == nullptr) {
        error = lastError(common::msg::kRasterUnopened);
        return nullptr;
    }
    if (GDALGetRasterCount(dataset) < 1 || GDALGetRasterXSize(dataset) < 1 ||
        GDALGetRasterYSize(dataset) < 1) {
        GDALClose(dataset);
        error = common::msg::kRasterNoBands;
        return nullptr;
    }
    return std::make_unique<GdalRaster>(dataset, path);
}

}  // namespace brelvo::geo

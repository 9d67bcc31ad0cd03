// Big georeferenced rasters: the choice of the windowed path, the overviews' progress dialog and the
// reads the renderer asks for.
#include "app/raster_picture.hpp"

#include <QCoreApplication>
#include <QFileInfo>
#include <QImageReader>
#include <algorithm>
#include <cstring>

#include "app/geo_plugin.hpp"
#include "app/work_with_progress.hpp"
#include "common/messages.hpp"
#include "mapview/map_georeference.hpp"

namespace brelvo::app {

BigRaster openBigRaster(const std::string& path) {
    const QString name = QString::fromStdString(path);
    const QSize size = QImageReader(name).size();
    const bool small =
        size.isValid() && static_cast<long long>(size.width()) * size.height() <= kWindowedPixelCount;
    // A TIFF may be an elevation model (heights, no colours) whatever its size; so may a file that no
    // picture reader knows (an ASCII grid). Every other small picture never loads the plugin.
    const QString suffix = QFileInfo(name).suffix().toLower();
    const bool tiff =
        suffix == QLatin1String("tif") || suffix == QLatin1String("tiff") || mapview::isTiffFile(path);
    if (small && !tiff) return {};
    geo::GeoServices* services = geoServices();
    if (services == nullptr) return {};
    std::string error;
    std::unique_ptr<geo::RasterSource> source = services->openRaster(path, error);
    const std::string file = QFileInfo(name).fileName().toStdString();
    const auto refuse = [](const std::string& why) {
        return BigRaster{nullptr, std::string(common::msg::kInvalidPicture) + "\n" + why};
    };
    if (source != nullptr && source->holdsHeights())
        return refuse(common::msg::pictureIsElevationModel(file));
    // Not a raster GDAL reads, or not a big georeferenced one: the picture readers have their say.
    if (small || (!size.isValid() && !tiff)) return {};
    if (source == nullptr || !source->georeferenced() ||
        static_cast<long long>(source->width()) * source->height() <= kWindowedPixelCount) {
        return {};
    }
    if (static_cast<long long>(source->width()) * source->height() > geo::kMaxRasterPixels)
        return refuse(
            common::msg::rasterTooBig(file, source->width(), source->height(), geo::kMaxRasterPixels));
    // One small read before anything is shown: the whole map from the smallest overview, or without
    // overviews a patch at its centre.
    const int w = source->width();
    const int h = source->height();
    const auto side = [&](int n) { return static_cast<int>(std::max(1LL, 64LL * n / std::max(w, h))); };
    const bool readable = source->overviewCount() > 0
                              ? !source->readWindow(0, 0, w, h, side(w), side(h)).empty()
                              : !source->readWindow(w / 2 - 128, h / 2 - 128, 256, 256, 256, 256).empty();
    if (!readable) {
        return {nullptr, std::string(common::msg::kInvalidPicture) + "\n" +
                             std::string(common::msg::kRasterPixelsUnreadable)};
    }
    return {std::move(source), {}};
}

std::optional<std::string> buildOverviews(geo::RasterSource& source, QWidget& parent) {
    WorkDialog look;
    look.text = QString::fromUtf8(common::msg::kBuildingOverviews);
    look.cancel = QString::fromUtf8(common::msg::kCancelButton);
    bool built = false;
    std::string error;
    const bool cancelled = runWithProgress(
        parent, look, [&](const WorkProgress& progress) { built = source.buildOverviews(progress, error); });
    if (built) return std::nullopt;
    return common::msg::overviewsNotBuilt(cancelled ? std::string(common::msg::kOverviewsCancelled) : error);
}

RasterPicture::RasterPicture(std::unique_ptr<geo::RasterSource> source) : source_(std::move(source)) {}

QSize RasterPicture::size() const {
    return QSize(source_->width(), source_->height());
}

QImage RasterPicture::read(const QRect& window, const QSize& out) {
    const std::vector<std::uint32_t> pixels = source_->readWindow(window.x(), window.y(), window.width(),
                                                                  window.height(), out.width(), out.height());
    if (pixels.empty()) return {};
    QImage image(out, QImage::Format_RGB32);
    if (image.isNull()) return image;
    for (int y = 0; y < out.height(); ++y) {
        std::memcpy(image.scanLine(y), pixels.data() + static_cast<std::size_t>(y) * out.width(),
                    static_cast<std::size_t>(out.width()) * sizeof(std::uint32_t));
    }
    return image;
}

}  // namespace brelvo::app

// Big georeferenced rasters shown window by window: which picture files take that path, and the
// raster as the renderer reads it.
#pragma once

#include <QImage>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>

#include "geo/geo_services.hpp"
#include "mapview/picture_renderer.hpp"

namespace brelvo::app {

// Pictures of more pixels than this (a 4K screen's, four full-HD screens') that the geodata plugin
// opens with a georeference are read window by window; smaller ones, and every other picture, are
// decoded whole as always.
inline constexpr long long kWindowedPixelCount = 3840LL * 2160;

// What Load Map File finds in a file before decoding it.
struct BigRaster {
    std::unique_ptr<geo::RasterSource> source;  // set: the file is shown window by window
    std::string problem;                        // set: a big raster whose pixels cannot be read
};

// Looks at the picture's size in its header first, so an ordinary picture never loads the plugin.
BigRaster openBigRaster(const std::string& path);

// Builds the raster's missing overviews off the window thread, with a progress dialog over `parent`
// whose Cancel stops the work; the failure's text when they were not built.
std::optional<std::string> buildOverviews(geo::RasterSource& source, QWidget& parent);

class RasterPicture final : public mapview::WindowedPicture {
  public:
    explicit RasterPicture(std::unique_ptr<geo::RasterSource> source);
    QSize size() const override;
    QImage read(const QRect& window, const QSize& out) override;

  private:
    std::unique_ptr<geo::RasterSource> source_;
};

}  // namespace brelvo::app

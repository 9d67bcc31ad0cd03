// The measuring window's picture side, as the picture commands use it: decoding and showing the map
// picture, capturing the client area and saving, copying or printing it, and the web map window.
#pragma once

#include <QImage>
#include <QPagedPaintDevice>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "geo/geo_services.hpp"
#include "mapview/picture_commands.hpp"
#include "mapview/picture_renderer.hpp"
#include "mapview/view_geometry.hpp"
#include "measure/measure_document.hpp"

class QWidget;

namespace brelvo::app {

class MapPictureHost : public mapview::PictureHost {
  public:
    // What the host changes in its window besides the surface, geometry and renderer it is given.
    struct WindowHooks {
        std::function<void()> geometryChanged;        // the view and picture rectangles moved
        std::function<void(bool)> setPanZoomVisible;  // the pan/zoom control shown or hidden
        std::function<void()> pictureReplaced;        // another picture (or none) is shown now
    };

    // `window` is what a capture copies; twipsPerPixel turns picture pixels into view units.
    MapPictureHost(QWidget& window, measure::MeasureDocument& surface, mapview::ViewGeometry& geometry,
                   mapview::PictureRenderer& renderer, float twipsPerPixel, WindowHooks hooks);
    ~MapPictureHost() override;

    // The failure's whole text when the file cannot be read: "Invalid picture" and the reason below it.
    std::optional<std::string> decodePicture(const std::string& path) override;
    std::optional<std::string> decodeClipboardPicture() override;
    bool decodedLacksOverviews() const override;
    std::optional<std::string> buildDecodedOverviews() override;
    void showDecodedPicture() override;
    // (map_picture_georef.cpp) The geodata plugin is loaded only for a TIFF or a picture with a world
    // file or .aux.xml beside it.
    mapview::GeorefLookup readGeoreference(const std::string& path) override;
    std::optional<mapview::CoordinateSystem> coordinateSystem(const std::string& code,
                                                              std::string& reason) override;
    std::optional<measure::Georeference> clipboardGeoreference() override { return clipboardGeoref_; }
    void clearPicture() override;
    void scrollPicture(int mode) override;
    std::string programFolder() const override;
    void setPanZoomVisible(bool visible) override;
    void captureClientArea() override;
    void saveCaptureAsJpeg(const std::string& path, int quality) override;
    void saveCaptureAsBitmap(const std::string& path) override;
    void copyCaptureToClipboard() override;
    bool printClientArea(common::Dialogs& dialogs) override;
    bool openWebMap() override;
    float scrollZoomFactor() const override;
    void setScrollZoomFactor(float factor) override;

    // A picture made by the program (an elevation model's relief), shown by the next showDecodedPicture.
    void setDecodedImage(QImage image);
    // The absolute path of the picture file shown; empty when none is shown or it came from elsewhere.
    const std::string& picturePath() const { return shownPath_; }

  private:
    // The capture on one landscape page of `device`, as large as the page allows.
    void paintCapture(QPagedPaintDevice& device) const;
    QWidget& window_;
    measure::MeasureDocument& surface_;
    mapview::ViewGeometry& geometry_;
    mapview::PictureRenderer& renderer_;
    float tpp_;
    WindowHooks hooks_;
    QImage decoded_;                                    // decoded, not yet shown
    std::unique_ptr<geo::RasterSource> decodedRaster_;  // or a big raster opened, not yet shown
    std::string decodedPath_;                           // the file decoded_ came from
    std::string shownPath_;                             // the file of the picture shown
    QImage capture_;                                    // the client area as last captured
    std::unique_ptr<QWidget> webMap_;                   // the web map window once opened
    // The georeference that came with the clipboard's picture (a web map capture), read with it.
    std::optional<measure::Georeference> clipboardGeoref_;
};

}  // namespace brelvo::app

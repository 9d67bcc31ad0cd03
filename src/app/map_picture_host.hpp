// The measuring window's picture side, as the picture commands use it: decoding and showing the map
// picture, capturing the client area and saving, copying or printing it, and the web map window.
#pragma once

#include <QImage>
#include <QPagedPaintDevice>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/picture_load_panel.hpp"
#include "app/picture_loader.hpp"
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
        std::function<void()> geometryChanged;            // the view and picture rectangles moved
        std::function<void(bool)> setPanZoomVisible;      // the pan/zoom control shown or hidden
        std::function<void()> pictureReplaced;            // another picture (or none) is shown now
        std::function<QWidget*()> mapView;                // the view the loading panel covers
        std::function<std::string()> elevationModelName;  // the model that goes with the picture
    };

    // `window` is what a capture copies; twipsPerPixel turns picture pixels into view units.
    MapPictureHost(QWidget& window, measure::MeasureDocument& surface, mapview::ViewGeometry& geometry,
                   mapview::PictureRenderer& renderer, float twipsPerPixel, WindowHooks hooks);
    ~MapPictureHost() override;

    // The failure's whole text when the file cannot be read: "Invalid picture" and the reason below it.
    std::optional<std::string> decodePicture(const std::string& path) override;
    std::string elevationModelName() const override {
        return hooks_.elevationModelName ? hooks_.elevationModelName() : std::string();
    }
    // (map_picture_load.cpp) A JPEG, or any picture Qt's readers take, has its header read here and
    // decodes in the background: the previous picture, when it came from a file still as it was, is
    // released first (and read again if the load is cancelled or fails), so two big maps never share
    // the memory; any other is kept for a failed load without its smaller copies, built again then.
    std::optional<std::string> beginDecoding(const std::string& path) override;
    void finishDecoding(std::function<void(std::optional<std::string>)> done) override;
    // Cancels the load in progress (the panel's Cancel); the previous picture is put back.
    void cancelLoad();
    // A load, the putting back of the previous picture or the building of the smaller copies is running.
    bool loading() const;
    // Waits, without the event loop, for a load in progress and the smaller copies of its picture.
    void waitForLoad();
    // The panel shown while a picture loads; null before the first background load.
    const PictureLoadPanel* loadPanel() const { return panel_; }
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
    // A big georeferenced raster at `path` is opened, not decoded (the view reads only what it shows)
    // and held to be shown: true then, or when it cannot be opened, `problem` saying why. False when
    // the file is no such raster.
    bool takeBigRaster(const std::string& path, std::optional<std::string>& problem);
    // The capture on one landscape page of `device`, as large as the page allows.
    void paintCapture(QPagedPaintDevice& device) const;
    // Before anything else changes the picture: a background load is cancelled (with the previous
    // picture put back when `putBack`), and the putting back or the smaller copies are waited for (not
    // built when the picture is about to be cleared, without `putBack`).
    void settleLoad(bool putBack);
    PictureLoader& loader();
    PictureLoadPanel& panel();
    void loadEnded(PictureLoader::Outcome outcome);
    // The previous picture read again from its file, then `then` (with the problem when it could not be).
    void putBackPrevious(std::function<void(const std::string&)> then);
    void buildPyramidSoon();
    // The smaller copies of the picture shown, let go while a load ran that did not replace it, built
    // again.
    void pyramidAgain();
    // The file of the picture shown, as it was when read: size and time, to know it is still the same.
    struct FileStamp {
        std::string path;
        long long bytes = -1;
        long long modified = 0;
        bool operator==(const FileStamp&) const = default;
    };
    static FileStamp stampOf(const std::string& path);
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
    // Background loads: the file being read (its header only so far), the picture shown's file as it
    // was read, the previous picture released for the load, the preview, and who hears the end.
    bool decodeLater_ = false;
    QSize probedSize_;
    FileStamp decodedStamp_, shownStamp_;
    std::optional<FileStamp> released_;
    QSize releasedSize_;
    QImage preview_;
    bool deferPyramid_ = false;  // decoded_ came from the background: its smaller copies come later
    bool pyramidPending_ = false;
    std::function<void(std::optional<std::string>)> loadDone_;
    std::unique_ptr<PictureLoader> loader_;
    PictureLoadPanel* panel_ = nullptr;  // a child of the map view
    QImage capture_;                     // the client area as last captured
    std::unique_ptr<QWidget> webMap_;    // the web map window once opened
    // The georeference that came with the clipboard's picture (a web map capture), read with it.
    std::optional<measure::Georeference> clipboardGeoref_;
};

}  // namespace brelvo::app

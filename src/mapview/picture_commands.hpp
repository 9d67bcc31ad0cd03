// The picture menu: bringing a map picture in (file, clipboard, web map), taking the view out (JPEG or
// bitmap file, clipboard, printer), clearing it, and the scroll/zoom speed, with the clearing of every
// measurement that a new picture brings (asked first when there is traced work).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "common/dialogs.hpp"
#include "measure/command_controller.hpp"
#include "measure/georeference.hpp"
#include "measure/map_surface.hpp"

namespace brelvo::mapview {

// What a picture file says of its place on the ground, read before anything is cleared.
struct GeorefLookup {
    // The georeference found; its system may be unknown (then `systemMissing` asks for one).
    std::optional<measure::Georeference> georef;
    bool systemMissing = false;
    // Not empty: the load is refused with this message (it names the file), and nothing changes.
    std::string refusal;
    // Not empty: said once the picture shows, which then has no georeference.
    std::string notice;
};

// A coordinate system the user named: its WKT and "EPSG:n".
struct CoordinateSystem {
    std::string wkt;
    std::string crs;
};

// What the picture commands need of the window beyond the measuring surface.
class PictureHost {
  public:
    virtual ~PictureHost() = default;
    // Decodes a picture file without showing it; an error text when it cannot be read.
    virtual std::optional<std::string> decodePicture(const std::string& path) = 0;
    // Reads a picture file the user chose, before the question whether traced work may go: a picture
    // that decodes in the background (a big JPEG map) has only its header read here, and is decoded by
    // finishDecoding; any other is decoded here. An error text when the file cannot be read.
    virtual std::optional<std::string> beginDecoding(const std::string& path) { return decodePicture(path); }
    // Decodes what beginDecoding left to decode, then calls `done` (perhaps later, from the event loop):
    // nothing when the picture is ready to show; an error text when it could not be decoded, empty when
    // the user cancelled. Either way the previous picture is then as it was.
    virtual void finishDecoding(std::function<void(std::optional<std::string>)> done) { done(std::nullopt); }
    // Decodes the clipboard's picture without showing it; an error text when it holds none.
    virtual std::optional<std::string> decodeClipboardPicture() = 0;
    // Whether the picture decoded last is a big raster read window by window that has no overviews
    // (smaller copies for drawing it zoomed out); then the user is offered to build them.
    virtual bool decodedLacksOverviews() const { return false; }
    // Builds them, with progress and a way to cancel; the failure's text when they were not built.
    virtual std::optional<std::string> buildDecodedOverviews() { return std::nullopt; }
    // Shows the picture decoded last (the previous picture stays until then).
    virtual void showDecodedPicture() = 0;
    // The georeference of the picture file decoded last (the picture's own, or a world file beside it);
    // a plain picture has none and asks no geodata support.
    virtual GeorefLookup readGeoreference(const std::string& /*path*/) { return {}; }
    // The system of an EPSG code ("32613", "EPSG:32613"); nothing with `reason` set when it is unknown.
    virtual std::optional<CoordinateSystem> coordinateSystem(const std::string& /*code*/,
                                                             std::string& reason) {
        reason.clear();
        return std::nullopt;
    }
    // The georeference that came with the clipboard's picture decoded last (a web map capture).
    virtual std::optional<measure::Georeference> clipboardGeoreference() { return std::nullopt; }
    virtual void clearPicture() = 0;
    // The file name of the elevation model that goes with the picture (shown as the map or over it);
    // empty when there is none.
    virtual std::string elevationModelName() const { return {}; }
    // ScrollPic with the given mode.
    virtual void scrollPicture(int mode) = 0;
    virtual std::string programFolder() const = 0;

    virtual void setPanZoomVisible(bool visible) = 0;
    // Copies the window's client area as now shown into the capture buffer.
    virtual void captureClientArea() = 0;
    // The capture as a JPEG (quality 1..100) or a bitmap file; failures are RuntimeFailures.
    virtual void saveCaptureAsJpeg(const std::string& path, int quality) = 0;
    virtual void saveCaptureAsBitmap(const std::string& path) = 0;
    virtual void copyCaptureToClipboard() = 0;
    // Prints the client area as one landscape page on the default printer; without a printer the user
    // picks a PDF file. False when the user cancelled.
    virtual bool printClientArea(common::Dialogs& dialogs) = 0;
    // Opens the web map window; false when this build has none. Its closing shows the picture list.
    virtual bool openWebMap() = 0;

    virtual float scrollZoomFactor() const = 0;
    virtual void setScrollZoomFactor(float factor) = 0;
};

class PictureCommands {
  public:
    // Every picture kind the program reads first, then the filters of the picture list as they were.
    static constexpr const char* kOpenFilter =
        "Pictures (*.bmp;*.jpg;*.jpeg;*.gif;*.png;*.tif;*.tiff;*.wmf)|"
        "*.bmp;*.jpg;*.jpeg;*.gif;*.png;*.tif;*.tiff;*.wmf|"
        "Pic files (*.bmp;*.jpg;*.gif;*.wmf)|*.bmp;*.jpg;*.gif;*.wmf|Bmp (*.bmp)|*.bmp|Jpeg (*.jpg)|*.jpg|"
        "Gif (*.gif)|*.gif|WMF metafile (*.wmf)|*.wmf|All files (*.*)|*.*|";
    static constexpr const char* kSaveFilter =
        "Pic files (*.jpg;*.bmp)|*.jpg;*.bmp|Jpeg (*.jpg)|*.jpg|Bmp (*.bmp)|*.bmp|All files (*.*)|*.*|";

    PictureCommands(measure::MeasureDocument& doc, measure::MeasureController& controller,
                    common::Dialogs& dialogs, PictureHost& host);

    // An entry of the picture list was clicked.
    void run(const std::string& item);
    // A picture file dropped on the window: loaded as "Load Map File" loads the file it is given.
    void loadDroppedFile(const std::string& path);

    // A picture the program made (decoded into the host already) shown as a loaded picture is: asked
    // first when there is traced work, every measurement cleared, the georeference taken. False when the
    // user kept the work.
    bool showMadePicture(std::optional<measure::Georeference> georef, const char* action);
    // The default name of a saved map picture: "Brelix" + the area number + ".jpg".
    static std::string defaultImageName(int measureNumber);
    // Whether a chosen name is written as JPEG: its lower-case form contains ".jpg" anywhere.
    static bool writesJpeg(const std::string& name);
    // The scroll/zoom factor an answer sets: 0 < value <= 0.5; nothing for anything else.
    static std::optional<float> scrollZoomAnswer(const std::string& answer);

  private:
    void loadMapFile();
    void loadPictureFile(const std::string& path);
    // The rest of a load once the picture is decoded: the measurement cleared, the picture shown.
    void showLoadedPicture(const std::string& path, GeorefLookup lookup);
    void beginCommand();
    void saveMapImage();
    void clearMapImage();
    void pasteFromClipboard();
    void copyToClipboard();
    void scrollZoomSpeed();
    void print();
    void bigWebMap();
    // Before a new picture (or none) takes the place of traced work: says what will go and asks; true
    // when there is nothing to lose or the user goes on.
    bool workMayGo(const char* action);
    // Asks for the coordinate system of a georeference that came without one, until the answer is a
    // known EPSG code, "none", empty or cancelled (the last three: the system stays unknown).
    void askCoordinateSystem(measure::Georeference& georef, const std::string& path);
    // The picture's georeference, set once the picture shows (nothing: a plain picture).
    void takeGeoreference(std::optional<measure::Georeference> georef);
    void unloadLabels();
    void clearMeasurement();

    measure::MeasureDocument& doc_;
    measure::MeasureController& controller_;
    common::Dialogs& dialogs_;
    PictureHost& host_;
};

}  // namespace brelvo::mapview

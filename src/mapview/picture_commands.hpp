// The picture menu: loading and clearing the map picture, and the commands still to come, with the
// clearing of every measurement that a new picture brings.
#pragma once

#include <optional>
#include <string>

#include "common/dialogs.hpp"
#include "measure/command_controller.hpp"
#include "measure/map_surface.hpp"

namespace brelvo::mapview {

// What the picture commands need of the window beyond the measuring surface.
class PictureHost {
public:
    virtual ~PictureHost() = default;
    // Decodes a picture file without showing it; an error text when it cannot be read.
    virtual std::optional<std::string> decodePicture(const std::string& path) = 0;
    // Shows the picture decoded last (the previous picture stays until then).
    virtual void showDecodedPicture() = 0;
    virtual void clearPicture() = 0;
    // ScrollPic with the given mode.
    virtual void scrollPicture(int mode) = 0;
    virtual std::string programFolder() const = 0;
};

class PictureCommands {
public:
    static constexpr const char* kOpenFilter =
        "Pic files (*.bmp;*.jpg;*.gif;*.wmf)|*.bmp;*.jpg;*.gif;*.wmf|Bmp (*.bmp)|*.bmp|Jpeg (*.jpg)|*.jpg|"
        "Gif (*.gif)|*.gif|WMF metafile (*.wmf)|*.wmf|All files (*.*)|*.*|";

    PictureCommands(measure::MapSurface& surface, measure::MeasureController& controller,
                    common::Dialogs& dialogs, PictureHost& host);

    // An entry of the picture list was clicked.
    void run(const std::string& item);

private:
    void loadMapFile();
    void clearMapImage();
    void unloadLabels();
    void clearMeasurement();

    measure::MapSurface& surface_;
    measure::MeasureController& controller_;
    common::Dialogs& dialogs_;
    PictureHost& host_;
};

}  // namespace brelvo::mapview

// The picture menu's commands: load a map picture, clear it, and the clearing of the measurement.
#include "mapview/picture_commands.hpp"

#include "common/failure.hpp"

namespace brelvo::mapview {

PictureCommands::PictureCommands(measure::MapSurface& surface, measure::MeasureController& controller,
                                 common::Dialogs& dialogs, PictureHost& host)
    : surface_(surface), controller_(controller), dialogs_(dialogs), host_(host) {}

void PictureCommands::run(const std::string& item) {
    surface_.caption = "Mouse Right Click for menu...";
    surface_.changed(measure::SurfacePart::Caption);
    surface_.lstMenu2.visible = false;
    surface_.changed(measure::SurfacePart::Menu2);
    surface_.text1.visible = false;
    surface_.changed(measure::SurfacePart::Text1);
    try {
        if (item == "Load Map File") {
            loadMapFile();
        } else if (item == "Clear Map Image") {
            clearMapImage();
        } else if (item == "Save Map Image" || item == "Big Google Maps" || item == "Paste From Clipboard" ||
                   item == "Copy to Clipboard" || item == "Scroll/Zoom Speed" || item == "Print") {
            dialogs_.message("\"" + item + "\" is not available in this version yet.");
        }
    } catch (const common::RuntimeFailure& f) {
        dialogs_.message(f.description());
    }
}

void PictureCommands::unloadLabels() {
    surface_.label1.resize(1);
    surface_.label1.front().visible = false;
    surface_.changed(measure::SurfacePart::Labels);
}

void PictureCommands::clearMeasurement() {
    unloadLabels();
    controller_.RemoveAllMeasurements();
}

void PictureCommands::loadMapFile() {
    common::FileDialogRequest request;
    request.fileName = "";
    request.initialDir = host_.programFolder();
    request.filter = kOpenFilter;
    const auto chosen = dialogs_.fileDialog(request);
    // A cancelled dialog keeps the map and its measurement as they are.
    if (!chosen || chosen->empty()) return;
    // The picture is decoded before anything is cleared, so a file that is no picture loses nothing.
    if (const auto error = host_.decodePicture(*chosen)) {
        dialogs_.message(*error);
        return;
    }
    clearMeasurement();
    host_.showDecodedPicture();
    host_.scrollPicture(4);
}

void PictureCommands::clearMapImage() {
    unloadLabels();
    host_.clearPicture();
    controller_.RemoveAllMeasurements();
}

}  // namespace brelvo::mapview

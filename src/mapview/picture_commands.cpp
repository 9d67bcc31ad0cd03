// The picture menu's commands: map pictures in and out, clearing, and the scroll/zoom speed.
#include "mapview/picture_commands.hpp"

#include <algorithm>
#include <cctype>

#include "common/dialog_folders.hpp"
#include "common/failure.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "common/numbers.hpp"

namespace brelvo::mapview {

PictureCommands::PictureCommands(measure::MeasureDocument& doc, measure::MeasureController& controller,
                                 common::Dialogs& dialogs, PictureHost& host)
    : doc_(doc), controller_(controller), dialogs_(dialogs), host_(host) {}

std::string PictureCommands::defaultImageName(int measureNumber) {
    return "Brelix" + common::integerText(measureNumber) + ".jpg";
}

bool PictureCommands::writesJpeg(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find(".jpg") != std::string::npos;
}

std::optional<float> PictureCommands::scrollZoomAnswer(const std::string& answer) {
    if (answer.empty()) return std::nullopt;
    double value = 0;
    try {
        value = common::leadingNumber(answer);
    } catch (const common::RuntimeFailure&) {
        return std::nullopt;
    }
    if (!(value > 0 && value <= 0.5)) return std::nullopt;
    return static_cast<float>(value);
}

void PictureCommands::beginCommand() {
    doc_.setCaption(common::msg::kCaptionMenu);
    doc_.menu(measure::SurfacePart::Menu2).visible = false;
    doc_.edit(measure::SurfacePart::Text1).text1.visible = false;
}

void PictureCommands::loadDroppedFile(const std::string& path) {
    beginCommand();
    try {
        loadPictureFile(path);
    } catch (const common::RuntimeFailure& f) {
        dialogs_.message(common::failureText(f));
        host_.setPanZoomVisible(true);
    }
}

void PictureCommands::run(const std::string& item) {
    beginCommand();
    if (item == "Save Map Image") {
        saveMapImage();  // its own error path, which names the file
        return;
    }
    try {
        if (item == "Load Map File") {
            loadMapFile();
        } else if (item == "Clear Map Image") {
            clearMapImage();
        } else if (item == "Big Google Maps") {
            bigWebMap();
        } else if (item == "Paste From Clipboard") {
            pasteFromClipboard();
        } else if (item == "Copy to Clipboard") {
            copyToClipboard();
        } else if (item == "Scroll/Zoom Speed") {
            scrollZoomSpeed();
        } else if (item == "Print") {
            print();
        }
    } catch (const common::RuntimeFailure& f) {
        // The general error path: the failure's text, and the pan/zoom control back.
        dialogs_.message(common::failureText(f));
        host_.setPanZoomVisible(true);
    }
}

bool PictureCommands::workMayGo(const char* action) {
    const int lines = doc_.state().lineNumber;
    int labels = 0;
    for (const measure::Label& label : doc_.controls().label1) labels += label.visible ? 1 : 0;
    // The elevation model goes with the picture, and the basin delineated on it.
    const std::string model = host_.elevationModelName();
    // The listing's text stays after the lines go; on its own it is no reason to ask.
    if (lines == 0 && labels == 0 && model.empty()) return true;
    const bool listing = !doc_.controls().text1.text.empty();
    const bool delineated = !model.empty() && doc_.work().delineation.has_value();
    return dialogs_.confirm(
        common::msg::pictureReplaceQuestion(action, lines, labels, listing, model, delineated),
        common::msg::kContinueButton);
}

void PictureCommands::unloadLabels() {
    auto& labels = doc_.edit(measure::SurfacePart::Labels).label1;
    labels.resize(1);
    labels.front().visible = false;
}

void PictureCommands::clearMeasurement() {
    unloadLabels();
    controller_.RemoveAllMeasurements();
}

void PictureCommands::loadMapFile() {
    common::FileDialogRequest request;
    request.initialDir = host_.programFolder();
    request.filter = kOpenFilter;
    const auto chosen = common::askFile(dialogs_, request, common::FileKind::mapPicture);
    // A cancelled dialog keeps the map and its measurement as they are; once a save has turned the
    // dialog's cancel-raises-error setting on, the cancel is reported as the platform reports it.
    if (!chosen || chosen->empty()) {
        if (!chosen && doc_.controls().dialogCancelRaisesError)
            dialogs_.message(common::msg::kCancelSelected);
        return;
    }
    loadPictureFile(*chosen);
}

void PictureCommands::loadPictureFile(const std::string& path) {
    // The picture file and its georeference are read before anything is cleared, so a file that is no
    // picture, or whose world file is damaged, loses nothing; the question whether traced work may go
    // comes before the picture decodes, so that a big map is not decoded for nothing.
    if (const auto error = host_.beginDecoding(path)) {
        dialogs_.message(*error);
        return;
    }
    GeorefLookup lookup = host_.readGeoreference(path);
    if (!lookup.refusal.empty()) {
        dialogs_.message(lookup.refusal);
        return;
    }
    if (!workMayGo(common::msg::kLoadPictureAction)) return;
    host_.finishDecoding([this, path, lookup = std::move(lookup)](std::optional<std::string> error) mutable {
        // A failed or cancelled decode leaves the map, its work and its scale as they were.
        if (error) {
            if (!error->empty()) dialogs_.message(*error);
            return;
        }
        try {
            showLoadedPicture(path, std::move(lookup));
        } catch (const common::RuntimeFailure& f) {
            dialogs_.message(common::failureText(f));
            host_.setPanZoomVisible(true);
        }
    });
}

void PictureCommands::showLoadedPicture(const std::string& path, GeorefLookup lookup) {
    // A big map without overviews still shows when the user declines or the building fails: only
    // zoomed out it reads slowly.
    if (host_.decodedLacksOverviews() &&
        dialogs_.confirm(common::msg::kBuildOverviewsQuestion, common::msg::kBuildOverviewsButton)) {
        if (const auto problem = host_.buildDecodedOverviews()) dialogs_.message(*problem);
    }
    if (lookup.georef && lookup.systemMissing) askCoordinateSystem(*lookup.georef, path);
    clearMeasurement();
    host_.showDecodedPicture();
    takeGeoreference(std::move(lookup.georef));
    host_.scrollPicture(4);
    if (!lookup.notice.empty()) dialogs_.message(lookup.notice);
}

bool PictureCommands::showMadePicture(std::optional<measure::Georeference> georef, const char* action) {
    if (!workMayGo(action)) return false;
    clearMeasurement();
    host_.showDecodedPicture();
    takeGeoreference(std::move(georef));
    host_.scrollPicture(4);
    return true;
}

void PictureCommands::askCoordinateSystem(measure::Georeference& georef, const std::string& path) {
    std::string reason;
    for (;;) {
        const std::string prompt = common::msg::coordinateSystemPrompt(path);
        std::string answer = dialogs_.inputBox(reason.empty() ? prompt : reason + "\n" + prompt,
                                               common::msg::kCoordinateSystemTitle, std::string());
        const auto first = answer.find_first_not_of(" \t");
        answer = first == std::string::npos ? std::string() : answer.substr(first);
        answer.erase(answer.find_last_not_of(" \t") + 1);
        std::string lowered = answer;
        std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (answer.empty() || lowered == "none") return;
        if (const auto system = host_.coordinateSystem(answer, reason)) {
            georef.wkt = system->wkt;
            georef.crs = system->crs;
            return;
        }
        if (reason.empty()) reason = common::msg::unknownCoordinateSystem(answer);
    }
}

void PictureCommands::takeGeoreference(std::optional<measure::Georeference> georef) {
    const bool onGround = georef && georef->systemKnown();
    doc_.setGeoreference(std::move(georef));
    if (onGround) controller_.scale().useGroundUnits();
}

void PictureCommands::saveMapImage() {
    doc_.beginSaveThroughSharedDialog();
    common::FileDialogRequest request;
    request.initialDir = host_.programFolder();
    request.fileName = common::proposedName("", ".jpg", defaultImageName(doc_.state().measureNumber));
    request.filter = kSaveFilter;
    request.save = true;
    const auto chosen = common::askFile(dialogs_, request, common::FileKind::mapImage);
    if (!chosen) return;
    host_.setPanZoomVisible(false);
    // A save that fails says so, naming the file and the reason; a file that was there is left as it was.
    try {
        host_.captureClientArea();
        if (!chosen->empty()) {
            if (writesJpeg(*chosen)) {
                host_.saveCaptureAsJpeg(*chosen, 90);
            } else {
                host_.saveCaptureAsBitmap(*chosen);
            }
        }
    } catch (const common::RuntimeFailure& failure) {
        host_.setPanZoomVisible(true);
        dialogs_.message(common::msg::fileNotSaved(*chosen, common::failureReason(failure)));
        return;
    }
    host_.setPanZoomVisible(true);
}

void PictureCommands::clearMapImage() {
    if (!workMayGo(common::msg::kClearPictureAction)) return;
    unloadLabels();
    host_.clearPicture();
    doc_.setGeoreference(std::nullopt);
    controller_.RemoveAllMeasurements();
}

void PictureCommands::pasteFromClipboard() {
    // The clipboard is read before anything is cleared: without a picture on it nothing is lost.
    if (const auto error = host_.decodeClipboardPicture()) {
        dialogs_.message(*error);
        return;
    }
    if (!workMayGo(common::msg::kPastePictureAction)) return;
    clearMeasurement();
    // A web map capture brings its georeference; any other clipboard picture has none.
    std::optional<measure::Georeference> georef = host_.clipboardGeoreference();
    host_.showDecodedPicture();
    takeGeoreference(std::move(georef));
    host_.scrollPicture(4);
}

void PictureCommands::copyToClipboard() {
    host_.setPanZoomVisible(false);
    host_.captureClientArea();
    host_.copyCaptureToClipboard();
    host_.setPanZoomVisible(true);
}

void PictureCommands::scrollZoomSpeed() {
    const std::string answer =
        dialogs_.inputBox(common::msg::kScrollZoomPrompt, common::msg::kScrollZoomTitle,
                          common::generalText(host_.scrollZoomFactor()));
    if (const auto factor = scrollZoomAnswer(answer)) host_.setScrollZoomFactor(*factor);
}

void PictureCommands::print() {
    host_.setPanZoomVisible(false);
    host_.printClientArea(dialogs_);
    host_.setPanZoomVisible(true);
}

void PictureCommands::bigWebMap() {
    // The picture list stays hidden until the web map window closes.
    if (!host_.openWebMap()) dialogs_.message(common::msg::kWebMapUnavailable);
}

}  // namespace brelvo::mapview

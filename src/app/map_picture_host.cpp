// The measuring window's picture side: the map picture in, the client area out (bitmap or JPEG file,
// clipboard, printer), the web map window and the scroll/zoom speed.
#include "app/map_picture_host.hpp"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QClipboard>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QWidget>
#include <string_view>

#include "app/map_picture_georef.hpp"
#include "app/print_plugin.hpp"
#include "app/raster_picture.hpp"
#include "app/web_map.hpp"
#include "common/dialog_folders.hpp"
#include "common/failure.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "mapview/dib_section.hpp"
#include "mapview/jpeg_writer.hpp"
#include "mapview/picture_file.hpp"

namespace brelvo::app {

MapPictureHost::MapPictureHost(QWidget& window, measure::MeasureDocument& surface,
                               mapview::ViewGeometry& geometry, mapview::PictureRenderer& renderer,
                               float twipsPerPixel, WindowHooks hooks)
    : window_(window),
      surface_(surface),
      geometry_(geometry),
      renderer_(renderer),
      tpp_(twipsPerPixel),
      hooks_(std::move(hooks)) {}

MapPictureHost::~MapPictureHost() = default;

bool MapPictureHost::takeBigRaster(const std::string& path, std::optional<std::string>& problem) {
    // A big georeferenced raster is opened, not decoded: the view reads only what it shows.
    BigRaster big = openBigRaster(path);
    if (!big.problem.empty()) {
        problem = std::move(big.problem);
        return true;
    }
    if (big.source == nullptr) return false;
    decodedRaster_ = std::move(big.source);
    decoded_ = QImage();
    decodedPath_ = common::fullPath(path);
    decodedStamp_ = {};
    return true;
}

std::optional<std::string> MapPictureHost::decodePicture(const std::string& path) {
    settleLoad(true);
    decodeLater_ = false;
    deferPyramid_ = false;
    if (std::optional<std::string> problem; takeBigRaster(path, problem)) return problem;
    try {
        decoded_ = mapview::readPictureFile(path);
    } catch (const common::RuntimeFailure& failure) {
        // "Invalid picture", and on the next line why, when the reader knows it.
        return common::failureText(failure);
    }
    decodedRaster_.reset();
    decodedPath_ = common::fullPath(path);
    decodedStamp_ = stampOf(decodedPath_);
    return std::nullopt;
}

std::optional<std::string> MapPictureHost::decodeClipboardPicture() {
    settleLoad(true);
    decodeLater_ = false;
    deferPyramid_ = false;
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) return std::string(common::msg::kClipboardHoldsNoPicture);
    decodedRaster_.reset();
    decoded_ = image;
    decodedPath_.clear();
    decodedStamp_ = {};
    clipboardGeoref_ = clipboardGeoreferenceOf(QGuiApplication::clipboard()->mimeData());
    return std::nullopt;
}

bool MapPictureHost::decodedLacksOverviews() const {
    return decodedRaster_ != nullptr && decodedRaster_->overviewCount() == 0;
}

std::optional<std::string> MapPictureHost::buildDecodedOverviews() {
    if (decodedRaster_ == nullptr) return std::nullopt;
    surface_.flush();
    return buildOverviews(*decodedRaster_, window_);
}

void MapPictureHost::setDecodedImage(QImage image) {
    decodedRaster_.reset();
    decoded_ = std::move(image);
    decodedPath_.clear();
}

void MapPictureHost::showDecodedPicture() {
    if (decodedRaster_ != nullptr) {
        renderer_.setWindowed(std::make_unique<RasterPicture>(std::move(decodedRaster_)));
    } else if (deferPyramid_) {
        // Decoded in the background: shown at once, its smaller copies built after it is painted.
        renderer_.setImageDeferred(std::move(decoded_), std::move(preview_));
        pyramidPending_ = true;
    } else {
        renderer_.setImage(std::move(decoded_));
    }
    decoded_ = QImage();
    preview_ = QImage();
    deferPyramid_ = false;
    shownPath_ = std::move(decodedPath_);
    shownStamp_ = decodedStamp_;
    decodedPath_.clear();
    const QSize size = renderer_.size();
    mapview::setPicture(geometry_, !renderer_.isNull(), static_cast<float>(size.width()) * tpp_,
                        static_cast<float>(size.height()) * tpp_);
    if (hooks_.pictureReplaced) hooks_.pictureReplaced();
    hooks_.geometryChanged();
    if (pyramidPending_) buildPyramidSoon();
}

void MapPictureHost::clearPicture() {
    settleLoad(false);
    renderer_.clear();
    shownPath_.clear();
    shownStamp_ = {};
    mapview::setPicture(geometry_, false, 0, 0);
    if (hooks_.pictureReplaced) hooks_.pictureReplaced();
    hooks_.geometryChanged();
}

void MapPictureHost::scrollPicture(int mode) {
    mapview::scrollPic(geometry_, static_cast<std::int16_t>(mode));
    hooks_.geometryChanged();
}

// The folder the picture dialogs open in: the program's, or the user's data folder when installed.
std::string MapPictureHost::programFolder() const {
    return common::dialogFolder();
}

void MapPictureHost::setPanZoomVisible(bool visible) {
    hooks_.setPanZoomVisible(visible);
}

void MapPictureHost::captureClientArea() {
    // Let the menus and the control just hidden be painted away before the copy.
    settleLoad(true);
    surface_.flush();
    QApplication::processEvents();
    capture_ = window_.grab().toImage();
}

void MapPictureHost::saveCaptureAsJpeg(const std::string& path, int quality) {
    mapview::cDIBSection dib;
    dib.CreateFromPicture(capture_);
    mapview::mIntelJPEGLibrary::WriteJpegFile(dib, path, quality);
}

void MapPictureHost::saveCaptureAsBitmap(const std::string& path) {
    // Encoded whole in memory, then written through a temporary file, so a failed save never destroys
    // the file it would replace.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !capture_.save(&buffer, "BMP"))
        throw common::pathFileAccessError();
    common::replaceFile(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void MapPictureHost::copyCaptureToClipboard() {
    QGuiApplication::clipboard()->clear();
    QGuiApplication::clipboard()->setImage(capture_);
}

bool MapPictureHost::printClientArea(common::Dialogs& dialogs) {
    captureClientArea();
    if (printPages({nullptr, true, [this](QPagedPaintDevice& printer) { paintCapture(printer); }}) ==
        Printed::noPrinter) {
        // Without a printer the page goes to a PDF file of the user's choice, drawn in memory and saved
        // like every other file.
        common::FileDialogRequest request;
        request.title = common::msg::kPrintToPdfTitle;
        request.fileName = common::proposedName("", " map.pdf", "BrelixMap.pdf");
        request.initialDir = programFolder();
        request.filter = common::msg::kPdfFilter;
        request.save = true;
        const auto chosen = common::askFile(dialogs, request, common::FileKind::mapImage);
        if (!chosen || chosen->empty()) return false;
        QByteArray bytes;
        {
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            QPdfWriter pdf(&buffer);
            pdf.setResolution(300);
            pdf.setPageOrientation(QPageLayout::Landscape);
            paintCapture(pdf);
        }
        try {
            common::replaceFile(*chosen,
                                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
        } catch (const common::RuntimeFailure& failure) {
            dialogs.message(common::msg::fileNotSaved(*chosen, common::failureReason(failure)));
            return false;
        }
    }
    return true;
}

void MapPictureHost::paintCapture(QPagedPaintDevice& device) const {
    QPainter painter;
    if (!painter.begin(&device)) throw common::pathFileAccessError();
    // One page: the picture as large as the page allows, in its own proportions.
    const QRect page = painter.viewport();
    QSize size = capture_.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(capture_.rect());
    painter.drawImage(0, 0, capture_);
    painter.end();
}

bool MapPictureHost::openWebMap() {
    webMap_ = openWebMapWindow([this] {
        // Closing the web map shows the picture list again, where it was.
        measure::MeasureDocument::Step step(surface_);
        surface_.menu(measure::SurfacePart::Menu2).visible = true;
        surface_.bringToFront(measure::SurfacePart::Menu2);
    });
    return webMap_ != nullptr;
}

float MapPictureHost::scrollZoomFactor() const {
    return geometry_.scrollZoomFactor;
}

void MapPictureHost::setScrollZoomFactor(float factor) {
    geometry_.scrollZoomFactor = factor;
}

}  // namespace brelvo::app

// The measuring window's picture side: capturing the client area, saving it as a bitmap or JPEG,
// the clipboard, printing, the web map window and the scroll/zoom speed.
#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QSaveFile>

#include "app/main_window.hpp"
#include "app/pan_zoom_control.hpp"
#include "app/web_map.hpp"
#include "common/failure.hpp"
#include "mapview/dib_section.hpp"
#include "mapview/jpeg_writer.hpp"

namespace brelvo::app {

std::optional<std::string> MainWindow::decodeClipboardPicture() {
    const QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) return std::string("The clipboard holds no picture. Copy a map picture first.");
    decoded_ = image;
    return std::nullopt;
}

void MainWindow::setPanZoomVisible(bool visible) { img4Way_->setVisible(visible); }

void MainWindow::captureClientArea() {
    // Let the menus and the control just hidden be painted away before the copy.
    QApplication::processEvents();
    capture_ = grab().toImage();
}

void MainWindow::saveCaptureAsJpeg(const std::string& path, int quality) {
    mapview::cDIBSection dib;
    dib.CreateFromPicture(capture_);
    mapview::mIntelJPEGLibrary::WriteJpegFile(dib, path, quality);
}

void MainWindow::saveCaptureAsBitmap(const std::string& path) {
    // Through a temporary file, so a failed save never destroys the file it would replace.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || !capture_.save(&file, "BMP") || !file.commit()) {
        throw common::pathFileAccessError();
    }
}

void MainWindow::copyCaptureToClipboard() {
    QGuiApplication::clipboard()->clear();
    QGuiApplication::clipboard()->setImage(capture_);
}

bool MainWindow::printClientArea(common::Dialogs& dialogs) {
    captureClientArea();
    QPrinter printer(QPrinter::HighResolution);
    if (QPrinterInfo::defaultPrinter().isNull()) {
        // Without a printer the page goes to a PDF file of the user's choice.
        common::FileDialogRequest request;
        request.title = "Print to PDF file";
        request.fileName = "BrelixMap.pdf";
        request.initialDir = programFolder();
        request.filter = "PDF files (*.pdf)|*.pdf|All files (*.*)|*.*|";
        request.save = true;
        const auto chosen = dialogs.fileDialog(request);
        if (!chosen || chosen->empty()) return false;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(*chosen));
    }
    printer.setPageOrientation(QPageLayout::Landscape);
    QPainter painter;
    if (!painter.begin(&printer)) throw common::pathFileAccessError();
    // One page: the picture as large as the page allows, in its own proportions.
    const QRect page = painter.viewport();
    QSize size = capture_.size();
    size.scale(page.size(), Qt::KeepAspectRatio);
    painter.setViewport(page.x(), page.y(), size.width(), size.height());
    painter.setWindow(capture_.rect());
    painter.drawImage(0, 0, capture_);
    painter.end();
    return true;
}

bool MainWindow::openWebMap() {
    webMap_ = openWebMapWindow([this] {
        // Closing the web map shows the picture list again, where it was.
        lstMenu2.visible = true;
        changed(measure::SurfacePart::Menu2);
        broughtToFront(measure::SurfacePart::Menu2);
    });
    return webMap_ != nullptr;
}

float MainWindow::scrollZoomFactor() const { return geometry_.scrollZoomFactor; }

void MainWindow::setScrollZoomFactor(float factor) { geometry_.scrollZoomFactor = factor; }

}  // namespace brelvo::app

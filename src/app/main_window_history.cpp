// The measuring window's ways back: Edit -> Undo of a point or of a cleared line, locating a project's
// picture that moved, and the keys of the map while a line is traced.
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <filesystem>

#include "app/main_window.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "mapview/pan_zoom.hpp"
#include "mapview/picture_commands.hpp"

namespace brelvo::app {

namespace msg = common::msg;

void MainWindow::chooseCommand(const std::string& item) {
    measure::MeasureDocument::Step step(doc_);
    const auto& pic = geometry_.picture;
    const measure::MeasureWork before = doc_.work();
    const auto command = measure::commandOf(item);
    controller_.runCommand(command);
    // The work as it was, for Undo to put back.
    if (command == measure::Command::ClearLine)
        doc_.clearedLine(before, {pic.left, pic.top, pic.width, pic.height});
}

bool MainWindow::undo() {
    measure::MeasureDocument::Step step(doc_);
    if (controller_.tracing()) return controller_.undoLastPoint();
    if (doc_.state().mode != measure::Idle) return false;  // the scale clicks: nothing to undo there
    const auto& pic = geometry_.picture;
    const auto placedIn = doc_.undoClear({pic.left, pic.top, pic.width, pic.height});
    if (!placedIn) return false;
    // What came back is placed on the picture as it is shown now.
    anchoring_.restart(*placedIn);
    syncGeometry();
    return true;
}

// ---- a picture that moved ----

void MainWindow::offerToLocatePicture(const std::string& problem) {
    if (dialogs_.confirm(msg::locatePictureQuestion(problem), msg::kEntryLocatePicture)) locatePicture();
}

bool MainWindow::locatePicture() {
    namespace fs = std::filesystem;
    const std::string& lost = missingPicturePath_.empty() ? pictureHost_.picturePath() : missingPicturePath_;
    common::FileDialogRequest request;
    request.title = msg::kLocatePictureTitle;
    request.filter = mapview::PictureCommands::kOpenFilter;
    request.initialDir = common::dialogFolder();
    if (!lost.empty()) {
        std::error_code error;
        const fs::path folder = fs::path(lost).parent_path();
        if (fs::is_directory(folder, error)) request.initialDir = folder.string();
        request.fileName = fs::path(lost).filename().string();
    } else if (!project_.projectPath().empty()) {
        request.initialDir = fs::path(project_.projectPath()).parent_path().string();
    }
    const auto chosen = dialogs_.fileDialog(request);
    if (!chosen || chosen->empty()) return false;
    if (const auto problem = pictureHost_.decodePicture(*chosen)) {
        dialogs_.message(*problem);
        return false;
    }
    // The picture takes the place of the old one: the view keeps its rectangle (and so every line,
    // label and the scale their places on the map); without stretch it shows at its own size there.
    pictureHost_.showDecodedPicture();
    missingPicturePath_.clear();
    missingPictureProblem_.clear();
    projectChanged();
    return true;
}

// ---- keys ----

bool MainWindow::handleKey(int key, Qt::KeyboardModifiers modifiers) {
    measure::MeasureDocument::Step step(doc_);
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (key == Qt::Key_Backspace && !ctrl) return controller_.undoLastPoint();
    if (key == Qt::Key_Z && ctrl) return undo();
    if (key == Qt::Key_L && ctrl) {
        controller_.showCoordinateListing();
        return true;
    }
    if (ctrl) return false;
    switch (key) {
        case Qt::Key_Escape:
            return controller_.escape();
        case Qt::Key_F1:
            openHelp();
            return true;
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            panZoomRegionClick(mapview::PanZoomRegion::ZoomIn);
            return true;
        case Qt::Key_Minus:
            panZoomRegionClick(mapview::PanZoomRegion::ZoomOut);
            return true;
        case Qt::Key_Up:
            panZoomRegionClick(mapview::PanZoomRegion::Up);
            return true;
        case Qt::Key_Down:
            panZoomRegionClick(mapview::PanZoomRegion::Down);
            return true;
        case Qt::Key_Left:
            panZoomRegionClick(mapview::PanZoomRegion::Left);
            return true;
        case Qt::Key_Right:
            panZoomRegionClick(mapview::PanZoomRegion::Right);
            return true;
        default:
            return false;
    }
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    if (handleKey(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool MainWindow::coordinateBoxKey(QEvent* event) {
    if (!controller_.tracing()) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (event->type() == QEvent::ShortcutOverride) {
        // The listing's own shortcuts (its undo) give way to the map's keys.
        const bool mapKey = (key->key() == Qt::Key_Z && (key->modifiers() & Qt::ControlModifier)) ||
                            key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Escape;
        if (mapKey) event->accept();
        return false;
    }
    // Every key goes to the map: the listing is not edited while a line is traced.
    if (!handleKey(key->key(), key->modifiers())) QWidget::keyPressEvent(key);
    return true;
}

}  // namespace brelvo::app

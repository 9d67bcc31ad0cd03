// The measuring window's ways back: Edit -> Undo of a point or of a cleared line, locating a project's
// picture that moved, and the keys of the map while a line is traced.
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <filesystem>

#include "app/main_window.hpp"
#include "app/project_changes.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "mapview/pan_zoom.hpp"
#include "mapview/picture_commands.hpp"

namespace brelvo::app {

namespace msg = common::msg;

void MainWindow::chooseCommand(const std::string& item) {
    measure::MeasureDocument::Step step(doc_);
    if (item != "Clear Area/Line") {
        controller_.runCommand(item);
        return;
    }
    // The work as it was, to be put back by Undo.
    const auto& pic = geometry_.picture;
    measure::MeasureState stateBefore = doc_.state();
    measure::SurfaceControls controlsBefore = doc_.controls();
    const measure::PictureFrame frameBefore{pic.left, pic.top, pic.width, pic.height};
    const project::Project before = captureProject();
    controller_.runCommand(item);
    project::Project after = captureProject();
    if (project::sameWork(before, after, runoffAtStart_)) return;  // nothing was cleared
    clearedWork_.push_back(
        ClearedWork{std::move(stateBefore), std::move(controlsBefore), frameBefore, std::move(after)});
}

bool MainWindow::undo() {
    measure::MeasureDocument::Step step(doc_);
    if (controller_.tracing()) return controller_.undoLastPoint();
    if (doc_.state().mode != measure::Idle) return false;  // the scale clicks: nothing to undo there
    // The last clear, while the work is still as it left it; a clear followed by other work is kept.
    while (!clearedWork_.empty() &&
           !project::sameWork(clearedWork_.back().after, captureProject(), runoffAtStart_)) {
        clearedWork_.pop_back();
    }
    if (clearedWork_.empty()) return false;
    ClearedWork cleared = std::move(clearedWork_.back());
    clearedWork_.pop_back();
    // The caption, the listing's place and the scale panel stay as they are now; lines, labels, the
    // listing's text and the counters come back, placed on the picture as it is shown now.
    measure::MeasureWork work = doc_.work();
    measure::SurfaceControls& controls = work.controls;
    const std::string captionNow = controls.caption;
    const measure::TextBox listingNow = controls.text1;
    controls.line1 = std::move(cleared.controls.line1);
    controls.label1 = std::move(cleared.controls.label1);
    controls.shape1 = cleared.controls.shape1;
    controls.shape2 = cleared.controls.shape2;
    controls.text1 = listingNow;
    controls.text1.text = cleared.controls.text1.text;
    controls.text1.caret = static_cast<int>(controls.text1.text.size());
    controls.text1.visible = true;
    controls.caption = captionNow;
    // The scale is the view's now (a zoom since the clear has divided it); the points held on the
    // picture (the map origin, the general-pixel reference) are carried from where it was then.
    const float scaleX = work.state.scaleX, scaleY = work.state.scaleY;
    work.state = cleared.state;
    work.state.scaleX = scaleX;
    work.state.scaleY = scaleY;
    doc_.replaceWork(std::move(work));
    anchoring_.restart(cleared.frame);
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
    } else if (!projectPath_.empty()) {
        request.initialDir = fs::path(projectPath_).parent_path().string();
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

// The measuring window's ways back: Edit -> Undo of a point or of a cleared line, locating a project's
// picture that moved, and the keys as the key table dispatches them.
#include <QKeyEvent>

#include "app/main_window.hpp"
#include "app/runoff_window.hpp"
#include "mapview/pan_zoom.hpp"

namespace brelvo::app {

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
    // The runoff window computes with what the map hands over: it takes the basin that came back.
    if (runoff_) {
        const common::HandOff h = controller_.handOff();
        for (const auto& failure : h.failures) dialogs_.message(failure);
        runoff_->receiveMeasurement(h);
    }
    return true;
}

bool MainWindow::locatePicture() {
    if (!picture_.locate(project_.projectPath())) return false;
    projectChanged();
    return true;
}

// ---- keys ----

bool MainWindow::handleKey(int key, Qt::KeyboardModifiers modifiers) {
    const auto action = actionOfKey(key, modifiers);
    return action && run(*action);
}

bool MainWindow::run(MeasuringAction action) {
    using A = MeasuringAction;
    const auto panZoom = [this](mapview::PanZoomRegion region) {
        panZoomRegionClick(region);
        return true;
    };
    switch (action) {  // the project's entries take their own steps
        case A::NewProject:
            return project_.newProject();
        case A::OpenProject:
            return project_.openProject();
        case A::SaveProject:
            return project_.saveProject();
        case A::SaveProjectAs:
            return project_.saveProjectAs();
        case A::PrintReport:
            project_.runoffExport(&RunoffWindow::printReport);
            return true;
        case A::Quit:
            return close();
        default:
            break;
    }
    measure::MeasureDocument::Step step(doc_);
    switch (action) {
        case A::Undo:
            return undo();
        case A::UndoPoint:
            return controller_.undoLastPoint();
        case A::Escape:
            return cancelOutlet() || controller_.escape();
        case A::ShowListing:
            controller_.showCoordinateListing();
            return true;
        case A::Help:
            openHelp();
            return true;
        case A::ZoomIn:
            return panZoom(mapview::PanZoomRegion::ZoomIn);
        case A::ZoomOut:
            return panZoom(mapview::PanZoomRegion::ZoomOut);
        case A::ZoomToMap:
            return zoomToMap();
        case A::ZoomToBasin:
            return zoomToBasin();
        case A::PanUp:
            return panZoom(mapview::PanZoomRegion::Up);
        case A::PanDown:
            return panZoom(mapview::PanZoomRegion::Down);
        case A::PanLeft:
            return panZoom(mapview::PanZoomRegion::Left);
        case A::PanRight:
            return panZoom(mapview::PanZoomRegion::Right);
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

}  // namespace brelvo::app

// The measuring window as the view of its project: what a project keeps of both windows and putting it
// back, the title with the project's name.
#include <QTimer>

#include "app/main_window.hpp"
#include "app/runoff_window.hpp"
#include "common/messages.hpp"
#include "measure/measurement.hpp"

namespace brelvo::app {

project::Project MainWindow::captureProject() const {
    project::Project p;
    // A picture that was not found when the project was opened stays the project's until it is located.
    p.picturePath = picture_.projectPath();
    p.picture = geometry_.picture;
    p.stretch = geometry_.stretch;
    p.scrollZoomFactor = geometry_.scrollZoomFactor;
    p.work = doc_.work();
    if (runoff_) p.runoff = runoff_->inputs();
    if (elevation_) p.elevation = elevationSource_;
    return p;
}

void MainWindow::restoreProject(const project::Project& p) {
    // The picture first: what it brings (its natural size) is then overridden by the kept view.
    picture_.open(p.picturePath);
    clearElevation();
    // A model shown as the map is the picture: it comes back before the kept view is put on it.
    restoreElevation(p, true);
    doc_.forgetClears();
    geometry_.picture = p.picture;
    geometry_.stretch = p.stretch;
    geometry_.scrollZoomFactor = p.scrollZoomFactor;
    measure::MeasureDocument::Step step(doc_);
    // Where the menu was opened and the clear-all flag are passing state, no part of a project: the
    // document keeps its own.
    doc_.replaceWork(p.work);
    // A project written before the map origin was held on the picture measured from the view's corner:
    // its lines keep their coordinates when that corner, as the project shows it, is pinned now.
    if (!doc_.state().mapOriginPinned && doc_.state().lineNumber > 0)
        measure::pinMapOrigin(doc_.state(), *this);
    doc_.menu(measure::SurfacePart::Menu1).visible = false;
    doc_.menu(measure::SurfacePart::Menu2).visible = false;
    // Everything restored is where it was on the picture as it is now shown.
    anchoring_ = measure::PictureAnchoring{};
    syncGeometry();
    // A model over the map needs the map's georeference, which came back with the work.
    restoreElevation(p, false);
    // A basin delineated on another model than the one now at the model's path is no basin of it: its
    // record goes (its lines stay, as traced lines).
    if (const auto& basin = doc_.work().delineation; basin && basin->modelFingerprint != 0 &&
                                                     elevationLayer() &&
                                                     basin->modelFingerprint != elevationFingerprint_) {
        forgetDelineation();
        dialogs_.message(common::msg::kDelineationOfAnotherModel);
    }
    // The stream overlay as the project left it (the flow is prepared for it).
    setStreamsShown(p.work.delineationSettings.showStreams && elevationLayer() != nullptr);

    if (runoff_) {
        runoff_->close();
        runoff_.reset();
    }
    if (p.runoff) {
        createRunoffWindow();
        runoff_->restoreInputs(*p.runoff);
        runoff_->show();
    }
}

void MainWindow::layOutAfresh() {
    geometry_.firstLayoutDone = false;
    relayoutView();
}

void MainWindow::projectShown() {
    updateTitle();
    if (menuBar_) menuBar_->rebuildRecentMenu();
}

void MainWindow::projectOpened() {
    // Relinking a picture that moved is a change of the project: now or later (File menu).
    if (picture_.offerToLocate()) projectChanged();
}

void MainWindow::projectChanged() {
    // Many changes come in one user step: the title follows once, after it.
    if (titleUpdatePending_) return;
    titleUpdatePending_ = true;
    QTimer::singleShot(0, this, [this] {
        titleUpdatePending_ = false;
        updateTitle();
    });
}

void MainWindow::updateTitle() {
    setWindowTitle(QString::fromStdString(project_.projectName()) + QStringLiteral("[*] - ") +
                   QString::fromStdString(doc_.controls().caption));
    setWindowModified(project_.projectModified());
}

std::string MainWindow::shownTitle() const {
    // As updateTitle sets it, also before a pending update has run.
    return project_.projectName() + (project_.projectModified() ? "*" : "") + " - " + doc_.controls().caption;
}

}  // namespace brelvo::app

// The measuring window's projects: what a project file keeps of both windows, opening and saving it,
// the title with the project's name, and the question about unsaved changes.
#include <QMenu>
#include <QMessageBox>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "app/main_window.hpp"
#include "app/project_changes.hpp"
#include "app/runoff_window.hpp"
#include "common/data_file.hpp"
#include "common/dialog_folders.hpp"
#include "common/failure.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
#include "measure/measurement.hpp"
#include "runoff/csv_export.hpp"

namespace brelvo::app {

namespace {

namespace fs = std::filesystem;
namespace msg = common::msg;

constexpr std::size_t kRecentCount = 6;
const char* const kRecentKey = "recentProjects";

std::string fileName(const std::string& path) {
    return fs::path(path).filename().string();
}

// The project's name as the title and the unsaved-changes question give it.
std::string projectName(const std::string& projectPath) {
    return projectPath.empty() ? std::string(msg::kUntitledProject) : fileName(projectPath);
}

}  // namespace

project::Project MainWindow::captureProject() const {
    project::Project p;
    // A picture that was not found when the project was opened stays the project's until it is located.
    p.picturePath = pictureHost_.picturePath().empty() ? missingPicturePath_ : pictureHost_.picturePath();
    p.picture = geometry_.picture;
    p.stretch = geometry_.stretch;
    p.scrollZoomFactor = geometry_.scrollZoomFactor;
    p.work = doc_.work();
    if (runoff_) p.runoff = runoff_->inputs();
    return p;
}

void MainWindow::restoreProject(const project::Project& p) {
    // The picture first: what it brings (its natural size) is then overridden by the kept view.
    pictureHost_.clearPicture();
    missingPicturePath_.clear();
    missingPictureProblem_.clear();
    doc_.forgetClears();
    std::optional<std::string> pictureProblem;
    if (!p.picturePath.empty()) {
        std::error_code error;
        if (!fs::is_regular_file(fs::path(p.picturePath), error)) {
            pictureProblem = msg::projectPictureMissing(p.picturePath);
        } else if (const auto problem = pictureHost_.decodePicture(p.picturePath)) {
            pictureProblem = msg::projectPictureUnreadable(p.picturePath, *problem);
        } else {
            pictureHost_.showDecodedPicture();
        }
        if (pictureProblem) missingPicturePath_ = p.picturePath;
    }
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

    if (runoff_) {
        runoff_->close();
        runoff_.reset();
    }
    if (p.runoff) {
        createRunoffWindow();
        runoff_->restoreInputs(*p.runoff);
        runoff_->show();
    }
    if (pictureProblem) missingPictureProblem_ = *pictureProblem;
}

bool MainWindow::openProjectFile(const std::string& path) {
    // A folder, a device or a pipe is refused before it is read, and so is a file too large to be a
    // project.
    std::error_code error;
    if (fs::exists(path, error) && !fs::is_regular_file(path, error)) {
        dialogs_.message(msg::projectRefused(path, msg::kProjectNotRegular));
        return false;
    }
    std::string bytes;
    try {
        bytes = common::readDataFile(path, common::kMaxProjectFileBytes);
    } catch (const common::RuntimeFailure& failure) {
        dialogs_.message(msg::projectRefused(path, failure.number() == common::outOfMemory().number()
                                                       ? msg::kProjectTooLarge
                                                       : msg::kProjectUnreadable));
        return false;
    }
    project::Project p;
    try {
        p = project::read(bytes, path);
    } catch (const project::ProjectError& error) {
        dialogs_.message(msg::projectRefused(path, error.what()));
        return false;
    }
    if (p.runoff && !RunoffWindow::acceptsInputs(*p.runoff)) {
        dialogs_.message(msg::projectRefused(path, msg::kProjectUnknownRunoffField));
        return false;
    }
    restoreProject(p);
    markSaved(common::fullPath(path));
    // With everything in place, the way back to a picture that moved: locate it now or later (File
    // menu). Relinking it is a change of the project.
    if (!missingPicturePath_.empty()) offerToLocatePicture(missingPictureProblem_);
    return true;
}

bool MainWindow::saveProjectFile(const std::string& path) {
    try {
        common::replaceFile(path, project::write(captureProject(), path));
    } catch (const common::RuntimeFailure& failure) {
        dialogs_.message(msg::projectNotSaved(path, common::failureReason(failure)));
        return false;
    }
    markSaved(common::fullPath(path));
    return true;
}

void MainWindow::markSaved(const std::string& path) {
    projectPath_ = path;
    // The file dialogs open in the project's folder from now on, and exports propose its name.
    common::dialogFolders().setProject(path);
    savedSnapshot_ = captureProject();
    if (!path.empty()) rememberRecent(path);
    updateTitle();
}

bool MainWindow::projectModified() const {
    return !project::sameWork(captureProject(), savedSnapshot_, runoffAtStart_);
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
    const std::string name = projectName(projectPath_);
    setWindowTitle(QString::fromStdString(name) + QStringLiteral("[*] - ") +
                   QString::fromStdString(doc_.controls().caption));
    setWindowModified(projectModified());
}

std::string MainWindow::shownTitle() const {
    // As updateTitle sets it, also before a pending update has run.
    return projectName(projectPath_) + (projectModified() ? "*" : "") + " - " + doc_.controls().caption;
}

bool MainWindow::settleUnsavedChanges() {
    if (!projectModified()) return true;
    const std::string name = projectName(projectPath_);
    const std::string question = msg::unsavedChangesQuestion(name);
    UnsavedAnswer answer = UnsavedAnswer::Cancel;
    if (askUnsaved) {
        answer = askUnsaved(question);
    } else {
        const auto button = QMessageBox::question(
            this, QString::fromLatin1(msg::kUnsavedChangesTitle), QString::fromStdString(question),
            QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
        answer = button == QMessageBox::Save      ? UnsavedAnswer::Save
                 : button == QMessageBox::Discard ? UnsavedAnswer::Discard
                                                  : UnsavedAnswer::Cancel;
    }
    switch (answer) {
        case UnsavedAnswer::Save:
            return saveProject();
        case UnsavedAnswer::Discard:
            return true;
        case UnsavedAnswer::Cancel:
            break;
    }
    return false;
}

bool MainWindow::newProject() {
    if (!settleUnsavedChanges()) return false;
    restoreProject(blankProject_);
    // The empty view is laid out afresh, as at start.
    geometry_.firstLayoutDone = false;
    relayoutView();
    markSaved(std::string());
    return true;
}

bool MainWindow::openProject() {
    if (!settleUnsavedChanges()) return false;
    common::FileDialogRequest request;
    request.title = msg::kOpenProjectTitle;
    request.initialDir = common::dialogFolder();
    request.filter = msg::kProjectFilter;
    const auto chosen = common::askFile(dialogs_, request, common::FileKind::project);
    if (!chosen || chosen->empty()) return false;
    return openProjectFile(*chosen);
}

bool MainWindow::saveProject() {
    if (projectPath_.empty()) return saveProjectAs();
    return saveProjectFile(projectPath_);
}

bool MainWindow::saveProjectAs() {
    common::FileDialogRequest request;
    request.title = msg::kSaveProjectTitle;
    request.initialDir = common::dialogFolder();
    request.fileName = projectPath_.empty() ? std::string(msg::kUntitledProject) + project::kExtension
                                            : fileName(projectPath_);
    request.filter = msg::kProjectFilter;
    request.save = true;
    const auto chosen = common::askFile(dialogs_, request, common::FileKind::project);
    if (!chosen || chosen->empty()) return false;
    return saveProjectFile(project::withProjectExtension(*chosen));
}

bool MainWindow::exportHydrographCsv() {
    const runoff::RunoffSession* session = runoff_ ? &runoff_->session() : nullptr;
    if (!session || !session->lastReport) {
        dialogs_.message(msg::kNoHydrographToExport);
        return false;
    }
    const auto chosen = common::askSavePath(
        dialogs_, common::FileKind::csv, std::string(msg::kExportCsvTitle), common::dialogFolder(),
        common::proposedName(runoff::typedTitle(runoff_->fields()), ".csv", "Hydrograph.csv"),
        std::string(msg::kCsvFilter), ".csv");
    if (!chosen) return false;
    try {
        common::replaceFile(*chosen, runoff::hydrographCsv(session->hydrograph, *session->lastReport));
    } catch (const common::RuntimeFailure& failure) {
        dialogs_.message(msg::fileNotSaved(*chosen, common::failureReason(failure)));
        return false;
    }
    return true;
}

void MainWindow::runoffExport(bool (RunoffWindow::*exportRun)()) {
    if (!runoff_) {
        dialogs_.message(msg::kNoRunoffWindow);
        return;
    }
    (runoff_.get()->*exportRun)();
}

void MainWindow::rememberRecent(const std::string& path) {
    recent_.erase(std::remove(recent_.begin(), recent_.end(), path), recent_.end());
    recent_.insert(recent_.begin(), path);
    if (recent_.size() > kRecentCount) recent_.resize(kRecentCount);
    if (menuBarShown_) {
        QStringList list;
        for (const auto& file : recent_) list.append(QString::fromStdString(file));
        QSettings().setValue(QLatin1StringView(kRecentKey), list);
    }
    rebuildRecentMenu();
}

void MainWindow::rebuildRecentMenu() {
    if (!recentMenu_) return;
    recentMenu_->clear();
    for (const auto& file : recent_) {
        QAction* action = recentMenu_->addAction(QString::fromStdString(file));
        connect(action, &QAction::triggered, this, [this, file] {
            if (settleUnsavedChanges()) openProjectFile(file);
        });
    }
    recentMenu_->setEnabled(!recent_.empty());
}

}  // namespace brelvo::app

// The project's rules: changes, the unsaved-changes question, new / open / save, recent files, exports.
#include "app/project_controller.hpp"

#include <QMessageBox>
#include <QSettings>
#include <QStringList>
#include <algorithm>
#include <filesystem>

#include "app/project_changes.hpp"
#include "app/runoff_window.hpp"
#include "common/data_file.hpp"
#include "common/dialog_folders.hpp"
#include "common/failure.hpp"
#include "common/file_replace.hpp"
#include "common/messages.hpp"
#include "common/program_folder.hpp"
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

}  // namespace

ProjectController::ProjectController(ProjectView& view, common::Dialogs& dialogs, bool keepRecent)
    : view_(view), dialogs_(dialogs), keepRecent_(keepRecent) {
    if (keepRecent_) {
        for (const QString& file : QSettings().value(QLatin1StringView(kRecentKey)).toStringList())
            recent_.push_back(file.toStdString());
    }
}

void ProjectController::start() {
    blankProject_ = view_.captureProject();
    markSaved(std::string());
}

void ProjectController::firstLayoutDone() {
    if (!projectPath_.empty() || savedSnapshot_.picture.width > 0) return;
    blankProject_ = view_.captureProject();
    savedSnapshot_ = blankProject_;
}

std::string ProjectController::projectName() const {
    // While a project is put in place, the title names it as opening, not the work it replaces.
    if (!opening_.empty()) return msg::openingProject(opening_);
    return projectPath_.empty() ? std::string(msg::kUntitledProject) : fileName(projectPath_);
}

void ProjectController::runoffOpened(const project::RunoffInputs& inputs) {
    if (!runoffAtStart_) runoffAtStart_ = inputs;
}

bool ProjectController::openProjectFile(const std::string& path) {
    // A folder, a device or a pipe is refused before it is read, and so is a file too large to be a
    // project: the reader says which, in the project's own words.
    std::string bytes;
    try {
        bytes = common::readDataFile(path, common::kMaxProjectFileBytes);
    } catch (const common::RuntimeFailure& failure) {
        const char* why = project::unreadableReason(failure, path);
        dialogs_.message(msg::projectRefused(path, why));
        return false;
    }
    project::Project p;
    try {
        p = project::read(bytes, path);
    } catch (const common::RuntimeFailure& failure) {
        if (!failure.is(common::failures::kInvalidFileFormat)) throw;
        dialogs_.message(msg::projectRefused(path, failure.cause()));
        return false;
    }
    if (p.runoff && !RunoffWindow::acceptsInputs(*p.runoff)) {
        dialogs_.message(msg::projectRefused(path, msg::kProjectUnknownRunoffField));
        return false;
    }
    opening_ = fileName(path);
    try {
        view_.restoreProject(p);
    } catch (...) {
        opening_.clear();
        throw;
    }
    opening_.clear();
    markSaved(common::fullPath(path));
    // With everything in place, the way back to a picture that moved.
    view_.projectOpened();
    return true;
}

bool ProjectController::saveProjectFile(const std::string& path) {
    try {
        common::replaceFile(path, project::write(view_.captureProject(), path));
    } catch (const common::RuntimeFailure& failure) {
        dialogs_.message(msg::projectNotSaved(path, common::failureReason(failure)));
        return false;
    }
    markSaved(common::fullPath(path));
    return true;
}

void ProjectController::markSaved(const std::string& path) {
    projectPath_ = path;
    // The file dialogs open in the project's folder from now on, and exports propose its name.
    common::dialogFolders().setProject(path);
    savedSnapshot_ = view_.captureProject();
    if (!path.empty()) rememberRecent(path);
    view_.projectShown();
}

bool ProjectController::projectModified() const {
    if (!opening_.empty()) return false;  // half in place: neither the old work nor the new
    return !project::sameWork(view_.captureProject(), savedSnapshot_, runoffAtStart_);
}

bool ProjectController::settleUnsavedChanges() {
    if (!projectModified()) return true;
    const std::string question = msg::unsavedChangesQuestion(projectName());
    UnsavedAnswer answer = UnsavedAnswer::Cancel;
    if (askUnsaved) {
        answer = askUnsaved(question);
    } else {
        const auto button = QMessageBox::question(
            questionParent, QString::fromLatin1(msg::kUnsavedChangesTitle), QString::fromStdString(question),
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

bool ProjectController::newProject() {
    if (!settleUnsavedChanges()) return false;
    view_.restoreProject(blankProject_);
    view_.layOutAfresh();
    markSaved(std::string());
    return true;
}

bool ProjectController::openProject() {
    if (!settleUnsavedChanges()) return false;
    common::FileDialogRequest request;
    request.title = msg::kOpenProjectTitle;
    request.initialDir = common::dialogFolder();
    request.filter = msg::kProjectFilter;
    const auto chosen = common::askFile(dialogs_, request, common::FileKind::project);
    if (!chosen || chosen->empty()) return false;
    return openProjectFile(*chosen);
}

bool ProjectController::saveProject() {
    if (projectPath_.empty()) return saveProjectAs();
    return saveProjectFile(projectPath_);
}

bool ProjectController::saveProjectAs() {
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

bool ProjectController::exportHydrographCsv() {
    RunoffWindow* runoff = view_.runoffWindow();
    const runoff::RunoffSession* session = runoff ? &runoff->session() : nullptr;
    if (!session || !session->lastReport) {
        dialogs_.message(msg::kNoHydrographToExport);
        return false;
    }
    const auto chosen = common::askSavePath(
        dialogs_, common::FileKind::csv, std::string(msg::kExportCsvTitle), common::dialogFolder(),
        common::proposedName(runoff::typedTitle(runoff->fields()), ".csv", "Hydrograph.csv"),
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

void ProjectController::runoffExport(bool (RunoffWindow::*exportRun)()) {
    RunoffWindow* runoff = view_.runoffWindow();
    if (!runoff) {
        dialogs_.message(msg::kNoRunoffWindow);
        return;
    }
    (runoff->*exportRun)();
}

void ProjectController::rememberRecent(const std::string& path) {
    recent_.erase(std::remove(recent_.begin(), recent_.end(), path), recent_.end());
    recent_.insert(recent_.begin(), path);
    if (recent_.size() > kRecentCount) recent_.resize(kRecentCount);
    if (keepRecent_) {
        QStringList list;
        for (const auto& file : recent_) list.append(QString::fromStdString(file));
        QSettings().setValue(QLatin1StringView(kRecentKey), list);
    }
}

}  // namespace brelvo::app
